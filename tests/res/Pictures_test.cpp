#include "Picture.h"

#include <gtest/gtest.h>

// Each picture fits the place the scenes give it in the 576 x 1019.52 design space.
TEST(Pictures, EveryPictureLoadsAndFitsItsPlace) {
    const struct {
        const char* name;
        int minW, minH, maxW, maxH;
        const char* why;
    } cases[] = {
        {"black", 34, 34, 48, 48, "a stone of about one grid spacing (34.8) plus its shadow"},
        {"white", 34, 34, 48, 48, "a stone of about one grid spacing (34.8) plus its shadow"},
        {"highlight", 44, 44, 64, 64, "a ring that shows around a stone"},
        {"selectback", 120, 60, 320, 150, "at scale 0.5 at (W-100, H-100): inside the screen"},
        {"gameover0", 200, 120, 536, 400, "slides over the board, inside the screen"},
        {"gameover1", 200, 120, 536, 400, "slides over the board, inside the screen"},
        {"gameover2", 200, 120, 536, 400, "slides over the board, inside the screen"},
        {"danjigame", 160, 50, 536, 160, "three menu buttons stacked at the centre"},
        {"netgame", 160, 50, 536, 160, "three menu buttons stacked at the centre"},
        {"exitgame", 160, 50, 536, 160, "three menu buttons stacked at the centre"},
        {"login", 80, 40, 160, 70, "login row, centres 160 apart, 50 below the message"},
        {"regist", 80, 40, 160, 70, "login row, centres 160 apart, 50 below the message"},
        {"back", 80, 40, 160, 70, "login row, centres 160 apart, 50 below the message"},
        {"joinmatch", 160, 40, 536, 70, "at the centre, 50 above the message line"},
        {"quitmatch", 160, 40, 536, 70, "at the centre, 50 above the message line"},
        {"waitmatch", 160, 40, 536, 260, "200 above the join button, clear of it"},
    };
    for (const auto& c : cases) {
        Picture p(c.name);
        ASSERT_TRUE(p.loaded()) << c.name;
        EXPECT_GE(p.width(), c.minW) << c.name << ": " << c.why;
        EXPECT_GE(p.height(), c.minH) << c.name << ": " << c.why;
        EXPECT_LE(p.width(), c.maxW) << c.name << ": " << c.why;
        EXPECT_LE(p.height(), c.maxH) << c.name << ": " << c.why;
    }
}

TEST(Pictures, PicturesThatShareAPlaceShareASize) {
    // One result picture replaces another; the quit button takes the join button's place; the
    // menu stacks its buttons by their own heights, so equal heights give equal gaps.
    const Picture draw("gameover0"), win("gameover1"), loss("gameover2");
    const Picture join("joinmatch"), quit("quitmatch");
    const Picture single("danjigame"), online("netgame"), exitGame("exitgame");
    for (const Picture* p : {&draw, &win, &loss, &join, &quit, &single, &online, &exitGame}) {
        ASSERT_TRUE(p->loaded());
    }
    EXPECT_EQ(win.width(), draw.width());
    EXPECT_EQ(win.height(), draw.height());
    EXPECT_EQ(loss.width(), draw.width());
    EXPECT_EQ(loss.height(), draw.height());
    EXPECT_EQ(quit.width(), join.width());
    EXPECT_EQ(quit.height(), join.height());
    EXPECT_EQ(online.height(), single.height());
    EXPECT_EQ(exitGame.height(), single.height());
}

TEST(Pictures, StonesAreCentredDistinctAndRingedByTheHighlight) {
    // A sprite is placed by its centre, so a stone drawn off the centre of its picture would
    // land off its intersection. All three pictures are 42 or 56 square: the centre is a
    // pixel corner, and 16 pixels out in each direction is still inside a 33.8 stone.
    const Picture black("black"), white("white"), ring("highlight");
    ASSERT_TRUE(black.loaded() && white.loaded() && ring.loaded());
    for (const Picture* stone : {&black, &white}) {
        const int c = stone->width() / 2;
        ASSERT_EQ(stone->height(), stone->width());
        for (const auto& [dx, dy] : {std::pair{-16, 0}, {15, 0}, {0, -16}, {0, 15}}) {
            EXPECT_EQ(stone->at(c + dx, c + dy).a, 255)
                << "inside the stone at " << dx << "," << dy;
        }
        // Left of and above the stone there is no shadow (it falls down and to the right).
        EXPECT_LT(stone->at(c - 19, c).a, 64);
        EXPECT_LT(stone->at(c, c - 19).a, 64);
    }
    EXPECT_LT(black.lumaAt(21, 21), 80);
    EXPECT_GT(white.lumaAt(21, 21), 200);

    // The ring shows outside a stone's edge (radius 16.9) all the way round.
    const int c = ring.width() / 2;
    for (const auto& [dx, dy] : {std::pair{-20, 0}, {19, 0}, {0, -20}, {0, 19}}) {
        EXPECT_GT(ring.at(c + dx, c + dy).a, 200) << "ring at " << dx << "," << dy;
        EXPECT_GT(ring.at(c + dx, c + dy).r, 200) << "ring at " << dx << "," << dy;
    }
}
