// The configuration window as a thin Win32 view: tab pages, the monitor list (a report-view list
// view), its details pane, buttons, the list menu and the autostart checkbox, at fixed pixel
// positions. What each control does is MainFormPresenter's. Owns its windows, menu and cursors.
// Main thread.
#pragma once

#include "common/win32/Win32Controls.h"
#include "tray/ui/MainFormPresenter.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace pellmar::win32ui {

class MainForm final : public MainFormView, private FormHandler {
public:
    enum ControlId : int {
        kTabs = 100, kList, kAdd, kEdit, kDelete, kAutostart, kApply, kViewLog, kExit, kEnable, kDisable, kRestore
    };
    static constexpr const char* kCaption = "Pellmar Configuration";

    // nullptr when the window cannot be made (no desktop). The window starts hidden.
    static std::unique_ptr<MainForm> Create();
    ~MainForm() override;
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Set once, before the presenter's Construct.
    void SetPresenter(MainFormPresenter* presenter) { presenter_ = presenter; }
    // Runs when the window has accepted its close (the program is exiting).
    void SetOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

    void BeginListUpdate() override;
    void EndListUpdate() override;
    void AppendRow(const MonitorRowTexts& row) override;
    void SetRow(int index, const MonitorRowTexts& row) override;
    void RemoveRow(int index) override;
    int SelectedRow() const override;
    void SelectRow(int index) override;
    void ShowDetails(const MonitorDetails& details) override;
    void SetEditEnabled(bool enabled) override;
    void SetDeleteEnabled(bool enabled) override;
    void SetApplyEnabled(bool enabled) override;
    bool AutostartChecked() const override;
    void SetAutostartChecked(bool checked) override;
    void SetWaitCursor(bool wait) override;
    void CentreOnScreen() override;
    void ShowAndActivate() override;
    void HideWindow() override;
    void MinimiseWindow() override;
    void SetWindowCommandsVisible(bool visible) override;
    void PostClose() override;

    // The message a second copy of the program sends to have this window shown.
    static UINT ShowRequestMessage();

    HWND Window() const { return window_; }
    HWND Tabs() const { return tabs_; }
    HWND List() const { return list_; }
    // The control with this id on the window or one of its pages.
    HWND Control(int id) const;
    // The details pane's value labels, in MonitorDetails order.
    HWND DetailValue(int index) const { return values_[static_cast<std::size_t>(index)]; }
    // Its tooltip: the whole value where the label shows it shortened, else empty.
    std::string ValueTip(int index) const;
    HWND ValueTips() const { return valueTips_; }

private:
    MainForm() = default;
    bool Build();
    HWND AddPage(const RECT& place);
    void BuildMonitorPage(HWND page);
    void BuildDetails(HWND group);
    void BuildPreferencesPage(HWND page);
    void ShowPage(int index);
    void WriteRowTexts(int index, const MonitorRowTexts& row);
    void Command(int id);
    void Notified(const NMHDR& header);
    void FillInfoTip(NMLVGETINFOTIPW& request) const;
    void ListClicked(bool rightButton);
    void HandleClose();
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    MainFormPresenter* presenter_ = nullptr;
    std::function<void()> onClosed_;
    bool closed_ = false;
    HWND window_ = nullptr;
    HWND tabs_ = nullptr;
    std::array<HWND, 2> pages_{};
    HWND list_ = nullptr;
    HWND autostart_ = nullptr;
    HMENU listMenu_ = nullptr;
    HCURSOR waitCursor_ = nullptr;
    HCURSOR arrowCursor_ = nullptr;
    std::vector<MonitorRowTexts> rows_;  // as shown, for the cells' tooltips
    std::array<HWND, 9> values_{};
    HWND valueTips_ = nullptr;
};

}  // namespace pellmar::win32ui
