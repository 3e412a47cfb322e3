// The event log window's controls. The list holds no rows of its own: it asks for each visible
// cell (LVN_GETDISPINFO) and the presenter's LogListModel answers.
#include "tray/ui/win32/frmLogForm.h"

#include "tray/ui/win32/ReportList.h"

#include "tray/ui/LogFormLayout.h"

#include "platform/win32/WideText.h"
#include "tray/ui/win32/Win32Images.h"

#include <commctrl.h>

namespace pellmar {
namespace {

using win32ui::AddControl;
using win32ui::kDefaultSize;

constexpr int kListId = 2001;
constexpr int kCancelId = 2002;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr int kFont = 10;
constexpr int kPaneFont = 11;  // the window's default font, for the pane's controls without a stated one

}  // namespace

LogForm::LogForm(HWND owner) : owner_(owner) {
    win32ui::FormFrame frame;
    frame.caption = "Pellmar Event Log";
    frame.clientWidth = 593;
    frame.clientHeight = 527;
    frame.left = 436;
    frame.top = 209;
    frame.owner = owner;
    window_ = win32ui::CreateForm(frame, *this);
    if (!window_) return;
    SetTimer(window_, kRefreshTimer, kLogRefreshMilliseconds, nullptr);
    BuildList();
    AddControl(window_, L"BUTTON", "&Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 520, 496, kDefaultSize, kDefaultSize, IDOK,
               kFont);
    BuildDetailPane();
}

LogForm::~LogForm() { win32ui::DestroyForm(window_); }

void LogForm::BuildList() {
    list_ = AddControl(window_, WC_LISTVIEWW, "",
                       LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER, 0, 0,
                       593, 279, kListId, kPaneFont);
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_FLATSB;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    // Without LVS_SHAREIMAGELISTS the list destroys the image list with itself.
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(win32ui::LoadLogImageList()));
    for (std::size_t index = 0; index < kLogColumns.size(); ++index) {
        std::wstring caption = platform::win32::Widen(kLogColumns[index].caption);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = kLogColumns[index].width;
        column.pszText = caption.data();
        SendMessageW(list_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
}

void LogForm::BuildDetailPane() {
    HWND group = win32ui::AddGroupBox(window_, "Event Detail ", 4, 284, 585, 205, 8);
    cancel_ = AddControl(group, L"BUTTON", "Cancel &Operation", BS_PUSHBUTTON | WS_TABSTOP, 472, 16, 101, kDefaultSize,
                         kCancelId, kPaneFont);
    ShowWindow(cancel_, SW_HIDE);
    for (std::size_t line = 0; line < kLogDetailLines.size(); ++line) {
        const LogDetailLine& detail = kLogDetailLines[line];
        AddControl(group, L"STATIC", detail.name, SS_NOPREFIX, detail.left, detail.top, kDefaultSize, kDefaultSize, 0,
                   kPaneFont, true);
        values_[line] = AddControl(group, L"STATIC", "", SS_NOPREFIX, detail.valueLeft, detail.top, kDefaultSize,
                                   kDefaultSize, 0, kPaneFont);
    }
    AddControl(group, L"STATIC", "Description:", SS_NOPREFIX, 8, 108, kDefaultSize, 13, 0, kPaneFont, true);
    description_ = AddControl(group, L"EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 124, 569, 73, 0,
                              kPaneFont);
}

void LogForm::ShowModal() {
    if (!window_) return;
    if (presenter_) presenter_->Shown();
    win32ui::RunModal(window_, owner_, [this] { return closed_; });
}

std::string LogForm::Caption() const { return win32ui::ControlText(window_); }
void LogForm::SetCaption(const std::string& caption) { win32ui::SetControlText(window_, caption); }
void LogForm::BeginRowsUpdate() { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }

void LogForm::EndRowsUpdate() {
    const int count = presenter_ ? presenter_->Rows().Count() : 0;
    // A new count drops the old selection: the rows behind it are gone.
    LVITEMW unselected{};
    unselected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&unselected));
    SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

int LogForm::SelectedRow() const { return win32ui::SelectedListRow(list_); }

void LogForm::SelectRow(int row) { win32ui::SelectListRow(list_, row); }

void LogForm::ShowDetail(const LogDetail& detail) {
    const std::array<const std::string*, 6> texts{&detail.date, &detail.time, &detail.type, &detail.operation,
                                                  &detail.source, &detail.destination};
    for (std::size_t line = 0; line < texts.size(); ++line) {
        win32ui::SetControlText(values_[line], *texts[line]);
        win32ui::FitToText(values_[line]);
    }
    win32ui::SetControlText(description_, detail.description);
}

void LogForm::SetCancelVisible(bool visible) { ShowWindow(cancel_, visible ? SW_SHOW : SW_HIDE); }

void LogForm::FillCell(NMLVDISPINFOW& cell) {
    LVITEMW& item = cell.item;
    if (!presenter_ || item.iItem < 0 || item.iItem >= presenter_->Rows().Count()) return;
    const LogListRow& row = presenter_->Rows().Row(item.iItem);
    if (item.mask & LVIF_TEXT) {
        cellText_ = platform::win32::Widen(LogColumnText(row, item.iSubItem));
        item.pszText = cellText_.data();
    }
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) item.iImage = row.image >= 0 ? row.image : I_IMAGENONE;
}

LRESULT LogForm::Notified(NMHDR& header) {
    if (header.idFrom != kListId) return 0;
    if (header.code == LVN_GETDISPINFOW) {
        FillCell(*reinterpret_cast<NMLVDISPINFOW*>(&header));
    } else if ((header.code == NM_CLICK || header.code == NM_RCLICK) && presenter_) {
        presenter_->ListClicked();
    } else if (header.code == LVN_ITEMCHANGED && presenter_ &&
               win32ui::SelectionChanged(reinterpret_cast<const NMLISTVIEW&>(header))) {
        // The arrow keys move the selection too; the pane must follow it, not only clicks.
        presenter_->ListClicked();
    }
    return 0;
}

LRESULT LogForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY:
        return Notified(*reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == kCancelId && presenter_) presenter_->CancelOperation();
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) closed_ = true;
        return 0;
    case WM_CLOSE:
        closed_ = true;
        return 0;
    case WM_TIMER:
        if (wParam == kRefreshTimer && presenter_ && IsWindowVisible(window_)) presenter_->Refresh();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace pellmar
