// Run-time library binding through dlopen/dlsym.
// Knows nothing of SQLite beyond its file name; symbol types are the caller's business.
#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace pellmar::platform {

std::unique_ptr<SharedLibrary> SharedLibrary::Load(const std::string& name) {
    if (name.empty()) {
        return nullptr;  // dlopen("") would hand back the main program itself
    }
    // RTLD_LOCAL: the symbols stay out of the global namespace, so a second copy of the same
    // library loaded by someone else cannot be confused with this one.
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
    dlclose(handle_);
}

SymbolAddress SharedLibrary::Symbol(const std::string& name) const {
    return reinterpret_cast<SymbolAddress>(dlsym(handle_, name.c_str()));
}

std::string DefaultSqliteLibraryName() {
    return "libsqlite3.so.0";  // Debian's libsqlite3-0; the unversioned name needs the -dev package
}

}  // namespace pellmar::platform
