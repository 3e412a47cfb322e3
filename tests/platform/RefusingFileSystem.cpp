// The interposed rename and mkdir behind RefusingFileSystem. They are defined in the test program,
// so the platform layer linked into it calls them; the C library's own are reached by RTLD_NEXT.
#include "tests/platform/RefusingFileSystem.h"

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <mutex>
#include <string_view>
#include <sys/stat.h>

namespace pellmar::test {
namespace {

std::mutex mutex;
std::string refusingFolder;

bool Refused(const char* path) {
    std::lock_guard lock(mutex);
    if (refusingFolder.empty()) return false;
    std::string_view text(path);
    if (!text.starts_with(refusingFolder + "/")) return false;
    std::string_view name = text.substr(text.rfind('/') + 1);
    return name.find_first_of(":?*\"<>|\\") != std::string_view::npos;
}

template <typename Function>
Function Next(const char* symbol) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, symbol));
}

}  // namespace

RefusingFileSystem::RefusingFileSystem(const std::string& folder) {
    std::lock_guard lock(mutex);
    refusingFolder = folder;
}

RefusingFileSystem::~RefusingFileSystem() {
    std::lock_guard lock(mutex);
    refusingFolder.clear();
}

}  // namespace pellmar::test

extern "C" int rename(const char* from, const char* to) noexcept {
    static const auto next = pellmar::test::Next<int (*)(const char*, const char*)>("rename");
    if (pellmar::test::Refused(to)) {
        errno = EINVAL;
        return -1;
    }
    return next(from, to);
}

extern "C" int mkdir(const char* path, mode_t mode) noexcept {
    static const auto next = pellmar::test::Next<int (*)(const char*, mode_t)>("mkdir");
    if (pellmar::test::Refused(path)) {
        errno = EINVAL;
        return -1;
    }
    return next(path, mode);
}
