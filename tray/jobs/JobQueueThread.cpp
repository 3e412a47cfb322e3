// The job queue thread's loop: take what is queued, write what has settled, wait for the next
// event or due time. A failed write keeps its events and is retried after a pause; it is told
// to the user once per run of failures, not once per attempt.
#include "tray/jobs/JobQueueThread.h"

#include <algorithm>

#include "platform/ErrorReporter.h"
#include "tray/jobs/JobRowWriter.h"
#include "tray/jobs/SettlingChanges.h"

namespace pellmar {
namespace {

using Clock = SettlingChanges::Clock;

// Bounds one transaction, so that the worker sees the first jobs of a large burst early.
constexpr std::size_t kBatchLimit = 2000;

std::uint32_t MillisecondsUntil(Clock::time_point when) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(left, 0, 24 * 3600 * 1000));
}

}  // namespace

class JobQueueThread::Loop {
public:
    explicit Loop(JobQueueThread& owner) : owner_(owner), writer_(owner.databasePath_, owner.sqliteLibrary_) {}

    void Run() {
        while (!owner_.stop_) {
            TakeQueued();
            if (WriteDue(Clock::now())) continue;
            WaitForWork();
        }
        TakeQueued();
        Flush();
    }

private:
    void Take(std::unique_ptr<ChangeEvent> event) {
        if (event) settling_.Add(std::move(event), Clock::now() + owner_.timings_.settle);
    }

    void TakeQueued() {
        while (settling_.Size() < owner_.timings_.settlingLimit || owner_.stop_) {
            std::unique_ptr<ChangeEvent> event;
            std::int32_t size = 0;
            if (owner_.queue_.Get(event, size, 0) != kQueueDone) return;
            Take(std::move(event));
        }
    }

    // One batch of what is due at `now`; true when a batch was written and more may be due.
    bool WriteDue(Clock::time_point now) {
        if (settling_.Empty() || now < retryAt_) return false;
        const std::vector<const ChangeEvent*> due = settling_.Due(now, kBatchLimit);
        if (due.empty()) return false;
        std::string error;
        if (!writer_.Ready()) {
            // Nothing can be stored without SQLite; the events go, as the worker can do nothing.
            settling_.Release(due.size());
        } else if (writer_.Write(due, &error) == JobRowWriter::Result::Failed) {
            ReportOnce(error);
            retryAt_ = Clock::now() + owner_.timings_.retryDelay;
            return false;
        } else {
            settling_.Release(due.size());
            failing_ = false;
            retryAt_ = {};
        }
        if (owner_.wakeWorker_) owner_.wakeWorker_();
        return true;
    }

    void WaitForWork() {
        std::uint32_t timeout = platform::kInfinite;
        if (!settling_.Empty()) timeout = MillisecondsUntil(std::max(settling_.NextDue(), retryAt_));
        if (settling_.Size() >= owner_.timings_.settlingLimit) {
            owner_.stopEvent_.Wait(timeout);  // only the retry time or Stop can help now
            return;
        }
        std::unique_ptr<ChangeEvent> event;
        std::int32_t size = 0;
        if (owner_.queue_.Get(event, size, timeout) == kQueueDone) Take(std::move(event));
    }

    // At Stop: everything held, at once, one attempt per batch.
    void Flush() {
        retryAt_ = {};
        while (!settling_.Empty()) {
            if (!WriteDue(Clock::time_point::max())) break;
        }
        if (!settling_.Empty()) {
            platform::ReportError(std::to_string(settling_.Size()) +
                                  " changes could not be stored as jobs before the program ended.");
        }
    }

    void ReportOnce(const std::string& error) {
        if (failing_) return;
        failing_ = true;
        platform::ReportError(error);
    }

    JobQueueThread& owner_;
    JobRowWriter writer_;
    SettlingChanges settling_;
    Clock::time_point retryAt_{};
    bool failing_ = false;
};

JobQueueThread::JobQueueThread(ChangeEventQueue& queue, std::string databasePath, std::function<void()> wakeWorker,
                               JobQueueTimings timings, std::string sqliteLibrary)
    : queue_(queue),
      databasePath_(std::move(databasePath)),
      wakeWorker_(std::move(wakeWorker)),
      timings_(timings),
      sqliteLibrary_(std::move(sqliteLibrary)) {}

JobQueueThread::~JobQueueThread() { Stop(); }

void JobQueueThread::Start() {
    if (thread_.joinable() || stop_) return;
    thread_ = std::thread([this] { Loop(*this).Run(); });
}

void JobQueueThread::Stop() {
    stop_ = true;
    stopEvent_.Set();
    // Wakes a Get that waits; what is still queued is taken afterwards without waiting.
    queue_.CloseQueue();
    if (thread_.joinable()) thread_.join();
}

}  // namespace pellmar
