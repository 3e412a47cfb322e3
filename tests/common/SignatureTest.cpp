// The signature and digest checks the updater relies on, against published ECDSA P-256 / SHA-256
// vectors (RFC 6979, A.2.5) and the SHA-256 of "abc" (FIPS 180-2), so the Linux and the Windows
// crypto providers are held to the same answers.
#include "platform/Signature.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace pellmar {
namespace {

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

const std::string kKey = FromHex("04"
                                 "60FED4BA255A9D31C961EB74C6356D68C049B8923B61FA6CE669622E60F29FB6"
                                 "7903FE1008B8BC99A41AE9E95628BC64F2F1B20C2D7E9F5177A3C294D4462299");
// r and s both need a leading zero byte in DER.
const std::string kSample = FromHex("3046"
                                    "022100EFD48B2AACB6A8FD1140DD9CD45E81D69D2C877B56AAF991C34D0EA84EAF3716"
                                    "022100F7CB1C942D657C41D436C7A1B6E29F65F3E900DBB9AFF4064DC4AB2F843ACDA8");
// s needs none.
const std::string kTest = FromHex("3045"
                                  "022100F1ABB023518351CD71D881567B1EA663ED3EFCF6C5132B354F28D3B0B7D38367"
                                  "0220019F4113742A2B14BD25926B49C649155F267E60D3814B4C0CC84250E46F0083");

TEST(SignatureTest, PublishedSignaturesVerifyAndAnyChangeOfMessageSignatureOrKeyDoesNot) {
    EXPECT_TRUE(platform::VerifyP256Signature(kKey, "sample", kSample));
    EXPECT_TRUE(platform::VerifyP256Signature(kKey, "test", kTest));
    EXPECT_FALSE(platform::VerifyP256Signature(kKey, "test", kSample));
    EXPECT_FALSE(platform::VerifyP256Signature(kKey, "sample ", kSample));
    std::string flipped = kSample;
    flipped[10] = static_cast<char>(flipped[10] ^ 1);
    EXPECT_FALSE(platform::VerifyP256Signature(kKey, "sample", flipped));
    std::string otherKey = kKey;
    otherKey[64] = static_cast<char>(otherKey[64] ^ 1);  // no longer on the curve
    EXPECT_FALSE(platform::VerifyP256Signature(otherKey, "sample", kSample));
    EXPECT_FALSE(platform::VerifyP256Signature(kKey.substr(1), "sample", kSample));
    EXPECT_FALSE(platform::VerifyP256Signature("", "sample", kSample));
    EXPECT_FALSE(platform::VerifyP256Signature(kKey, "sample", ""));
    EXPECT_FALSE(platform::VerifyP256Signature(kKey, "sample", kSample + std::string(1, '\0')));
}

TEST(SignatureTest, DerReadingTakesOnlyMinimalPositiveIntegersThatFit) {
    auto raw = platform::P256SignatureFromDer(kTest);
    ASSERT_TRUE(raw);
    EXPECT_EQ((*raw)[0], 0xF1);
    EXPECT_EQ((*raw)[32], 0x01);
    EXPECT_EQ((*raw)[63], 0x83);
    auto small = platform::P256SignatureFromDer(FromHex("3006020105020107"));
    ASSERT_TRUE(small);
    EXPECT_EQ((*small)[31], 5);
    EXPECT_EQ((*small)[30], 0);
    EXPECT_FALSE(platform::P256SignatureFromDer(FromHex("300702020005020107")));  // needless zero
    EXPECT_FALSE(platform::P256SignatureFromDer(FromHex("3006020185020107")));    // negative
    EXPECT_FALSE(platform::P256SignatureFromDer(FromHex("3007020105020107")));    // length past the end
    EXPECT_FALSE(platform::P256SignatureFromDer(FromHex("300602010502010700")));  // trailing byte
    EXPECT_FALSE(platform::P256SignatureFromDer(FromHex("3026022101" + std::string(64, '1') + "020101")));  // 33 bytes
    EXPECT_FALSE(platform::P256SignatureFromDer(FromHex("3003020105")));  // one integer
}

TEST(SignatureTest, FileDigestIsTheContentsAndAMissingFileHasNone) {
    test::TempFolder folder;
    test::WriteFile(folder / "abc", "abc");
    auto digest = platform::Sha256OfFile(folder / "abc");
    ASSERT_TRUE(digest);
    EXPECT_EQ(std::string(digest->begin(), digest->end()),
              FromHex("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_FALSE(platform::Sha256OfFile(folder / "missing"));
}

}  // namespace
}  // namespace pellmar
