// Wine's ntdll exports its version query; Windows' does not.
#include "tests/support/Wine.h"

#include <windows.h>

namespace pellmar::test {

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace pellmar::test
