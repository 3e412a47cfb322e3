// The program's UTF-8 texts as std::filesystem paths and back. A path made from a plain string is
// read in the system code page on Windows, which turns every name outside it into another name;
// on Linux both ways keep the bytes as they are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pellmar {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace pellmar
