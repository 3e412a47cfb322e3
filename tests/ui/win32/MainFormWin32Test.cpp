// The Win32 configuration window through its real controls, driven by the presenter with scripted
// services: captions, pixel geometry, the list and its details pane, the buttons, Enter and the
// close box that hide, and the exit's close that stops the session.
#include "common/win32/Win32Controls.h"
#include "platform/win32/WideText.h"
#include "tests/ui/FakeMainForm.h"
#include "tests/ui/win32/Win32MessagePump.h"
#include "tray/ui/MainFormLayout.h"
#include "tray/ui/win32/frmMainForm.h"
#include "tray/util/Lists.h"

#include <commctrl.h>
#include <algorithm>
#include <array>
#include <cctype>
#include <gtest/gtest.h>

namespace pellmar::test {
namespace {

using win32ui::MainForm;

struct Place {
    int left, top, width, height;
    bool operator==(const Place&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Place& place) {
    return out << place.left << "," << place.top << " " << place.width << "x" << place.height;
}

// Where a control sits in its parent's client area.
Place PlaceInParent(HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

std::string TabText(HWND tabs, int index) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return platform::win32::Narrow(text, wcslen(text));
}

std::pair<std::string, int> Column(HWND list, int index) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    return {platform::win32::Narrow(text, wcslen(text)), column.cx};
}

std::string Cell(HWND list, int row, int column) {
    wchar_t text[260] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return platform::win32::Narrow(text, wcslen(text));
}

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

// The program's loop hands the window's keys to it as a dialog's.
// As the tray program's own loop does.
void PumpWithDialogKeys(HWND window) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (win32ui::HandleFormKeys(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

ScannerValues Monitor(const std::string& root) {
    ScannerValues values;
    values.root = root;
    values.backuppath = "C:\\Backup\\" + root.substr(3);
    values.filters = {"*.doc", "*.txt"};
    values.hasversions = true;
    values.maxversions = 10;
    values.status = 1;
    return values;
}

class MainFormWin32Test : public ::testing::Test {
protected:
    MainFormWin32Test() : services(log), session(log) {
        session.Fill({Monitor("C:\\Data\\Reports")});
        window = MainForm::Create();
        if (!window) return;
        presenter = std::make_unique<MainFormPresenter>(*window, services, session);
        window->SetPresenter(presenter.get());
        window->SetOnClosed([this] { ++closes; });
        presenter->Construct(true);
    }

    void Click(int id) { SendMessageW(window->Control(id), BM_CLICK, 0, 0); }

    std::vector<std::string> log;
    FakeServices services;
    FakeSession session;
    std::unique_ptr<MainForm> window;
    std::unique_ptr<MainFormPresenter> presenter;
    int closes = 0;
};

TEST_F(MainFormWin32Test, OpensWithItsControlsCaptionsAndGeometry) {
    ASSERT_NE(window, nullptr);
    HWND form = window->Window();
    EXPECT_EQ(win32ui::ControlText(form), "Pellmar Configuration");
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, 622);
    EXPECT_EQ(client.bottom, 418);
    EXPECT_TRUE(GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(IsWindowVisible(form));  // built hidden, reached through the tray

    EXPECT_EQ(PlaceInParent(window->Tabs()), (Place{8, 8, 609, 373}));
    EXPECT_EQ(TabText(window->Tabs(), 0), "Monitored Folders");
    EXPECT_EQ(TabText(window->Tabs(), 1), "Preferences");
    HWND list = window->List();
    EXPECT_EQ(PlaceInParent(list), (Place{4, 8, 589, 129}));
    EXPECT_EQ(Column(list, 0), (std::pair<std::string, int>{"Monitored Folder", 350}));
    EXPECT_EQ(Column(list, 1), (std::pair<std::string, int>{"Monitored Types", 150}));
    EXPECT_EQ(Column(list, 2), (std::pair<std::string, int>{"Status", 70}));
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

    EXPECT_EQ(PlaceInParent(window->Control(MainForm::kAdd)), (Place{356, 316, 75, 25}));
    EXPECT_EQ(PlaceInParent(window->Control(MainForm::kDelete)), (Place{520, 316, 75, 25}));
    EXPECT_EQ(PlaceInParent(window->Control(IDOK)), (Place{540, 388, 75, 25}));
    EXPECT_EQ(win32ui::ControlText(window->Control(IDOK)), "&Close");
    EXPECT_TRUE(GetWindowLongW(window->Control(IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_FALSE(IsWindowVisible(window->Control(MainForm::kExit)));
    EXPECT_FALSE(IsWindowEnabled(window->Control(MainForm::kApply)));
    HWND autostart = window->Control(MainForm::kAutostart);
    EXPECT_EQ(win32ui::ControlText(autostart), "Automatically start Pellmar when Windows is Started");
    EXPECT_EQ(PlaceInParent(autostart).left, 12);
    EXPECT_EQ(PlaceInParent(autostart).top, 24);
    EXPECT_FALSE(IsWindowVisible(autostart));  // on the second page

    // Row 0 is selected at start and fills the details pane.
    ASSERT_EQ(RowCount(list), 1);
    EXPECT_EQ(Cell(list, 0, 0), "C:\\Data\\Reports");
    EXPECT_EQ(Cell(list, 0, 1), "*.doc;*.txt");
    EXPECT_EQ(Cell(list, 0, 2), "Active");
    EXPECT_EQ(window->SelectedRow(), 0);
    EXPECT_TRUE(IsWindowEnabled(window->Control(MainForm::kEdit)));
    EXPECT_EQ(win32ui::ControlText(window->DetailValue(1)), "Yes, 10 versions maximum");
    EXPECT_EQ(PlaceInParent(window->DetailValue(6)).left, kDetailLines[6].valueLeft);
    EXPECT_EQ(win32ui::ControlText(window->DetailValue(8)), "Enabled");
}

// What the list answers for a cell when the pointer rests on it.
std::string InfoTipAt(HWND list, int row, int column) {
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &at);
    SetCursorPos(at.x, at.y);
    std::array<wchar_t, 1024> text{};
    NMLVGETINFOTIPW request{};
    request.hdr.hwndFrom = list;
    request.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    request.hdr.code = LVN_GETINFOTIPW;
    request.pszText = text.data();
    request.cchTextMax = static_cast<int>(text.size());
    request.iItem = row;
    SendMessageW(GetParent(list), WM_NOTIFY, request.hdr.idFrom, reinterpret_cast<LPARAM>(&request));
    return platform::win32::Narrow(text.data(), wcslen(text.data()));
}

TEST(MainFormWin32LongTextsTest, LongValuesStayInTheirRoomWholeInTheirTooltipsAndTheCellsTips) {
    std::vector<std::string> log;
    FakeServices services(log);
    FakeSession session(log);
    ScannerValues monitor = Monitor("C:\\Data\\" + std::string(80, 'a') + "\\" + std::string(80, 'b') + "\\" +
                                    std::string(80, 'c') + "\\Last");
    monitor.backuppath = "D:\\" + std::string(200, 'd') + "\\End";
    monitor.filters.clear();
    for (int entry = 0; entry < 40; ++entry) monitor.filters.push_back("*.type" + std::to_string(entry));
    session.Fill({monitor});
    std::unique_ptr<MainForm> window = MainForm::Create();
    ASSERT_NE(window, nullptr);
    MainFormPresenter presenter(*window, services, session);
    window->SetPresenter(&presenter);
    presenter.Construct(true);
    presenter.Configure();
    PumpMessages();

    const Place root = PlaceInParent(window->DetailValue(4));
    const Place backup = PlaceInParent(window->DetailValue(5));
    const Place types = PlaceInParent(window->DetailValue(2));
    EXPECT_LE(root.top + root.height, backup.top);
    EXPECT_LE(backup.top + backup.height, 165);
    EXPECT_LE(types.left + types.width, kDetailLines[8].nameLeft);  // "Status:" on the same row
    const std::string shownRoot = win32ui::ControlText(window->DetailValue(4));
    EXPECT_EQ(shownRoot.rfind("C:\\Data\\aaa", 0), 0u);
    EXPECT_NE(shownRoot.find("\u2026"), std::string::npos);
    EXPECT_EQ(shownRoot.substr(shownRoot.size() - 5), "\\Last");
    EXPECT_EQ(window->ValueTip(4), monitor.root);
    EXPECT_EQ(window->ValueTip(2), JoinList(monitor.filters));
    EXPECT_EQ(window->ValueTip(1), "");  // it fits
    // The pointer resting on the shortened path pops its tooltip up.
    RECT label{};
    GetWindowRect(window->DetailValue(4), &label);
    SetCursorPos((label.left + label.right) / 2, (label.top + label.bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window->ValueTips()) != FALSE; }));
    TTTOOLINFOW shown{};
    shown.cbSize = sizeof(shown);
    SendMessageW(window->ValueTips(), TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown.uId, reinterpret_cast<UINT_PTR>(window->DetailValue(4)));

    HWND list = window->List();
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_INFOTIP);
    EXPECT_EQ(InfoTipAt(list, 0, 0), monitor.root);
    EXPECT_EQ(InfoTipAt(list, 0, 2), "Active");
}

TEST_F(MainFormWin32Test, ButtonsAndTheListMenuReachThePresenter) {
    ASSERT_NE(window, nullptr);
    HWND list = window->List();
    SendMessageW(window->Window(), WM_COMMAND, MainForm::kDisable, 0);  // the list menu's item
    EXPECT_EQ(Cell(list, 0, 2), "Disabled");
    EXPECT_EQ(win32ui::ControlText(window->DetailValue(8)), "Disabled");

    services.dialogAnswers.push_back(Monitor("C:\\Data\\Letters"));
    Click(MainForm::kAdd);
    ASSERT_EQ(RowCount(list), 2);
    EXPECT_EQ(Cell(list, 1, 0), "C:\\Data\\Letters");

    Click(MainForm::kDelete);
    EXPECT_EQ(RowCount(list), 1);
    EXPECT_EQ(session.monitors.size(), 1u);

    // The checkbox sits in a group box on the other page; its click still reaches the presenter.
    Click(MainForm::kAutostart);
    EXPECT_TRUE(IsWindowEnabled(window->Control(MainForm::kApply)));
    Click(MainForm::kApply);
    EXPECT_TRUE(services.autostartEntry);
    EXPECT_FALSE(IsWindowEnabled(window->Control(MainForm::kApply)));
}

// Every push button of the window, on both pages, has a letter of its own; Alt and "E" presses
// "&Edit" through the program's dialog keys.
TEST_F(MainFormWin32Test, EveryButtonHasItsOwnMnemonicAndAltPressesIt) {
    ASSERT_NE(window, nullptr);
    std::vector<wchar_t> letters;
    EnumChildWindows(window->Window(), [](HWND control, LPARAM found) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(control, name, 16);
        const LONG kind = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        if (lstrcmpiW(name, L"BUTTON") != 0 || (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON)) return TRUE;
        const std::string text = win32ui::ControlText(control);
        const std::size_t at = text.find('&');
        auto* list = reinterpret_cast<std::vector<wchar_t>*>(found);
        list->push_back(at + 1 < text.size() ? static_cast<wchar_t>(std::tolower(text[at + 1])) : L'?');
        return TRUE;
    }, reinterpret_cast<LPARAM>(&letters));
    EXPECT_EQ(letters.size(), 7u);  // Add, Edit, Delete, Apply, Close, View Log, Exit
    EXPECT_EQ(std::count(letters.begin(), letters.end(), L'?'), 0);
    std::sort(letters.begin(), letters.end());
    EXPECT_EQ(std::adjacent_find(letters.begin(), letters.end()), letters.end());

    services.dialogAnswers.push_back(std::nullopt);
    presenter->Configure();
    HWND form = window->Window();
    ASSERT_TRUE(IsWindowVisible(form));
    SetFocus(window->List());
    PostMessageW(window->List(), WM_SYSCHAR, 'e', 1 << 29);  // bit 29: Alt is down
    EXPECT_TRUE(WaitUntil([&] {
        PumpWithDialogKeys(form);
        return !services.dialogSawExisting.empty();
    }, std::chrono::seconds(60)));
    ASSERT_EQ(services.dialogSawExisting.size(), 1u);
    ASSERT_TRUE(services.dialogSawExisting[0]);
    EXPECT_EQ(services.dialogSawExisting[0]->root, "C:\\Data\\Reports");
}

TEST_F(MainFormWin32Test, EnterAndTheCloseBoxHideOnlyTheExitClosesAndStopsTheSession) {
    ASSERT_NE(window, nullptr);
    HWND form = window->Window();
    presenter->Configure();
    ASSERT_TRUE(IsWindowVisible(form));
    PostMessageW(window->List(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] {
        PumpWithDialogKeys(form);
        return !IsWindowVisible(form);
    }, std::chrono::seconds(60)));
    // Enter on a focused button presses that button, not "Close".
    presenter->Configure();
    services.dialogAnswers.push_back(Monitor("C:\\Data\\Letters"));
    PostMessageW(window->Control(MainForm::kAdd), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] {
        PumpWithDialogKeys(form);
        return RowCount(window->List()) == 2;
    }, std::chrono::seconds(60)));
    EXPECT_TRUE(IsWindowVisible(form));
    PostMessageW(form, WM_CLOSE, 0, 0);  // the close box
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(form); }));
    EXPECT_EQ(session.stops, 0);
    EXPECT_EQ(closes, 0);

    presenter->Exit();
    EXPECT_TRUE(PumpUntil([&] { return closes == 1; }));
    EXPECT_EQ(presenter->Session(), nullptr);  // stopped and gone inside the close
    EXPECT_NE(std::find(log.begin(), log.end(), "exit started"), log.end());
}

}  // namespace
}  // namespace pellmar::test
