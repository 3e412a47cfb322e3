// Benchmark: stop the session with N changes pending (default 10,000), as Ctrl+C in the middle of
// unpacking does; time to exit, then after a restart the time until every change is backed up.
// Usage: bench_exit [files]
#include <cstdio>
#include <fstream>

#include "bench/BenchSession.h"

using namespace pellmar;

namespace {

int CountBackups(const bench::BenchHome& home, int files) {
    int present = 0;
    for (int i = 0; i < files; ++i) present += std::filesystem::exists(home.Path("backup/e" + std::to_string(i) + ".txt"));
    return present;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    bench::BenchHome home("exit");
    platform::PlainDispatcher dispatcher;
    auto session = std::make_unique<FolderMonitor>(dispatcher);
    session->Start();
    session->SaveFolderItem(nullptr, bench::WatchEverythingMonitor(home));
    // The main loop keeps up while the files are written, so the changes are in every stage at once:
    // the kernel's queue, the settle stage, the jobs table and the worker.
    for (int i = 0; i < files; ++i) {
        std::ofstream(home.Path("watched/e" + std::to_string(i) + ".txt")) << i;
        if (i % 100 == 0) dispatcher.RunPending();
    }
    const int before = CountBackups(home, files);
    const auto stop = std::chrono::steady_clock::now();
    session->StopMonitoring();
    session.reset();
    const double exitMs = bench::MillisecondsSince(stop);
    std::printf("exit with %d of %d changes not backed up yet: %.0f ms\n", files - before, files, exitMs);

    const auto restart = std::chrono::steady_clock::now();
    session = std::make_unique<FolderMonitor>(dispatcher);
    session->Start();
    int present = 0;
    dispatcher.RunUntil([&] { return (present = CountBackups(home, files)) == files; }, std::chrono::minutes(10));
    std::printf("after the restart: %d of %d backed up after %.1f s\n", present, files,
                bench::MillisecondsSince(restart) / 1000);
    session->StopMonitoring();
    return present == files ? 0 : 1;
}
