// The wide command line split by CommandLineToArgvW (the C runtime's own rules) and narrowed to
// UTF-8 item by item.
#include "platform/ProgramArguments.h"

#include "platform/win32/WideText.h"

#include <windows.h>
#include <shellapi.h>

namespace pellmar::platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** items = CommandLineToArgvW(GetCommandLineW(), &count);
    // Only without memory for the split: the runtime's ANSI items are still better than none.
    if (items == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) arguments.push_back(win32::Narrow(items[i]));
    LocalFree(items);
    return arguments;
}

}  // namespace pellmar::platform
