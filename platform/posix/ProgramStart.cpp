// Detached starts through posix_spawn. A shell in between puts the program in the background and
// exits at once, so the program is re-parented and never lingers as a zombie of the caller, which
// keeps no handle to reap it with.
#include "platform/ProgramStart.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pellmar::platform {

bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& arguments, bool /*hidden*/) {
    if (program.empty() || access(program.c_str(), X_OK) != 0) return false;
    // A name without a folder is the file in the working directory that was just checked; the
    // shell would look such a name up on PATH and could start another program.
    std::string file = program.find('/') == std::string::npos ? "./" + program : program;
    // "$0" "$@" passes every argument as one word, whatever blanks or quotes it holds.
    std::vector<std::string> words = {"sh", "-c", "\"$0\" \"$@\" &", file};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own session: the started program outlives a terminal that closes with the caller.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t shell = 0;
    int failed = posix_spawn(&shell, "/bin/sh", nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) return false;
    int status = 0;
    while (waitpid(shell, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ExecutableFileName(const std::string& baseName) { return baseName; }

}  // namespace pellmar::platform
