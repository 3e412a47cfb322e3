// Application windows that other processes find by title, ask to close and test for existence:
// FindWindowA / SendMessageTimeoutA(WM_CLOSE) / IsWindow on Windows; on Linux one Unix-domain
// socket per window in a folder only the user can enter, under $XDG_RUNTIME_DIR or, when that is
// unset, under the user's cache folder ($XDG_CACHE_HOME, else ~/.cache), never a shared one such
// as /tmp. Owns the endpoint and its service thread; knows nothing of what closing means to the
// program.
#pragma once

#include <chrono>
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

    // nullptr when the endpoint cannot be made (a window already registered by this process, or
    // no private folder for it, which is also reported through ReportError).
    static std::unique_ptr<AppWindow> Register(const std::string& title, std::function<void()> onClose);

    virtual WindowHandle Handle() const = 0;
};

// Waiting without a time limit, as a plain synchronous window message does.
constexpr std::chrono::milliseconds kNoTimeLimit = std::chrono::milliseconds::max();

// The first window with exactly this title, or 0. A window whose program is busy (answering
// another close, say) is waited for up to `answerLimit` before it counts as another's; a caller
// that closes the window it finds gives the time it would give the close. Any thread.
WindowHandle FindAppWindow(const std::string& title, std::chrono::milliseconds answerLimit = std::chrono::seconds(2));

// Sends a close request and waits until the window's handler has run, or until `limit` has passed
// (a hung program); returns whether the handler ran in time. Returns false at once when the handle
// names no window. Any thread.
bool SendCloseRequest(WindowHandle window, std::chrono::milliseconds limit = kNoTimeLimit);

// Whether the handle names a live window (a stale endpoint of a dead process does not). Any thread.
bool AppWindowExists(WindowHandle window);

}  // namespace pellmar::platform
