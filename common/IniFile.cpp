// A line-by-line INI lookup. A hand-written reader rather than a parsing library: the one Debian
// ships cuts lines at 200 characters and joins indented lines to the previous value, both of which
// would change what a published file list says.
#include "common/IniFile.h"

#include "common/TextCase.h"

#include <fstream>
#include <iterator>

namespace pellmar {
namespace {

std::string_view Trim(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Cuts the next line off `rest`, accepting "\n", "\r\n" and a last line without an end.
std::string_view NextLine(std::string_view& rest) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return line;
}

// True for a "[name]" line, with the trimmed name in `name`.
bool SectionName(std::string_view line, std::string_view& name) {
    if (line.empty() || line.front() != '[') return false;
    std::size_t close = line.find(']');
    name = Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return true;
}

// Calls `entry`(key, value) for each "key=value" line of the first section named `section`, in
// file order, until it returns false. Values are trimmed, unquoted and cut to the reader's length.
template <typename Entry>
void ForEachIniEntry(std::string_view content, std::string_view section, Entry entry) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) content.remove_prefix(kByteOrderMark.size());
    // 0: before the wanted section, 1: inside it, 2: past it (only its first occurrence counts).
    int state = 0;
    while (!content.empty() && state < 2) {
        std::string_view line = Trim(NextLine(content));
        std::string_view name;
        if (SectionName(line, name)) {
            state = state == 0 && EqualIgnoringAsciiCase(name, Trim(section)) ? 1 : (state == 1 ? 2 : 0);
            continue;
        }
        if (state != 1 || line.empty() || line.front() == ';') continue;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view value = Unquote(Trim(line.substr(equals + 1)));
        if (!entry(Trim(line.substr(0, equals)), value.substr(0, kMaxIniValueLength))) return;
    }
}

std::string ReadWholeFile(const std::string& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return {};
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

}  // namespace

std::string FindIniValue(std::string_view content, std::string_view section, std::string_view key) {
    std::string found;
    ForEachIniEntry(content, section, [&](std::string_view name, std::string_view value) {
        if (!EqualIgnoringAsciiCase(name, Trim(key))) return true;
        found = value;
        return false;
    });
    return found;
}

IniSection FindIniSection(std::string_view content, std::string_view section) {
    IniSection values;
    ForEachIniEntry(content, section, [&](std::string_view name, std::string_view value) {
        values.emplace(LowerCaseAscii(name), std::string(value));  // the first occurrence stays
        return true;
    });
    return values;
}

std::string ReadIniValue(const std::string& file, std::string_view section, std::string_view key) {
    return FindIniValue(ReadWholeFile(file), section, key);
}

IniSection ReadIniSection(const std::string& file, std::string_view section) {
    return FindIniSection(ReadWholeFile(file), section);
}

}  // namespace pellmar
