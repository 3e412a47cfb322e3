// Stands in for a program that another one starts: writes the command line it was given, as
// UTF-8, to command-line.txt beside itself and ends with exit code 0.
#include "platform/win32/WideText.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

int main() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::ofstream out(std::filesystem::path(self).parent_path() / "command-line.txt", std::ios::binary);
    out << pellmar::platform::win32::Narrow(GetCommandLineW());
    return out ? 0 : 1;
}
