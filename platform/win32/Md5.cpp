// MD5 through libgcrypt, which the Windows build has where OpenSSL is missing.
#include "platform/Md5.h"

#include <gcrypt.h>

namespace pellmar::platform {

std::array<std::uint8_t, 16> ComputeMd5(std::string_view bytes) {
    std::array<std::uint8_t, 16> digest{};
    gcry_md_hash_buffer(GCRY_MD_MD5, digest.data(), bytes.data(), bytes.size());
    return digest;
}

}  // namespace pellmar::platform
