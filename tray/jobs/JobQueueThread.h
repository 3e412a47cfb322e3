// The job queue thread: takes change events from the change event queue one at a time, writes
// each as one row of table `jobs` in a transaction of its own and wakes the job worker.
// Owns its thread and, on that thread, its own database object; does not own the queue.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/Event.h"
#include "tray/jobs/KolGenQueue.h"
#include "tray/monitor/ChangeEvent.h"

namespace pellmar {

using ChangeEventQueue = KolGenQueue<ChangeEvent>;
inline constexpr std::int32_t kChangeEventQueueCapacity = 1000;

// Thread contract: construct, Start and Stop from one thread (the session's, the main thread).
// `wakeWorker` runs on the job queue thread after every record taken, with no lock held.
// The queue and the callback must outlive this object.
class JobQueueThread {
public:
    JobQueueThread(ChangeEventQueue& queue, std::string databasePath, std::function<void()> wakeWorker,
                   std::chrono::milliseconds pause = std::chrono::milliseconds(50),
                   std::string sqliteLibrary = {});
    ~JobQueueThread();  // Stop()
    JobQueueThread(const JobQueueThread&) = delete;
    JobQueueThread& operator=(const JobQueueThread&) = delete;

    // Starts the thread (created "suspended" until now); a second call does nothing.
    void Start();

    // Sets the stop flag, closes the queue for takers and waits for the thread to end. A record
    // already taken is finished; records still queued are never written (the queue frees them).
    void Stop();

    // True once Stop has begun; any thread.
    bool StopRequested() const { return stop_; }

private:
    void Run();

    ChangeEventQueue& queue_;
    const std::string databasePath_;
    const std::function<void()> wakeWorker_;
    const std::chrono::milliseconds pause_;
    const std::string sqliteLibrary_;
    std::atomic<bool> stop_{false};
    // Lets Stop cut the pause short instead of waiting it out.
    platform::Event stopEvent_{platform::Event::Mode::ManualReset};
    std::thread thread_;
};

}  // namespace pellmar
