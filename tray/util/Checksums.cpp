// CRC-32 through zlib (same polynomial, initial value and final complement); MD5 via the platform.
#include "tray/util/Checksums.h"

#include "common/TextCase.h"
#include "platform/Md5.h"

#include <zlib.h>

#include <algorithm>

namespace pellmar {

std::uint32_t Crc32OfText(std::string_view text) {
    if (text.empty()) return 0;
    std::string lower = LowerCaseAscii(text);
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes a uInt length; feed long texts in pieces so nothing is cut off.
    std::size_t offset = 0;
    while (offset < lower.size()) {
        std::size_t piece = std::min<std::size_t>(lower.size() - offset, 1u << 30);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(lower.data() + offset), static_cast<uInt>(piece));
        offset += piece;
    }
    return static_cast<std::uint32_t>(crc);
}

Md5Bytes Md5Digest(std::string_view text) { return platform::ComputeMd5(text); }

std::string Md5HexText(const Md5Bytes& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(32);
    for (std::uint8_t byte : digest) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

}  // namespace pellmar
