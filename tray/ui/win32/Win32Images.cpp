// XPM resource text -> pixels -> a 32-bit DIB -> icon or image list.
#include "tray/ui/win32/Win32Images.h"

#include "platform/win32/WideText.h"
#include "tray/ui/Images.h"
#include "tray/ui/XpmImage.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace pellmar::win32ui {
namespace {

std::optional<XpmImage> LoadResourceImage(std::string_view name) {
    HMODULE module = GetModuleHandleW(nullptr);
    const std::wstring wideName = platform::win32::Widen(std::string(name));
    HRSRC resource = FindResourceW(module, wideName.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!resource) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    return DecodeXpmSource(std::string_view(static_cast<const char*>(data), SizeofResource(module, resource)));
}

constexpr std::uint32_t kMagenta = 0xFFFF00FFu;

bool IsKeyedOut(std::uint32_t pixel, std::uint32_t key) { return pixel == kXpmTransparent || pixel == key; }

// A top-down 32-bit DIB section holding the image, black where it is keyed out (as masked
// drawing wants). Without `withAlpha` every alpha byte is 0, so image lists take the pixels as
// plain colour instead of blending them.
HBITMAP MakeBitmap(const XpmImage& image, std::uint32_t key, bool withAlpha) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* target = static_cast<std::uint32_t*>(bits);
    for (std::size_t index = 0; index < image.pixels.size(); ++index) {
        const std::uint32_t pixel = image.pixels[index];  // DIB order is 0xAARRGGBB too
        target[index] = IsKeyedOut(pixel, key) ? 0 : (withAlpha ? pixel : pixel & 0x00FFFFFFu);
    }
    GdiFlush();
    return bitmap;
}

// One bit per pixel, set where the image is keyed out.
HBITMAP MakeMask(const XpmImage& image, std::uint32_t key) {
    const int stride = ((image.width + 15) / 16) * 2;  // monochrome rows are WORD-aligned
    std::vector<BYTE> bits(static_cast<std::size_t>(stride * image.height), 0);
    for (int row = 0; row < image.height; ++row) {
        for (int column = 0; column < image.width; ++column) {
            if (!IsKeyedOut(image.pixels[static_cast<std::size_t>(row * image.width + column)], key)) continue;
            bits[static_cast<std::size_t>(row * stride + column / 8)] |= static_cast<BYTE>(0x80 >> (column % 8));
        }
    }
    return CreateBitmap(image.width, image.height, 1, 1, bits.data());
}

}  // namespace

HICON LoadTrayIcon() {
    const std::optional<XpmImage> image = LoadResourceImage(kTrayIconResource);
    if (!image) return nullptr;
    HBITMAP colour = MakeBitmap(*image, kXpmTransparent, true);
    HBITMAP mask = MakeMask(*image, kXpmTransparent);
    HICON icon = nullptr;
    if (colour && mask) {
        ICONINFO parts{TRUE, 0, 0, mask, colour};
        icon = CreateIconIndirect(&parts);
    }
    if (colour) DeleteObject(colour);
    if (mask) DeleteObject(mask);
    return icon;
}

HIMAGELIST LoadLogImageList() {
    const std::optional<XpmImage> image = LoadResourceImage(kLogImagesResource);
    if (!image || image->height != kLogImageSize || image->width != 3 * kLogImageSize) return nullptr;
    HBITMAP strip = MakeBitmap(*image, kMagenta, false);
    HBITMAP mask = MakeMask(*image, kMagenta);
    HIMAGELIST list = strip && mask ? ImageList_Create(kLogImageSize, kLogImageSize, ILC_COLOR24 | ILC_MASK, 3, 0)
                                    : nullptr;
    if (list && ImageList_Add(list, strip, mask) < 0) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    if (strip) DeleteObject(strip);
    if (mask) DeleteObject(mask);
    return list;
}

}  // namespace pellmar::win32ui
