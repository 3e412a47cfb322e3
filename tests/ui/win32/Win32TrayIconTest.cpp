// The Win32 tray icon with the real presenter: the icon is added to the shell's tray, stays there
// when the shell announces a new taskbar ("TaskbarCreated"), goes with Remove, and its menu's
// commands reach the presenter.
#include "tests/ui/FakeMainForm.h"
#include "tests/ui/win32/Win32MessagePump.h"
#include "tray/ui/win32/Win32Images.h"
#include "tray/ui/win32/Win32TrayIcon.h"

#include <gtest/gtest.h>

namespace pellmar::test {
namespace {

TEST(Win32TrayIconTest, AddedToTheTrayAgainOnTaskbarCreatedAndItsMenuReachesThePresenter) {
    std::vector<std::string> log;
    FakeMainForm view(log);
    FakeServices services(log);
    FakeSession session(log);
    MainFormPresenter presenter(view, services, session);
    presenter.Construct(true);
    HWND window = CreateWindowExW(0, L"STATIC", L"Configuration", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    std::unique_ptr<Win32TrayIcon> tray = Win32TrayIcon::Create(window, presenter, win32ui::LoadTrayIcon());
    ASSERT_NE(tray, nullptr);
    ASSERT_TRUE(tray->Show());
    EXPECT_EQ(GetMenuItemCount(tray->Menu()), 4);
    wchar_t text[32] = {};
    GetMenuStringW(tray->Menu(), 2, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Restore...");
    GetMenuStringW(tray->Menu(), 3, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Exit");

    // A restarted shell, or one that only says so: either way the icon is there afterwards.
    SendMessageW(tray->MessageWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray->Shown());
    EXPECT_FALSE(view.windowCommands);  // the presenter was not told the tray went away

    // A left click brings nothing up while the window is hidden.
    SendMessageW(tray->MessageWindow(), Win32TrayIcon::kIconMessage, 0, WM_LBUTTONUP);
    EXPECT_FALSE(view.visible);
    tray->RunCommand(Win32TrayIcon::kConfigure);
    EXPECT_TRUE(view.visible);
    tray->RunCommand(Win32TrayIcon::kViewLog);
    EXPECT_EQ(services.logWindows, 1);
    tray->RunCommand(Win32TrayIcon::kRestore);
    EXPECT_EQ(services.restoreWindows, std::vector<MonitorId>{0});
    tray->RunCommand(Win32TrayIcon::kExit);
    EXPECT_TRUE(presenter.Exiting());

    tray->Remove();
    EXPECT_FALSE(tray->Shown());
    // Removed for good: a later announcement of a new taskbar does not bring it back.
    SendMessageW(tray->MessageWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(tray->Shown());
    tray.reset();
    DestroyWindow(window);
}

}  // namespace
}  // namespace pellmar::test
