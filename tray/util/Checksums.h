// Checksums of texts: the CRC-32 file identifier of a path and MD5 keys. Pure functions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pellmar {

using Md5Bytes = std::array<std::uint8_t, 16>;

// CRC-32 (zlib / IEEE 802.3) of the text with A-Z lower-cased; 0 for the empty text.
std::uint32_t Crc32OfText(std::string_view text);

// MD5 of the text's bytes. Throws platform::Md5Unavailable when the digest cannot be computed.
Md5Bytes Md5Digest(std::string_view text);

// 32 lower-case hexadecimal digits, high nibble first.
std::string Md5HexText(const Md5Bytes& digest);

}  // namespace pellmar
