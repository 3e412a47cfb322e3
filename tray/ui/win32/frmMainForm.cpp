// The configuration window's Win32 controls. The tab pages are child forms over the tab control's
// display area, so their controls' commands reach this object like the window's own; the group
// boxes hand theirs on to their page.
#include "tray/ui/win32/frmMainForm.h"

#include "tray/ui/win32/ReportList.h"

#include "platform/win32/WideText.h"
#include "tray/ui/MainFormLayout.h"
#include "tray/ui/TextFitting.h"

#include <commctrl.h>

namespace pellmar::win32ui {
namespace {

using platform::win32::Widen;

constexpr int kClientWidth = 622;
constexpr int kClientHeight = 418;
constexpr DWORD kToolStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kToolExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
constexpr UINT_PTR kStateTimer = 1;

struct Column {
    const wchar_t* caption;
    int width;
};
constexpr std::array<Column, 3> kColumns{{{L"Monitored Folder", 350}, {L"Monitored Types", 150}, {L"Status", 70}}};

void AddColumn(HWND list, int index, const Column& column) {
    LVCOLUMNW data{};
    data.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    data.fmt = LVCFMT_LEFT;
    data.cx = column.width;
    data.pszText = const_cast<wchar_t*>(column.caption);
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&data));
}

void SetCellText(HWND list, int row, int column, const std::string& text) {
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The extent of `text` in the label's font: on one line, or wrapped at `width` as the label draws
// it (a path has no blanks, so it breaks anywhere: SS_EDITCONTROL).
SIZE TextExtent(HWND label, const std::string& text, int width) {
    const std::wstring wide = Widen(text);
    HDC context = GetDC(label);
    HGDIOBJ previous = SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT place{0, 0, width, 0};
    const UINT layout = width > 0 ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE;
    DrawTextW(context, wide.c_str(), static_cast<int>(wide.size()), &place, DT_CALCRECT | DT_NOPREFIX | layout);
    SelectObject(context, previous);
    ReleaseDC(label, context);
    return {place.right, place.bottom};
}

HWND AddTipWindow(HWND owner) {
    HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (tips) SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, 600);
    return tips;
}

TTTOOLINFOW ToolOf(HWND control, wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    return tool;
}

struct FoundControl {
    int id;
    HWND control;
};

BOOL CALLBACK MatchId(HWND candidate, LPARAM context) {
    auto* found = reinterpret_cast<FoundControl*>(context);
    if (GetDlgCtrlID(candidate) != found->id) return TRUE;
    found->control = candidate;
    return FALSE;
}

}  // namespace

std::unique_ptr<MainForm> MainForm::Create() {
    std::unique_ptr<MainForm> form(new MainForm);
    if (!form->Build()) return nullptr;
    return form;
}

MainForm::~MainForm() {
    if (valueTips_) DestroyWindow(valueTips_);
    DestroyForm(window_);
    if (listMenu_) DestroyMenu(listMenu_);
}

UINT MainForm::ShowRequestMessage() {
    static const UINT message = RegisterWindowMessageW(L"PellmarShowConfiguration");
    return message;
}

bool MainForm::Build() {
    FormFrame frame;
    frame.caption = kCaption;
    frame.style = kToolStyle;
    frame.exStyle = kToolExStyle;
    frame.clientWidth = kClientWidth;
    frame.clientHeight = kClientHeight;
    window_ = CreateForm(frame, *this);
    if (!window_) return false;
    // What each monitor is doing changes by itself; it is looked at while the window is shown.
    SetTimer(window_, kStateTimer, kStateRefreshMilliseconds, nullptr);
    tabs_ = AddControl(window_, WC_TABCONTROLW, "", WS_CLIPSIBLINGS | WS_TABSTOP, 8, 8, 609, 373, kTabs, 10);
    std::array<const wchar_t*, 2> captions{L"Monitored Folders", L"Preferences"};
    for (std::size_t index = 0; index < captions.size(); ++index) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(captions[index]);
        SendMessageW(tabs_, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
    RECT display{};
    GetClientRect(tabs_, &display);
    SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    OffsetRect(&display, 8, 8);
    pages_ = {AddPage(display), AddPage(display)};
    if (!pages_[0] || !pages_[1]) return false;
    valueTips_ = AddTipWindow(window_);
    BuildMonitorPage(pages_[0]);
    BuildPreferencesPage(pages_[1]);
    ShowPage(0);
    AddControl(window_, L"BUTTON", "&Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 540, 388, 75, 25, IDOK, 10);
    AddControl(window_, L"BUTTON", "&View Log", BS_PUSHBUTTON | WS_TABSTOP, 8, 388, 75, 25, kViewLog, 10);
    AddControl(window_, L"BUTTON", "E&xit", BS_PUSHBUTTON | WS_TABSTOP, 88, 388, 75, 25, kExit, 10);
    SetWindowCommandsVisible(false);
    listMenu_ = CreatePopupMenu();
    AppendMenuW(listMenu_, MF_STRING, kEnable, L"Enable");
    AppendMenuW(listMenu_, MF_STRING, kDisable, L"Disable");
    AppendMenuW(listMenu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(listMenu_, MF_STRING, kRestore, L"Restore...");
    waitCursor_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));   // the hourglass
    arrowCursor_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    return true;
}

HWND MainForm::AddPage(const RECT& place) {
    FormFrame frame;
    frame.style = WS_CHILD | WS_CLIPSIBLINGS;
    frame.exStyle = WS_EX_CONTROLPARENT;
    frame.clientWidth = place.right - place.left;
    frame.clientHeight = place.bottom - place.top;
    frame.owner = window_;
    HWND page = CreateForm(frame, *this);
    if (page) SetWindowPos(page, HWND_TOP, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return page;
}

void MainForm::BuildMonitorPage(HWND page) {
    list_ = AddControl(page, WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
                       4, 8, 589, 129, kList);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_INFOTIP);
    for (std::size_t index = 0; index < kColumns.size(); ++index) AddColumn(list_, static_cast<int>(index), kColumns[index]);
    AddControl(page, L"BUTTON", "&Add", BS_PUSHBUTTON | WS_TABSTOP, 356, 316, 75, 25, kAdd, 8);
    AddControl(page, L"BUTTON", "&Edit", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 440, 316, 75, 25, kEdit, 8);
    AddControl(page, L"BUTTON", "&Delete", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 520, 316, 75, 25, kDelete, 8);
    BuildDetails(AddGroupBox(page, "Settings", 4, 144, 593, 165, 8));
}

void MainForm::BuildDetails(HWND group) {
    for (std::size_t line = 0; line < kDetailLines.size(); ++line) {
        const DetailLine& detail = kDetailLines[line];
        AddControl(group, L"STATIC", detail.name, SS_LEFT | SS_NOPREFIX, detail.nameLeft, detail.top, kDefaultSize,
                   kDefaultSize, 0, 10, true);
        const DWORD wrapping = detail.wraps ? SS_EDITCONTROL : 0;
        // SS_NOTIFY: the label takes the pointer, so that its tooltip sees it.
        values_[line] = AddControl(group, L"STATIC", "", SS_LEFT | SS_NOPREFIX | SS_NOTIFY | wrapping, detail.valueLeft,
                                   detail.top, detail.wraps ? kPathValueWidth : kDefaultSize, kDefaultSize, 0);
        TTTOOLINFOW tool = ToolOf(values_[line], const_cast<wchar_t*>(L""));
        SendMessageW(valueTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainForm::BuildPreferencesPage(HWND page) {
    HWND group = AddGroupBox(page, "Settings", 4, 4, 589, 69, 8);
    autostart_ = AddControl(group, L"BUTTON", "Automatically start Pellmar when Windows is Started",
                            BS_AUTOCHECKBOX | WS_TABSTOP, 12, 24, kDefaultSize, kDefaultSize, kAutostart);
    AddControl(page, L"BUTTON", "A&pply", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 524, 312, kDefaultSize,
               kDefaultSize, kApply, 8);
}

void MainForm::ShowPage(int index) {
    for (std::size_t page = 0; page < pages_.size(); ++page) {
        ShowWindow(pages_[page], static_cast<int>(page) == index ? SW_SHOW : SW_HIDE);
    }
}

HWND MainForm::Control(int id) const {
    FoundControl found{id, nullptr};
    EnumChildWindows(window_, &MatchId, reinterpret_cast<LPARAM>(&found));
    return found.control;
}

void MainForm::BeginListUpdate() { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }

void MainForm::EndListUpdate() {
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void MainForm::WriteRowTexts(int index, const MonitorRowTexts& row) {
    rows_[static_cast<std::size_t>(index)] = row;
    SetCellText(list_, index, 0, row.folder);
    SetCellText(list_, index, 1, row.types);
    SetCellText(list_, index, 2, row.status);
}

void MainForm::AppendRow(const MonitorRowTexts& row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(L"");
    const int index = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return;
    rows_.emplace(rows_.begin() + index);
    WriteRowTexts(index, row);
}

void MainForm::SetRow(int index, const MonitorRowTexts& row) {
    if (index >= 0 && index < SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)) WriteRowTexts(index, row);
}

void MainForm::RemoveRow(int index) {
    if (SendMessageW(list_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0))
        rows_.erase(rows_.begin() + index);
}

// The list asks for the row alone; the cell is the one under the pointer.
void MainForm::FillInfoTip(NMLVGETINFOTIPW& request) const {
    if (request.cchTextMax <= 0 || !request.pszText) return;
    LVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(list_, &hit.pt);
    SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const int row = hit.iItem >= 0 ? hit.iItem : request.iItem;
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    const std::wstring tip = Widen(CellTip(rows_[static_cast<std::size_t>(row)], hit.iItem >= 0 ? hit.iSubItem : 0));
    lstrcpynW(request.pszText, tip.c_str(), request.cchTextMax);
}

int MainForm::SelectedRow() const { return win32ui::SelectedListRow(list_); }

void MainForm::SelectRow(int index) { win32ui::SelectListRow(list_, index); }

// A value too long for its room is shortened, whole in its tooltip, so that it never draws over
// the next row or the next label of its row.
void MainForm::ShowDetails(const MonitorDetails& details) {
    const std::array<const std::string*, 9> texts = DetailTexts(details);
    for (std::size_t line = 0; line < texts.size(); ++line) {
        HWND value = values_[line];
        const ValueRoom room = DetailValueRoom(line);
        const bool wraps = kDetailLines[line].wraps;
        const int wrapWidth = wraps ? kPathValueWidth : 0;
        const std::string shown = FitByEliding(*texts[line], wraps ? Elision::Middle : Elision::End,
                                               [&](const std::string& text) {
            const SIZE extent = TextExtent(value, text, wrapWidth);
            return wraps ? extent.cy <= room.height : extent.cx <= room.width;
        });
        SetControlText(value, shown);
        const SIZE extent = TextExtent(value, shown, wrapWidth);
        SetWindowPos(value, nullptr, 0, 0, wraps ? kPathValueWidth : extent.cx, extent.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        std::wstring tip = shown == *texts[line] ? std::wstring() : Widen(*texts[line]);
        TTTOOLINFOW tool = ToolOf(value, tip.data());
        SendMessageW(valueTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // A shorter text leaves the old one's end behind on the group box.
    RedrawWindow(GetParent(values_[0]), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

std::string MainForm::ValueTip(int index) const {
    std::array<wchar_t, 1024> text{};
    TTTOOLINFOW tool = ToolOf(values_[static_cast<std::size_t>(index)], text.data());
    SendMessageW(valueTips_, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    return platform::win32::Narrow(text.data(), wcslen(text.data()));
}

void MainForm::SetEditEnabled(bool enabled) { EnableWindow(Control(kEdit), enabled); }
void MainForm::SetDeleteEnabled(bool enabled) { EnableWindow(Control(kDelete), enabled); }
void MainForm::SetApplyEnabled(bool enabled) { EnableWindow(Control(kApply), enabled); }
bool MainForm::AutostartChecked() const { return SendMessageW(autostart_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void MainForm::SetAutostartChecked(bool checked) {
    SendMessageW(autostart_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainForm::SetWaitCursor(bool wait) { SetCursor(wait ? waitCursor_ : arrowCursor_); }

void MainForm::CentreOnScreen() { win32ui::CentreOnScreen(window_); }

void MainForm::ShowAndActivate() {
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window_);
}

void MainForm::HideWindow() { ShowWindow(window_, SW_HIDE); }
void MainForm::MinimiseWindow() { ShowWindow(window_, SW_MINIMIZE); }

// Without a tray the window needs a taskbar button, or a minimised window could not come back;
// the shell reads the styles when the window is shown, hence the hide and show.
void MainForm::SetWindowCommandsVisible(bool visible) {
    ShowWindow(Control(kViewLog), visible ? SW_SHOW : SW_HIDE);
    ShowWindow(Control(kExit), visible ? SW_SHOW : SW_HIDE);
    const bool shown = IsWindowVisible(window_) != FALSE;
    if (shown) ShowWindow(window_, SW_HIDE);
    const DWORD style = visible ? kToolStyle | WS_MINIMIZEBOX : kToolStyle;
    const DWORD exStyle = visible ? (kToolExStyle & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW : kToolExStyle;
    SetWindowLongPtrW(window_, GWL_STYLE, static_cast<LONG_PTR>(style));
    SetWindowLongPtrW(window_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SetClientSize(window_, kClientWidth, kClientHeight);
    if (shown) ShowWindow(window_, SW_SHOW);
}

void MainForm::PostClose() { PostMessageW(window_, WM_CLOSE, 0, 0); }

void MainForm::HandleClose() {
    if (closed_) return;
    // The presenter hides (or minimises) the window itself when the close is refused.
    if (!presenter_ || !presenter_->CloseRequested()) return;
    closed_ = true;
    ShowWindow(window_, SW_HIDE);
    if (onClosed_) onClosed_();
}

void MainForm::Command(int id) {
    if (!presenter_) return;
    switch (id) {
    case IDOK:
    case IDCANCEL: presenter_->Close(); break;
    case kAdd: presenter_->Add(); break;
    case kEdit: presenter_->Edit(); break;
    case kDelete: presenter_->Delete(); break;
    case kAutostart: presenter_->AutostartClicked(); break;
    case kApply: presenter_->Apply(); break;
    case kViewLog: presenter_->ViewLog(); break;
    case kExit: presenter_->Exit(); break;
    case kEnable: presenter_->Enable(); break;
    case kDisable: presenter_->Disable(); break;
    case kRestore: presenter_->Restore(); break;
    default: break;
    }
}

// The select command follows every click, left or right, once the list has updated its
// selection; the right button then opens the list menu at the pointer.
void MainForm::ListClicked(bool rightButton) {
    if (presenter_) presenter_->ListClicked();
    if (!rightButton) return;
    POINT at{};
    GetCursorPos(&at);
    const auto chosen = static_cast<int>(
        TrackPopupMenu(listMenu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
    if (chosen != 0) Command(chosen);
}

void MainForm::Notified(const NMHDR& header) {
    if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
    } else if (header.hwndFrom == list_ && header.code == NM_CLICK) {
        ListClicked(false);
    } else if (header.hwndFrom == list_ && header.code == NM_RCLICK) {
        ListClicked(true);
    } else if (header.hwndFrom == list_ && header.code == LVN_ITEMCHANGED && presenter_ &&
               win32ui::SelectionChanged(reinterpret_cast<const NMLISTVIEW&>(header))) {
        // The arrow keys move the selection too; the pane must follow it, not only clicks.
        presenter_->ListClicked();
    } else if (header.hwndFrom == list_ && header.code == LVN_KEYDOWN && presenter_ &&
               reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) {
        presenter_->DeleteKeyPressed();
    } else if (header.hwndFrom == list_ && header.code == LVN_GETINFOTIPW) {
        FillInfoTip(*reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(&header)));
    } else if (header.hwndFrom == list_ && header.code == NM_DBLCLK && presenter_) {
        presenter_->Edit();
    }
}

LRESULT MainForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) Command(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        Notified(*reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_CLOSE:
        if (window == window_) HandleClose();
        return 0;
    case WM_TIMER:
        if (window == window_ && wParam == kStateTimer && presenter_ && IsWindowVisible(window_))
            presenter_->RefreshStates();
        return 0;
    default:
        if (message == ShowRequestMessage() && window == window_) {
            if (presenter_) presenter_->Configure();
            return 1;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace pellmar::win32ui
