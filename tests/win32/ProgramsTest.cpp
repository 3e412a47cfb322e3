// The shipped programs as processes under Windows: pellmard.exe replicates a plain and a versioned
// file into their backup folders, qmRemove.exe ends it through its "Pellmar" window with exit code
// 0 (and pellmard ends with 0 after an orderly shutdown) and finds a window whose title lies outside
// the ANSI code page, pellmarctl.exe changes the monitors of a running pellmard through its pipe,
// qmUpdate.exe checks a loopback location. The tray program Pellmar.exe
// likewise, with a second copy that only shows the first, and it starts the updater beside it; and
// in this process, a monitor added through its configuration window replicates.
#include "common/CommandLine.h"
#include "platform/AppWindow.h"
#include "platform/ControlChannel.h"
#include "platform/Environment.h"
#include "platform/win32/WideText.h"
#include "tests/ui/win32/Win32MessagePump.h"
#include "tests/win32/LoopbackHttpServer.h"
#include "tests/win32/RegisteredLocationsTest.h"
#include "tray/ctl/CtlOutput.h"
#include "tray/ctl/CtlProtocol.h"
#include "tray/app/Win32TrayToolkit.h"
#include "tray/db/Statements.h"
#include "tray/shell/UpdaterLaunch.h"
#include "tray/ui/win32/Win32TrayIcon.h"
#include "tray/ui/win32/frmMainForm.h"

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using test::WriteFile;

// Starts a program by its full path, its output into the given files when there are any
// (inheritable handles); the handle is closed by the owner.
HANDLE StartProgramAt(const std::wstring& program, const std::string& arguments, HANDLE output = nullptr,
                      HANDLE errors = nullptr) {
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

// Starts one of the programs beside this test program.
HANDLE StartProgram(const std::string& name, const std::string& arguments, HANDLE output = nullptr,
                    HANDLE errors = nullptr) {
    return StartProgramAt(platform::win32::Widen(platform::GetProgramFolder() + name), arguments, output, errors);
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
        if (host) {
            TerminateProcess(host, 99);  // only after a failed assertion: never leave it behind
            WaitForSingleObject(host, 10000);
            CloseHandle(host);
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
    // A file of the watched folder with its job still queued, as the last run left it.
    void LeaveJobFromLastRun(const std::string& name, const std::string& content) {
        WriteFile(watched + "/" + name, content);
        ChangeEvent leftOver;
        leftOver.jobtype = ChangeCreated;
        leftOver.src = watched + "/" + name;
        leftOver.dest = backup + "/" + name;
        InsertJob(leftOver);
    }
    // qmRemove ends the host through its "Pellmar" window; both end with exit code 0.
    void EndHostWithQmRemove() {
        HANDLE remover = StartProgram("qmRemove.exe", "/T: Pellmar");
        ASSERT_NE(remover, nullptr);
        EXPECT_EQ(WaitForExit(remover), 0);
        CloseHandle(remover);
        EXPECT_EQ(WaitForExit(host), 0);
        CloseHandle(host);
        host = nullptr;
        EXPECT_EQ(platform::FindAppWindow("Pellmar"), 0);
    }

    HANDLE host = nullptr;  // the replication host started by the test
};

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

    LeaveJobFromLastRun("before.txt", "before");

    host = StartProgram("pellmard.exe", "");
    ASSERT_NE(host, nullptr);
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

    EndHostWithQmRemove();
}

HWND ConfigurationWindow() { return FindWindowW(nullptr, L"Pellmar Configuration"); }

TEST_F(ProgramsTest, PellmarReplicatesShowsItselfToASecondCopyAndQmRemoveEndsItInOrder) {
    test::CreateDatabase(DatabasePath());
    test::ExecStatements(DatabasePath(), InsertScannerStatement(Monitor(watched, backup)));
    LeaveJobFromLastRun("before.txt", "before");

    host = StartProgram("Pellmar.exe", "");
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/before.txt"); }, std::chrono::seconds(60)))
        << Diagnosis(Log(), Jobs());
    ASSERT_NE(platform::FindAppWindow("Pellmar"), 0);
    ASSERT_NE(ConfigurationWindow(), nullptr);
    WriteFile(watched + "/report.txt", "plain");
    ASSERT_TRUE(test::WaitUntil([&] { return test::ReadFile(backup + "/report.txt") == "plain"; },
                                std::chrono::seconds(60)))
        << Diagnosis(Log(), Jobs());

    // With a tray the window starts hidden; a second copy shows it and ends at once.
    ShowWindow(ConfigurationWindow(), SW_HIDE);
    HANDLE second = StartProgram("Pellmar.exe", "");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(WaitForExit(second), 0);
    CloseHandle(second);
    EXPECT_TRUE(test::WaitUntil([] { return IsWindowVisible(ConfigurationWindow()) != FALSE; }));
    EXPECT_EQ(WaitForSingleObject(host, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    EndHostWithQmRemove();
    EXPECT_EQ(ConfigurationWindow(), nullptr);
    // Stopped in order: nothing failed, and a change still reported at the end (Wine may repeat one
    // late) waits in the queue for the next start rather than being lost.
    for (const auto& entry : Log()) EXPECT_EQ(entry.at("status"), "0") << Diagnosis(Log(), Jobs());
    for (const auto& job : Jobs()) {
        EXPECT_EQ(fs::path(job.at("src")).filename(), "report.txt") << Diagnosis(Log(), Jobs());
    }
}

// Starting the tray program runs the updater beside it with the update location, the program's
// own path, its version and the handle of its application window, which the updater closes.
TEST_F(ProgramsTest, PellmarStartsTheUpdaterBesideItWithItsApplicationWindow) {
    const fs::path here = platform::win32::Widen(platform::GetProgramFolder());
    const fs::path programs = platform::win32::Widen(root / "programs");
    fs::create_directories(programs);
    for (const char* name : {"Pellmar.exe", "sqlite3.dll"}) fs::copy_file(here / name, programs / name);
    fs::copy_file(here / "record_command_line.exe", programs / "qmUpdate.exe");

    host = StartProgramAt(programs / "Pellmar.exe", "");
    ASSERT_NE(host, nullptr);
    const fs::path recorded = programs / "command-line.txt";
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(recorded) && fs::file_size(recorded) > 0; },
                                std::chrono::seconds(60)));
    // Without the program's own name.
    const std::vector<std::string> arguments = ParseCommandLine(test::ReadFile(recorded.string()));
    ASSERT_EQ(arguments.size(), 4u) << test::ReadFile(recorded.string());
    EXPECT_EQ(arguments[0], UpdateLocation);
    EXPECT_TRUE(fs::equivalent(platform::win32::Widen(arguments[1]), programs / "Pellmar.exe")) << arguments[1];
    EXPECT_EQ(arguments[2], ProgramVersion);
    EXPECT_EQ(arguments[3], std::to_string(platform::FindAppWindow("Pellmar")));
    EndHostWithQmRemove();
}

// The window's own "Add" button with the setup dialog answered, then a close request to the
// application window from another thread, as qmUpdate and qmRemove send it.
TEST_F(ProgramsTest, TrayProgramAddsAMonitorThroughItsWindowAndACloseRequestEndsIt) {
    TrayOptions options;
    options.timings = timings;
    options.setupDialog = [this](const ScannerValues* existing) -> std::optional<ScannerValues> {
        if (existing) return std::nullopt;
        return Monitor(watched, backup);
    };
    std::unique_ptr<Win32TrayToolkit> made = Win32TrayToolkit::Create();
    ASSERT_NE(made, nullptr);
    Win32TrayToolkit& toolkit = *made;
    TrayProgram program(std::move(made), options);
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.AppWindowHandle(), 0);
    win32ui::MainForm& window = toolkit.Window();
    SendMessageW(window.Control(win32ui::MainForm::kAdd), BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageW(window.List(), LVM_GETITEMCOUNT, 0, 0), 1);
    WriteFile(watched + "/note.txt", "replicated");
    EXPECT_TRUE(test::PumpUntil([&] { return test::ReadFile(backup + "/note.txt") == "replicated"; }))
        << Diagnosis(Log(), Jobs());

    std::thread closer([handle = program.AppWindowHandle()] { platform::SendCloseRequest(handle); });
    const bool closed = test::PumpUntil([&] { return program.Closed(); });
    closer.join();
    ASSERT_TRUE(closed);
    EXPECT_EQ(program.Presenter().Session(), nullptr);
    EXPECT_FALSE(IsWindowVisible(window.Window()));
    EXPECT_FALSE(toolkit.Tray() && toolkit.Tray()->Shown());
}

TEST(QmRemove, ATitleOutsideTheAnsiCodePageReachesItsWindow) {
    const std::string title = "\xD0\x9F\xD0\xB5\xD0\xBB\xD0\xBB\xD0\xBC\xD0\xB0\xD1\x80 \xE9\xB3\xA5 " +
                              std::to_string(GetCurrentProcessId());  // Cyrillic and CJK
    std::atomic<int> closes{0};
    auto window = platform::AppWindow::Register(title, [&] { ++closes; });
    ASSERT_TRUE(window);
    HANDLE remover = StartProgram("qmRemove.exe", "/T: \"" + title + "\"");
    ASSERT_NE(remover, nullptr);
    // The window stays (closing is its owner's decision), so qmRemove waits out its pauses.
    EXPECT_EQ(WaitForExit(remover), 0);
    CloseHandle(remover);
    EXPECT_EQ(closes.load(), 1);
}

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

TEST_F(ProgramsTest, PellmarctlReachesPellmardThroughItsPipeAndTheHostActsAtOnce) {
    test::CreateDatabase(DatabasePath());
    host = StartProgram("pellmard.exe", "");
    ASSERT_NE(host, nullptr);
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
    // Text fields escape their backslashes, so a Windows path prints with each one doubled.
    EXPECT_EQ(WithoutCarriageReturns(listed.out),
              "1\tActive\t" + ctl::TextField(watched) + "\t*.txt\t" + ctl::TextField(backup) + "\twatching\n");
    const CtlRun synced = Ctl("sync 1");  // only a running host can do this one
    EXPECT_EQ(synced.code, 0) << synced.err;
    EndHostWithQmRemove();
}

TEST(QmUpdate, BelievesNoDescriptionItCannotVerifyAndEndsWithTwo) {
    test::LoopbackHttpServer server;
    server.Serve("/updates/Pellmar/VersionInfo.ini", "[AppInfo]\r\nAppName=Pellmar\r\nVersionNo=9\r\n");
    server.Serve("/updates/Pellmar/VersionInfo.ini.sig", "not a signature");
    const std::string path = platform::GetProgramFolder() + "Pellmar.exe";
    // Built without a key the updater fetches nothing; built with one it refuses this signature.
    HANDLE current = StartProgram("qmUpdate.exe", server.BaseUrl() + "/updates/Pellmar \"" + path + "\" 1.2.0.0 0");
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(WaitForExit(current), 2);
    CloseHandle(current);
    EXPECT_LE(server.Requests("/updates/Pellmar/VersionInfo.ini"), 1);

    HANDLE unreachable = StartProgram("qmUpdate.exe", server.BaseUrl() + "/nowhere/Pellmar \"" + path + "\" 1.2.0.0 0");
    ASSERT_NE(unreachable, nullptr);
    EXPECT_EQ(WaitForExit(unreachable), 2);
    CloseHandle(unreachable);
}

}  // namespace
}  // namespace pellmar
