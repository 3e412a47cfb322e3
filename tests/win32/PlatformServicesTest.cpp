// The Windows services against the real system (under Wine in CI): the settings key and the Run
// value in the registry, the whole-or-nothing copy and the share-mode hold, the hidden
// application window found and closed by its title, the user's date and time formats. Names outside
// ASCII must survive each of them.
#include "platform/AppWindow.h"
#include "platform/AutostartEntry.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/UserSettings.h"
#include "platform/win32/WideText.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/win32/WideFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace pellmar::platform {
namespace {

using test::ReadFile;
using test::WriteFile;
using win32::Widen;

const std::string kNonAscii = "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";

TEST(RegistrySettings, ValuesRoundTripAndOnlyStringValuesCount) {
    auto settings = UserSettings::Open();
    ASSERT_TRUE(settings);
    ASSERT_TRUE(settings->WriteText("TestPath", "C:\\" + kNonAscii + "\\data"));
    EXPECT_EQ(UserSettings::Open()->ReadText("TestPath"), "C:\\" + kNonAscii + "\\data");
    EXPECT_EQ(settings->ReadText("NoSuchValue"), "");

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quenmarsh\\Pellmar", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const DWORD number = 7;
    RegSetValueExW(key, L"TestPath", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    EXPECT_EQ(settings->ReadText("TestPath"), "");
    RegDeleteValueW(key, L"TestPath");
    RegCloseKey(key);
}

TEST(RunValue, WrittenQuotedReadBackAndDeletedTwice) {
    const std::string folder = "C:\\Program Files\\" + kNonAscii + "\\";
    ASSERT_TRUE(WriteAutostartEntry(true, folder));
    EXPECT_EQ(ReadAutostartEntry(), std::optional<bool>(true));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    wchar_t data[512] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"PellmarTray", nullptr, &type, reinterpret_cast<BYTE*>(data), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(data), L"\"" + Widen(folder) + L"Pellmar.exe\"");
    EXPECT_EQ(size, (std::wstring(data).size() + 1) * sizeof(wchar_t));  // stored with its terminating zero
    EXPECT_TRUE(WriteAutostartEntry(false, folder));
    EXPECT_EQ(ReadAutostartEntry(), std::optional<bool>(false));
    EXPECT_TRUE(WriteAutostartEntry(false, folder));
}

TEST(CopyFileReplacing, ReplacesWholeOrLeavesTheOldBackupByteIdentical) {
    test::TempFolder folder;
    const std::string source = folder / (kNonAscii + ".txt");
    const std::string destination = folder / "backup.txt";
    ASSERT_TRUE(test::WriteWideNamed(source, std::string(300000, 'n')));
    WriteFile(destination, "old backup");

    auto stopHalfWay = [](std::uint64_t copied) { return copied < 100000; };
    // Wine's CopyFileExW does not stop a copy when its progress routine asks to.
    if (!test::RunningUnderWine()) {
        EXPECT_EQ(CopyFileReplacing(source, destination, stopHalfWay), CopyResult::Failed);
        EXPECT_EQ(ReadFile(destination), "old backup");
    }
    EXPECT_EQ(CopyFileReplacing(source, destination), CopyResult::Copied);
    EXPECT_EQ(ReadFile(destination), std::string(300000, 'n'));
    EXPECT_EQ(CopyFileReplacing(folder / "missing.txt", destination), CopyResult::Failed);
    EXPECT_EQ(CopyFileReplacing(folder.Path(), folder / "folder-copy"), CopyResult::Failed);
    // Neither the failed copies nor the good one leave their temporary files behind.
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW(Widen(folder / "*.tmp").c_str(), &entry);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST(FileSystem, ListsFactsAppendsDurablyAndReadsBack) {
    test::TempFolder folder;
    const std::string named = folder / (kNonAscii + ".txt");
    ASSERT_TRUE(AppendTextDurably(named, "one\r\n"));
    ASSERT_TRUE(AppendTextDurably(named, "two\r\n"));
    EXPECT_EQ(ReadTextFile(named), "one\r\ntwo\r\n");
    EXPECT_EQ(ReadTextFile(folder / "missing.txt"), "");
    ASSERT_TRUE(CreateFolder(folder / "sub"));
    EXPECT_EQ(CreateFolderLevel(folder / "sub"), CopyResult::Copied);
    EXPECT_EQ(CreateFolderLevel(folder / "sub/a?b"), CopyResult::NameNotAllowed);

    std::vector<FolderEntry> entries = ListFolder(folder.Path());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "sub");
    EXPECT_TRUE(entries[0].folder);
    EXPECT_FALSE(entries[0].file);
    EXPECT_EQ(entries[1].name, kNonAscii + ".txt");
    EXPECT_TRUE(entries[1].file);
    EXPECT_EQ(entries[1].size, 10u);
    // Counted from 1970, not from the system's own 1601 epoch: written moments ago.
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_LT(std::llabs(entries[1].modifiedNanoseconds - now), std::int64_t(600) * 1000000000);
    EXPECT_TRUE(ListFolder(folder / "missing").empty());
}

HANDLE OpenForWriting(const std::string& path) {
    return CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(ExclusiveHold, RefusedWhileAWriterHasItAndKeepsWritersOutButNotTheCopy) {
    test::TempFolder folder;
    const std::string source = folder / (kNonAscii + ".doc");
    ASSERT_TRUE(test::WriteWideNamed(source, "content"));

    HANDLE writer = OpenForWriting(source);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(TakeExclusiveHold(source));
    CloseHandle(writer);

    auto hold = TakeExclusiveHold(source);
    ASSERT_TRUE(hold);
    EXPECT_EQ(OpenForWriting(source), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CopyFileReplacing(source, folder / "backup.doc"), CopyResult::Copied);
    EXPECT_EQ(ReadFile(folder / "backup.doc"), "content");
    hold.reset();
    writer = OpenForWriting(source);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
}

TEST(UserLocale, WritesThePicturesWithItsDesignatorsAndLeavesYearsBefore1601ToTheCaller) {
    LocalTimeFields afternoon;
    afternoon.year = 2025;
    afternoon.month = 7;
    afternoon.day = 4;
    afternoon.hour = 13;
    afternoon.minute = 5;
    afternoon.second = 9;
    EXPECT_EQ(UserDateText(afternoon, "M/d/yyyy"), std::optional<std::string>("7/4/2025"));
    EXPECT_EQ(UserTimeText(afternoon, "h:mm:ss tt"), std::optional<std::string>("1:05:09 " + PmDesignator()));
    LocalTimeFields early = afternoon;
    early.year = 987;
    EXPECT_EQ(UserDateText(early, "M/d/yyyy"), std::nullopt);
    EXPECT_EQ(UserTimeText(early, "h:mm:ss tt"), std::nullopt);
}

TEST(AppWindow, FoundByTitleClosedSynchronouslyAndGoneWhenReleased) {
    const std::string title = "Pellmar test " + kNonAscii + " " + std::to_string(GetCurrentProcessId());
    std::atomic<int> closes{0};
    std::atomic<bool> handlerOnOtherThread{false};
    const auto testThread = std::this_thread::get_id();
    auto window = AppWindow::Register(title, [&] {
        handlerOnOtherThread = std::this_thread::get_id() != testThread;
        ++closes;
    });
    ASSERT_TRUE(window);
    const WindowHandle handle = FindAppWindow(title);
    EXPECT_EQ(handle, window->Handle());
    EXPECT_TRUE(AppWindowExists(handle));
    EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle))));

    EXPECT_TRUE(SendCloseRequest(handle, std::chrono::seconds(20)));
    EXPECT_EQ(closes.load(), 1);  // the send returns only once the handler has run
    EXPECT_TRUE(handlerOnOtherThread.load());
    EXPECT_TRUE(AppWindowExists(handle));  // closing is the owner's decision

    window.reset();
    EXPECT_FALSE(AppWindowExists(handle));
    EXPECT_EQ(FindAppWindow(title), 0);
    EXPECT_FALSE(SendCloseRequest(handle));  // a handle naming no window returns at once
    EXPECT_EQ(closes.load(), 1);
}

}  // namespace
}  // namespace pellmar::platform
