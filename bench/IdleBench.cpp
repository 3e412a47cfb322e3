// Benchmark: pellmard idle while watching a tree of N folders (default 10,000): CPU time used over
// 10 s once its watches are set (target zero) and its resident memory.
// Usage: bench_idle [folders]   (runs the pellmard built beside this benchmark)
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "bench/BenchSession.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"

extern char** environ;
using namespace pellmar;

namespace {

// utime + stime of the process in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;
    long utime = 0, stime = 0;
    fields >> utime >> stime;
    return utime + stime;
}

std::string StatusLine(pid_t pid, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) == 0) return line;
    }
    return key + " ?";
}

// Inotify watches the process holds, from the fdinfo of its descriptors.
long InotifyWatches(pid_t pid) {
    long watches = 0;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fdinfo";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) watches += line.rfind("inotify wd:", 0) == 0;
    }
    return watches;
}

}  // namespace

int main(int argc, char** argv) {
    const int folders = argc > 1 ? std::atoi(argv[1]) : 10000;
    bench::BenchHome home("idle");
    for (int i = 0; i < folders; ++i) {
        std::filesystem::create_directories(home.Path("watched/d" + std::to_string(i / 100) + "/e" + std::to_string(i % 100)));
    }
    std::filesystem::create_directories(std::filesystem::path(home.DatabasePath()).parent_path());
    {
        SQLiteDatabase database(home.DatabasePath(), true);
        SQLiteSession& session = database.CreateSession("BenchSession");
        const std::string script = std::string(kCreationScript) + InsertScannerStatement(bench::WatchEverythingMonitor(home));
        if (!ExecInTransaction(session, session.CreateQuery(), script)) return 1;
    }
    const std::string pellmard = (std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "tray/app/pellmard").string();
    char* args[] = {const_cast<char*>(pellmard.c_str()), nullptr};
    pid_t child = -1;
    if (posix_spawn(&child, pellmard.c_str(), nullptr, nullptr, args, environ) != 0) return 1;

    // Settled: no CPU used over one whole second (the watches of the tree are set by then).
    const auto start = std::chrono::steady_clock::now();
    for (long before = -1, now = CpuTicks(child); before != now; now = CpuTicks(child)) {
        before = now;
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    const double setup = bench::MillisecondsSince(start) / 1000 - 1;
    const long watches = InotifyWatches(child);
    const long idleStart = CpuTicks(child);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const long idleTicks = CpuTicks(child) - idleStart;
    std::printf("pellmard watching %d folders: settled after about %.0f s with %ld inotify watches\n", folders, setup,
                watches);
    std::printf("  CPU over 10 s idle: %.2f s (target 0)\n", static_cast<double>(idleTicks) / sysconf(_SC_CLK_TCK));
    std::printf("  %s\n  %s\n", StatusLine(child, "VmRSS").c_str(), StatusLine(child, "VmHWM").c_str());
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    std::printf("  exit code after SIGTERM: %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
