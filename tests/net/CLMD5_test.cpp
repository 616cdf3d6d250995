#include "CLMD5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Md5, Rfc1321Suite) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(md5Hex("1234567890123456789012345678901234567890123456789012345678901234567890123456"
                     "7890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, PiecewiseUpdatesAcrossBlockBoundariesMatchOneUpdate) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
        const std::string part = text.substr(0, length);
        for (size_t piece : {1u, 7u, 64u}) {
            CLMD5 md5;
            for (size_t at = 0; at < part.size(); at += piece) {
                md5.update(part.data() + at, std::min(piece, part.size() - at));
            }
            md5.finalize();
            EXPECT_EQ(md5.hexDigest(), md5Hex(part.c_str())) << length << "/" << piece;
        }
    }
}

TEST(Md5, HexFormIsLowercaseAndOnlyAfterFinalize) {
    CLMD5 md5;
    md5.update("abc", 3);
    EXPECT_EQ(md5.hexDigest(), "");
    md5.finalize();
    const std::string once = md5.hexDigest();
    md5.finalize(); // a second finalize changes nothing
    md5.update("more", 4);
    EXPECT_EQ(md5.hexDigest(), once);
    EXPECT_EQ(once.find_first_not_of("0123456789abcdef"), std::string::npos);
    // Bytes above 0x7f are digested as they are.
    EXPECT_EQ(md5Hex("\xc3\xa9").size(), 32u);
    EXPECT_NE(md5Hex("\xc3\xa9"), md5Hex("e"));
    md5.reset();
    md5.finalize();
    EXPECT_EQ(md5.hexDigest(), md5Hex(""));
}

} // namespace
