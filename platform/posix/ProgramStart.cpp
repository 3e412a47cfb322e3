// Detached starts by a double fork, without a shell: the intermediate child starts a new session,
// forks the program and exits at once, so the program is re-parented and never lingers as a zombie
// of the caller, which keeps no handle to reap it with. The program starts with every signal at its
// default action and none blocked: a caller that ignores SIGINT, or blocks the termination signals
// for a watcher thread, must not pass that on.
#include "platform/ProgramStart.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pellmar::platform {
namespace {

// Between fork and exec only async-signal-safe calls: the caller may have other threads.
void ResetSignals() {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    // SIGKILL, SIGSTOP and the C library's own signals refuse; that is all right.
    for (int signal = 1; signal < NSIG; ++signal) sigaction(signal, &defaultAction, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// The detached program reads nothing from the caller's terminal.
void InputFromNothing() {
    int fd = open("/dev/null", O_RDONLY);
    if (fd > 0) {
        dup2(fd, 0);
        close(fd);
    }
}

[[noreturn]] void ReportAndExit(int report, int error) {
    (void)!write(report, &error, sizeof(error));
    _exit(127);
}

}  // namespace

bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& arguments, bool /*hidden*/) {
    if (program.empty() || access(program.c_str(), X_OK) != 0) return false;
    // Everything the children need is made before the fork. execve takes a name without a folder
    // as the file in the working directory that was just checked; it never searches PATH.
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    char** environment = environ;

    // The grandchild writes its errno here when exec fails; a successful exec closes it empty.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        // Its own session: the program outlives a terminal that closes with the caller.
        if (setsid() < 0) ReportAndExit(report[1], errno);
        pid_t grandchild = fork();
        if (grandchild < 0) ReportAndExit(report[1], errno);
        if (grandchild > 0) _exit(0);
        ResetSignals();
        InputFromNothing();
        execve(argv[0], argv.data(), environment);
        ReportAndExit(report[1], errno);
    }
    close(report[1]);
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof(error))) < 0 && errno == EINTR) {
    }
    close(report[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ExecutableFileName(const std::string& baseName) { return baseName; }

}  // namespace pellmar::platform
