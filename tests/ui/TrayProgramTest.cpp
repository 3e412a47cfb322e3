// The tray program end to end, offscreen on a private home: in-process, a monitor added through
// the presenter replicates a written file and a close request to the application window ends the
// program with the session stopped; as processes, a second copy only shows the first, pellmard
// refuses to run beside it, and qmRemove ends it with exit code 0.
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/ui/QtTestApplication.h"
#include "tests/uninstall/WindowOwnerProcess.h"
#include "tray/app/QtTrayToolkit.h"
#include "tray/ui/qt/frmMainForm.h"

#include <QApplication>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace pellmar::test {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TrayProgramTest : public ::testing::Test {
protected:
    TrayProgramTest() {
        for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_DIRS"}) {
            environment.Set(name, root.Path() + "/" + name);
            std::filesystem::create_directories(root.Path() + "/" + name);
        }
        std::filesystem::permissions(root.Path() + "/XDG_RUNTIME_DIR", std::filesystem::perms::owner_all);
        environment.Unset("XDG_CONFIG_HOME");
        environment.Unset("XDG_DATA_HOME");
        environment.Set("QT_QPA_PLATFORM", "offscreen");
        std::filesystem::create_directories(root.Path() + "/watched");
    }

    bool ProcessEventsUntil(const std::function<bool()>& condition) {
        return WaitUntil([&] {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            return condition();
        }, std::chrono::seconds(60));
    }

    TempFolder root;
    ScopedEnvironment environment;
};

TEST_F(TrayProgramTest, AMonitorAddedThroughTheWindowReplicatesAndACloseRequestEndsTheProgram) {
    ScannerValues monitor;
    monitor.root = root.Path() + "/watched";
    monitor.backuppath = root.Path() + "/backup";
    monitor.filters = {"*.txt"};
    monitor.status = 1;
    TrayOptions options;
    options.timings.changePause = std::chrono::milliseconds(0);
    options.timings.queuePause = std::chrono::milliseconds(0);
    options.setupDialog = [&monitor](const ScannerValues* existing) -> std::optional<ScannerValues> {
        if (existing) return std::nullopt;
        return monitor;
    };
    auto toolkit = std::make_unique<QtTrayToolkit>();
    QtTrayToolkit& qt = *toolkit;
    TrayProgram program(std::move(toolkit), options);
    program.Start();
    ASSERT_NE(program.AppWindowHandle(), 0);
    EXPECT_TRUE(qt.Window().isVisible());  // no tray offscreen: the window stays reachable
    program.Presenter().Add();
    ASSERT_EQ(qt.Window().List()->topLevelItemCount(), 1);
    { std::ofstream(root.Path() + "/watched/note.txt") << "replicated"; }
    EXPECT_TRUE(ProcessEventsUntil([&] { return ReadFile(root.Path() + "/backup/note.txt") == "replicated"; }));

    std::thread closer([handle = program.AppWindowHandle()] { platform::SendCloseRequest(handle); });
    const bool closed = ProcessEventsUntil([&] { return program.Closed(); });
    closer.join();
    ASSERT_TRUE(closed);
    EXPECT_EQ(program.Presenter().Session(), nullptr);
    EXPECT_FALSE(qt.Window().isVisible());
}

pid_t Spawn(const std::string& program) {
    pid_t pid = -1;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    return posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0 ? pid : -1;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, std::chrono::seconds(60))) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(TrayProgramTest, ASecondCopyOnlyShowsTheFirstAndQmRemoveEndsIt) {
    const pid_t first = Spawn(PELLMAR_TRAY);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitUntil([] { return platform::FindAppWindow("Pellmar") != 0; }, std::chrono::seconds(60)));
    EXPECT_EQ(RunAndWait(PELLMAR_TRAY, {}), 0);
    EXPECT_EQ(RunAndWait(PELLMARD, {}), 3);
    EXPECT_NE(platform::FindAppWindow("Pellmar"), 0);
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0);  // still running
    EXPECT_EQ(RunAndWait(PELLMAR_QMREMOVE, {"/T:", "Pellmar"}), 0);
    EXPECT_EQ(WaitForExit(first), 0);
}

TEST_F(TrayProgramTest, WithoutADisplayItNamesPellmardAndFails) {
    environment.Unset("QT_QPA_PLATFORM");
    environment.Unset("DISPLAY");
    environment.Unset("WAYLAND_DISPLAY");
    EXPECT_EQ(RunAndWait(PELLMAR_TRAY, {}), 2);
}

}  // namespace
}  // namespace pellmar::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new pellmar::test::QtApplicationEnvironment);
    return RUN_ALL_TESTS();
}
