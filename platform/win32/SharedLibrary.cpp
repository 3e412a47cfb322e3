// Run-time library binding through LoadLibraryW/GetProcAddress.
// Knows nothing of SQLite beyond its file name; symbol types are the caller's business.
#include "platform/SharedLibrary.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace pellmar::platform {

std::unique_ptr<SharedLibrary> SharedLibrary::Load(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    // No error dialog for a missing library: absence is an expected, silent outcome.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(win32::Widen(name).c_str());
    SetErrorMode(previous);
    if (module == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(reinterpret_cast<void*>(module)));
}

SharedLibrary::~SharedLibrary() {
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
}

SymbolAddress SharedLibrary::Symbol(const std::string& name) const {
    return reinterpret_cast<SymbolAddress>(
        GetProcAddress(reinterpret_cast<HMODULE>(handle_), name.c_str()));
}

std::string DefaultSqliteLibraryName() {
    return "sqlite3.dll";
}

}  // namespace pellmar::platform
