// The input box and the shell's folder browser.
#include "tray/ui/win32/Win32Prompter.h"

#include "platform/win32/WideText.h"
#include "tray/ui/win32/frmInputBox.h"

#include <objbase.h>
#include <shlobj.h>

namespace pellmar {
namespace {

using platform::win32::Narrow;
using platform::win32::Widen;

// The browser's window exists only from BFFM_INITIALIZED on; the start folder is selected then.
int CALLBACK SelectStartFolder(HWND browser, UINT message, LPARAM, LPARAM startFolder) {
    if (message == BFFM_INITIALIZED && startFolder) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, startFolder);
    return 0;
}

// The shell's browser needs COM on the calling thread; balanced when this call set it up.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

}  // namespace

std::string Win32Prompter::InputBox(const std::string& caption, const std::string& prompt, const std::string& text) {
    InputBoxForm box(owner_);
    return ShowInputBox(box, caption, prompt, text);
}

std::optional<std::string> Win32Prompter::BrowseForFolder(const std::string& initialFolder) {
    const ComScope com;
    const std::wstring start = Widen(initialFolder.empty() ? lastChosen_ : initialFolder);
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW question{};
    question.hwndOwner = owner_;
    question.pszDisplayName = displayName;
    question.ulFlags = BIF_RETURNONLYFSDIRS;
    question.lpfn = &SelectStartFolder;
    question.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&question);
    if (!chosen) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const bool isFolder = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    // A virtual folder (no file-system path) cannot be monitored: treated as no choice.
    if (!isFolder) return std::nullopt;
    lastChosen_ = Narrow(path, wcslen(path));
    return lastChosen_;
}

bool Win32Prompter::Confirm(const std::string& question) {
    return MessageBoxW(owner_, Widen(question).c_str(), L"Pellmar", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace pellmar
