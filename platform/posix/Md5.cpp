// MD5 through OpenSSL's EVP interface.
#include "platform/Md5.h"

#include <openssl/evp.h>

namespace pellmar::platform {

std::array<std::uint8_t, 16> ComputeMd5(std::string_view bytes) {
    std::array<std::uint8_t, 16> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr) != 1 ||
        length != digest.size()) {
        throw Md5Unavailable("MD5 is not available from the crypto library");
    }
    return digest;
}

}  // namespace pellmar::platform
