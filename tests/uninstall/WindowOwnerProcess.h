// Starts the window-owner helper program for a test and ends it (by its pid) when the test ends.
#pragma once

#include "platform/AppWindow.h"

#include <string>
#include <vector>
#include <sys/types.h>

namespace pellmar::test {

// What the helper's window does when asked to close: end the helper, nothing, never answer, or
// (Slow) spend 4 s over the first request without closing and end at the next.
enum class OwnerMode { Close, Ignore, Hang, Slow };

class WindowOwnerProcess {
public:
    // Starts the helper in `folder` and waits until its window exists; Handle() is 0 on failure.
    WindowOwnerProcess(const std::string& folder, const std::string& title, OwnerMode mode);
    WindowOwnerProcess(const std::string& folder, const std::string& title, bool closesWhenAsked)
        : WindowOwnerProcess(folder, title, closesWhenAsked ? OwnerMode::Close : OwnerMode::Ignore) {}
    ~WindowOwnerProcess();
    WindowOwnerProcess(const WindowOwnerProcess&) = delete;
    WindowOwnerProcess& operator=(const WindowOwnerProcess&) = delete;

    platform::WindowHandle Handle() const { return handle_; }
    // Slow: exists from when the helper begins its long first close.
    std::string BusyMarker() const { return ready_ + ".busy"; }
    // Waits (with a deadline) for the helper to end; true when it ended with exit code 0.
    bool WaitForExit();

private:
    std::string ready_;
    pid_t pid_ = -1;
    platform::WindowHandle handle_ = 0;
};

// Runs `program` with `arguments` and waits for it; its exit code, or -1.
int RunAndWait(const std::string& program, const std::vector<std::string>& arguments, const std::string& workingDirectory = {});

}  // namespace pellmar::test
