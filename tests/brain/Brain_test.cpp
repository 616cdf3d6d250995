#include "Brain.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

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

TEST(Brain, BoardListBlocksTheOpponentsFiveAndSkipsBadLines) {
    Brain b(0);
    b.handle("START 15");
    for (const char* line : {"BOARD", "10,1,2", "10,2,2", "10,3,2", "7,7,1"}) {
        EXPECT_EQ(say(b, line), "") << line;
    }
    for (const char* line : {"1,1,3", "1,1", "7,7,2"}) { // reported, and the list goes on
        EXPECT_TRUE(isError(say(b, line))) << line;
    }
    EXPECT_EQ(say(b, "10,4,2"), "");
    EXPECT_EQ(say(b, "DONE"), "10,5");
}

TEST(Brain, EveryLevelCompletesItsFive) {
    for (Level level : {Level::Easy, Level::Normal, Level::Hard}) {
        Brain b(level);
        b.handle("START 15");
        for (const char* line : {"BOARD", "3,4,1", "4,4,1", "5,4,1", "6,4,1", "7,7,2", "8,8,2"}) {
            b.handle(line);
        }
        // Of the two fives, the first in x-major order.
        EXPECT_EQ(say(b, "DONE"), "2,4") << levelName(level);
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
    b.handle("BOARD");
    for (int i = 0; i < kCellCount; ++i) {
        b.handle(std::to_string(i / kBoardSize) + "," + std::to_string(i % kBoardSize) + "," +
                 std::to_string(1 + i % 2));
    }
    EXPECT_EQ(say(b, "DONE"), "ERROR the board is full");
}

// The program's standard output for `input` on its standard input, and its exit status.
std::pair<std::string, int> runBrain(const char* input, const char* options) {
    const std::string command =
        std::string("printf '") + input + "' | " + PBRAIN_PATH + " " + options + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {"", -1};
    }
    std::string out(256, '\0');
    out.resize(fread(&out[0], 1, out.size(), pipe)); // all of it: fread stops only at the end
    const int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// Each level answers differently; the brain's easy level draws from the position alone, so its
// answers are fixed too. What it answers to START 15, BEGIN, TURN 7,8, END begins so.
TEST(BrainProgram, SpeaksTheProtocolOnItsStandardStreamsAtTheLevelAsked) {
    EXPECT_EQ(runBrain("START 15\\nBEGIN\\nHELLO\\nEND\\nBEGIN\\n", ""),
              std::make_pair(std::string("OK\n7,7\nERROR unknown command HELLO\n"), 0))
        << "nothing is read after END";
    const struct {
        const char* options;
        const char* out;
        int status;
    } cases[] = {
        {"--level hard", "OK\n7,7\n6,6\n", 0},
        {"--level EASY", "OK\n7,6\n", 0},
        {"--level normal --depth 1", "OK\n7,7\n6,7\n", 0},
        {"--level medium", "", 2},
        {"--level hard --depth 1", "", 2}, // the depth is the normal level's
        {"--level", "", 2},
    };
    for (const auto& c : cases) {
        const auto [out, status] = runBrain("START 15\\nBEGIN\\nTURN 7,8\\nEND\\n", c.options);
        EXPECT_EQ(status, c.status) << c.options;
        EXPECT_EQ(out.substr(0, std::string(c.out).size()), c.out) << c.options;
    }
}

} // namespace
