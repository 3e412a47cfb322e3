// Benchmark: a burst of N new files (default 1000) written at once; time until every backup copy
// exists, against the N x 50 ms floor of the serial pauses. Usage: bench_burst [files]
#include <cstdio>
#include <fstream>

#include "bench/BenchSession.h"

using namespace pellmar;

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    bench::BenchHome home("burst");
    platform::PlainDispatcher dispatcher;
    RegisterNTFolderScanner(dispatcher);
    FolderMonitor session;
    session.Start();
    session.SaveFolderItem(nullptr, bench::WatchEverythingMonitor(home));

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < files; ++i) std::ofstream(home.Path("watched") + "/b" + std::to_string(i) + ".txt") << i;
    const double written = bench::MillisecondsSince(start);
    int arrived = 0;
    dispatcher.RunUntil([&] {
        while (arrived < files && std::filesystem::exists(home.Path("backup") + "/b" + std::to_string(arrived) + ".txt")) ++arrived;
        return arrived == files;
    }, std::chrono::minutes(30));
    const double total = bench::MillisecondsSince(start);
    session.StopMonitoring();
    std::printf("burst of %d files: written in %.0f ms, %d backups complete after %.1f s\n", files, written, arrived, total / 1000);
    std::printf("floor of %d x 50 ms serial pauses: %.1f s; ratio %.2f\n", files, files * 0.05, total / (files * 50.0));
    return arrived == files ? 0 : 1;
}
