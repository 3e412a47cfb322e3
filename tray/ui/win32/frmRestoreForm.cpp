// The restore window's controls. Tree items carry their node's index, so a selection is told back
// to the presenter by number whatever order the tree sorts them in.
#include "tray/ui/win32/frmRestoreForm.h"

#include "platform/win32/WideText.h"
#include "tray/ui/win32/ReportList.h"

namespace pellmar {
namespace {

using platform::win32::Widen;
using win32ui::AddControl;

enum : int { kMonitorsId = 3001, kTreeId, kCopiesId, kAtId, kRestoreId, kRestoreToId, kCancelId };
constexpr int kFont = 11;
constexpr int kButtonFont = 10;

HWND Add(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style, const RestoreBox& box, int id,
         int font = kFont, bool bold = false) {
    return AddControl(parent, windowClass, text, style, box.left, box.top, box.width, box.height, id, font, bold);
}

// A multi-line edit control breaks lines at "\r\n" only.
std::wstring WithCrLf(const std::string& text) {
    std::wstring wide = Widen(text), out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) out += L'\r';
        out += wide[i];
    }
    return out;
}

}  // namespace

RestoreForm::RestoreForm(HWND owner) : owner_(owner) {
    win32ui::FormFrame frame;
    frame.caption = "Pellmar Restore";
    frame.clientWidth = kRestoreWidth;
    frame.clientHeight = kRestoreHeight;
    frame.owner = owner;
    window_ = win32ui::CreateForm(frame, *this);
    if (!window_) return;
    Add(window_, L"STATIC", "&Monitor:", 0, {kRestoreMonitorLabel.left, kRestoreMonitorLabel.top, -1, -1}, 0, kFont,
        true);
    // A drop-down list's height includes its open list.
    monitors_ = Add(window_, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                    {kRestoreMonitorChoice.left, kRestoreMonitorChoice.top, kRestoreMonitorChoice.width, 200},
                    kMonitorsId);
    BuildLists();
    BuildButtons();
    win32ui::CentreOnScreen(window_);
}

RestoreForm::~RestoreForm() { win32ui::DestroyForm(window_); }

void RestoreForm::BuildLists() {
    tree_ = Add(window_, WC_TREEVIEWW, "",
                TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
                kRestoreTree, kTreeId);
    copies_ = Add(window_, WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
                  kRestoreCopies, kCopiesId);
    SendMessageW(copies_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (std::size_t index = 0; index < kRestoreColumns.size(); ++index) {
        std::wstring caption = Widen(kRestoreColumns[index].caption);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = kRestoreColumns[index].width;
        column.pszText = caption.data();
        SendMessageW(copies_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
    Add(window_, L"STATIC", "As it was &at:", 0, {kRestoreAtLabel.left, kRestoreAtLabel.top, -1, -1}, 0, kFont, true);
    at_ = Add(window_, DATETIMEPICK_CLASSW, "", DTS_SHORTDATEFORMAT | WS_TABSTOP, kRestoreAt, kAtId);
    SendMessageW(at_, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"yyyy'-'MM'-'dd HH':'mm':'ss"));
    HWND group = win32ui::AddGroupBox(window_, "Preview", kRestorePreviewGroup.left, kRestorePreviewGroup.top,
                                      kRestorePreviewGroup.width, kRestorePreviewGroup.height, 8);
    preview_ = Add(group, L"EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER,
                   kRestorePreview, 0);
    status_ = Add(window_, L"STATIC", "", SS_NOPREFIX | SS_ENDELLIPSIS, kRestoreStatus, 0);
}

void RestoreForm::BuildButtons() {
    restore_ = Add(window_, L"BUTTON", "&Restore", BS_PUSHBUTTON | WS_TABSTOP, kRestoreButton, kRestoreId, kButtonFont);
    restoreTo_ = Add(window_, L"BUTTON", "Restore &to...", BS_PUSHBUTTON | WS_TABSTOP, kRestoreToButton, kRestoreToId,
                     kButtonFont);
    cancel_ = Add(window_, L"BUTTON", "Ca&ncel", BS_PUSHBUTTON | WS_TABSTOP, kRestoreCancelButton, kCancelId,
                  kButtonFont);
    ShowWindow(cancel_, SW_HIDE);
    close_ = Add(window_, L"BUTTON", "&Close", BS_DEFPUSHBUTTON | WS_TABSTOP, kRestoreCloseButton, IDOK, kButtonFont);
}

void RestoreForm::ShowModal(MonitorId monitor) {
    if (!window_) return;
    if (presenter_) presenter_->Shown(monitor);
    win32ui::RunModal(window_, owner_, [this] { return closed_; });
}

void RestoreForm::ShowMonitors(const std::vector<std::string>& folders, int selected) {
    filling_ = true;
    SendMessageW(monitors_, CB_RESETCONTENT, 0, 0);
    for (const std::string& folder : folders) {
        const std::wstring text = Widen(folder);
        SendMessageW(monitors_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(monitors_, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    filling_ = false;
}

void RestoreForm::ShowTree(const std::vector<RestoreTreeNode>& nodes) {
    filling_ = true;
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    nodes_.clear();
    for (std::size_t n = 0; n < nodes.size(); ++n) {
        std::wstring text = Widen(nodes[n].name);
        TVINSERTSTRUCTW insert{};
        insert.hParent = nodes[n].parent < 0 ? TVI_ROOT : nodes_[static_cast<std::size_t>(nodes[n].parent)];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = text.data();
        insert.item.lParam = static_cast<LPARAM>(n);
        const LRESULT item = SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        nodes_.push_back(reinterpret_cast<HTREEITEM>(item));
    }
    if (!nodes_.empty()) SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(nodes_.front()));
    filling_ = false;
}

int RestoreForm::SelectedNode() const {
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    for (std::size_t n = 0; n < nodes_.size(); ++n)
        if (item && nodes_[n] == item) return static_cast<int>(n);
    return -1;
}

void RestoreForm::SelectNode(int node) {
    if (node < 0 || node >= static_cast<int>(nodes_.size())) return;
    filling_ = true;
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(nodes_[static_cast<std::size_t>(node)]));
    filling_ = false;
}

void RestoreForm::ShowCopies(const std::vector<RestoreCopyRow>& rows) {
    filling_ = true;
    SendMessageW(copies_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::array<const std::string*, 5> texts{&rows[r].version, &rows[r].date, &rows[r].time, &rows[r].size,
                                                      &rows[r].note};
        for (std::size_t column = 0; column < texts.size(); ++column) {
            std::wstring text = Widen(*texts[column]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(r);
            item.iSubItem = static_cast<int>(column);
            item.pszText = text.data();
            SendMessageW(copies_, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, column == 0 ? 0 : r,
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    filling_ = false;
}

int RestoreForm::SelectedCopy() const { return win32ui::SelectedListRow(copies_); }

void RestoreForm::SelectCopy(int row) {
    filling_ = true;
    win32ui::SelectListRow(copies_, row);
    filling_ = false;
}

void RestoreForm::ShowPreview(const RestorePreview& preview) {
    const std::string text = preview.kind == RestorePreview::Kind::Image ? "No preview for images in this window."
                                                                         : preview.text;
    SetWindowTextW(preview_, WithCrLf(text).c_str());
}

DateTime RestoreForm::PointInTime() const {
    SYSTEMTIME t{};
    if (SendMessageW(at_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) != GDT_VALID) return DateTimeNow();
    return EncodeDateTime({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, 0});
}

void RestoreForm::SetPointInTime(DateTime at) {
    const DateTimeFields f = DecodeDateTime(at);
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(f.year);
    t.wMonth = static_cast<WORD>(f.month);
    t.wDay = static_cast<WORD>(f.day);
    t.wHour = static_cast<WORD>(f.hour);
    t.wMinute = static_cast<WORD>(f.minute);
    t.wSecond = static_cast<WORD>(f.second);
    SendMessageW(at_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

void RestoreForm::SetPointInTimeEnabled(bool enabled) { EnableWindow(at_, enabled && !running_); }

void RestoreForm::SetRestoreEnabled(bool enabled) {
    EnableWindow(restore_, enabled);
    EnableWindow(restoreTo_, enabled);
}

void RestoreForm::SetRunning(bool running) {
    running_ = running;
    for (HWND control : {monitors_, tree_, copies_, restore_, restoreTo_, close_}) EnableWindow(control, !running);
    if (running) EnableWindow(at_, FALSE);
    ShowWindow(cancel_, running ? SW_SHOW : SW_HIDE);
}

void RestoreForm::ShowStatus(const std::string& text) { win32ui::SetControlText(status_, text); }

LRESULT RestoreForm::Notified(NMHDR& header) {
    if (!presenter_ || filling_) return 0;
    if (header.idFrom == kTreeId && header.code == TVN_SELCHANGEDW) presenter_->NodeSelected();
    if (header.idFrom == kCopiesId && header.code == LVN_ITEMCHANGED &&
        win32ui::SelectionChanged(reinterpret_cast<const NMLISTVIEW&>(header)))
        presenter_->CopySelected();
    return 0;
}

void RestoreForm::Commanded(WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case kMonitorsId:
        if (HIWORD(wParam) == CBN_SELCHANGE && presenter_ && !filling_)
            presenter_->MonitorChosen(static_cast<int>(SendMessageW(monitors_, CB_GETCURSEL, 0, 0)));
        break;
    case kRestoreId: if (presenter_) presenter_->Restore(); break;
    case kRestoreToId: if (presenter_) presenter_->RestoreTo(); break;
    case kCancelId: if (presenter_) presenter_->Cancel(); break;
    case IDOK:
    case IDCANCEL:
        // Every way out waits for a running restore to stop first.
        if (presenter_) presenter_->Closing();
        closed_ = true;
        break;
    default: break;
    }
}

LRESULT RestoreForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: return Notified(*reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND: Commanded(wParam); return 0;
    case WM_CLOSE: Commanded(IDCANCEL); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace pellmar
