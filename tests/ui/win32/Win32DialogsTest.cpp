// The setup dialog, the input box and the event log window as real windows under their modal
// loops, answered by a ModalScript: captions, geometry, the focus order, the mnemonics, the filter
// lists' selection, the three requirement tips, the popped one and their removal, the values read
// back, and the log's caption and "Cancel Operation".
#include "tests/ui/win32/ModalScript.h"
#include "platform/win32/WideText.h"
#include "common/win32/Win32Controls.h"
#include "tray/ui/win32/Win32Dialogs.h"
#include "tray/ui/win32/Win32Prompter.h"
#include "tray/ui/win32/frmLogForm.h"
#include "tray/ui/win32/frmScannerForm.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <optional>

namespace pellmar::test {
namespace {

using win32ui::ControlText;
using win32ui::SetControlText;

bool SameRect(const RECT& place, int left, int top, int width, int height) {
    return place.left == left && place.top == top && place.right - place.left == width &&
           place.bottom - place.top == height;
}

// A caption as shown, without its mnemonic's "&".
std::string Shown(std::string caption) {
    std::erase(caption, '&');
    return caption;
}

HWND Button(HWND window, const wchar_t* caption) {
    const std::string wanted = platform::win32::Narrow(caption, wcslen(caption));
    for (HWND button = FindWindowExW(window, nullptr, L"BUTTON", nullptr); button;
         button = FindWindowExW(window, button, L"BUTTON", nullptr)) {
        if (Shown(ControlText(button)) == wanted) return button;
    }
    return nullptr;
}

// The mnemonic letters of the window's push buttons, '?' for one without.
std::vector<char> MnemonicLetters(HWND window) {
    std::vector<char> letters;
    for (HWND button = FindWindowExW(window, nullptr, L"BUTTON", nullptr); button;
         button = FindWindowExW(window, button, L"BUTTON", nullptr)) {
        const LONG kind = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
        if (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON) continue;
        const std::string text = ControlText(button);
        const std::size_t at = text.find('&');
        letters.push_back(at + 1 < text.size() ? static_cast<char>(std::tolower(text[at + 1])) : '?');
    }
    return letters;
}

// Alt and the letter, as the keyboard sends it to the control with the focus.
void PostMnemonic(HWND focused, char letter) { PostMessageW(focused, WM_SYSCHAR, static_cast<WPARAM>(letter), 1 << 29); }

// A click on a list box entry with the given keys (MK_SHIFT, MK_CONTROL) held.
void ClickEntry(HWND list, int entry, WPARAM keys = 0) {
    RECT place{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&place));
    const LPARAM at = MAKELPARAM(place.left + 4, (place.top + place.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    SendMessageW(list, WM_LBUTTONUP, keys, at);
}

// Answers the next input box with `caption` by typing `text` and pressing Enter or "Cancel".
ModalScript::Step AnswerInputBox(const std::string& caption, const std::string& text, bool confirm,
                                 std::string* shownText = nullptr) {
    return [=] {
        HWND box = FindShownWindow(caption);
        if (!box) return false;
        HWND edit = FindWindowExW(box, nullptr, L"EDIT", nullptr);
        if (shownText) *shownText = ControlText(edit);
        SetControlText(edit, text);
        if (confirm) {
            PostEnter(edit);
        } else {
            PostClick(Button(box, L"Cancel"));
        }
        return true;
    };
}

struct Measured {
    RECT client{};
    RECT frame{};
    RECT prompt{};
    RECT edit{};
    std::string promptText;
    std::string shownText;
};

TEST(Win32DialogsTest, InputBoxHasItsGeometryAndReturnsTheTextOnlyWhenConfirmed) {
    Win32Prompter prompter(nullptr);
    Measured box;
    const ModalScript::Step measure = [&] {
        HWND window = FindShownWindow("Add New Filter");
        if (!window) return false;
        box.client = ClientRect(window);
        GetWindowRect(window, &box.frame);
        HWND label = FindWindowExW(window, nullptr, L"STATIC", nullptr);
        box.promptText = ControlText(label);
        box.prompt = PlaceInParent(label);
        box.edit = PlaceInParent(FindWindowExW(window, nullptr, L"EDIT", nullptr));
        return true;
    };
    {
        ModalScript script({measure, AnswerInputBox("Add New Filter", "*.doc", true, &box.shownText)});
        EXPECT_EQ(prompter.InputBox("Add New Filter", "Enter file filter (e.g. *.doc)", ""), "*.doc");
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_EQ(box.client.right, 319);
    EXPECT_EQ(box.client.bottom, 106);
    EXPECT_EQ(box.frame.left, 583);
    EXPECT_EQ(box.frame.top, 299);
    EXPECT_EQ(box.promptText, "Enter file filter (e.g. *.doc)");
    EXPECT_TRUE(SameRect(box.prompt, 4, 16, 145, 17));
    EXPECT_EQ(box.edit.left, 4);
    EXPECT_EQ(box.edit.right - box.edit.left, 309);
    EXPECT_EQ(box.shownText, "");

    {
        ModalScript script({AnswerInputBox("Edit Filter", "*.xls", false)});
        EXPECT_EQ(prompter.InputBox("Edit Filter", "Enter file filter", "*.doc"), "");
    }
    std::string shown;
    {
        ModalScript script({[&] {
            HWND window = FindShownWindow("Edit Filter");
            if (!window) return false;
            HWND edit = FindWindowExW(window, nullptr, L"EDIT", nullptr);
            shown = ControlText(edit);
            PostEnter(edit);
            return true;
        }});
        EXPECT_EQ(prompter.InputBox("Edit Filter", "Enter file filter", "*.doc"), "*.doc");
    }
    EXPECT_EQ(shown, "*.doc");
}

// The dialog made as RunScannerDialog makes it, so the test can reach its controls.
struct SetupDialog {
    SetupDialog() : prompter(form.Window()), presenter(form, prompter) { form.SetPresenter(&presenter); }
    ScannerForm form{nullptr};
    Win32Prompter prompter;
    ScannerFormPresenter presenter;
};

TEST(Win32DialogsTest, SetupDialogHasItsControlsGeometryAndFocusOrder) {
    SetupDialog dialog;
    dialog.presenter.LoadNew();
    HWND window = dialog.form.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ControlText(window), "Add New Folder Monitor");
    EXPECT_EQ(ClientRect(window).right, 483);
    EXPECT_EQ(ClientRect(window).bottom, 360);
    const RECT monitor = PlaceInParent(dialog.form.Folder(FolderBox::Monitor));
    EXPECT_EQ(monitor.left, 12);
    EXPECT_EQ(monitor.top, 32);
    EXPECT_EQ(monitor.right - monitor.left, 385);
    EXPECT_TRUE(SameRect(PlaceInParent(dialog.form.List(FilterList::Replicate)), 12, 128, 141, 97));
    EXPECT_TRUE(SameRect(PlaceInParent(dialog.form.List(FilterList::Exclude)), 252, 128, 141, 93));
    EXPECT_TRUE(SameRect(PlaceInParent(Button(window, L"OK")), 304, 332, 75, 25));
    EXPECT_TRUE(SameRect(PlaceInParent(Button(window, L"Cancel")), 396, 332, 75, 25));
    EXPECT_TRUE(SameRect(PlaceInParent(Button(window, L"Browse")), 408, 32, 64, 22));
    EXPECT_TRUE(SameRect(PlaceInParent(Button(window, L"Enabled")), 396, 272, 77, 17));
    EXPECT_EQ(SendMessageW(Button(window, L"Enabled"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Button(window, L"Monitor SubFolders"), BM_GETCHECK, 0, 0), BST_CHECKED);
    HWND versionsLabel = FindWindowExW(window, nullptr, L"STATIC", L"Versions to Keep");
    EXPECT_TRUE(SameRect(PlaceInParent(versionsLabel), 236, 240, 105, 17));
    EXPECT_FALSE(IsWindowEnabled(versionsLabel));
    EXPECT_EQ(dialog.form.VersionsText(), "10");
    EXPECT_NE(FindWindowExW(window, nullptr, L"STATIC", L"File types to Exclude  (Exceptions)"), nullptr);

    // Tab order: the boxes first, the Browse buttons never, wrapping from the versions box.
    HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
    EXPECT_EQ(first, dialog.form.Folder(FolderBox::Monitor));
    EXPECT_EQ(GetNextDlgTabItem(window, first, FALSE), dialog.form.Folder(FolderBox::Backup));
    HWND at = first;
    for (int step = 0; step < 40; ++step) {
        at = GetNextDlgTabItem(window, at, FALSE);
        EXPECT_NE(Shown(ControlText(at)), "Browse");
        if (at == first) break;
    }
    EXPECT_EQ(at, first);

    // Every push button has a letter of its own, the two lists' "Add", "Edit" and "Delete" included.
    std::vector<char> letters = MnemonicLetters(window);
    EXPECT_EQ(letters.size(), 10u);
    EXPECT_EQ(std::count(letters.begin(), letters.end(), '?'), 0);
    std::sort(letters.begin(), letters.end());
    EXPECT_EQ(std::adjacent_find(letters.begin(), letters.end()), letters.end());
}

TEST(Win32DialogsTest, SetupDialogShowsTheThreeTipsAndTheirRemovalBeforeAcceptingOk) {
    SetupDialog dialog;
    dialog.presenter.LoadNew();
    HWND window = dialog.form.Window();
    const auto& tips = dialog.form.Tips();
    HWND replicate = dialog.form.List(FilterList::Replicate);
    HWND backup = dialog.form.Folder(FolderBox::Backup);
    HWND monitor = dialog.form.Folder(FolderBox::Monitor);
    std::optional<std::string> replicateTip, backupTip, monitorTip, backupTipAfterKey, replicateTipAfterAdd;
    POINT pointerBefore{}, pointerAfter{};
    HWND popped = nullptr;
    bool poppedAtMonitorBox = false;
    LONG_PTR tipStyle = 0;
    ModalScript script({
        [&] {
            if (!IsWindowVisible(window)) return false;
            GetCursorPos(&pointerBefore);
            PostClick(Button(window, L"OK"));
            return true;
        },
        [&] {
            replicateTip = tips.TextOf(replicate);
            if (!replicateTip) return false;
            GetCursorPos(&pointerAfter);
            popped = tips.Popped();
            // The popped balloon's stem is on the box's lower edge, a quarter in.
            RECT box{}, balloon{};
            GetWindowRect(monitor, &box);
            GetWindowRect(tips.PopWindow(), &balloon);
            const POINT stem{box.left + (box.right - box.left) / 4, box.bottom};
            const bool sized = balloon.right - balloon.left > 100 && balloon.bottom - balloon.top > 30;
            InflateRect(&balloon, 4, 4);
            poppedAtMonitorBox = sized && PtInRect(&balloon, stem) != FALSE;
            backupTip = tips.TextOf(backup);
            monitorTip = tips.TextOf(monitor);
            tipStyle = GetWindowLongPtrW(tips.Window(), GWL_STYLE);
            SetControlText(backup, "C:\\backup");
            PostMessageW(backup, WM_KEYUP, 'P', 0);
            PostClick(Button(window, L"Add"));  // the replicate list's, created first
            return true;
        },
        AnswerInputBox("Add New Filter", "*.doc", true),
        [&] {
            if (dialog.form.ListItems(FilterList::Replicate).empty()) return false;
            backupTipAfterKey = tips.TextOf(backup);
            replicateTipAfterAdd = tips.TextOf(replicate);
            SetControlText(monitor, "C:\\data\\");
            PostClick(Button(window, L"OK"));
            return true;
        },
    });
    dialog.form.RunModal();
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(replicateTip, "At least on file type filter must be specified.");
    EXPECT_EQ(backupTip, "A valid path for the folder used as the backup location must be specified.");
    EXPECT_EQ(monitorTip, "A valid path for the folder to monitor must be specified.");
    EXPECT_TRUE(tipStyle & TTS_BALLOON);
    // The last failing box's tip pops up at the box; the pointer stays where it was.
    EXPECT_EQ(popped, monitor);
    EXPECT_TRUE(poppedAtMonitorBox);
    EXPECT_EQ(pointerAfter.x, pointerBefore.x);
    EXPECT_EQ(pointerAfter.y, pointerBefore.y);
    EXPECT_FALSE(backupTipAfterKey);
    EXPECT_FALSE(replicateTipAfterAdd);
    ASSERT_TRUE(dialog.presenter.Accepted());
    const ScannerValues values = dialog.presenter.Values();
    EXPECT_EQ(values.root, "C:\\data\\");
    EXPECT_EQ(values.backuppath, "C:\\backup");
    EXPECT_EQ(values.filters, std::vector<std::string>{"*.doc"});
    EXPECT_FALSE(values.hasversions);
    EXPECT_EQ(values.maxversions, 0);
    EXPECT_EQ(values.status, 1);
}

// Clicks, Shift and Ctrl select as in the Qt dialog: "Edit" changes the entry shown selected and
// is enabled for one only, "Delete" removes every selected entry; Alt and a letter press a button.
TEST(Win32DialogsTest, SetupListsEditAndDeleteTheSelectedEntriesAndMnemonicsPressTheButtons) {
    SetupDialog dialog;
    ScannerValues values;
    values.filters = {"*.a", "*.b", "*.c", "*.d"};
    dialog.presenter.LoadExisting(values);
    HWND window = dialog.form.Window();
    HWND replicate = dialog.form.List(FilterList::Replicate);
    HWND edit = dialog.form.ListEditButton(FilterList::Replicate);
    HWND remove = dialog.form.ListDeleteButton(FilterList::Replicate);
    std::vector<int> openSelected, multiSelected, afterDelete;
    bool editAtOpen = false, editWithSeveral = true, deleteWithSeveral = false;
    std::string editShown;
    std::vector<std::string> afterEdit, left;
    ModalScript script({
        [&] {
            if (!IsWindowVisible(window)) return false;
            openSelected = dialog.form.SelectedListItems(FilterList::Replicate);
            editAtOpen = IsWindowEnabled(edit) != FALSE;
            ClickEntry(replicate, 3);
            PostClick(edit);
            return true;
        },
        AnswerInputBox("Edit Filter", "*.x", true, &editShown),
        [&] {
            if (dialog.form.ListItems(FilterList::Replicate).back() != "*.x") return false;
            afterEdit = dialog.form.ListItems(FilterList::Replicate);
            ClickEntry(replicate, 0);
            ClickEntry(replicate, 1, MK_SHIFT);
            ClickEntry(replicate, 3, MK_CONTROL);
            multiSelected = dialog.form.SelectedListItems(FilterList::Replicate);
            editWithSeveral = IsWindowEnabled(edit) != FALSE;
            deleteWithSeveral = IsWindowEnabled(remove) != FALSE;
            PostClick(remove);
            return true;
        },
        [&] {
            if (dialog.form.ListItems(FilterList::Replicate).size() != 1) return false;
            left = dialog.form.ListItems(FilterList::Replicate);
            afterDelete = dialog.form.SelectedListItems(FilterList::Replicate);
            PostMnemonic(GetFocus(), 'd');  // A&dd of the exclude list
            return true;
        },
        AnswerInputBox("Add New Filter", "~$*.tmp", true),
        [&] {
            if (dialog.form.ListItems(FilterList::Exclude).empty()) return false;
            PostMnemonic(GetFocus(), 'c');  // &Cancel
            return true;
        },
    });
    dialog.form.RunModal();
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(openSelected, std::vector<int>{0});
    EXPECT_TRUE(editAtOpen);
    EXPECT_EQ(editShown, "*.d");
    EXPECT_EQ(afterEdit, (std::vector<std::string>{"*.a", "*.b", "*.c", "*.x"}));
    EXPECT_EQ(multiSelected, (std::vector<int>{0, 1, 3}));
    EXPECT_FALSE(editWithSeveral);
    EXPECT_TRUE(deleteWithSeveral);
    EXPECT_EQ(left, std::vector<std::string>{"*.c"});
    EXPECT_EQ(afterDelete, std::vector<int>{0});
    EXPECT_EQ(dialog.form.ListItems(FilterList::Exclude), std::vector<std::string>{"~$*.tmp"});
    EXPECT_FALSE(dialog.presenter.Accepted());
}

TEST(Win32DialogsTest, RunScannerDialogEditsAnExistingMonitorAndCancelSavesNothing) {
    ScannerValues existing;
    existing.root = "C:\\work";
    existing.backuppath = "D:\\copy";
    existing.filters = {"*.doc", "*.xls"};
    existing.exceptions = {"~$*.doc"};
    existing.subfolders = false;
    existing.exclusive = true;
    existing.hasversions = true;
    existing.maxversions = 12;
    existing.status = 0;
    const auto pressOn = [](const std::string& caption, const wchar_t* button) -> ModalScript::Step {
        return [=] {
            HWND window = FindShownWindow(caption);
            if (!window) return false;
            PostClick(Button(window, button));
            return true;
        };
    };
    {
        ModalScript script({pressOn("Edit Folder Monitor", L"OK")});
        const std::optional<ScannerValues> saved = RunScannerDialog(nullptr, &existing);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->root, existing.root);
        EXPECT_EQ(saved->backuppath, existing.backuppath);
        EXPECT_EQ(saved->filters, existing.filters);
        EXPECT_EQ(saved->exceptions, existing.exceptions);
        EXPECT_EQ(saved->subfolders, false);
        EXPECT_EQ(saved->exclusive, true);
        EXPECT_EQ(saved->hasversions, true);
        EXPECT_EQ(saved->maxversions, 12);
        EXPECT_EQ(saved->status, 0);
    }
    {
        ModalScript script({pressOn("Add New Folder Monitor", L"Cancel")});
        EXPECT_FALSE(RunScannerDialog(nullptr, nullptr));
        EXPECT_TRUE(script.Finished());
    }
}

bool IsDefaultButton(HWND button) { return (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

// Focuses "Cancel", notes whether the default look went with the focus, and presses Enter there:
// it must reach "Cancel", not the default "OK", although OK would pass its checks.
std::deque<ModalScript::Step> EnterOnCancel(const std::string& caption, bool* lookFollowed,
                                            const std::string& typed = {}) {
    const auto focus = [=] {
        HWND window = FindShownWindow(caption);
        if (!window) return false;
        if (!typed.empty()) SetControlText(FindWindowExW(window, nullptr, L"EDIT", nullptr), typed);
        SetFocus(Button(window, L"Cancel"));
        return true;
    };
    const auto press = [=] {
        HWND window = FindShownWindow(caption);
        HWND cancel = Button(window, L"Cancel");
        *lookFollowed = IsDefaultButton(cancel) && !IsDefaultButton(Button(window, L"OK"));
        PostEnter(cancel);
        return true;
    };
    return {focus, press};
}

TEST(Win32DialogsTest, EnterOnAFocusedCancelCancelsTheInputBoxAndTheSetupDialog) {
    Win32Prompter prompter(nullptr);
    bool lookFollowed = false;
    {
        ModalScript script(EnterOnCancel("Edit Filter", &lookFollowed, "*.xls"));
        EXPECT_EQ(prompter.InputBox("Edit Filter", "Enter file filter", "*.doc"), "");
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_TRUE(lookFollowed);
    ScannerValues existing;
    existing.root = "C:\\work";
    existing.backuppath = "D:\\copy";
    existing.filters = {"*.doc"};
    existing.status = 1;
    lookFollowed = false;
    ModalScript script(EnterOnCancel("Edit Folder Monitor", &lookFollowed));
    EXPECT_FALSE(RunScannerDialog(nullptr, &existing));
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(lookFollowed);
}

TEST(Win32DialogsTest, FolderBrowserStartsAtTheGivenFolderAndCancelChoosesNothing) {
    Win32Prompter prompter(nullptr);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::string start = platform::win32::Narrow(system, wcslen(system));
    const auto answer = [](int command) -> ModalScript::Step {
        return [=] {
            HWND browser = FindShownWindowOfClass(L"#32770");
            if (!browser) return false;
            PostMessageW(browser, WM_COMMAND, command, 0);
            return true;
        };
    };
    {
        ModalScript script({answer(IDOK)});
        const std::optional<std::string> chosen = prompter.BrowseForFolder(start);
        ASSERT_TRUE(chosen);
        std::wstring chosenWide = platform::win32::Widen(*chosen);
        CharUpperW(chosenWide.data());
        CharUpperW(system);
        EXPECT_EQ(chosenWide, std::wstring(system));
    }
    {
        ModalScript script({answer(IDCANCEL)});
        EXPECT_FALSE(prompter.BrowseForFolder(start));
    }
}

class FakeStore final : public LogStore {
public:
    int LoadLogEntries(LogListModel& list) override {
        list.Clear();
        for (const LogListRow& row : entries) list.Append(row);
        return list.Count();
    }
    void CancelJob(std::int32_t jobid) override {
        cancelled.push_back(jobid);
        std::erase_if(entries, [jobid](const LogListRow& row) { return row.item.jobid == jobid; });
    }
    std::int64_t NewestEntryId() override { return 1; }
    std::vector<LogListRow> entries;
    std::vector<std::int32_t> cancelled;
};

LogListRow Entry(const std::string& type, int image, std::int32_t jobid) {
    return {type, image, "05/03/2024", "10:15:00", "Copy", type + " entry", {jobid, "C:\\a.txt", "D:\\a.txt"}};
}

void ClickRow(const LogForm& form, int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(form.List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    NMITEMACTIVATE click{};
    click.hdr = {form.List(), static_cast<UINT_PTR>(GetDlgCtrlID(form.List())), NM_CLICK};
    click.iItem = row;
    SendMessageW(form.Window(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

TEST(Win32DialogsTest, LogWindowCountsItsEventsAndOffersCancelForWarningsOnly) {
    FakeStore store;
    store.entries = {Entry("Warning", 1, 7), Entry("Information", 0, 8)};
    LogForm form(nullptr);
    LogFormPresenter presenter(form, store);
    form.SetPresenter(&presenter);
    std::string caption, dateValue, sourceValue, description;
    RECT client{}, frame{}, list{};
    LRESULT rows = 0;
    bool cancelAtStart = false, cancelOnInformation = true;
    int selectedAfterCancel = 0;
    ModalScript script({
        [&] {
            if (!IsWindowVisible(form.Window())) return false;
            caption = ControlText(form.Window());
            client = ClientRect(form.Window());
            GetWindowRect(form.Window(), &frame);
            list = PlaceInParent(form.List());
            rows = SendMessageW(form.List(), LVM_GETITEMCOUNT, 0, 0);
            cancelAtStart = IsWindowVisible(form.CancelOperationButton()) != FALSE;
            dateValue = ControlText(form.Value(0));
            sourceValue = ControlText(form.Value(4));
            description = ControlText(form.DescriptionBox());
            ClickRow(form, 1);
            cancelOnInformation = IsWindowVisible(form.CancelOperationButton()) != FALSE;
            ClickRow(form, 0);
            PostClick(form.CancelOperationButton());
            return true;
        },
        [&] {
            if (store.cancelled.empty()) return false;
            selectedAfterCancel = form.SelectedRow();
            PostMessageW(form.Window(), WM_CLOSE, 0, 0);
            return true;
        },
    });
    form.ShowModal();
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(caption, "Pellmar Event Log  2 Events");
    EXPECT_EQ(client.right, 593);
    EXPECT_EQ(client.bottom, 527);
    EXPECT_EQ(frame.left, 436);
    EXPECT_EQ(frame.top, 209);
    EXPECT_TRUE(SameRect(list, 0, 0, 593, 279));
    EXPECT_EQ(rows, 2);
    EXPECT_TRUE(cancelAtStart);
    EXPECT_FALSE(cancelOnInformation);
    EXPECT_EQ(dateValue, "05/03/2024");
    EXPECT_EQ(sourceValue, "C:\\a.txt");
    EXPECT_EQ(description, "Warning entry");
    EXPECT_EQ(store.cancelled, std::vector<std::int32_t>{7});
    EXPECT_EQ(selectedAfterCancel, -1);
    EXPECT_EQ(SendMessageW(form.List(), LVM_GETITEMCOUNT, 0, 0), 1);
}

TEST(Win32DialogsTest, EmptyLogShowsZeroEventsAndNoCancel) {
    FakeStore store;
    std::string caption;
    bool cancelShown = true;
    ModalScript script({[&] {
        HWND window = FindShownWindow("Pellmar Event Log  0 Events");
        if (!window) return false;
        caption = ControlText(window);
        cancelShown = IsWindowVisible(Button(FindWindowExW(window, nullptr, L"BUTTON", L"Event Detail "),
                                             L"Cancel Operation")) != FALSE;
        PostClick(Button(window, L"Close"));
        return true;
    }});
    RunLogDialog(nullptr, store);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(caption, "Pellmar Event Log  0 Events");
    EXPECT_FALSE(cancelShown);
}

}  // namespace
}  // namespace pellmar::test
