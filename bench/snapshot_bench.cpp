// The snapshot change engine: detection latency of one change on a local folder, one rescan of a
// 10,000-file tree (time, CPU, snapshot memory), the CPU of one re-scan pass of that tree as a
// share gets it (the timer alone) after one change, and start and stop of a tree with 2,000 direct
// sub-folders (time, threads, memory). Prints its figures; Linux only (reads /proc).
#include "platform/PlainDispatcher.h"
#include "tray/monitor/snapshot/KolChangeNotifier.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace pellmar;
using Clock = std::chrono::steady_clock;

namespace {

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Latency(const fs::path& base, platform::PlainDispatcher& dispatcher) {
    fs::create_directories(base / "latency");
    KolChangeNotifier notifier(dispatcher);
    notifier.SetPath((base / "latency").string());
    notifier.Masks() = {"*"};
    bool seen = false;
    notifier.SetOnAdded([&](KolChangeNotifier&, const ChangeMessage&) { seen = true; });
    notifier.Start();
    dispatcher.RunUntil([&] { return notifier.Settled(); }, std::chrono::seconds(30));
    double total = 0;
    const int rounds = 20;
    for (int i = 0; i < rounds; ++i) {
        seen = false;
        const auto begin = Clock::now();
        std::ofstream(base / "latency" / ("f" + std::to_string(i))) << "x";
        dispatcher.RunUntil([&] { return seen; }, std::chrono::seconds(30));
        total += Ms(Clock::now() - begin);
    }
    std::printf("latency: one new file to its message, mean of %d: %.2f ms\n", rounds, total / rounds);
}

void TenThousand(const fs::path& base, platform::PlainDispatcher& dispatcher) {
    const fs::path root = base / "tree";
    for (int folder = 0; folder < 100; ++folder) {
        fs::create_directories(root / ("d" + std::to_string(folder)));
        for (int file = 0; file < 100; ++file)
            std::ofstream(root / ("d" + std::to_string(folder)) / ("f" + std::to_string(file) + ".txt")) << "x";
    }
    const long rssBefore = StatusKb("VmRSS:");
    KolChangeNotifier notifier(dispatcher);
    notifier.SetPath(root.string());
    notifier.SetWatchSubtree(true);
    notifier.Masks() = {"*"};
    auto begin = Clock::now();
    double cpu = CpuSeconds();
    notifier.Start();
    dispatcher.RunUntil([&] { return notifier.Settled(); }, std::chrono::seconds(120));
    std::printf("10,000 files: first scan (all watchers) %.1f ms, CPU %.1f ms, snapshot %zu files, RSS +%ld KiB\n",
                Ms(Clock::now() - begin), (CpuSeconds() - cpu) * 1000, notifier.SnapshotSize(),
                StatusKb("VmRSS:") - rssBefore);
    // One touched file in each folder makes every watcher rescan its folder once.
    int modified = 0;
    notifier.SetOnModified([&](KolChangeNotifier&, const ChangeMessage&) { ++modified; });
    begin = Clock::now();
    cpu = CpuSeconds();
    for (int folder = 0; folder < 100; ++folder) std::ofstream(root / ("d" + std::to_string(folder)) / "f0.txt") << "yy";
    dispatcher.RunUntil([&] { return modified >= 100; }, std::chrono::seconds(120));
    std::printf("10,000 files: rescan of every folder %.1f ms, CPU %.1f ms (%d modified)\n", Ms(Clock::now() - begin),
                (CpuSeconds() - cpu) * 1000, modified);
}

// Every folder of a share is rescanned on the timer, whether anything changed or not: one pass
// is what each interval costs. Measured over several passes at a 1 s interval.
void SharePass(const fs::path& base, platform::PlainDispatcher& dispatcher) {
    const fs::path root = base / "share";
    for (int folder = 0; folder < 100; ++folder) {
        fs::create_directories(root / ("d" + std::to_string(folder)));
        for (int file = 0; file < 100; ++file)
            std::ofstream(root / ("d" + std::to_string(folder)) / ("f" + std::to_string(file) + ".txt")) << "x";
    }
    KolChangeNotifier::Options options;
    options.rescanOnly = true;
    options.rescanInterval = std::chrono::milliseconds(1000);
    KolChangeNotifier notifier(dispatcher, options);
    notifier.SetPath(root.string());
    notifier.SetWatchSubtree(true);
    notifier.Masks() = {"*"};
    int modified = 0;
    notifier.SetOnModified([&](KolChangeNotifier&, const ChangeMessage&) { ++modified; });
    notifier.Start();
    dispatcher.RunUntil([&] { return notifier.Settled(); }, std::chrono::seconds(120));
    std::ofstream(root / "d7" / "f7.txt") << "changed";
    dispatcher.RunUntil([&] { return modified > 0; }, std::chrono::seconds(30));
    const int passes = 5;
    const double cpu = CpuSeconds();
    dispatcher.RunUntil([] { return false; }, std::chrono::milliseconds(passes * 1000));
    std::printf("share of 10,000 files in 100 folders: CPU per re-scan pass %.1f ms (mean of %d, %d modified)\n",
                (CpuSeconds() - cpu) * 1000 / passes, passes, modified);
}

void TwoThousandFolders(const fs::path& base, platform::PlainDispatcher& dispatcher) {
    const fs::path root = base / "wide";
    for (int folder = 0; folder < 2000; ++folder) fs::create_directories(root / ("d" + std::to_string(folder)));
    const long rssBefore = StatusKb("VmRSS:");
    KolChangeNotifier notifier(dispatcher);
    notifier.SetPath(root.string());
    notifier.SetWatchSubtree(true);
    notifier.Masks() = {"*"};
    const auto begin = Clock::now();
    notifier.Start();
    dispatcher.RunUntil([&] { return notifier.Settled(); }, std::chrono::seconds(120));
    std::printf("2,000 sub-folders: start %.1f ms, %zu watchers, %ld threads, RSS +%ld KiB\n", Ms(Clock::now() - begin),
                notifier.WatchedFolders().size(), StatusKb("Threads:"), StatusKb("VmRSS:") - rssBefore);
    const auto stopBegin = Clock::now();
    notifier.Stop();
    std::printf("2,000 sub-folders: stop %.1f ms\n", Ms(Clock::now() - stopBegin));
}

}  // namespace

int main() {
    const fs::path base = fs::temp_directory_path() / ("snapshot_bench_" + std::to_string(Clock::now().time_since_epoch().count()));
    platform::PlainDispatcher dispatcher;
    Latency(base, dispatcher);
    TenThousand(base, dispatcher);
    SharePass(base, dispatcher);
    TwoThousandFolders(base, dispatcher);
    fs::remove_all(base);
    return 0;
}
