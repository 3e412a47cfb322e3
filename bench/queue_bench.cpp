// Throughput of the change event queue between one putting and one taking thread, and of the
// job queue thread's loop with no database behind it (pause 0). Prints figures; asserts nothing.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "tray/jobs/JobQueueThread.h"
#include "tray/jobs/KolGenQueue.h"

namespace pellmar {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kItems = 1000000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void QueueThroughput(std::int32_t capacity, int items) {
    ChangeEventQueue queue(capacity);
    auto start = Clock::now();
    std::thread taker([&] {
        for (int i = 0; i < items; ++i) {
            std::unique_ptr<ChangeEvent> item;
            std::int32_t size = 0;
            if (queue.Get(item, size, platform::kInfinite) != kQueueDone) std::abort();
        }
    });
    for (int i = 0; i < items; ++i) {
        auto item = std::make_unique<ChangeEvent>();
        item->fileid = static_cast<std::uint32_t>(i);
        if (queue.Put(item, static_cast<std::int32_t>(sizeof(ChangeEvent)), platform::kInfinite) != kQueueDone) {
            std::abort();
        }
    }
    taker.join();
    double seconds = Seconds(Clock::now() - start);
    std::printf("KolGenQueue capacity %5d: %d items in %.3f s, %.0f items/s\n", capacity, items, seconds,
                items / seconds);
}

void JobQueueThreadLoop() {
    ChangeEventQueue queue(kChangeEventQueueCapacity);
    std::atomic<int> wakes{0};
    // A database path that does not exist: every record is taken and dropped, the worker woken.
    JobQueueThread thread(queue, "/nonexistent/pellmar-bench.db", [&] { ++wakes; }, JobQueueTimings{{}, {}});
    auto start = Clock::now();
    thread.Start();
    for (int i = 0; i < kItems; ++i) {
        auto item = std::make_unique<ChangeEvent>();
        queue.Put(item, static_cast<std::int32_t>(sizeof(ChangeEvent)), platform::kInfinite);
    }
    while (queue.Count() > 0 || wakes == 0) std::this_thread::yield();
    double seconds = Seconds(Clock::now() - start);
    thread.Stop();
    std::printf("job queue thread, no database, pause 0: %d records in %.3f s, %.0f records/s\n", kItems,
                seconds, kItems / seconds);
}

}  // namespace
}  // namespace pellmar

int main() {
    pellmar::QueueThroughput(pellmar::kChangeEventQueueCapacity, pellmar::kItems);
    // Every item a hand-over through a sleeping thread: fewer items, or this runs for a minute.
    pellmar::QueueThroughput(1, pellmar::kItems / 20);
    pellmar::JobQueueThreadLoop();
    return 0;
}
