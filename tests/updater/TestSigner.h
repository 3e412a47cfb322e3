// A release signer for updater tests: a fresh P-256 key per object (never one stored anywhere),
// its public point as qmUpdate takes it, signatures in the DER form the release tools write, and
// SHA-256 in the hex form of the description's digest section. OpenSSL; any thread.
#pragma once

#include <memory>
#include <string>

struct evp_pkey_st;

namespace pellmar::test {

class TestSigner {
public:
    TestSigner();  // throws when no key can be made
    ~TestSigner();
    TestSigner(const TestSigner&) = delete;
    TestSigner& operator=(const TestSigner&) = delete;

    std::string PublicPoint() const;  // 65 bytes: 0x04, X, Y
    std::string Sign(const std::string& message) const;

private:
    evp_pkey_st* key_ = nullptr;
};

std::string Sha256Hex(const std::string& bytes);

// "<sha256 hex> <size>", the digest section's value for a file with this content.
std::string DigestValue(const std::string& content);

}  // namespace pellmar::test
