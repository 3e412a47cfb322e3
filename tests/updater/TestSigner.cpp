// The test signer over OpenSSL's EVP interface.
#include "tests/updater/TestSigner.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <stdexcept>

namespace pellmar::test {

TestSigner::TestSigner() : key_(EVP_EC_gen("P-256")) {
    if (!key_) throw std::runtime_error("no P-256 test key");
}

TestSigner::~TestSigner() { EVP_PKEY_free(key_); }

std::string TestSigner::PublicPoint() const {
    unsigned char* der = nullptr;
    int length = i2d_PUBKEY(key_, &der);
    if (length < 65) throw std::runtime_error("test key has no public point");
    // The point closes the SubjectPublicKeyInfo.
    std::string point(reinterpret_cast<char*>(der) + length - 65, 65);
    OPENSSL_free(der);
    return point;
}

std::string TestSigner::Sign(const std::string& message) const {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    std::size_t length = 0;
    std::string signature;
    if (context && EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, key_) == 1 &&
        EVP_DigestSign(context, nullptr, &length, reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1) {
        signature.resize(length);
        if (EVP_DigestSign(context, reinterpret_cast<unsigned char*>(signature.data()), &length,
                           reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1) {
            length = 0;
        }
        signature.resize(length);
    }
    EVP_MD_CTX_free(context);
    if (signature.empty()) throw std::runtime_error("test signature failed");
    return signature;
}

std::string Sha256Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex.push_back(kHex[digest[i] >> 4]);
        hex.push_back(kHex[digest[i] & 15]);
    }
    return hex;
}

std::string DigestValue(const std::string& content) { return Sha256Hex(content) + " " + std::to_string(content.size()); }

}  // namespace pellmar::test
