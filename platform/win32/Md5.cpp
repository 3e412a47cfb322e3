// MD5 from the operating system's crypto provider (BCrypt), so the Windows build ships no extra DLL.
// Any failure of the provider is an error, never a digest of zeros.
#include "platform/Md5.h"

#include <windows.h>
#include <bcrypt.h>

namespace pellmar::platform {
namespace {

bool HashInto(BCRYPT_ALG_HANDLE algorithm, std::string_view bytes, std::array<std::uint8_t, 16>& digest) {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) != 0) return false;
    bool ok = true;
    // Fed in pieces: one call takes at most a ULONG of bytes.
    std::string_view rest = bytes;
    while (ok && !rest.empty()) {
        const ULONG piece = rest.size() > 0x40000000u ? 0x40000000u : static_cast<ULONG>(rest.size());
        ok = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(rest.data())), piece, 0) == 0;
        rest.remove_prefix(piece);
    }
    ok = ok && BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) == 0;
    BCryptDestroyHash(hash);
    return ok;
}

}  // namespace

std::array<std::uint8_t, 16> ComputeMd5(std::string_view bytes) {
    std::array<std::uint8_t, 16> digest{};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0) {
        throw Md5Unavailable("MD5 is not available from the system's crypto provider");
    }
    const bool ok = HashInto(algorithm, bytes, digest);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok) throw Md5Unavailable("MD5 could not be computed by the system's crypto provider");
    return digest;
}

}  // namespace pellmar::platform
