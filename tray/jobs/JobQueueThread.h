// The job queue thread: takes change events from the change event queue as they come, lets each
// settle (merging later copies of the same file into it), writes every event that is due in one
// transaction, wakes the job worker, and on Stop writes whatever is left before it ends.
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
#include "tray/model/ChangeEvent.h"

namespace pellmar {

using ChangeEventQueue = KolGenQueue<ChangeEvent>;
inline constexpr std::int32_t kChangeEventQueueCapacity = 1000;

struct JobQueueTimings {
    // How long an event waits after it was taken before it may be written: the change handler's
    // and the queue's settle pauses together.
    std::chrono::milliseconds settle{100};
    // After a failed write (the database locked beyond its busy timeout) the batch is tried again.
    std::chrono::milliseconds retryDelay{1000};
    // Beyond this many settling events the thread stops taking, and the queue's bound holds the
    // producers back, rather than memory growing while the database cannot be written.
    std::size_t settlingLimit = 100000;
};

// Thread contract: construct, Start and Stop from one thread (the session's, the main thread).
// `wakeWorker` runs on the job queue thread after every batch written, with no lock held.
// The queue and the callback must outlive this object.
class JobQueueThread {
public:
    JobQueueThread(ChangeEventQueue& queue, std::string databasePath, std::function<void()> wakeWorker,
                   JobQueueTimings timings = {}, std::string sqliteLibrary = {});
    ~JobQueueThread();  // Stop()
    JobQueueThread(const JobQueueThread&) = delete;
    JobQueueThread& operator=(const JobQueueThread&) = delete;

    // Starts the thread (created "suspended" until now); a second call does nothing.
    void Start();

    // Closes the queue for waiting takers and waits for the thread to end. Before it ends, the
    // thread writes every event it holds and every event still queued, without settle pauses
    // (one attempt; a failure is reported). Events put after Stop has begun may be left queued.
    void Stop();

private:
    class Loop;

    ChangeEventQueue& queue_;
    const std::string databasePath_;
    const std::function<void()> wakeWorker_;
    const JobQueueTimings timings_;
    const std::string sqliteLibrary_;
    std::atomic<bool> stop_{false};
    // Ends a wait that no queue event can end (the settling events at their limit).
    platform::Event stopEvent_{platform::Event::Mode::ManualReset};
    std::thread thread_;
};

}  // namespace pellmar
