// A small XPM reader: enough for the images under tray/ui/images, strict about everything else so
// that a damaged resource fails to load instead of showing garbage.
#include "tray/ui/XpmImage.h"

#include <charconv>
#include <map>
#include <sstream>

namespace pellmar {
namespace {

struct XpmHeader {
    int width = 0;
    int height = 0;
    int colours = 0;
    int keyLength = 0;
};

constexpr int kMaxSide = 1024;

std::optional<XpmHeader> ParseHeader(const std::string& line) {
    std::istringstream fields(line);
    XpmHeader header;
    if (!(fields >> header.width >> header.height >> header.colours >> header.keyLength)) return std::nullopt;
    const bool sane = header.width > 0 && header.height > 0 && header.width <= kMaxSide && header.height <= kMaxSide &&
                      header.colours > 0 && header.keyLength > 0 && header.keyLength <= 4;
    if (!sane) return std::nullopt;
    return header;
}

std::optional<std::uint32_t> ParseColour(std::string_view value) {
    if (value == "None" || value == "none") return kXpmTransparent;
    if (value.size() != 7 || value[0] != '#') return std::nullopt;
    std::uint32_t rgb = 0;
    const auto [end, error] = std::from_chars(value.data() + 1, value.data() + value.size(), rgb, 16);
    if (error != std::errc{} || end != value.data() + value.size()) return std::nullopt;
    return 0xFF000000u | rgb;
}

// A colour line: the key (keyLength characters, blanks allowed), then "c <colour>".
bool ParseColourLine(const std::string& line, int keyLength, std::map<std::string, std::uint32_t>& colours) {
    if (static_cast<int>(line.size()) <= keyLength) return false;
    std::istringstream fields(line.substr(static_cast<std::size_t>(keyLength)));
    std::string kind;
    std::string value;
    if (!(fields >> kind >> value) || kind != "c") return false;
    const std::optional<std::uint32_t> colour = ParseColour(value);
    if (!colour) return false;
    colours[line.substr(0, static_cast<std::size_t>(keyLength))] = *colour;
    return true;
}

}  // namespace

std::optional<XpmImage> DecodeXpm(const std::vector<std::string>& lines) {
    if (lines.empty()) return std::nullopt;
    const std::optional<XpmHeader> header = ParseHeader(lines[0]);
    if (!header || static_cast<int>(lines.size()) < 1 + header->colours + header->height) return std::nullopt;
    std::map<std::string, std::uint32_t> colours;
    for (int index = 0; index < header->colours; ++index) {
        if (!ParseColourLine(lines[static_cast<std::size_t>(1 + index)], header->keyLength, colours)) return std::nullopt;
    }
    XpmImage image{header->width, header->height, {}};
    image.pixels.reserve(static_cast<std::size_t>(header->width) * static_cast<std::size_t>(header->height));
    const auto keyLength = static_cast<std::size_t>(header->keyLength);
    for (int row = 0; row < header->height; ++row) {
        const std::string& pixels = lines[static_cast<std::size_t>(1 + header->colours + row)];
        if (pixels.size() != keyLength * static_cast<std::size_t>(header->width)) return std::nullopt;
        for (std::size_t at = 0; at < pixels.size(); at += keyLength) {
            const auto colour = colours.find(pixels.substr(at, keyLength));
            if (colour == colours.end()) return std::nullopt;
            image.pixels.push_back(colour->second);
        }
    }
    return image;
}

std::optional<XpmImage> DecodeXpm(const char* const* lines) {
    if (!lines || !lines[0]) return std::nullopt;
    const std::optional<XpmHeader> header = ParseHeader(lines[0]);
    if (!header) return std::nullopt;
    std::vector<std::string> copied;
    for (int index = 0; index < 1 + header->colours + header->height; ++index) copied.emplace_back(lines[index]);
    return DecodeXpm(copied);
}

std::optional<XpmImage> DecodeXpmSource(std::string_view source) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < source.size()) {
        if (source.compare(at, 2, "/*") == 0) {
            const std::size_t end = source.find("*/", at + 2);
            if (end == std::string_view::npos) return std::nullopt;
            at = end + 2;
        } else if (source[at] == '"') {
            const std::size_t end = source.find('"', at + 1);
            if (end == std::string_view::npos) return std::nullopt;
            lines.emplace_back(source.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            ++at;
        }
    }
    return DecodeXpm(lines);
}

}  // namespace pellmar
