// The hand-over of work to the main thread (the part a window's SendMessage/PostMessage played).
// Owns only the interface; the plain flavour is PlainDispatcher, the Qt flavour lives with the
// user interface. It knows nothing of what the work does.
#pragma once

#include <functional>
#include <stop_token>

namespace pellmar::platform {

// Thread contract: Send and Post may be called from any thread; the work always runs on the
// owning thread, one piece at a time, in the order it was queued.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;

    // Runs `work` on the owning thread and returns true once it has run; on the owning thread
    // itself it runs inline. Returns false, without waiting any longer, when the loop stops or
    // `stop` is requested first. Work not yet begun is then never run; work already running on
    // the owning thread finishes there after Send returned, so it must own what it touches.
    virtual bool Send(std::function<void()> work, std::stop_token stop = {}) = 0;

    // Queues `work` for the owning thread and returns at once; dropped once the loop has stopped.
    virtual void Post(std::function<void()> work) = 0;

    virtual bool IsOwningThread() const = 0;
};

}  // namespace pellmar::platform
