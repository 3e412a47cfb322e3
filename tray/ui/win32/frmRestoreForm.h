// The restore window as a thin Win32 view: the monitor choice, the folder tree, the kept copies,
// the point in time (a date-time picker), a text preview and the buttons, laid out as the other
// windows are. Images are not drawn: the pane says so. What each control does is
// RestoreFormPresenter's. Main thread; made for one showing and destroyed after it.
#pragma once

#include "common/win32/Win32Controls.h"
#include "tray/ui/RestoreFormPresenter.h"

#include <commctrl.h>

#include <vector>

namespace pellmar {

class RestoreForm final : public RestoreFormView, private win32ui::FormHandler {
public:
    explicit RestoreForm(HWND owner);
    ~RestoreForm() override;
    RestoreForm(const RestoreForm&) = delete;
    RestoreForm& operator=(const RestoreForm&) = delete;

    void SetPresenter(RestoreFormPresenter* presenter) { presenter_ = presenter; }
    // Fills the window for `monitor` (the presenter's Shown) and shows it modally until it is closed.
    void ShowModal(MonitorId monitor);

    void ShowMonitors(const std::vector<std::string>& folders, int selected) override;
    void ShowTree(const std::vector<RestoreTreeNode>& nodes) override;
    int SelectedNode() const override;
    void SelectNode(int node) override;
    void ShowCopies(const std::vector<RestoreCopyRow>& rows) override;
    int SelectedCopy() const override;
    void SelectCopy(int row) override;
    void ShowPreview(const RestorePreview& preview) override;
    DateTime PointInTime() const override;
    void SetPointInTime(DateTime at) override;
    void SetPointInTimeEnabled(bool enabled) override;
    void SetRestoreEnabled(bool enabled) override;
    void SetRunning(bool running) override;
    void ShowStatus(const std::string& text) override;

    HWND Window() const { return window_; }
    HWND MonitorChoice() const { return monitors_; }
    HWND Tree() const { return tree_; }
    HWND Copies() const { return copies_; }
    HWND At() const { return at_; }
    HWND Preview() const { return preview_; }
    HWND Status() const { return status_; }
    HWND RestoreButton() const { return restore_; }

private:
    void BuildLists();
    void BuildButtons();
    LRESULT Notified(NMHDR& header);
    void Commanded(WPARAM wParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND owner_;
    HWND window_ = nullptr;
    HWND monitors_ = nullptr;
    HWND tree_ = nullptr;
    HWND copies_ = nullptr;
    HWND at_ = nullptr;
    HWND preview_ = nullptr;
    HWND status_ = nullptr;
    HWND restore_ = nullptr;
    HWND restoreTo_ = nullptr;
    HWND cancel_ = nullptr;
    HWND close_ = nullptr;
    std::vector<HTREEITEM> nodes_;
    RestoreFormPresenter* presenter_ = nullptr;
    bool filling_ = false;  // the presenter's own changes are not the user's choices
    bool running_ = false;
    bool closed_ = false;
};

}  // namespace pellmar
