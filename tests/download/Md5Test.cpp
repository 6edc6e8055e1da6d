#include "download/Md5.h"

#include <gtest/gtest.h>

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, RfcVectors)
{
    struct Case {
        const char* input;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases) EXPECT_EQ(Md5Hex(c.input), c.digest) << '"' << c.input << '"';
}

// Feeding the message in pieces of every size must not change the digest (block
// boundaries and the padding around 56 bytes are where an implementation breaks).
TEST(Md5, PiecewiseEqualsWhole)
{
    std::string text;
    for (int i = 0; i < 200; ++i) text += char('a' + i % 26);
    for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 200u}) {
        std::string message = text.substr(0, length);
        std::string whole = Md5Hex(message);
        for (size_t piece = 1; piece <= 70; piece += 3) {
            Md5 md5;
            for (size_t at = 0; at < message.size(); at += piece)
                md5.Update(message.data() + at, std::min(piece, message.size() - at));
            EXPECT_EQ(md5.HexFinal(), whole) << "length " << length << " piece " << piece;
        }
    }
}
