// MD5 (RFC 1321) from the crypto library this OS build links; kept here because no single
// library serves both the Linux and the Windows build. Any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pellmar::platform {

std::array<std::uint8_t, 16> ComputeMd5(std::string_view bytes);

}  // namespace pellmar::platform
