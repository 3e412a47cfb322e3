// The tray program's error reporter: a modal box with the error icon and the caption "Pellmar",
// always shown on the main thread; a reporting thread waits until the user has closed it. Owns
// no window between reports.
#pragma once

#include "platform/Dispatcher.h"
#include "platform/ErrorReporter.h"

#include <stop_token>

namespace pellmar {

// Thread contract: Report from any thread; Release from any thread. The dispatcher outlives it.
class QtErrorReporter final : public platform::ErrorReporter {
public:
    explicit QtErrorReporter(platform::Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

    void Report(const std::string& caption, const std::string& text, platform::ErrorIcon icon) override;

    // From now on a report from another thread no longer waits for the main thread, which is
    // about to wait for those threads to end: it goes to stderr and the thread goes on.
    void Release() { release_.request_stop(); }

private:
    platform::Dispatcher& dispatcher_;
    std::stop_source release_;
};

}  // namespace pellmar
