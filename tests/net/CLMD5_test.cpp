#include "CLMD5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

// The RFC 1321 suite, then the lengths around the padding's block boundary and bytes above 0x7f.
const std::pair<std::string, const char*> kDigests[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
    {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
    {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
    {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
    {std::string(120, 'a'), "5f61c0ccad4cac44c75ff505e1f1e537"},
    {"\xc3\xa9", "66ddcd97cfdeabb2f6fb8a999b4bc76f"},
};

TEST(Md5, KnownDigestsWholeAndInPieces) {
    for (const auto& [text, hex] : kDigests) {
        EXPECT_EQ(md5Hex(text.c_str()), hex) << text.size() << " bytes";
        for (size_t piece : {1u, 7u, 64u}) {
            CLMD5 md5;
            for (size_t at = 0; at < text.size(); at += piece) {
                md5.update(text.data() + at, std::min(piece, text.size() - at));
            }
            md5.finalize();
            EXPECT_EQ(md5.hexDigest(), hex) << text.size() << " bytes in pieces of " << piece;
        }
    }
}
