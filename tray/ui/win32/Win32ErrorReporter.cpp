// The Win32 error box. Task-modal without an owner: every window of the main thread is disabled
// while it is open, whichever of them (if any) is shown.
#include "tray/ui/win32/Win32ErrorReporter.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace pellmar {
namespace {

void ShowErrorBox(const std::string& caption, const std::string& text) {
    using platform::win32::Widen;
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

Win32ErrorReporter::Win32ErrorReporter(platform::Dispatcher& dispatcher) : MainThreadErrorReporter(dispatcher, ShowErrorBox) {}

}  // namespace pellmar
