#include "tray/util/Checksums.h"

#include <gtest/gtest.h>

namespace pellmar {
namespace {

TEST(Crc32OfText, MatchesReferenceVectorsAndFoldsOnlyAsciiLetters) {
    EXPECT_EQ(Crc32OfText(""), 0u);
    EXPECT_EQ(Crc32OfText("abc"), 0x352441C2u);
    EXPECT_EQ(Crc32OfText("ABC"), 0x352441C2u);
    EXPECT_EQ(Crc32OfText("123456789"), 0xCBF43926u);  // the standard check value
    // "É" (UTF-8 C3 89) and "é" (C3 A9) must stay different: only A-Z are folded.
    EXPECT_NE(Crc32OfText("\xC3\x89"), Crc32OfText("\xC3\xA9"));
    EXPECT_EQ(Crc32OfText("/Home/User/Report.DOC"), Crc32OfText("/home/user/report.doc"));
}

TEST(Md5, MatchesRfc1321Vectors) {
    EXPECT_EQ(Md5HexText(Md5Digest("")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5HexText(Md5Digest("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5HexText(Md5Digest("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
    // Case is kept: MD5 keys do not fold letters, and embedded NULs count as bytes.
    EXPECT_NE(Md5Digest("ABC"), Md5Digest("abc"));
    EXPECT_NE(Md5Digest(std::string_view("a\0b", 3)), Md5Digest("a"));
}

TEST(Md5HexText, WritesHighNibbleFirstInLowerCase) {
    Md5Bytes bytes{};
    bytes[0] = 0xAB;
    bytes[15] = 0x0F;
    EXPECT_EQ(Md5HexText(bytes), "ab00000000000000000000000000000f");
}

}  // namespace
}  // namespace pellmar
