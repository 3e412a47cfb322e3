// The DER reading shared by the signature checks: strict, because a lenient parser is where
// signature-malleability and overread faults live.
#include "platform/Signature.h"

namespace pellmar::platform {
namespace {

// One definite short-form length (a P-256 signature never needs the long form).
bool ReadHeader(std::string_view& rest, std::uint8_t tag, std::size_t& length) {
    if (rest.size() < 2 || static_cast<std::uint8_t>(rest[0]) != tag || (static_cast<std::uint8_t>(rest[1]) & 0x80)) {
        return false;
    }
    length = static_cast<std::uint8_t>(rest[1]);
    rest.remove_prefix(2);
    return length <= rest.size();
}

bool ReadInteger(std::string_view& rest, std::uint8_t* into32) {
    std::size_t length = 0;
    if (!ReadHeader(rest, 0x02, length) || length == 0) return false;
    std::string_view value = rest.substr(0, length);
    rest.remove_prefix(length);
    if (static_cast<std::uint8_t>(value[0]) & 0x80) return false;  // negative
    // A leading zero is allowed only where the next byte would read as a sign.
    if (value.size() > 1 && value[0] == 0) {
        if (!(static_cast<std::uint8_t>(value[1]) & 0x80)) return false;
        value.remove_prefix(1);
    }
    if (value.size() > 32) return false;
    std::size_t offset = 32 - value.size();
    for (std::size_t i = 0; i < 32; ++i) into32[i] = i < offset ? 0 : static_cast<std::uint8_t>(value[i - offset]);
    return true;
}

}  // namespace

std::optional<std::array<std::uint8_t, 64>> P256SignatureFromDer(std::string_view der) {
    std::size_t length = 0;
    if (!ReadHeader(der, 0x30, length) || length != der.size()) return std::nullopt;
    std::array<std::uint8_t, 64> raw{};
    if (!ReadInteger(der, raw.data()) || !ReadInteger(der, raw.data() + 32) || !der.empty()) return std::nullopt;
    return raw;
}

}  // namespace pellmar::platform
