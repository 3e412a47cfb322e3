// The shipped programs as processes under Windows: pellmard.exe replicates a plain and a versioned
// file into their backup folders, qmRemove.exe ends it through its "Pellmar" window with exit code
// 0 (and pellmard ends with 0 after an orderly shutdown), pellmarctl.exe changes the monitors of a
// running pellmard through its pipe, qmUpdate.exe checks a loopback location.
#include "platform/AppWindow.h"
#include "platform/ControlChannel.h"
#include "platform/Environment.h"
#include "platform/win32/WideText.h"
#include "tests/win32/RegisteredLocationsTest.h"
#include "tests/win32/LoopbackHttpServer.h"
#include "tray/ctl/CtlProtocol.h"
#include "tray/db/Statements.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using test::WriteFile;

// Starts one of the programs beside this test program, its output into the given files when there
// are any (inheritable handles); the handle is closed by the owner.
HANDLE StartProgram(const std::string& name, const std::string& arguments, HANDLE output = nullptr,
                    HANDLE errors = nullptr) {
    const std::wstring program = platform::win32::Widen(platform::GetProgramFolder() + name);
    std::wstring commandLine = L"\"" + program + L"\" " + platform::win32::Widen(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = errors;
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, output ? TRUE : FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

// The exit code, or -1 when the process has not ended within two minutes.
int WaitForExit(HANDLE process) {
    if (WaitForSingleObject(process, 120000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return static_cast<int>(code);
}

class ProgramsTest : public test::RegisteredLocationsTest {
protected:
    ~ProgramsTest() override {
        if (pellmard) {
            TerminateProcess(pellmard, 99);  // only after a failed assertion: never leave it behind
            WaitForSingleObject(pellmard, 10000);
            CloseHandle(pellmard);
        }
    }
    // pellmarctl.exe with these arguments to its end: exit code, output and errors (line ends as written).
    struct CtlRun {
        int code = -1;
        std::string out, err;
    };
    CtlRun Ctl(const std::string& arguments) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const std::string outPath = root / "ctl.out", errPath = root / "ctl.err";
        auto open = [&](const std::string& path) {
            return CreateFileW(platform::win32::Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        };
        HANDLE out = open(outPath), err = open(errPath);
        CtlRun run;
        if (HANDLE ctl = StartProgram("pellmarctl.exe", arguments, out, err)) {
            run.code = WaitForExit(ctl);
            CloseHandle(ctl);
        }
        CloseHandle(out);
        CloseHandle(err);
        run.out = test::ReadFile(outPath);
        run.err = test::ReadFile(errPath);
        return run;
    }
    // qmRemove.exe ends with 0 after asking the "Pellmar" window to close; pellmard with 0 once it has.
    void EndPellmardWithQmRemove() {
        HANDLE remover = StartProgram("qmRemove.exe", "/T: Pellmar");
        ASSERT_NE(remover, nullptr);
        EXPECT_EQ(WaitForExit(remover), 0);
        CloseHandle(remover);
        EXPECT_EQ(WaitForExit(pellmard), 0);
        CloseHandle(pellmard);
        pellmard = nullptr;
    }
    HANDLE pellmard = nullptr;
};

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

// What the session logged and left queued, for the message of a failed wait.
std::string Diagnosis(const std::vector<test::Row>& log, const std::vector<test::Row>& jobs) {
    std::string text;
    for (const auto& row : log) {
        for (const auto& [column, value] : row) text += column + "=" + value + " ";
        text += "\n";
    }
    text += std::to_string(jobs.size()) + " jobs queued";
    return text;
}

int CountVersions(const std::string& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("v.", 0) == 0 && name.size() > 6 && name.substr(name.size() - 4) == ".txt") ++count;
    }
    return count;
}

TEST_F(ProgramsTest, PellmardReplicatesAndQmRemoveEndsItThroughItsWindow) {
    test::CreateDatabase(DatabasePath());
    const std::string versionsWatched = root / "versioned";
    const std::string versionsBackup = root / "versions";
    fs::create_directories(versionsWatched);
    fs::create_directories(versionsBackup);
    ScannerValues plain = Monitor(watched, backup);
    ScannerValues versioned = Monitor(versionsWatched, versionsBackup);
    versioned.hasversions = true;
    versioned.maxversions = 5;
    test::ExecStatements(DatabasePath(), InsertScannerStatement(plain) + InsertScannerStatement(versioned));

    WriteFile(watched + "/before.txt", "before");
    ChangeEvent leftOver;
    leftOver.jobtype = ChangeCreated;
    leftOver.src = watched + "/before.txt";
    leftOver.dest = backup + "/before.txt";
    InsertJob(leftOver);

    pellmard = StartProgram("pellmard.exe", "");
    ASSERT_NE(pellmard, nullptr);
    // The window exists before the monitors watch; the left-over job runs only once they do.
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/before.txt"); }, std::chrono::seconds(60)))
        << Diagnosis(Log(), Jobs());
    ASSERT_NE(platform::FindAppWindow("Pellmar"), 0);
    WriteFile(watched + "/report.txt", "plain");
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/report.txt"); }, std::chrono::seconds(60)))
        << Diagnosis(Log(), Jobs());
    WriteFile(versionsWatched + "/v.txt", "first");
    ASSERT_TRUE(test::WaitUntil([&] { return CountVersions(versionsBackup) >= 1; }, std::chrono::seconds(60)));
    // In a later clock second, so the second write is a new version and not a same-second repeat.
    SYSTEMTIME first{};
    GetLocalTime(&first);
    ASSERT_TRUE(test::WaitUntil([&] {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return now.wSecond != first.wSecond;
    }));
    WriteFile(versionsWatched + "/v.txt", "second");
    ASSERT_TRUE(test::WaitUntil([&] { return CountVersions(versionsBackup) >= 2; }, std::chrono::seconds(60)));
    EXPECT_EQ(test::ReadFile(backup + "/report.txt"), "plain");

    EndPellmardWithQmRemove();
    EXPECT_EQ(platform::FindAppWindow("Pellmar"), 0);
}

TEST_F(ProgramsTest, PellmarctlReachesPellmardThroughItsPipeAndTheHostActsAtOnce) {
    test::CreateDatabase(DatabasePath());
    pellmard = StartProgram("pellmard.exe", "");
    ASSERT_NE(pellmard, nullptr);
    // Listening means the host holds its lock: from now on only the pipe can answer pellmarctl.
    std::string reply;
    ASSERT_TRUE(test::WaitUntil([&] {
        return platform::SendControlRequest(ctl::ControlChannelName(DataPath()), ctl::EncodeRequest(root.Path(), {"list"}),
                                            &reply) == platform::ControlResult::Answered;
    }, std::chrono::seconds(60)));

    const CtlRun added = Ctl("add \"" + watched + "\" \"" + backup + "\" --masks *.txt");
    ASSERT_EQ(added.code, 0) << added.err;
    EXPECT_EQ(WithoutCarriageReturns(added.out), "1\n");
    WriteFile(watched + "/first.txt", "one");
    EXPECT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/first.txt"); }, std::chrono::seconds(60)))
        << Diagnosis(Log(), Jobs());
    const CtlRun listed = Ctl("list");
    EXPECT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(WithoutCarriageReturns(listed.out), "1\tActive\t" + watched + "\t*.txt\t" + backup + "\n");
    const CtlRun synced = Ctl("sync 1");  // only a running host can do this one
    EXPECT_EQ(synced.code, 0) << synced.err;

    EndPellmardWithQmRemove();
}

TEST(QmUpdate, ChecksTheLoopbackLocationAndEndsWithTheCheckResult) {
    test::LoopbackHttpServer server;
    server.Serve("/updates/Pellmar/VersionInfo.ini", "[AppInfo]\r\nAppName=Pellmar\r\nVersionNo=1.2.0.0\r\n");
    const std::string path = platform::GetProgramFolder() + "Pellmar.exe";
    HANDLE current = StartProgram("qmUpdate.exe", server.BaseUrl() + "/updates/Pellmar \"" + path + "\" 1.2.0.0 0");
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(WaitForExit(current), 0);
    CloseHandle(current);
    EXPECT_EQ(server.Requests("/updates/Pellmar/VersionInfo.ini"), 1);

    HANDLE unreachable = StartProgram("qmUpdate.exe", server.BaseUrl() + "/nowhere/Pellmar \"" + path + "\" 1.2.0.0 0");
    ASSERT_NE(unreachable, nullptr);
    EXPECT_EQ(WaitForExit(unreachable), 2);
    CloseHandle(unreachable);
}

}  // namespace
}  // namespace pellmar
