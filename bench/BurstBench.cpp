// Benchmark: a burst of N new files (default 1000) written at once, flat or unpacked into a tree
// of 100 folders ("--tree", as an archive is); time until every backup copy exists, how long work
// posted to the main thread waited meanwhile, and what comparing the folder with its backup costs.
// Usage: bench_burst [files] [--tree]
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/BenchSession.h"

using namespace pellmar;

namespace {

// Posts a stamped no-op to the main thread every 5 ms and records how long each waited to run.
class ResponsivenessProbe {
public:
    explicit ResponsivenessProbe(platform::Dispatcher& dispatcher)
        : thread_([this, &dispatcher](std::stop_token stop) {
              while (!stop.stop_requested()) {
                  const auto posted = std::chrono::steady_clock::now();
                  dispatcher.Post([this, posted] {
                      std::lock_guard lock(mutex_);
                      delays_.push_back(bench::MillisecondsSince(posted));
                  });
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    void Print() {
        thread_.request_stop();
        thread_.join();
        std::lock_guard lock(mutex_);
        if (delays_.empty()) return;
        std::sort(delays_.begin(), delays_.end());
        auto at = [&](double q) { return delays_[static_cast<std::size_t>(q * static_cast<double>(delays_.size() - 1))]; };
        std::printf("main thread: %zu posted tasks waited median %.2f ms, p99 %.2f ms, max %.2f ms\n", delays_.size(),
                    at(0.5), at(0.99), delays_.back());
    }

private:
    std::mutex mutex_;
    std::vector<double> delays_;
    std::jthread thread_;
};

std::string FileName(int i, bool tree) {
    return tree ? "d" + std::to_string(i % 100) + "/b" + std::to_string(i) + ".txt" : "b" + std::to_string(i) + ".txt";
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const bool tree = argc > 2 && std::strcmp(argv[2], "--tree") == 0;
    bench::BenchHome home("burst");
    platform::PlainDispatcher dispatcher;
    FolderMonitor session(dispatcher);
    session.Start();
    session.SaveFolderItem(nullptr, bench::WatchEverythingMonitor(home));

    ResponsivenessProbe probe(dispatcher);
    std::atomic<bool> writing{true};
    const auto start = std::chrono::steady_clock::now();
    // Written by another thread, as an unpacking program would, while the main loop runs.
    std::jthread writer([&] {
        for (int i = 0; i < files; ++i) {
            if (tree && i < 100) std::filesystem::create_directories(home.Path("watched/d" + std::to_string(i)));
            std::ofstream(home.Path("watched/" + FileName(i, tree))) << std::string(4096, 'x');
        }
        writing = false;
    });
    int arrived = 0;
    dispatcher.RunUntil([&] {
        while (arrived < files && std::filesystem::exists(home.Path("backup/" + FileName(arrived, tree)))) ++arrived;
        return arrived == files;
    }, std::chrono::minutes(30));
    const double total = bench::MillisecondsSince(start);
    writer.join();
    probe.Print();
    // The folder comparison that follows lost changes, over the now backed-up tree.
    const auto compared = std::chrono::steady_clock::now();
    const int queued = session.SynchroniseMonitor(session.Items(0));
    std::printf("comparing the %d files with their backups on the main thread: %.0f ms, %d queued\n", files,
                bench::MillisecondsSince(compared), queued);
    session.StopMonitoring();
    std::printf("burst of %d files of 4 KiB%s: %d backups complete after %.2f s\n", files, tree ? " in 100 folders" : "",
                arrived, total / 1000);
    return arrived == files ? 0 : 1;
}
