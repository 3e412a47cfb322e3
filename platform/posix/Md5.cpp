// MD5 through OpenSSL's EVP interface.
#include "platform/Md5.h"

#include <openssl/evp.h>

namespace pellmar::platform {

std::array<std::uint8_t, 16> ComputeMd5(std::string_view bytes) {
    std::array<std::uint8_t, 16> digest{};
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr);
    return digest;
}

}  // namespace pellmar::platform
