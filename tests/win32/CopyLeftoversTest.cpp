// Temporaries that a crashed copy left in a backup folder are removed by the next copy into that
// folder, but only those whose process has ended: a live owner may still be writing its copy.
#include "platform/FileCopy.h"
#include "platform/win32/WideText.h"
#include "tests/support/TempFolder.h"
#include "tests/win32/WideFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace pellmar::platform {
namespace {

// This test program started again to run no test; suspended, it stays alive until resumed.
PROCESS_INFORMATION StartIdleCopyOfThisProgram(DWORD flags) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_filter=-*";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &process))
        ADD_FAILURE() << "CreateProcessW failed: " << GetLastError();
    return process;
}

std::string Leftover(DWORD processId, const std::string& rest = ".0.tmp") {
    return ".pellmar-copy." + std::to_string(processId) + rest;
}

TEST(CopyLeftovers, RemovesOnlyTemporariesOfEndedProcesses) {
    test::TempFolder folder;
    const std::string backup = folder / "backup";
    ASSERT_TRUE(CreateDirectoryW(win32::Widen(backup).c_str(), nullptr));
    test::WriteFile(folder / "src.txt", "content");

    // Its handle stays open until the end, so the ended process's id cannot be given to another.
    PROCESS_INFORMATION ended = StartIdleCopyOfThisProgram(0);
    ASSERT_EQ(WaitForSingleObject(ended.hProcess, 120000), WAIT_OBJECT_0);
    PROCESS_INFORMATION live = StartIdleCopyOfThisProgram(CREATE_SUSPENDED);

    const std::string endedLeftover = backup + "/" + Leftover(ended.dwProcessId, ".12.tmp");
    const std::string readOnlyLeftover = backup + "/" + Leftover(ended.dwProcessId);
    // Process ids are multiples of four far below this one: a crash from long ago.
    const std::string goneLeftover = backup + "/" + Leftover(0x7FFFFFFC, ".5.tmp");
    const std::string liveLeftover = backup + "/" + Leftover(live.dwProcessId, ".3.tmp");
    const std::string ownLeftover = backup + "/" + Leftover(GetCurrentProcessId(), ".7.tmp");
    const std::string otherName = backup + "/" + Leftover(ended.dwProcessId, ".1.tmp.keep");
    for (const std::string& path :
         {endedLeftover, readOnlyLeftover, goneLeftover, liveLeftover, ownLeftover, otherName}) {
        test::WriteFile(path, "partial");
    }
    SetFileAttributesW(win32::Widen(readOnlyLeftover).c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(CopyFileReplacing(folder / "src.txt", backup + "/new.doc"), CopyResult::Copied);

    EXPECT_FALSE(test::WideFileExists(endedLeftover));
    EXPECT_FALSE(test::WideFileExists(readOnlyLeftover));
    EXPECT_FALSE(test::WideFileExists(goneLeftover));
    EXPECT_TRUE(test::WideFileExists(liveLeftover));
    EXPECT_TRUE(test::WideFileExists(ownLeftover));
    EXPECT_TRUE(test::WideFileExists(otherName));
    EXPECT_EQ(test::ReadFile(backup + "/new.doc"), "content");

    ResumeThread(live.hThread);
    EXPECT_EQ(WaitForSingleObject(live.hProcess, 120000), WAIT_OBJECT_0);
    for (const PROCESS_INFORMATION& process : {ended, live}) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

}  // namespace
}  // namespace pellmar::platform
