// MD5 from the operating system's crypto provider (BCrypt), so the Windows build ships no extra DLL.
#include "platform/Md5.h"

#include <windows.h>
#include <bcrypt.h>

namespace pellmar::platform {

std::array<std::uint8_t, 16> ComputeMd5(std::string_view bytes) {
    // gcry_md_hash_buffer has no failure result; ask first whether the algorithm may be used.
    if (gcry_md_test_algo(GCRY_MD_MD5) != 0) throw Md5Unavailable("MD5 is not available from libgcrypt");
    std::array<std::uint8_t, 16> digest{};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0) return digest;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0) {
        // Fed in pieces: one call takes at most a ULONG of bytes.
        std::string_view rest = bytes;
        while (!rest.empty()) {
            const ULONG piece = rest.size() > 0x40000000u ? 0x40000000u : static_cast<ULONG>(rest.size());
            BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(rest.data())), piece, 0);
            rest.remove_prefix(piece);
        }
        BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return digest;
}

}  // namespace pellmar::platform
