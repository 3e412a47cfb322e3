// The built-in key from the hex text the build derives from the key file.
#include "updater/UpdateKey.h"

#ifndef PELLMAR_UPDATE_PUBLIC_KEY_HEX
#define PELLMAR_UPDATE_PUBLIC_KEY_HEX ""
#endif

namespace pellmar {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string BuiltInUpdateKey() {
    const std::string hex = PELLMAR_UPDATE_PUBLIC_KEY_HEX;
    std::string key;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        int high = HexValue(hex[i]);
        int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) return {};
        key.push_back(static_cast<char>(high * 16 + low));
    }
    return key;
}

}  // namespace pellmar
