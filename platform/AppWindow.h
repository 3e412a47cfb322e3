// Application windows that other processes find by title, ask to close and test for existence:
// FindWindowA / SendMessageA(WM_CLOSE) / IsWindow on Windows; on Linux one Unix-domain socket per
// window in a folder of the user's runtime directory that only the user can enter. Owns the
// endpoint and its service thread; knows nothing of what closing means to the program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace pellmar::platform {

// A window handle as passed on command lines (decimal); 0 names no window. On Linux it is the
// owning process id, so a process has at most one application window.
using WindowHandle = std::int32_t;

// Thread contract: Register and the destructor may be called from any thread, but the destructor
// never from inside the close handler. The close handler runs on the window's own service thread,
// one request at a time, and the sender is answered only after it returns.
class AppWindow {
public:
    virtual ~AppWindow() = default;

    // nullptr when the endpoint cannot be made (no private runtime folder, a window already
    // registered by this process).
    static std::unique_ptr<AppWindow> Register(const std::string& title, std::function<void()> onClose);

    virtual WindowHandle Handle() const = 0;
};

// The first window with exactly this title, or 0. Blocks briefly; any thread.
WindowHandle FindAppWindow(const std::string& title);

// Sends a close request and waits until the window's handler has run; returns at once when the
// handle names no window. Any thread.
void SendCloseRequest(WindowHandle window);

// Whether the handle names a live window (a stale endpoint of a dead process does not). Any thread.
bool AppWindowExists(WindowHandle window);

}  // namespace pellmar::platform
