#include "Brain.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::string one(Brain& b, const std::string& line) {
    const Lines out = b.handle(line);
    return out.size() == 1 ? out[0] : "<" + std::to_string(out.size()) + " lines>";
}

bool isError(const std::string& s) {
    return s.rfind("ERROR ", 0) == 0;
}

Point pointOf(const std::string& s) {
    Point p;
    EXPECT_TRUE(parsePoint(s, p)) << s;
    return p;
}

TEST(Brain, StartOpensAtTheCentreAndRefusesOtherSizes) {
    Brain b(0);
    EXPECT_TRUE(isError(one(b, "START 20")));
    EXPECT_TRUE(isError(one(b, "START")));
    EXPECT_EQ(one(b, "START 15"), "OK");
    EXPECT_EQ(one(b, "BEGIN"), "7,7");
    EXPECT_EQ(b.cell(7, 7), 1);
    EXPECT_EQ(one(b, "RESTART"), "OK");
    EXPECT_EQ(b.cell(7, 7), 0);
    EXPECT_EQ(one(b, "begin\r"), "7,7") << "commands in any case, CRLF line ends";
}

TEST(Brain, AnswersATurnNextToTheOpponentsCentreStone) {
    Brain b(0);
    b.handle("START 15");
    const Point p = pointOf(one(b, "TURN 7,7"));
    EXPECT_EQ(b.cell(7, 7), 2);
    EXPECT_EQ(b.cell(p.x, p.y), 1);
    // (6, 7) and (7, 6) tie for the best reply; equal totals go to the earlier point.
    EXPECT_EQ(p, (Point{6, 7}));
}

TEST(Brain, BoardListCompletesItsFiveAndBlocksTheOpponents) {
    Brain win(0);
    win.handle("START 15");
    for (const char* line : {"BOARD", "3,4,1", "4,4,1", "5,4,1", "6,4,1", "7,7,2", "8,8,2"}) {
        EXPECT_TRUE(win.handle(line).empty()) << line;
    }
    const std::string move = one(win, "DONE");
    EXPECT_TRUE(move == "2,4" || move == "7,4") << move;

    Brain block(0);
    block.handle("START 15");
    for (const char* line : {"BOARD", "10,1,2", "10,2,2", "10,3,2", "10,4,2", "7,7,1"}) {
        block.handle(line);
    }
    EXPECT_EQ(one(block, "DONE"), "10,5");
}

TEST(Brain, BadInputGetsAnErrorAndChangesNothing) {
    Brain b(0);
    b.handle("START 15");
    for (const char* line : {"TURN 15,3", "TURN -1,3", "TURN a,b", "TURN 3", "TURN 3,4,5", "TURN",
                             "TURN 3,,4", "TAKEBACK 2,2", "FOO", "TAKEBACK x"}) {
        EXPECT_TRUE(isError(one(b, line))) << line;
    }
    for (int i = 0; i < kCellCount; ++i) {
        ASSERT_EQ(b.cell(i / kBoardSize, i % kBoardSize), 0);
    }
    const Point mine = pointOf(one(b, "TURN 0,0"));
    EXPECT_TRUE(isError(one(b, "TURN 0,0")));
    EXPECT_TRUE(isError(one(b, "TURN " + std::to_string(mine.x) + "," + std::to_string(mine.y))));

    // A bad line inside BOARD is reported and the list goes on.
    b.handle("BOARD");
    EXPECT_TRUE(isError(one(b, "1,1,3")));
    EXPECT_TRUE(isError(one(b, "1,1")));
    EXPECT_TRUE(b.handle("1,1,2").empty());
    EXPECT_TRUE(isError(one(b, "1,1,1")));
    const Point p = pointOf(one(b, "DONE"));
    EXPECT_FALSE(p == (Point{1, 1}));
}

TEST(Brain, TakebackInfoAboutAndEnd) {
    Brain b(0);
    b.handle("START 15");
    const Point p = pointOf(one(b, "BEGIN"));
    EXPECT_EQ(one(b, "TAKEBACK " + std::to_string(p.x) + "," + std::to_string(p.y)), "OK");
    EXPECT_EQ(b.cell(p.x, p.y), 0);
    EXPECT_TRUE(b.handle("INFO timeout_turn 5000").empty());
    EXPECT_EQ(one(b, "ABOUT").rfind("name=\"pbrain-koralith\"", 0), 0u);
    EXPECT_FALSE(b.finished());
    EXPECT_TRUE(b.handle("END").empty());
    EXPECT_TRUE(b.finished());
}

TEST(Brain, NeverPlaysOnAnOccupiedPointInAWholeGame) {
    std::mt19937 rng(12345);
    Brain b(0);
    b.handle("START 15");
    int stones = 0;
    while (stones < kCellCount) {
        std::vector<Point> empty;
        for (int i = 0; i < kCellCount; ++i) {
            if (b.cell(i / kBoardSize, i % kBoardSize) == 0) {
                empty.push_back({i / kBoardSize, i % kBoardSize});
            }
        }
        if (empty.empty()) {
            break;
        }
        const Point their = empty[rng() % empty.size()];
        const std::string answer =
            one(b, "TURN " + std::to_string(their.x) + "," + std::to_string(their.y));
        ++stones;
        if (stones == kCellCount) {
            EXPECT_EQ(answer, "ERROR the board is full");
            break;
        }
        const Point mine = pointOf(answer);
        ASSERT_FALSE(mine == their);
        ASSERT_EQ(b.cell(mine.x, mine.y), 1);
        ++stones;
    }
    EXPECT_EQ(stones, kCellCount);
}

TEST(BrainProgram, SpeaksTheProtocolOnItsStandardStreams) {
    const std::string command =
        std::string("printf 'START 15\\nBEGIN\\nHELLO\\nEND\\nBEGIN\\n' | ") + PBRAIN_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char chunk[256];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) {
        out.append(chunk, n);
    }
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(out, "OK\n7,7\nERROR unknown command HELLO\n") << "nothing is read after END";
}

} // namespace
