// Figures for KolDirMonitor on inotify, printed for a person to read: the delay from a file's
// close-after-write to OnChange on the main thread, the cost of watching a 10,000-folder tree,
// and the CPU an idle monitor uses. Run by hand; it asserts nothing.
#include "platform/PlainDispatcher.h"
#include "tray/monitor/notification/KolDirMonitor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace pellmar;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct ScratchFolder {
    fs::path path = fs::temp_directory_path() / ("pellmar-watch-bench-" + std::to_string(getpid()));
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder() { fs::remove_all(path); }
};

void WriteAndClose(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] ssize_t written = write(fd, "x", 1);
    close(fd);
}

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void MeasureLatency() {
    ScratchFolder folder;
    platform::PlainDispatcher dispatcher;
    KolDirMonitor monitor(dispatcher);
    std::string expected;
    Clock::time_point seenAt;
    monitor.SetPath(folder.path.string());
    monitor.SetOnChange([&](KolDirMonitor&, DirAction action, const std::string& name) {
        if (action == DirModified && name == expected) seenAt = Clock::now();
    });
    monitor.Start();
    std::vector<double> delays;
    for (int i = 0; i < 1000; ++i) {
        expected = "file" + std::to_string(i) + ".txt";
        seenAt = {};
        WriteAndClose((folder.path / expected).string());
        const auto closedAt = Clock::now();
        if (!dispatcher.RunUntil([&] { return seenAt != Clock::time_point{}; }, std::chrono::seconds(10))) continue;
        delays.push_back(Milliseconds(seenAt - closedAt));
    }
    monitor.Stop();
    std::sort(delays.begin(), delays.end());
    if (delays.empty()) return;
    std::printf("(a) close-after-write -> OnChange over %zu files: median %.3f ms, p99 %.3f ms (target: median < 2 ms)\n",
                delays.size(), delays[delays.size() / 2], delays[delays.size() * 99 / 100]);
}

long ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void MeasureTreeStart() {
    ScratchFolder folder;
    for (int i = 0; i < 100; ++i) {
        for (int j = 0; j < 99; ++j) fs::create_directories(folder.path / std::to_string(i) / std::to_string(j));
    }
    platform::PlainDispatcher dispatcher;
    KolDirMonitor monitor(dispatcher);
    monitor.SetPath(folder.path.string());
    monitor.SetWatchSubtree(true);
    const long before = ResidentKilobytes();
    const auto start = Clock::now();
    try {
        monitor.Start();
    } catch (const DirMonitorError& error) {
        std::printf("(b) start failed: %s\n", error.what());
        return;
    }
    const auto took = Clock::now() - start;
    std::printf("(b) watching a tree of 10,000 folders: start %.1f ms, resident memory +%ld KiB "
                "(kernel watch memory not included; target: < 1 s)\n",
                Milliseconds(took), ResidentKilobytes() - before);
    monitor.Stop();
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void MeasureIdleCpu() {
    ScratchFolder folder;
    platform::PlainDispatcher dispatcher;
    KolDirMonitor monitor(dispatcher);
    monitor.SetPath(folder.path.string());
    monitor.Start();
    const double before = ProcessCpuSeconds();
    // Nothing changes in the folder, so nothing reaches the dispatcher: the main thread may sleep.
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double used = ProcessCpuSeconds() - before;
    monitor.Stop();
    std::printf("(c) CPU time of an idle monitor over 10 s: %.6f s (target: zero)\n", used);
}

}  // namespace

int main() {
    MeasureLatency();
    MeasureTreeStart();
    MeasureIdleCpu();
    return 0;
}
