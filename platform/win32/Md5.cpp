// MD5 through libgcrypt, which the Windows build has where OpenSSL is missing.
#include "platform/Md5.h"

#include <gcrypt.h>

namespace pellmar::platform {

std::array<std::uint8_t, 16> ComputeMd5(std::string_view bytes) {
    // gcry_md_hash_buffer has no failure result; ask first whether the algorithm may be used.
    if (gcry_md_test_algo(GCRY_MD_MD5) != 0) throw Md5Unavailable("MD5 is not available from libgcrypt");
    std::array<std::uint8_t, 16> digest{};
    gcry_md_hash_buffer(GCRY_MD_MD5, digest.data(), bytes.data(), bytes.size());
    return digest;
}

}  // namespace pellmar::platform
