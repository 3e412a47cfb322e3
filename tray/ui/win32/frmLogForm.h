// The event log window as a thin Win32 view: the event list (a virtual list view over the
// presenter's rows, so a month of entries opens fast), the detail pane and "Cancel Operation", at
// a fixed screen position. What each control does is LogFormPresenter's. Main thread; made for
// one showing and destroyed after it.
#pragma once

#include "common/win32/Win32Controls.h"
#include "tray/ui/LogFormPresenter.h"

#include <commctrl.h>

#include <array>
#include <string>

namespace pellmar {

class LogForm final : public LogFormView, private win32ui::FormHandler {
public:
    explicit LogForm(HWND owner);
    ~LogForm() override;
    LogForm(const LogForm&) = delete;
    LogForm& operator=(const LogForm&) = delete;

    // Set once, before the window is shown.
    void SetPresenter(LogFormPresenter* presenter) { presenter_ = presenter; }
    // Loads the list (the presenter's Shown) and shows the window modally until it is closed.
    void ShowModal();

    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    void BeginRowsUpdate() override;
    void EndRowsUpdate() override;
    int SelectedRow() const override;
    void SelectRow(int row) override;
    void ShowDetail(const LogDetail& detail) override;
    void SetCancelVisible(bool visible) override;

    HWND Window() const { return window_; }
    HWND List() const { return list_; }
    HWND CancelOperationButton() const { return cancel_; }
    HWND DescriptionBox() const { return description_; }
    HWND Value(int index) const { return values_.at(static_cast<std::size_t>(index)); }

private:
    void BuildList();
    void BuildDetailPane();
    void FillCell(NMLVDISPINFOW& cell);
    LRESULT Notified(NMHDR& header);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND owner_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND cancel_ = nullptr;
    HWND description_ = nullptr;
    std::array<HWND, 6> values_{};  // date, time, type, operation, source, destination
    LogFormPresenter* presenter_ = nullptr;
    bool closed_ = false;
    std::wstring cellText_;  // the text handed to the list for the cell it asked for last
};

}  // namespace pellmar
