// MD5 (RFC 1321) from the crypto library this OS build links; kept here because no single
// library serves both the Linux and the Windows build. Any thread.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace pellmar::platform {

// The library refused to compute the digest (MD5 disabled by a FIPS policy, no provider).
class Md5Unavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws Md5Unavailable rather than hand back a digest that is not the text's: equal keys for
// different texts would silently merge what they identify.
std::array<std::uint8_t, 16> ComputeMd5(std::string_view bytes);

}  // namespace pellmar::platform
