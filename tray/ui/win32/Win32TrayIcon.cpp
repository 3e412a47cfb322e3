// The tray icon. The broadcast reaches top-level windows only, hence a hidden top-level window
// rather than a message-only one. The menu follows the shell's rules for tray menus: its owner
// comes to the foreground first and gets a null message afterwards, or the menu would not close
// when the user clicks elsewhere.
#include "tray/ui/win32/Win32TrayIcon.h"

#include "platform/win32/WideText.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cwchar>

namespace pellmar {
namespace {

constexpr UINT kIconId = 1;
constexpr UINT_PTR kLookTimer = 1;
constexpr UINT kLookMilliseconds = 2000;

// Into a fixed field of the shell's structure, cut to fit: the shell shows no more anyway.
template <std::size_t N>
void CopyCut(wchar_t (&field)[N], const std::string& text) {
    const std::wstring wide = platform::win32::Widen(text);
    const std::size_t length = std::min(wide.size(), N - 1);
    std::wmemcpy(field, wide.data(), length);
    field[length] = L'\0';
}

NOTIFYICONDATAW IconData(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = kIconId;
    return data;
}

}  // namespace

std::unique_ptr<Win32TrayIcon> Win32TrayIcon::Create(HWND configurationWindow, MainFormPresenter& presenter, HICON icon) {
    std::unique_ptr<Win32TrayIcon> tray(new Win32TrayIcon(configurationWindow, presenter, icon));
    win32ui::FormFrame frame;
    frame.style = WS_POPUP;
    frame.exStyle = WS_EX_TOOLWINDOW;
    tray->window_ = win32ui::CreateForm(frame, *tray);
    if (!tray->window_) return nullptr;
    SetTimer(tray->window_, kLookTimer, kLookMilliseconds, nullptr);
    return tray;
}

Win32TrayIcon::Win32TrayIcon(HWND configurationWindow, MainFormPresenter& presenter, HICON icon)
    : configurationWindow_(configurationWindow), presenter_(presenter), icon_(icon),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    menu_ = CreatePopupMenu();
    AppendMenuW(menu_, MF_STRING, kConfigure, L"Configure");
    AppendMenuW(menu_, MF_STRING, kViewLog, L"View Log");
    AppendMenuW(menu_, MF_STRING, kRestore, L"Restore...");
    AppendMenuW(menu_, MF_STRING, kExit, L"Exit");
}

Win32TrayIcon::~Win32TrayIcon() {
    Remove();
    if (window_) KillTimer(window_, kLookTimer);
    if (window_) win32ui::DestroyForm(window_);
    DestroyMenu(menu_);
    if (icon_) DestroyIcon(icon_);
}

// The shell also broadcasts "TaskbarCreated" to a taskbar that still shows the icon (after a
// display change, for one); adding it again fails there, and updating it says it is still shown.
bool Win32TrayIcon::Add() {
    NOTIFYICONDATAW data = IconData(window_);
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = kIconMessage;
    data.hIcon = ShownIcon();
    return Shell_NotifyIconW(NIM_ADD, &data) != FALSE || Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool Win32TrayIcon::Show() {
    wanted_ = true;
    if (!added_) added_ = Add();
    return added_;
}

void Win32TrayIcon::Remove() {
    wanted_ = false;
    if (!added_) return;
    NOTIFYICONDATAW data = IconData(window_);
    Shell_NotifyIconW(NIM_DELETE, &data);
    added_ = false;
}

void Win32TrayIcon::TaskbarCreated() {
    if (!wanted_) return;
    const bool before = added_;
    added_ = Add();
    if (added_ != before) presenter_.TrayAvailabilityChanged(added_);
}

// The system's own warning icon (IDI_WARNING, spelled wide whatever UNICODE says) needs no freeing.
HICON Win32TrayIcon::ShownIcon() const { return attention_ ? LoadIconW(nullptr, MAKEINTRESOURCEW(32515)) : icon_; }

void Win32TrayIcon::RefreshLook() {
    const TrayLook look = presenter_.RefreshTray(std::chrono::steady_clock::now());
    attention_ = look.attention;
    if (!added_) return;
    NOTIFYICONDATAW data = IconData(window_);
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = ShownIcon();
    CopyCut(data.szTip, look.tooltip);
    if (look.notice) {
        data.uFlags |= NIF_INFO;
        data.dwInfoFlags = NIIF_WARNING;
        CopyCut(data.szInfoTitle, look.notice->title);
        CopyCut(data.szInfo, look.notice->text);
    }
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32TrayIcon::RunCommand(UINT command) {
    switch (command) {
    case kConfigure: presenter_.Configure(); break;
    case kViewLog: presenter_.ViewLog(); break;
    case kRestore: presenter_.Restore(); break;
    case kExit: presenter_.Exit(); break;
    default: break;
    }
}

// Every mouse message first brings a shown window to the front; a hidden one stays hidden.
void Win32TrayIcon::HandleMouse(UINT mouseMessage) {
    if (IsWindowVisible(configurationWindow_)) SetForegroundWindow(configurationWindow_);
    if (mouseMessage != WM_RBUTTONUP) return;
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(window_);
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
    RunCommand(command);
}

LRESULT Win32TrayIcon::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kIconMessage) {
        HandleMouse(static_cast<UINT>(LOWORD(lParam)));
        return 0;
    }
    if (message == WM_TIMER && wParam == kLookTimer) {
        RefreshLook();
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        TaskbarCreated();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pellmar
