// The directory monitor's life cycle and its worker loop. One Run per Start: the worker and the
// buffers in flight share it, and it outlives the monitor's interest in them, so a buffer that
// reaches the main thread after Stop finds its run ended and delivers nothing. The worker waits
// without a timeout unless the main thread has asked for a flush: of a held repeat, or of a file
// written without a close that falls due.
#include "tray/monitor/notification/KolDirMonitor.h"

#include "platform/ErrorReporter.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <system_error>
#include <utility>

namespace pellmar {

struct KolDirMonitor::Run {
    KolDirMonitor* monitor;               // read on the main thread only, and only while live
    bool live = true;                     // main thread only
    platform::Dispatcher& dispatcher;
    std::unique_ptr<platform::DirectoryWatch> watch;  // waited on by the worker, woken by Stop
    // When to hand over an empty flush: written by the main thread inside a hand-over, read by
    // the worker only after that hand-over has finished.
    std::optional<std::chrono::milliseconds> flushDelay;
    // A buffer whose hand-over Stop cut short before it ran: written by the worker, read by the
    // main thread after joining it.
    std::shared_ptr<ChangeBuffer> abandoned;
    bool delivering = false;  // main thread only: a buffer is being delivered right now
};

namespace {

// Long enough that a program writing a file in pieces is not copied between every two of them.
constexpr std::chrono::seconds kOpenWriteQuiet{2};
constexpr std::chrono::minutes kOpenWriteLongest{1};

// A refused watch names its cause and the setting to change rather than the system call that
// failed: the user can act on the first, not on the second.
std::string MessageFor(platform::WatchFailure failure) {
    switch (failure) {
        case platform::WatchFailure::NoHandles: return kErrorOnCompletionPort;
        case platform::WatchFailure::WatchesIncomplete:
            return "The monitored folder cannot be watched: " + platform::WatchLimitAdvice() + ".";
        default: return kCannotFindDirectory;
    }
}

}  // namespace

KolDirMonitor::KolDirMonitor(platform::Dispatcher& dispatcher, Clock clock)
    : dispatcher_(dispatcher), clock_(std::move(clock)), writes_(kOpenWriteQuiet, kOpenWriteLongest) {}

KolDirMonitor::~KolDirMonitor() {
    *alive_ = false;
    // A handler called from a destructor would see a monitor half gone; owners that want the held
    // repeat and the changes still pending call Stop first.
    End(false);
}

void KolDirMonitor::Start() {
    if (active_) return;
    platform::WatchFailure failure = platform::WatchFailure::None;
    auto watch = platform::DirectoryWatch::Open(path_, watchSubtree_, &failure);
    if (!watch) throw DirMonitorError(MessageFor(failure));
    auto run = std::make_shared<Run>(Run{this, true, dispatcher_, std::move(watch), std::nullopt, nullptr, false});
    // Normal priority: raising a thread's priority needs privileges on Linux, and the worker
    // only waits anyway.
    try {
        worker_ = std::jthread(&KolDirMonitor::Work, run);
    } catch (const std::system_error& error) {
        // A process at its thread limit: the start is worth trying again later.
        throw DirMonitorError(std::string(kNoWatcherThread) + " (" + error.what() + ")");
    }
    run_ = std::move(run);
    runningPath_ = path_;
    partial_ = failure == platform::WatchFailure::Partial;
    active_ = true;
}

void KolDirMonitor::Stop() {
    // Delivered rather than dropped: Stop comes before a change of configuration or the end of
    // the program, after which nothing rescans the folder, so a dropped change would leave the
    // backup stale.
    End(true);
}

void KolDirMonitor::End(bool deliverPending) {
    if (!active_) return;
    active_ = false;
    run_->live = false;
    // The stop request releases a worker waiting in Send; Wake releases one waiting on the OS.
    worker_.request_stop();
    run_->watch->Wake();
    worker_.join();
    const std::shared_ptr<Run> run = std::move(run_);
    // A Stop from inside a handler ends delivery where it stands; only an outer Stop passes on
    // what was read and what the OS still holds.
    const bool deliver = deliverPending && dispatcher_.IsOwningThread();
    const std::shared_ptr<bool> alive = alive_;
    if (deliver && !run->delivering) DeliverRemaining(*run);
    // Only now, with nobody waiting on them, are the descriptors closed.
    run->watch.reset();
    if (!*alive) return;  // a handler destroyed this monitor
    std::vector<std::string> open = writes_.TakeAll();
    if (deliver) DeliverOpenWrites(std::move(open));
    if (!*alive) return;
    const std::string held = repeats_.TakeHeld();
    if (!deliver || held.empty()) return;
    // Last of all: the handler may start, stop or destroy this monitor.
    try {
        Notify(DirModified, held);
    } catch (const std::exception& error) {
        platform::ReportError(error.what());
    }
}

void KolDirMonitor::DeliverRemaining(Run& run) {
    std::vector<ChangeBuffer> buffers;
    if (run.abandoned) buffers.push_back(std::move(*run.abandoned));
    buffers.emplace_back();
    run.watch->ReadPending(&buffers.back());
    const std::shared_ptr<bool> alive = alive_;
    const ChangeBufferContext context{runningPath_, repeats_, clock_, [alive] { return *alive; },
                                      [this](DirAction action, const std::string& name) { Notify(action, name); },
                                      writes_, OpenWrites::Clock::now()};
    for (const ChangeBuffer& buffer : buffers) {
        if (!*alive) return;
        try {
            ProcessChangeBuffer(buffer, context);
        } catch (const std::exception& error) {
            platform::ReportError(error.what());
        }
    }
}

void KolDirMonitor::Work(std::stop_token stop, std::shared_ptr<Run> run) {
    std::optional<std::chrono::steady_clock::time_point> flushAt;
    while (!stop.stop_requested()) {
        auto buffer = std::make_shared<ChangeBuffer>();
        // Set on the main thread when the hand-over begins to run; the worker reads it only after
        // Send has returned, and a hand-over that had not begun by then never will.
        auto started = std::make_shared<bool>(false);
        const platform::WaitOutcome outcome = run->watch->Wait(buffer.get(), flushAt);
        std::function<void()> work;
        if (outcome == platform::WaitOutcome::TimedOut) {
            work = [run] {
                if (run->live) run->monitor->FlushHeld(*run);
            };
        } else if (outcome == platform::WaitOutcome::Broken) {
            // Told on the main thread, so the owner can say so and start again later.
            run->dispatcher.Send([run] { if (run->live) run->monitor->Broken(*run); }, stop);
            return;
        } else if (outcome != platform::WaitOutcome::Changes) {
            return;
        } else if (buffer->empty()) {
            continue;
        } else {
            work = [run, buffer, started] {
                *started = true;
                if (run->live) run->monitor->Deliver(*buffer, *run);
            };
        }
        if (!run->dispatcher.Send(std::move(work), stop)) {
            if (!buffer->empty() && !*started) run->abandoned = buffer;
            return;
        }
        flushAt.reset();
        if (run->flushDelay) flushAt = std::chrono::steady_clock::now() + *run->flushDelay;
    }
}

ChangeBufferContext KolDirMonitor::ContextFor(const Run& run) {
    return ChangeBufferContext{runningPath_, repeats_, clock_, [&run] { return run.live; },
                               [this](DirAction action, const std::string& name) { Notify(action, name); },
                               writes_, OpenWrites::Clock::now()};
}

// The handler may stop or destroy this monitor: the names are this call's own.
void KolDirMonitor::DeliverOpenWrites(std::vector<std::string> names) {
    const std::shared_ptr<bool> alive = alive_;
    for (const std::string& name : names) {
        if (!*alive) return;
        try {
            Notify(DirModified, name);
        } catch (const std::exception& error) {
            platform::ReportError(error.what());
        }
    }
}

void KolDirMonitor::Notify(DirAction action, const std::string& name) {
    // A copy: a handler that destroys the monitor must not destroy the very function that is running.
    const ChangeHandler handler = onChange_;
    if (handler) handler(*this, action, name);
}

void KolDirMonitor::Broken(Run&) {
    try {
        Notify(DirBroken, std::string());
    } catch (const std::exception& error) {
        platform::ReportError(error.what());
    }
}

// The handler may stop or even destroy this monitor: members are touched only while live.
void KolDirMonitor::Deliver(const ChangeBuffer& buffer, Run& run) {
    run.delivering = true;
    try {
        ProcessChangeBuffer(buffer, ContextFor(run));
    } catch (const std::exception& error) {
        // Nothing above the main loop could handle it; the rest of this buffer is given up.
        platform::ReportError(error.what());
    }
    run.delivering = false;
    if (run.live) PlanNextFlush(run);
}

void KolDirMonitor::FlushHeld(Run& run) {
    try {
        FlushHeldRepeat(ContextFor(run));
    } catch (const std::exception& error) {
        platform::ReportError(error.what());
    }
    const std::shared_ptr<bool> alive = alive_;
    if (run.live) DeliverOpenWrites(writes_.TakeDue(OpenWrites::Clock::now()));
    if (*alive && run.live) PlanNextFlush(run);
}

// Only while a repeat is held or a file is being written does the worker wait with a timeout;
// otherwise nothing polls.
void KolDirMonitor::PlanNextFlush(Run& run) {
    std::optional<std::chrono::milliseconds> delay = HeldRepeatDelay(repeats_, clock_());
    if (const std::optional<OpenWrites::Clock::time_point> due = writes_.NextDue()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - OpenWrites::Clock::now());
        const std::chrono::milliseconds writesDelay = std::max(left, std::chrono::milliseconds(0));
        delay = delay ? std::min(*delay, writesDelay) : writesDelay;
    }
    run.flushDelay = delay;
}

}  // namespace pellmar
