// The request to end a headless program from outside (SIGINT, SIGTERM on Linux; a console
// close or Ctrl+C on Windows), delivered as one call on a watcher thread of its own.
// Owns that thread; knows nothing of what the program does to end.
#pragma once

#include <functional>
#include <memory>

namespace pellmar::platform {

// Thread contract: Install on the main thread before any other thread is started (threads made
// later inherit the blocked signals, so only the watcher ever sees them); `onRequest` runs on
// the watcher thread, at most once, and must be thread-safe. Destruction joins the watcher.
class TerminationSignals {
public:
    virtual ~TerminationSignals() = default;
    // nullptr when the OS refuses; the program then ends by the signals' default action.
    static std::unique_ptr<TerminationSignals> Install(std::function<void()> onRequest);
};

}  // namespace pellmar::platform
