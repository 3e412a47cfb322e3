// The directory monitor's life cycle and its worker loop. One Run per Start: the worker and the
// buffers in flight share it, and it outlives the monitor's interest in them, so a buffer that
// reaches the main thread after Stop finds its run ended and delivers nothing.
#include "tray/monitor/KolDirMonitor.h"

#include "platform/ErrorReporter.h"

#include <exception>
#include <utility>

namespace pellmar {

struct KolDirMonitor::Run {
    KolDirMonitor* monitor;               // read on the main thread only, and only while live
    bool live = true;                     // main thread only
    platform::Dispatcher& dispatcher;
    std::unique_ptr<platform::DirectoryWatch> watch;  // waited on by the worker, woken by Stop
};

namespace {

const char* MessageFor(platform::WatchFailure failure) {
    switch (failure) {
        case platform::WatchFailure::NoHandles: return kErrorOnCompletionPort;
        case platform::WatchFailure::WatchesIncomplete: return kErrorOnReadDirectoryChanges;
        default: return kCannotFindDirectory;
    }
}

}  // namespace

KolDirMonitor::KolDirMonitor(platform::Dispatcher& dispatcher, Clock clock)
    : dispatcher_(dispatcher), clock_(std::move(clock)) {}

KolDirMonitor::~KolDirMonitor() { Stop(); }

void KolDirMonitor::Start() {
    if (active_) return;
    platform::WatchFailure failure = platform::WatchFailure::None;
    auto watch = platform::DirectoryWatch::Open(path_, watchSubtree_, &failure);
    if (!watch) throw DirMonitorError(MessageFor(failure));
    run_ = std::make_shared<Run>(Run{this, true, dispatcher_, std::move(watch)});
    runningPath_ = path_;
    // Normal priority: raising a thread's priority needs privileges on Linux, and the worker
    // only waits anyway.
    worker_ = std::jthread(&KolDirMonitor::Work, run_);
    active_ = true;
}

void KolDirMonitor::Stop() {
    if (!active_) return;
    active_ = false;
    run_->live = false;
    // The stop request releases a worker waiting in Send; Wake releases one waiting on the OS.
    worker_.request_stop();
    run_->watch->Wake();
    worker_.join();
    // Only now, with nobody waiting on them, are the descriptors closed.
    run_->watch.reset();
    run_.reset();
}

void KolDirMonitor::Work(std::stop_token stop, std::shared_ptr<Run> run) {
    while (!stop.stop_requested()) {
        auto buffer = std::make_shared<ChangeBuffer>();
        if (run->watch->Wait(buffer.get()) != platform::WaitOutcome::Changes) return;
        if (buffer->empty()) continue;
        const bool delivered = run->dispatcher.Send(
            [run, buffer] {
                if (run->live) run->monitor->Deliver(*buffer, *run);
            },
            stop);
        if (!delivered) return;
    }
}

void KolDirMonitor::Deliver(const ChangeBuffer& buffer, const Run& run) {
    // The handler may stop or even destroy this monitor: members are touched only while live.
    ChangeBufferContext context{runningPath_, repeats_, clock_, [&run] { return run.live; },
                                [this](DirAction action, const std::string& name) {
                                    // A copy: a handler that destroys the monitor must not
                                    // destroy the very function that is running.
                                    const ChangeHandler handler = onChange_;
                                    if (handler) handler(*this, action, name);
                                }};
    try {
        ProcessChangeBuffer(buffer, context);
    } catch (const std::exception& error) {
        // Nothing above the main loop could handle it; the rest of this buffer is given up.
        platform::ReportError(error.what());
    }
}

}  // namespace pellmar
