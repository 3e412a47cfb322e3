// FILE_NOTIFY_INFORMATION layout: three little-endian 32-bit words (NextEntryOffset, Action,
// FileNameLength in bytes) followed by the name in UTF-16LE, without a terminating zero.
#include "platform/win32/NotifyRecords.h"

#include <cstdint>

namespace pellmar::platform::win32 {
namespace {

constexpr std::size_t kHeaderSize = 12;

std::uint32_t ReadWord(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void AppendUtf8(std::uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string Utf16LeToUtf8(const unsigned char* bytes, std::size_t unitCount) {
    std::string out;
    out.reserve(unitCount);
    for (std::size_t i = 0; i < unitCount; ++i) {
        const std::uint32_t unit = bytes[2 * i] | static_cast<std::uint32_t>(bytes[2 * i + 1]) << 8;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < unitCount) {
            const std::uint32_t low = bytes[2 * i + 2] | static_cast<std::uint32_t>(bytes[2 * i + 3]) << 8;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
                ++i;
                continue;
            }
        }
        AppendUtf8(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit, out);
    }
    return out;
}

void DecodeNotifyRecords(const unsigned char* buffer, std::size_t size, std::vector<DirectoryChange>* changes) {
    std::size_t offset = 0;
    while (offset + kHeaderSize <= size) {
        const unsigned char* record = buffer + offset;
        const std::uint32_t next = ReadWord(record);
        const std::uint32_t action = ReadWord(record + 4);
        const std::uint32_t nameBytes = ReadWord(record + 8);
        if (nameBytes > size - offset - kHeaderSize) return;
        if (nameBytes >= 2) {
            changes->push_back(DirectoryChange{action, Utf16LeToUtf8(record + kHeaderSize, nameBytes / 2)});
        }
        if (next == 0) return;
        if (next < kHeaderSize || next > size - offset) return;
        offset += next;
    }
}

}  // namespace pellmar::platform::win32
