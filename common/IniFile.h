// Reads single values from an INI text file with the lookup rules of the Windows profile reader:
// section and key names compared without regard to ASCII case, the first matching section and key
// win, the value after "=" trimmed of blanks and of one pair of surrounding quotes, lines starting
// with ";" are comments. Never writes. Pure over the file's bytes; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pellmar {

// The longest value a lookup returns (the reader's 2048-byte buffer with its terminating zero).
constexpr std::size_t kMaxIniValueLength = 2047;

// The value of `key` in `section` of the INI text `content`; empty when the section or key is missing.
std::string FindIniValue(std::string_view content, std::string_view section, std::string_view key);

// The same over a file; empty when the file cannot be read.
std::string ReadIniValue(const std::string& file, std::string_view section, std::string_view key);

// Every key of `section` (names lower-cased, A-Z only) with its value, by the same rules, read in
// one pass: a lookup per key would read the file once per key. Empty when the file cannot be read.
using IniSection = std::unordered_map<std::string, std::string>;
IniSection FindIniSection(std::string_view content, std::string_view section);
IniSection ReadIniSection(const std::string& file, std::string_view section);

}  // namespace pellmar
