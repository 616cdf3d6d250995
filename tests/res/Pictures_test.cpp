#include "Picture.h"

#include <gtest/gtest.h>

// Every picture the scenes name loads; pictures that take one another's place are one size (a
// result picture replaces another, the quit button takes the join button's place, the menu
// stacks its buttons by their own heights); stones sit in the middle of their pictures, since a
// sprite is placed by its centre.
TEST(Pictures, EveryPictureLoadsAndTheStonesAreCentred) {
    for (const char* name : {"chessback", "black", "white", "highlight", "selectback", "gameover0",
                             "gameover1", "gameover2", "danjigame", "netgame", "exitgame", "login",
                             "regist", "back", "joinmatch", "quitmatch", "waitmatch"}) {
        EXPECT_TRUE(Picture(name).loaded()) << name;
    }
    const struct {
        const char *a, *b;
    } sameSize[] = {{"gameover0", "gameover1"}, {"gameover0", "gameover2"},
                    {"joinmatch", "quitmatch"}, {"danjigame", "netgame"},
                    {"danjigame", "exitgame"},  {"black", "white"}};
    for (const auto& pair : sameSize) {
        const Picture a(pair.a), b(pair.b);
        EXPECT_EQ(a.height(), b.height()) << pair.a << " " << pair.b;
    }
    for (const char* name : {"black", "white"}) {
        const Picture stone(name);
        const int c = stone.width() / 2;
        ASSERT_EQ(stone.height(), stone.width());
        for (const auto& [dx, dy] : {std::pair{-16, 0}, {15, 0}, {0, -16}, {0, 15}}) {
            EXPECT_EQ(stone.at(c + dx, c + dy).a, 255) << name << " at " << dx << "," << dy;
        }
    }
}
