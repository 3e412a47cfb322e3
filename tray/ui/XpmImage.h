// Decoding of the drawn images (XPM: a header line, one line per colour key, one line per pixel
// row) into 32-bit pixels, for views whose toolkit cannot read XPM itself. Only the forms the
// images use are understood: "c #RRGGBB" colours and "c None" for transparency. No toolkit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

struct XpmImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, rows top to bottom; alpha 0 or 255
};

inline constexpr std::uint32_t kXpmTransparent = 0;

// Nothing when the lines do not form a complete image of the understood kind.
std::optional<XpmImage> DecodeXpm(const std::vector<std::string>& lines);
// The same from the XPM file's C text (the quoted strings, comments skipped), as resources hold it.
std::optional<XpmImage> DecodeXpmSource(std::string_view source);
// The lines of an image compiled in (FindImageResource), which end after height + colours rows.
std::optional<XpmImage> DecodeXpm(const char* const* lines);

}  // namespace pellmar
