// A crypto library that refuses MD5 (here: OpenSSL told to use FIPS implementations only, of
// which none is loaded) makes the digest an error instead of sixteen zero bytes.
#include "platform/Md5.h"
#include "tests/support/TempFolder.h"
#include "tray/util/Checksums.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

// Runs in a fresh copy of the test program: OpenSSL reads its configuration once, at first use.
void DigestUnderFipsOnlyConfiguration(const std::string& configuration) {
    setenv("OPENSSL_CONF", configuration.c_str(), 1);
    try {
        Md5Digest("abc");
    } catch (const platform::Md5Unavailable&) {
        std::_Exit(0);
    }
    std::_Exit(1);
}

TEST(Md5Digest, ThrowsWhenTheCryptoLibraryRefusesMd5) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::TempFolder dir;
    test::WriteFile(dir / "fips-only.cnf",
                    "openssl_conf = init\n[init]\nalg_section = algorithms\n"
                    "[algorithms]\ndefault_properties = fips=yes\n");
    EXPECT_EXIT(DigestUnderFipsOnlyConfiguration(dir / "fips-only.cnf"), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Md5HexText(Md5Digest("abc")));  // this process is unaffected
}

}  // namespace
}  // namespace pellmar
