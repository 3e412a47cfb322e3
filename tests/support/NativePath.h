// Test paths written with "/" in the platform's own form, so portable tests state what the
// platform produces ("\" on Windows) without a conditional of their own.
#pragma once

#include <algorithm>
#include <string>

#include "platform/Environment.h"

namespace pellmar::test {

inline std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', platform::PathDelimiter());
    return path;
}

// Whether the platform's names are POSIX ones: "/" the only delimiter, ":" an ordinary character.
inline bool PosixNames() { return platform::PathDelimiter() == '/'; }

}  // namespace pellmar::test
