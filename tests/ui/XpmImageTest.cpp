// The XPM decoder on the drawn images as compiled in and as the Windows resources carry them (the
// files' C text), and on damaged input, which must fail rather than yield a partial image.
#include "tray/ui/Images.h"
#include "tray/ui/XpmImage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace pellmar::test {
namespace {

std::string ReadImageFile(const std::string& name) {
    std::ifstream file(std::string(PELLMAR_IMAGES_DIR) + "/" + name + ".xpm", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::uint32_t PixelAt(const XpmImage& image, int x, int y) {
    return image.pixels.at(static_cast<std::size_t>(y * image.width + x));
}

TEST(XpmImageTest, LogStripDecodesWithItsMagentaAndColours) {
    const auto image = DecodeXpm(FindImageResource(kLogImagesResource));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3 * kLogImageSize);
    EXPECT_EQ(image->height, kLogImageSize);
    ASSERT_EQ(image->pixels.size(), 48u * 16u);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0xFFFF00FFu);   // magenta, opaque: the views key it out
    EXPECT_EQ(PixelAt(*image, 5, 1), 0xFF1B4A96u);   // the information image's rim
    EXPECT_EQ(PixelAt(*image, 37, 1), 0xFF8E1E16u);  // the error image's rim
}

TEST(XpmImageTest, FileTextAsResourcesCarryItDecodesLikeTheCompiledImage) {
    for (const std::string_view name : {kTrayIconResource, kLogImagesResource}) {
        const auto fromFile = DecodeXpmSource(ReadImageFile(std::string(name)));
        const auto compiled = DecodeXpm(FindImageResource(name));
        ASSERT_TRUE(fromFile) << name;
        ASSERT_TRUE(compiled) << name;
        EXPECT_EQ(fromFile->pixels, compiled->pixels) << name;
        EXPECT_EQ(fromFile->width, compiled->width) << name;
    }
}

TEST(XpmImageTest, TrayIconKeepsItsTransparentCorner) {
    const auto image = DecodeXpm(FindImageResource(kTrayIconResource));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), kXpmTransparent);
    EXPECT_EQ(PixelAt(*image, 1, 1), 0xFF606870u);
}

TEST(XpmImageTest, DamagedImagesAreRejected) {
    const std::vector<std::string> good{"2 2 2 1", "a c #000000", "b c None", "ab", "ba"};
    ASSERT_TRUE(DecodeXpm(good));
    auto damaged = good;
    damaged[4] = "b";  // short row
    EXPECT_FALSE(DecodeXpm(damaged));
    damaged = good;
    damaged[3] = "ax";  // key without a colour
    EXPECT_FALSE(DecodeXpm(damaged));
    damaged = good;
    damaged[1] = "a c red";  // colour names are not understood
    EXPECT_FALSE(DecodeXpm(damaged));
    EXPECT_FALSE(DecodeXpm(std::vector<std::string>(good.begin(), good.end() - 1)));  // a row missing
    EXPECT_FALSE(DecodeXpm(std::vector<std::string>{"0 2 2 1"}));
    EXPECT_FALSE(DecodeXpmSource("static char* x[] = { \"2 2 2 1\", \"a c #000000\" /* unterminated"));
}

}  // namespace
}  // namespace pellmar::test
