// The Win32 flavour of the main-thread hand-over: work from other threads is queued here and a
// message posted to a message-only window of the thread that made the dispatcher wakes it, so the
// work also runs inside modal loops (message boxes, dialogs). Owns the queued work until it runs
// or is dropped; knows nothing of the other windows or of what the work does.
#pragma once

#include "platform/Dispatcher.h"

#include <memory>

namespace pellmar {

// Thread contract: construct and destroy on the thread that runs the message loop; Send, Post and
// Quit from any thread. A sender blocked in Send is released by its stop token, by Quit, or by
// destruction, whichever comes first; work not yet begun then never runs.
class Win32Dispatcher final : public platform::Dispatcher {
public:
    // nullptr when the window cannot be made.
    static std::unique_ptr<Win32Dispatcher> Create();
    ~Win32Dispatcher() override;
    Win32Dispatcher(const Win32Dispatcher&) = delete;
    Win32Dispatcher& operator=(const Win32Dispatcher&) = delete;

    bool Send(std::function<void()> work, std::stop_token stop = {}) override;
    void Post(std::function<void()> work) override;
    bool IsOwningThread() const override;
    // Final: queued and later work is dropped and every waiting sender is released with false.
    void Quit();

    struct Shared;

private:
    explicit Win32Dispatcher(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
};

}  // namespace pellmar
