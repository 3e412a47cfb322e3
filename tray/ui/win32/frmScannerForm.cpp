// The setup dialog's controls. All use the 10-pixel font. Creation order is the focus order; the
// Browse buttons carry no WS_TABSTOP, so Tab walks the table's order without them and wraps from
// the versions box to the first box. Every button has its own mnemonic, the two lists' included.
#include "tray/ui/win32/frmScannerForm.h"

#include "platform/win32/WideText.h"

#include <commctrl.h>

namespace pellmar {
namespace {

using win32ui::AddControl;
using win32ui::kDefaultSize;

constexpr int kFont = 10;

enum ControlId : int {
    kMonitorBox = 1001,
    kBackupBox,
    kBrowseMonitor,
    kBrowseBackup,
    kSubfolders,
    kDeletions,
    kExclusive,
    kEnabled,
    kDisabled,
    kVersions,
    kVersionsBox,
    kListBase = 1100,  // + 10 per list: the list, "Add", "Edit", "Delete"
};
enum ListPart : int { kListBox, kListAdd, kListEdit, kListDelete };

int Side(FilterList list) { return list == FilterList::Replicate ? 0 : 1; }
int ListId(FilterList list, ListPart part) { return kListBase + 10 * Side(list) + part; }

// The captions of a list's "Add", "Edit" and "Delete", with letters unique in the dialog.
struct ListCaptions {
    const char* add;
    const char* edit;
    const char* remove;
};
constexpr ListCaptions kListCaptions[2] = {{"&Add", "&Edit", "De&lete"}, {"A&dd", "Ed&it", "Dele&te"}};

constexpr DWORD kTextBox = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kPushButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Check(HWND button, bool checked) { SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

}  // namespace

ScannerForm::ScannerForm(HWND owner) : owner_(owner) {
    win32ui::FormFrame frame;
    frame.clientWidth = 483;
    frame.clientHeight = 360;
    frame.owner = owner;
    window_ = win32ui::CreateForm(frame, *this);
    if (!window_) return;
    tips_ = std::make_unique<win32ui::BalloonTips>(window_, kTipTitle);
    BuildControls();
    win32ui::CentreOnScreen(window_);
}

ScannerForm::~ScannerForm() {
    tips_.reset();
    win32ui::DestroyForm(window_);
}

void ScannerForm::BuildControls() {
    AddControl(window_, L"STATIC", "Folder to Replicate Changes:", SS_NOPREFIX, 12, 56, 153, 17, 0, kFont);
    AddControl(window_, L"STATIC", "File types to Exclude  (Exceptions)", SS_NOPREFIX, 252, 108, kDefaultSize,
               kDefaultSize, 0, kFont);
    AddControl(window_, L"STATIC", "Folder to Monitor:", SS_NOPREFIX, 12, 12, 93, 17, 0, kFont);
    versionsLabel_ =
        AddControl(window_, L"STATIC", "Versions to Keep", SS_NOPREFIX | WS_DISABLED, 236, 240, 105, 17, 0, kFont);
    AddControl(window_, L"STATIC", "File Types To Replicate", SS_NOPREFIX, 12, 108, kDefaultSize, kDefaultSize, 0,
               kFont);
    monitorBox_ = AddControl(window_, L"EDIT", "", kTextBox, 12, 32, 385, kDefaultSize, kMonitorBox, kFont);
    backupBox_ = AddControl(window_, L"EDIT", "", kTextBox, 12, 76, 385, kDefaultSize, kBackupBox, kFont);
    constexpr DWORD kListStyle = WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT;
    replicate_ = AddControl(window_, L"LISTBOX", "", kListStyle, 12, 128, 141, 97,
                            ListId(FilterList::Replicate, kListBox), kFont);
    BuildListButtons(FilterList::Replicate, 168);
    exclude_ = AddControl(window_, L"LISTBOX", "", kListStyle, 252, 128, 141, 93, ListId(FilterList::Exclude, kListBox),
                          kFont);
    BuildListButtons(FilterList::Exclude, 408);
    subfolders_ = AddControl(window_, L"BUTTON", "Monitor SubFolders", kCheckBox, 12, 260, 177, kDefaultSize,
                             kSubfolders, kFont);
    deletions_ = AddControl(window_, L"BUTTON", "Replicate File Deletions", kCheckBox, 12, 284, 189, kDefaultSize,
                            kDeletions, kFont);
    exclusive_ = AddControl(window_, L"BUTTON", "Wait for Exclusive Access to File", kCheckBox, 12, 308, 189,
                            kDefaultSize, kExclusive, kFont);
    enabled_ = AddControl(window_, L"BUTTON", "Enabled", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 396, 272, 77, 17,
                          kEnabled, kFont);
    Check(enabled_, true);
    disabled_ = AddControl(window_, L"BUTTON", "Disabled", BS_AUTORADIOBUTTON | WS_TABSTOP, 396, 292, 77,
                           kDefaultSize, kDisabled, kFont);
    AddControl(window_, L"BUTTON", "&OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 304, 332, 75, 25, IDOK, kFont);
    AddControl(window_, L"BUTTON", "&Cancel", kPushButton, 396, 332, 75, 25, IDCANCEL, kFont);
    AddControl(window_, L"BUTTON", "&Browse", BS_PUSHBUTTON, 408, 32, kDefaultSize, kDefaultSize, kBrowseMonitor, kFont);
    AddControl(window_, L"BUTTON", "B&rowse", BS_PUSHBUTTON, 408, 76, kDefaultSize, kDefaultSize, kBrowseBackup, kFont);
    versions_ = AddControl(window_, L"BUTTON", "Create Mutiple Versions of File", kCheckBox, 12, 236, 177,
                           kDefaultSize, kVersions, kFont);
    versionsBox_ = AddControl(window_, L"EDIT", "", kTextBox | WS_DISABLED, 192, 236, 37, kDefaultSize, kVersionsBox,
                              kFont);
    for (HWND watched : {monitorBox_, backupBox_}) {
        SetWindowSubclass(watched, &ScannerForm::WatchControl, 0, reinterpret_cast<DWORD_PTR>(this));
    }
}

void ScannerForm::BuildListButtons(FilterList list, int left) {
    const int side = Side(list);
    const ListCaptions& captions = kListCaptions[side];
    AddControl(window_, L"BUTTON", captions.add, kPushButton, left, 132, kDefaultSize, kDefaultSize,
               ListId(list, kListAdd), kFont);
    listEdit_[side] = AddControl(window_, L"BUTTON", captions.edit, kPushButton | WS_DISABLED, left, 164, kDefaultSize,
                                 kDefaultSize, ListId(list, kListEdit), kFont);
    listDelete_[side] = AddControl(window_, L"BUTTON", captions.remove, kPushButton | WS_DISABLED, left, 196,
                                   kDefaultSize, kDefaultSize, ListId(list, kListDelete), kFont);
}

void ScannerForm::RunModal() {
    if (!window_) return;
    win32ui::RunModal(window_, owner_, [this] { return closed_; });
}

// Key releases in the folder boxes, which send no notification.
LRESULT CALLBACK ScannerForm::WatchControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR form) {
    const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    auto* self = reinterpret_cast<ScannerForm*>(form);
    if (self->presenter_ && message == WM_KEYUP) {
        self->presenter_->FolderKeyReleased(control == self->monitorBox_ ? FolderBox::Monitor : FolderBox::Backup);
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, &ScannerForm::WatchControl, 0);
    return result;
}

void ScannerForm::Command(int id, int notification) {
    ScannerFormPresenter& presenter = *presenter_;
    for (const FilterList list : {FilterList::Replicate, FilterList::Exclude}) {
        if (id == ListId(list, kListBox) && notification == LBN_DBLCLK) presenter.EditFilter(list);
        // Clicks, Shift, Ctrl and the keys alike; not sent for the presenter's own LB_SETSEL.
        if (id == ListId(list, kListBox) && notification == LBN_SELCHANGE) presenter.ListSelectionChanged(list);
        if (notification != BN_CLICKED) continue;
        if (id == ListId(list, kListAdd)) presenter.AddFilter(list);
        if (id == ListId(list, kListEdit)) presenter.EditFilter(list);
        if (id == ListId(list, kListDelete)) presenter.DeleteFilter(list);
    }
    if (notification != BN_CLICKED) return;
    switch (id) {
    case IDOK: presenter.Ok(); break;
    case IDCANCEL: presenter.Cancel(); break;
    case kBrowseMonitor: presenter.Browse(FolderBox::Monitor); break;
    case kBrowseBackup: presenter.Browse(FolderBox::Backup); break;
    case kVersions: presenter.VersionsClicked(); break;
    default: break;
    }
}

LRESULT ScannerForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && presenter_) {
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    }
    if (message == WM_CLOSE) {
        if (presenter_) {
            presenter_->Cancel();
        } else {
            closed_ = true;
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ScannerForm::SetCaption(const std::string& caption) { win32ui::SetControlText(window_, caption); }
std::string ScannerForm::FolderText(FolderBox box) const { return win32ui::ControlText(Folder(box)); }
void ScannerForm::SetFolderText(FolderBox box, const std::string& text) { win32ui::SetControlText(Folder(box), text); }

std::vector<std::string> ScannerForm::ListItems(FilterList list) const {
    std::vector<std::string> items;
    HWND box = List(list);
    const auto count = static_cast<int>(SendMessageW(box, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        const auto length = static_cast<int>(SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0));
        std::wstring text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
        items.push_back(platform::win32::Narrow(text.c_str(), wcslen(text.c_str())));
    }
    return items;
}

void ScannerForm::AppendListItem(FilterList list, const std::string& text) {
    SendMessageW(List(list), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::win32::Widen(text).c_str()));
}

void ScannerForm::ReplaceListItem(FilterList list, int index, const std::string& text) {
    HWND box = List(list);
    SendMessageW(box, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(box, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(platform::win32::Widen(text).c_str()));
    SendMessageW(box, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
}

void ScannerForm::RemoveListItem(FilterList list, int index) {
    SendMessageW(List(list), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

// The highlighted entries, not the caret: the caret sits on entry 0 of a list nobody has clicked.
std::vector<int> ScannerForm::SelectedListItems(FilterList list) const {
    HWND box = List(list);
    const auto count = static_cast<int>(SendMessageW(box, LB_GETSELCOUNT, 0, 0));
    if (count <= 0) return {};
    std::vector<int> rows(static_cast<std::size_t>(count));
    const auto got = static_cast<int>(
        SendMessageW(box, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(rows.data())));
    rows.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
    return rows;
}

void ScannerForm::SelectListItem(FilterList list, int index) {
    HWND box = List(list);
    SendMessageW(box, LB_SETSEL, FALSE, -1);
    const auto count = static_cast<int>(SendMessageW(box, LB_GETCOUNT, 0, 0));
    if (index < 0 || index >= count) return;
    SendMessageW(box, LB_SETSEL, TRUE, index);
    SendMessageW(box, LB_SETANCHORINDEX, static_cast<WPARAM>(index), 0);
    SendMessageW(box, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
}

void ScannerForm::SetListButtonsEnabled(FilterList list, bool edit, bool remove) {
    EnableWindow(listEdit_[Side(list)], edit);
    EnableWindow(listDelete_[Side(list)], remove);
}

HWND ScannerForm::Switch(SetupSwitch which) const {
    switch (which) {
    case SetupSwitch::Subfolders: return subfolders_;
    case SetupSwitch::Deletions: return deletions_;
    case SetupSwitch::Exclusive: return exclusive_;
    case SetupSwitch::Versions: break;
    }
    return versions_;
}

bool ScannerForm::SwitchChecked(SetupSwitch which) const { return IsChecked(Switch(which)); }
void ScannerForm::SetSwitchChecked(SetupSwitch which, bool checked) { Check(Switch(which), checked); }
std::string ScannerForm::VersionsText() const { return win32ui::ControlText(versionsBox_); }
void ScannerForm::SetVersionsText(const std::string& text) { win32ui::SetControlText(versionsBox_, text); }

void ScannerForm::SetVersionsEnabled(bool enabled) {
    EnableWindow(versionsBox_, enabled);
    EnableWindow(versionsLabel_, enabled);
}

bool ScannerForm::EnabledChecked() const { return IsChecked(enabled_); }

void ScannerForm::SetEnabledChecked(bool enabled) {
    Check(enabled_, enabled);
    Check(disabled_, !enabled);
}

HWND ScannerForm::TipTarget(TipControl control) const {
    switch (control) {
    case TipControl::ReplicateList: return replicate_;
    case TipControl::BackupBox: return backupBox_;
    case TipControl::MonitorBox: break;
    }
    return monitorBox_;
}

void ScannerForm::ShowTip(TipControl control, const std::string& text) { tips_->Attach(TipTarget(control), text); }
void ScannerForm::RemoveTip(TipControl control) { tips_->Remove(TipTarget(control)); }

void ScannerForm::PopTip(TipControl control) { tips_->Pop(TipTarget(control)); }

void ScannerForm::CloseDialog() { closed_ = true; }

}  // namespace pellmar
