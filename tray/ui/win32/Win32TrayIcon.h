// The tray icon and its menu ("Configure", "View Log", "Restore...", "Exit") through
// Shell_NotifyIconW, added again whenever the shell broadcasts "TaskbarCreated" (a restarted
// taskbar has forgotten it).
// Commands go to the presenter; its look, tooltip and balloon follow the presenter's TrayLook,
// asked every few seconds. Owns its icon handle and the hidden top-level window that receives
// the icon's mouse messages, its timer and the broadcast. Main thread.
#pragma once

#include "common/win32/Win32Controls.h"
#include "tray/ui/MainFormPresenter.h"

#include <windows.h>

#include <memory>

namespace pellmar {

class Win32TrayIcon final : private win32ui::FormHandler {
public:
    enum Command : UINT { kConfigure = 1, kViewLog, kExit, kRestore };
    // The message the icon's mouse messages arrive with (lParam: the mouse message).
    static constexpr UINT kIconMessage = WM_APP + 10;

    // `configurationWindow` is brought to the front by every click when shown. The icon handle
    // becomes the tray icon's. nullptr when its window cannot be made.
    static std::unique_ptr<Win32TrayIcon> Create(HWND configurationWindow, MainFormPresenter& presenter, HICON icon);
    ~Win32TrayIcon();
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    // False when the shell has no tray to add the icon to (the presenter shows the window then).
    bool Show();
    void Remove();
    bool Shown() const { return added_; }

    // The command chosen in the menu, as if it had been chosen.
    void RunCommand(UINT command);
    HWND MessageWindow() const { return window_; }
    HMENU Menu() const { return menu_; }

private:
    Win32TrayIcon(HWND configurationWindow, MainFormPresenter& presenter, HICON icon);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Add();
    void HandleMouse(UINT mouseMessage);
    void TaskbarCreated();
    void RefreshLook();
    HICON ShownIcon() const;

    HWND configurationWindow_;
    MainFormPresenter& presenter_;
    HICON icon_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool wanted_ = false;
    bool added_ = false;
    bool attention_ = false;
};

}  // namespace pellmar
