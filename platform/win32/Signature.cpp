// SHA-256 and ECDSA P-256 verification from the system's crypto provider (BCrypt), so the Windows
// build ships no crypto library. BCrypt takes the key as a BCRYPT_ECCPUBLIC_BLOB and the signature
// as raw r||s, both made here from the forms the signing tools write.
#include "platform/Signature.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <vector>

namespace pellmar::platform {
namespace {

class Algorithm {
public:
    explicit Algorithm(LPCWSTR name) {
        if (BCryptOpenAlgorithmProvider(&handle_, name, nullptr, 0) != 0) handle_ = nullptr;
    }
    ~Algorithm() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE Get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class Hash {
public:
    explicit Hash(const Algorithm& algorithm) {
        if (!algorithm.Get() || BCryptCreateHash(algorithm.Get(), &handle_, nullptr, 0, nullptr, 0, 0) != 0) handle_ = nullptr;
    }
    ~Hash() {
        if (handle_) BCryptDestroyHash(handle_);
    }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    bool Add(const void* data, ULONG size) {
        return handle_ && BCryptHashData(handle_, static_cast<PUCHAR>(const_cast<void*>(data)), size, 0) == 0;
    }
    std::optional<Sha256Digest> Finish() {
        Sha256Digest digest{};
        if (!handle_ || BCryptFinishHash(handle_, digest.data(), static_cast<ULONG>(digest.size()), 0) != 0) return std::nullopt;
        return digest;
    }

private:
    BCRYPT_HASH_HANDLE handle_ = nullptr;
};

std::optional<Sha256Digest> Sha256Of(std::string_view bytes) {
    Algorithm algorithm(BCRYPT_SHA256_ALGORITHM);
    Hash hash(algorithm);
    // One call takes at most a ULONG of bytes; descriptions are far smaller.
    if (bytes.size() > 0x40000000u || !hash.Add(bytes.data(), static_cast<ULONG>(bytes.size()))) return std::nullopt;
    return hash.Finish();
}

}  // namespace

std::optional<Sha256Digest> Sha256OfFile(const std::string& path) {
    win32::UniqueHandle file(CreateFileW(win32::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    Algorithm algorithm(BCRYPT_SHA256_ALGORITHM);
    Hash hash(algorithm);
    if (!file.Valid()) return std::nullopt;
    std::vector<char> buffer(1 << 16);
    while (true) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        if (!hash.Add(buffer.data(), got)) return std::nullopt;
    }
    return hash.Finish();
}

bool VerifyP256Signature(std::string_view publicKey, std::string_view message, std::string_view derSignature) {
    std::optional<std::array<std::uint8_t, 64>> raw = P256SignatureFromDer(derSignature);
    std::optional<Sha256Digest> digest = Sha256Of(message);
    if (!raw || !digest || publicKey.size() != kP256PublicKeyBytes || publicKey[0] != 0x04) return false;
    std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof(header));
    std::memcpy(blob.data() + sizeof(header), publicKey.data() + 1, 64);
    Algorithm algorithm(BCRYPT_ECDSA_P256_ALGORITHM);
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!algorithm.Get() || BCryptImportKeyPair(algorithm.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                                                static_cast<ULONG>(blob.size()), 0) != 0) {
        return false;
    }
    NTSTATUS status = BCryptVerifySignature(key, nullptr, digest->data(), static_cast<ULONG>(digest->size()), raw->data(),
                                            static_cast<ULONG>(raw->size()), 0);
    BCryptDestroyKey(key);
    return status == 0;
}

}  // namespace pellmar::platform
