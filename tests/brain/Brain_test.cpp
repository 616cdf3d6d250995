#include "Brain.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

// The lines a brain answers to one line of input, joined by line ends.
std::string say(Brain& b, const std::string& line) {
    std::string out;
    for (const std::string& answer : b.handle(line)) {
        out += (out.empty() ? "" : "\n") + answer;
    }
    return out;
}

bool isError(const std::string& s) {
    return s.rfind("ERROR ", 0) == 0;
}

TEST(Brain, PlaysASessionOfTheProtocol) {
    Brain b(0);
    EXPECT_TRUE(isError(say(b, "START 20")));
    EXPECT_EQ(say(b, "START 15"), "OK");
    EXPECT_EQ(say(b, "BEGIN"), "7,7");
    EXPECT_EQ(say(b, "TAKEBACK 7,7"), "OK");
    EXPECT_EQ(say(b, "begin\r"), "7,7") << "commands in any case, CRLF line ends";
    EXPECT_EQ(say(b, "RESTART"), "OK");
    EXPECT_EQ(b.cell(7, 7), 0);
    // (6, 7) and (7, 6) tie for the best reply; equal totals go to the earlier point.
    EXPECT_EQ(say(b, "TURN 7,7"), "6,7");
    EXPECT_EQ(b.cell(7, 7), 2);
    EXPECT_EQ(b.cell(6, 7), 1);
    EXPECT_EQ(say(b, "INFO timeout_turn 5000"), "");
    EXPECT_EQ(say(b, "ABOUT").rfind("name=\"pbrain-koralith\"", 0), 0u);
    EXPECT_FALSE(b.finished());
    EXPECT_EQ(say(b, "END"), "");
    EXPECT_TRUE(b.finished());
}

TEST(Brain, BoardListCompletesItsFiveOrBlocksTheOpponentsAndSkipsBadLines) {
    Brain win(0), block(0);
    win.handle("START 15");
    block.handle("START 15");
    for (const char* line : {"BOARD", "3,4,1", "4,4,1", "5,4,1", "6,4,1", "7,7,2", "8,8,2"}) {
        win.handle(line);
    }
    for (const char* line : {"BOARD", "10,1,2", "10,2,2", "10,3,2", "7,7,1"}) {
        EXPECT_EQ(say(block, line), "") << line;
    }
    for (const char* line : {"1,1,3", "1,1", "7,7,2"}) { // reported, and the list goes on
        EXPECT_TRUE(isError(say(block, line))) << line;
    }
    EXPECT_EQ(say(block, "10,4,2"), "");
    EXPECT_EQ(say(win, "DONE"), "2,4"); // of the two fives, the first in x-major order
    EXPECT_EQ(say(block, "DONE"), "10,5");
}

TEST(Brain, EveryLevelCompletesItsFive) {
    for (Level level : {Level::Easy, Level::Normal, Level::Hard}) {
        Brain b(level);
        b.handle("START 15");
        for (const char* line : {"BOARD", "3,4,1", "4,4,1", "5,4,1", "6,4,1", "7,7,2", "8,8,2"}) {
            b.handle(line);
        }
        EXPECT_EQ(say(b, "DONE"), "2,4") << levelName(level); // the first five in x-major order
    }
}

TEST(Brain, BadInputGetsAnErrorAndChangesNothing) {
    Brain b(0);
    b.handle("START 15");
    for (const char* line : {"TURN 15,3", "TURN -1,3", "TURN a,b", "TURN 3", "TURN 3,4,5", "TURN",
                             "TURN 3,,4", "TAKEBACK 2,2", "FOO", "TAKEBACK x"}) {
        EXPECT_TRUE(isError(say(b, line))) << line;
    }
    for (int i = 0; i < kCellCount; ++i) {
        ASSERT_EQ(b.cell(i / kBoardSize, i % kBoardSize), 0);
    }
    EXPECT_EQ(say(b, "TURN 0,0"), "7,7");
    EXPECT_TRUE(isError(say(b, "TURN 0,0")));
    EXPECT_TRUE(isError(say(b, "TURN 7,7")));
}

TEST(Brain, NeverPlaysOnAnOccupiedPointInAWholeGame) {
    Brain b(0);
    b.handle("START 15");
    // The opponent takes the empty points in an order that wanders over the whole board (7 and
    // 225 have no common factor) and, moving first, takes the last one.
    std::string answer;
    for (int k = 0, i = 0; k < kCellCount; ++k, i = (i + 7) % kCellCount) {
        const int x = i / kBoardSize, y = i % kBoardSize;
        Point mine;
        if (b.cell(x, y) == 0) {
            answer = say(b, "TURN " + std::to_string(x) + "," + std::to_string(y));
            ASSERT_TRUE(answer == "ERROR the board is full" ||
                        (parsePoint(answer, mine) && b.cell(mine.x, mine.y) == 1))
                << answer;
        }
    }
    EXPECT_EQ(answer, "ERROR the board is full");
}

TEST(BrainProgram, SpeaksTheProtocolOnItsStandardStreams) {
    const std::string command =
        std::string("printf 'START 15\\nBEGIN\\nHELLO\\nEND\\nBEGIN\\n' | ") + PBRAIN_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out(256, '\0');
    out.resize(fread(&out[0], 1, out.size(), pipe)); // all of it: fread stops only at the end
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(out, "OK\n7,7\nERROR unknown command HELLO\n") << "nothing is read after END";
}

struct Invocation {
    const char* options;
    const char* out; // how what the brain answers to START 15, BEGIN, TURN 7,8, END begins
    int status;
};

// Each level answers differently; the brain's easy level draws from the position alone, so its
// answers are fixed too.
const Invocation kInvocations[] = {
    {"--level hard", "OK\n7,7\n6,6\n", 0},
    {"--level EASY", "OK\n7,6\n", 0},
    {"--level normal --depth 1", "OK\n7,7\n6,7\n", 0},
    {"--level medium", "", 2},
    {"--level hard --depth 1", "", 2}, // the depth is the normal level's
    {"--level", "", 2},
};

TEST(BrainProgram, LevelOption) {
    for (const Invocation& r : kInvocations) {
        const std::string command =
            std::string("printf 'START 15\\nBEGIN\\nTURN 7,8\\nEND\\n' | ") + PBRAIN_PATH + " " +
            r.options + " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out(256, '\0');
        out.resize(fread(&out[0], 1, out.size(), pipe));
        const int status = pclose(pipe);
        EXPECT_EQ(WEXITSTATUS(status), r.status) << r.options;
        EXPECT_EQ(out.substr(0, std::string(r.out).size()), r.out) << r.options;
    }
}

} // namespace
