// pellmarctl as a process against a pellmard process on a private home, or against the database
// with no host: the runs of pellmarctl, the host's start, and a waiting job as the worker leaves one.
#pragma once

#include "tests/e2e/E2eFixture.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tray/db/Statements.h"
#include "tray/util/DateTime.h"

extern char** environ;

namespace pellmar::test {

struct CtlRun {
    int code = -1;
    std::string out, err;
};

class CtlProcessTest : public E2eTest {
protected:
    pid_t host = -1;

    CtlProcessTest() {
        std::filesystem::create_directories(root / "run");
        chmod((root / "run").c_str(), 0700);
        environment.Set("XDG_RUNTIME_DIR", root / "run");
    }
    ~CtlProcessTest() override {
        if (host > 0) {
            kill(host, SIGTERM);
            waitpid(host, nullptr, 0);
        }
    }

    CtlRun Ctl(std::vector<std::string> args) { return Run(PELLMARCTL_PATH, std::move(args)); }

    // One of the programs to its end, or killed when it has not ended within the deadline (code -1).
    CtlRun Run(const std::string& program, std::vector<std::string> args) {
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string out = root / "out", err = root / "err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        CtlRun run;
        pid_t child = -1;
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            if (!WaitUntil([&] { return waitpid(child, &status, WNOHANG) == child; }, std::chrono::seconds(120))) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
            }
            run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }

    // The endpoint appears once the host's session runs; before the host holds its lock a
    // pellmarctl would still work on the database alone.
    void StartHost() {
        const char* path = PELLMARD_PATH;
        char* argv[] = {const_cast<char*>(path), nullptr};
        ASSERT_EQ(0, posix_spawn(&host, path, nullptr, nullptr, argv, environ));
        ASSERT_TRUE(WaitUntil([&] {
            std::error_code error;
            return !std::filesystem::is_empty(root / "run/pellmar-control", error) && !error;
        }));
    }

    std::string ListText() { return Ctl({"list"}).out; }

    // A copy job that could not reach its destination, as the job worker leaves it: deferred, with
    // its Warning entry. Its source exists and a file stands where its backup folder should be, so
    // a retry by the host's worker (its start pass may run late) leaves it waiting, as the real one.
    std::int32_t InsertWaitingJob() {
        WriteFile(watched + "/w.txt", "waiting");
        WriteFile(backup + "/blocked", "not a folder");
        ExecStatements(DatabasePath(), "INSERT INTO jobs(id,jobtype,src,dest,scheduled,deferred,retries) VALUES "
                                             "(77,1,'" + watched + "/w.txt','" + backup + "/blocked/w.txt',0,1,1);");
        LogValues entry;
        entry.status = 1;
        entry.jobid = 77;
        entry.cancancel = true;
        // Stamped now: the host's first purge, which may run after this insert, removes old entries.
        entry.logdate = DateTimeToUnixTime(DateTimeNow());
        entry.message = "Could not execute the operation because the destination is unavailable, will try again in a minute.";
        ExecStatements(DatabasePath(), InsertLogStatement(entry));
        return 77;
    }
};

}  // namespace pellmar::test
