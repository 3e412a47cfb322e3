// The windowed programs' error reporter: a modal box, always shown on the main thread; a reporting
// thread waits until the user has closed it. The box itself is the toolkit's (a function given at
// construction). Owns no window between reports.
#pragma once

#include "platform/Dispatcher.h"
#include "platform/ErrorReporter.h"

#include <functional>
#include <stop_token>

namespace pellmar {

// Thread contract: Report and Release from any thread; `showBox` runs on the main thread only and
// returns once the box is closed. The dispatcher outlives the reporter.
class MainThreadErrorReporter : public platform::ErrorReporter {
public:
    using ShowBox = std::function<void(const std::string& caption, const std::string& text)>;

    MainThreadErrorReporter(platform::Dispatcher& dispatcher, ShowBox showBox)
        : dispatcher_(dispatcher), showBox_(std::move(showBox)) {}

    void Report(const std::string& caption, const std::string& text, platform::ErrorIcon icon) override;

    // From now on a report from another thread no longer waits for the main thread, which is
    // about to wait for those threads to end: it goes to stderr and the thread goes on.
    void Release() { release_.request_stop(); }

    // The main thread's dispatcher, which the session hands its background work's results to.
    platform::Dispatcher& Dispatcher() const { return dispatcher_; }

private:
    platform::Dispatcher& dispatcher_;
    ShowBox showBox_;
    std::stop_source release_;
};

}  // namespace pellmar
