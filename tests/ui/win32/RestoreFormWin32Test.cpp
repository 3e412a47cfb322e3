// The Win32 restore window as a real window under its modal loop, on real folders with the real
// restore thread and the Win32 dispatcher: the tree, the copies of the selected file, the text
// preview, and "Restore" answered through the real question box.
#include "tests/support/TempFolder.h"
#include "tests/ui/FakeMainForm.h"
#include "tests/ui/win32/ModalScript.h"
#include "common/win32/Win32Controls.h"
#include "platform/win32/WideText.h"
#include "tray/ctl/DatabaseStore.h"
#include "tray/ui/win32/Win32Dialogs.h"
#include "tray/ui/win32/Win32Dispatcher.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <filesystem>

namespace pellmar::test {
namespace {

using win32ui::ControlText;

HWND Button(HWND window, const std::string& shown) {
    for (HWND button = FindWindowExW(window, nullptr, L"BUTTON", nullptr); button;
         button = FindWindowExW(window, button, L"BUTTON", nullptr)) {
        std::string text = ControlText(button);
        std::erase(text, '&');
        if (text == shown) return button;
    }
    return nullptr;
}

HWND Child(HWND window, const wchar_t* className) { return FindWindowExW(window, nullptr, className, nullptr); }

HWND PreviewOf(HWND window) { return Child(FindWindowExW(window, nullptr, L"BUTTON", L"Preview"), L"EDIT"); }

TEST(RestoreFormWin32Test, TheSelectedFilesCopiesAndPreviewAndRestoreAfterTheQuestion) {
    TempFolder folder;
    const std::string watched = folder.Path() + "\\watched", backup = folder.Path() + "\\backup";
    std::filesystem::create_directories(watched);
    std::filesystem::create_directories(backup);
    WriteFile(backup + "\\notes.1.txt", "old notes");
    WriteFile(backup + "\\notes.2.txt", "new notes");
    WriteFile(watched + "\\notes.txt", "today");
    std::vector<std::string> log;
    FakeSession session(log);
    ScannerValues monitor;
    monitor.root = watched;
    monitor.backuppath = backup;
    monitor.hasversions = true;
    monitor.maxversions = 5;
    session.Fill({monitor});
    session.locations.databasePath = folder.Path() + "\\pellmar.db";
    session.locations.tempFilePath = folder.Path() + "\\temp\\";
    ctl::DatabaseStore(session.locations.databasePath, true);
    std::unique_ptr<Win32Dispatcher> dispatcher = Win32Dispatcher::Create();
    ASSERT_NE(dispatcher, nullptr);

    int nodes = 0, copies = 0;
    std::string newest, older, status;
    ModalScript script({
        [&] {
            HWND window = FindShownWindow("Pellmar Restore");
            if (!window) return false;
            HWND tree = Child(window, WC_TREEVIEWW);
            nodes = static_cast<int>(SendMessageW(tree, TVM_GETCOUNT, 0, 0));
            const LPARAM root = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
            const LPARAM file = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, root);
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, file);
            HWND list = Child(window, WC_LISTVIEWW);
            copies = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
            newest = ControlText(PreviewOf(window));
            LVITEMW selected{};
            selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected));
            older = ControlText(PreviewOf(window));
            PostClick(Button(window, "Restore"));
            return true;
        },
        [&] {
            HWND question = FindShownWindowOfClass(L"#32770");
            if (!question) return false;
            PostClick(Button(question, "Yes"));
            return true;
        },
        [&] {
            HWND window = FindShownWindow("Pellmar Restore");
            if (!window) return false;
            for (HWND label = nullptr; (label = FindWindowExW(window, label, L"STATIC", nullptr));)
                if (ControlText(label).rfind("Restored", 0) == 0) status = ControlText(label);
            if (status.rfind("Restored", 0) != 0) return false;
            PostClick(Button(window, "Close"));
            return true;
        },
    });
    RunRestoreDialog(nullptr, session, session.monitors.front().id, *dispatcher);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(nodes, 2);
    EXPECT_EQ(copies, 2);
    EXPECT_EQ(newest, "new notes");
    EXPECT_EQ(older, "old notes");
    EXPECT_EQ(status, "Restored 1 file from the backup.");
    EXPECT_EQ(ReadFile(watched + "\\notes.txt"), "old notes");
    EXPECT_EQ(ReadFile(backup + "\\notes.3.txt"), "today");
    dispatcher->Quit();
}

}  // namespace
}  // namespace pellmar::test
