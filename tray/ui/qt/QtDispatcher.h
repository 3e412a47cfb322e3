// The Qt flavour of the main-thread hand-over: work from other threads is queued to the Qt event
// loop of the thread that made the dispatcher. Owns the queued work until it runs or is dropped;
// knows nothing of windows or of what the work does.
#pragma once

#include "platform/Dispatcher.h"

#include <memory>

class QObject;

namespace pellmar {

// Thread contract: construct and destroy on the thread that runs the Qt event loop; Send, Post
// and Quit from any thread. A sender blocked in Send is released by its stop token, by Quit, or
// by destruction, whichever comes first; work not yet begun then never runs.
class QtDispatcher final : public platform::Dispatcher {
public:
    QtDispatcher();
    ~QtDispatcher() override;
    QtDispatcher(const QtDispatcher&) = delete;
    QtDispatcher& operator=(const QtDispatcher&) = delete;

    bool Send(std::function<void()> work, std::stop_token stop = {}) override;
    void Post(std::function<void()> work) override;
    bool IsOwningThread() const override;
    // Final: queued and later work is dropped and every waiting sender is released with false.
    void Quit();

private:
    struct Shared;

    std::shared_ptr<Shared> shared_;
};

}  // namespace pellmar
