// Spawning and reaping the helper program for tests.
#include "tests/uninstall/WindowOwnerProcess.h"

#include "common/CommandLine.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pellmar::test {
namespace {

pid_t Spawn(const std::string& program, const std::vector<std::string>& arguments, const std::string& workingDirectory) {
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    pid_t pid = -1;
    int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

// The exit code of `pid` once it ended within the deadline; -1 otherwise (it is then left running).
int WaitForExitCode(pid_t pid, std::chrono::milliseconds deadline) {
    int status = 0;
    pid_t done = 0;
    WaitUntil([&] {
        done = waitpid(pid, &status, WNOHANG);
        return done != 0;
    }, deadline);
    if (done != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

WindowOwnerProcess::WindowOwnerProcess(const std::string& folder, const std::string& title, OwnerMode mode) {
    std::string ready = folder + "/owner-ready-" + std::to_string(reinterpret_cast<std::uintptr_t>(this));
    ready_ = ready;
    const char* modeName = mode == OwnerMode::Close    ? "close"
                           : mode == OwnerMode::Ignore ? "ignore"
                           : mode == OwnerMode::Slow   ? "slow"
                                                       : "hang";
    pid_ = Spawn(PELLMAR_WINDOW_OWNER, {title, modeName, ready}, {});
    if (pid_ < 0) return;
    if (WaitUntil([&] { return std::filesystem::exists(ready); })) {
        handle_ = ParseDecimalInt32(ReadFile(ready));
    }
}

WindowOwnerProcess::~WindowOwnerProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

bool WindowOwnerProcess::WaitForExit() {
    if (pid_ <= 0) return false;
    int code = WaitForExitCode(pid_, std::chrono::seconds(30));
    if (code >= 0) pid_ = -1;
    return code == 0;
}

int RunAndWait(const std::string& program, const std::vector<std::string>& arguments, const std::string& workingDirectory) {
    pid_t pid = Spawn(program, arguments, workingDirectory);
    if (pid < 0) return -1;
    int code = WaitForExitCode(pid, std::chrono::seconds(60));
    if (code < 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return code;
}

}  // namespace pellmar::test
