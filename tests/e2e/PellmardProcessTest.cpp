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
    test::CreateDatabase(DatabasePath());
    ScannerValues monitor;
    monitor.root = watched;
    monitor.backuppath = backup;
    monitor.filters = {"*"};
    monitor.status = 1;
    test::ExecStatements(DatabasePath(), InsertScannerStatement(monitor));
    WriteFile(watched + "/before.txt", "before");
    ChangeEvent leftOver;
    leftOver.jobtype = ChangeCreated;
    leftOver.src = watched + "/before.txt";
    leftOver.dest = backup + "/before.txt";
    InsertJob(leftOver);

    const char* path = PELLMARD_PATH;
    char* argv[] = {const_cast<char*>(path), nullptr};
    ASSERT_EQ(0, posix_spawn(&child, path, nullptr, nullptr, argv, environ));

    // The left-over job runs after the monitors have started, so its copy means "watching".
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/before.txt"); }));
    WriteFile(watched + "/during.txt", "during");
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/during.txt"); }));

    ASSERT_EQ(0, kill(child, SIGTERM));
    EXPECT_EQ(0, WaitForExit());
    // Only the second event of the file written last may still wait in the table for the next start.
    for (const auto& job : Jobs()) EXPECT_EQ(watched + "/during.txt", job.at("src"));
    EXPECT_TRUE(errors.Reports().empty());
}

}  // namespace
}  // namespace pellmar
