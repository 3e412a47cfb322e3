// SHA-256 and ECDSA P-256 verification over OpenSSL's EVP interface. The key is given as a bare
// point; OpenSSL takes it wrapped in the fixed SubjectPublicKeyInfo header of a P-256 key.
#include "platform/Signature.h"

#include "platform/posix/UniqueFd.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace pellmar::platform {
namespace {

// SEQUENCE { SEQUENCE { id-ecPublicKey, prime256v1 }, BIT STRING (66 bytes: no unused bits, point) }
constexpr unsigned char kP256KeyInfoHeader[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x02, 0x01,
                                                0x06, 0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00};

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
using ContextPtr = std::unique_ptr<EVP_MD_CTX, ContextFree>;

KeyPtr P256Key(std::string_view point) {
    if (point.size() != kP256PublicKeyBytes || point[0] != 0x04) return nullptr;
    std::string info(reinterpret_cast<const char*>(kP256KeyInfoHeader), sizeof(kP256KeyInfoHeader));
    info.append(point);
    const auto* data = reinterpret_cast<const unsigned char*>(info.data());
    // Also checks that the point lies on the curve.
    return KeyPtr(d2i_PUBKEY(nullptr, &data, static_cast<long>(info.size())));
}

}  // namespace

std::optional<Sha256Digest> Sha256OfFile(const std::string& path) {
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    ContextPtr context(EVP_MD_CTX_new());
    if (!fd.Valid() || !context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return std::nullopt;
    char buffer[1 << 16];
    while (true) {
        ssize_t got = read(fd.Get(), buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        if (EVP_DigestUpdate(context.get(), buffer, static_cast<std::size_t>(got)) != 1) return std::nullopt;
    }
    Sha256Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != digest.size()) return std::nullopt;
    return digest;
}

bool VerifyP256Signature(std::string_view publicKey, std::string_view message, std::string_view derSignature) {
    // The same strict reading as the Windows build, so a signature one build takes the other takes too.
    if (!P256SignatureFromDer(derSignature)) return false;
    KeyPtr key = P256Key(publicKey);
    ContextPtr context(EVP_MD_CTX_new());
    if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1) return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(derSignature.data()), derSignature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

}  // namespace pellmar::platform
