// The headless host as a process: it reads the same settings and database as the tray program,
// runs left-over jobs, replicates, and ends with code 0 on SIGTERM after an orderly shutdown.
#include "tests/e2e/E2eFixture.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tray/db/Statements.h"

extern char** environ;

namespace pellmar {
namespace {

using test::WriteFile;
namespace fs = std::filesystem;

class PellmardProcessTest : public test::E2eTest {
protected:
    pid_t child = -1;
    ~PellmardProcessTest() override {
        if (child > 0) {
            kill(child, SIGKILL);  // only after a failed assertion: never leave the child behind
            waitpid(child, nullptr, 0);
        }
    }
    void Spawn() {
        const char* path = PELLMARD_PATH;
        char* argv[] = {const_cast<char*>(path), nullptr};
        ASSERT_EQ(0, posix_spawn(&child, path, nullptr, nullptr, argv, environ));
    }
    void AddMonitorRow() {
        test::CreateDatabase(DatabasePath());
        ScannerValues monitor;
        monitor.root = watched;
        monitor.backuppath = backup;
        monitor.filters = {"*"};
        monitor.status = 1;
        test::ExecStatements(DatabasePath(), InsertScannerStatement(monitor));
    }
    // Starts pellmard with a job left from the last run; its copy means the monitors have started.
    void SpawnAndWaitUntilWatching(const std::string& name) {
        WriteFile(watched + "/" + name, "left over");
        ChangeEvent leftOver;
        leftOver.jobtype = ChangeCreated;
        leftOver.src = watched + "/" + name;
        leftOver.dest = backup + "/" + name;
        InsertJob(leftOver);
        Spawn();
        ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/" + name); }));
    }
    // Exit status once the process has ended, or -1 when it has not ended within the deadline.
    int WaitForExit() {
        int status = 0;
        bool ended = test::WaitUntil([&] { return waitpid(child, &status, WNOHANG) == child; });
        if (!ended) return -1;
        child = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

TEST_F(PellmardProcessTest, ReplicatesUntilSigtermThenExitsCleanly) {
    AddMonitorRow();
    SpawnAndWaitUntilWatching("before.txt");
    WriteFile(watched + "/during.txt", "during");
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/during.txt"); }));

    ASSERT_EQ(0, kill(child, SIGTERM));
    EXPECT_EQ(0, WaitForExit());
    // Only the second event of the file written last may still wait in the table for the next start.
    for (const auto& job : Jobs()) EXPECT_EQ(watched + "/during.txt", job.at("src"));
    EXPECT_TRUE(errors.Reports().empty());
}

// Ctrl+C in the middle of unpacking: every change the program had seen, or the kernel still held
// for it, is stored before it ends and backed up after the next start.
TEST_F(PellmardProcessTest, ChangesPendingAtSigtermAreBackedUpAfterTheRestart) {
    AddMonitorRow();
    SpawnAndWaitUntilWatching("sentinel.txt");
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) WriteFile(watched + "/f" + std::to_string(i) + ".txt", std::to_string(i));
    ASSERT_EQ(0, kill(child, SIGTERM));
    ASSERT_EQ(0, WaitForExit());

    Spawn();
    auto allBackedUp = [&] {
        for (int i = 0; i < kFiles; ++i) {
            std::error_code error;
            if (!fs::exists(backup + "/f" + std::to_string(i) + ".txt", error)) return false;
        }
        return true;
    };
    EXPECT_TRUE(test::WaitUntil(allBackedUp, std::chrono::seconds(60)));
    ASSERT_EQ(0, kill(child, SIGTERM));
    EXPECT_EQ(0, WaitForExit());
    EXPECT_EQ(test::ReadFile(backup + "/f299.txt"), "299");
}

// kill -9 in the middle of unpacking, and more files written while no host runs: the next start
// backs up every one of them, whatever stage each change had reached.
TEST_F(PellmardProcessTest, AfterKillNineEveryChangeMadeBeforeAndAfterIsBackedUpAtTheNextStart) {
    AddMonitorRow();
    SpawnAndWaitUntilWatching("sentinel.txt");
    constexpr int kFiles = 3000;
    auto name = [](int i) { return "/k" + std::to_string(i) + ".txt"; };
    for (int i = 0; i < kFiles; ++i) {
        WriteFile(watched + name(i), std::to_string(i));
        if (i == kFiles / 2) {
            ASSERT_EQ(0, kill(child, SIGKILL));
        }
    }
    ASSERT_EQ(128 + SIGKILL, WaitForExit());

    Spawn();
    auto allBackedUp = [&] {
        for (int i = 0; i < kFiles; ++i) {
            std::error_code error;
            if (!fs::exists(backup + name(i), error) || test::ReadFile(backup + name(i)) != std::to_string(i))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(test::WaitUntil(allBackedUp, std::chrono::seconds(90)));
    ASSERT_EQ(0, kill(child, SIGTERM));
    EXPECT_EQ(0, WaitForExit());
}

}  // namespace
}  // namespace pellmar
