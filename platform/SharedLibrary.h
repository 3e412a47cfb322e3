// A shared library loaded at run time and the addresses of its exported functions.
// Knows nothing of what the library is for; callers cast the addresses to their own types.
// One object may be used from any thread; unloading happens once, when the object goes.
#pragma once

#include <memory>
#include <string>

namespace pellmar::platform {

// A generic function address; cast it to the real signature before calling.
using SymbolAddress = void (*)();

class SharedLibrary {
public:
    // nullptr when the library cannot be found or loaded; never throws, never reports.
    static std::unique_ptr<SharedLibrary> Load(const std::string& name);

    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // nullptr when the library exports no function of that name.
    SymbolAddress Symbol(const std::string& name) const;

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

// The file name under which this OS ships the SQLite 3 library ("libsqlite3.so.0" on Linux).
std::string DefaultSqliteLibraryName();

}  // namespace pellmar::platform
