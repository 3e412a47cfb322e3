// Benchmark: latency from a file's close-after-write to its backup copy being complete, median and
// p95 over N files (default 200), against the floor of the two 50 ms pauses (handler + queue).
// Usage: bench_latency [files]
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "bench/BenchSession.h"

using namespace pellmar;

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 200;
    bench::BenchHome home("latency");
    platform::PlainDispatcher dispatcher;
    FolderMonitor session(dispatcher);
    session.Start();
    session.SaveFolderItem(nullptr, bench::WatchEverythingMonitor(home));

    std::vector<double> latencies;
    for (int i = 0; i < files; ++i) {
        const std::string name = "/f" + std::to_string(i) + ".txt";
        const std::string content = "content of file " + std::to_string(i);
        {
            std::ofstream out(home.Path("watched") + name);
            out << content;
        }
        const auto closed = std::chrono::steady_clock::now();
        const std::string copy = home.Path("backup") + name;
        const bool done = dispatcher.RunUntil([&] {
            std::error_code e;
            return std::filesystem::file_size(copy, e) == content.size();
        }, std::chrono::seconds(30));
        if (!done) {
            std::printf("file %d never arrived\n", i);
            return 1;
        }
        latencies.push_back(bench::MillisecondsSince(closed));
        // Let the rest of this file's events drain so each measurement starts from quiet.
        dispatcher.RunUntil([] { return false; }, std::chrono::milliseconds(300));
    }
    session.StopMonitoring();
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    const double p95 = latencies[latencies.size() * 95 / 100];
    std::printf("close-to-backup latency over %d files: median %.1f ms, p95 %.1f ms\n", files, median, p95);
    std::printf("floor of the two 50 ms pauses: 100 ms; median / floor = %.2f (target <= 1.5)\n", median / 100.0);
    return 0;
}
