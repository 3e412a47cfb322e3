// Ctrl+C, Ctrl+Break and the console's close, delivered by the console's own handler thread. For a
// close (and logoff or shutdown) the system ends the process as soon as the handler returns, so
// the handler waits there until the program has shut down and released this object.
#include "platform/TerminationSignals.h"

#include "platform/win32/UniqueHandle.h"

#include <windows.h>

#include <mutex>
#include <utility>

namespace pellmar::platform {
namespace {

std::mutex handlerMutex;
std::function<void()> request;
HANDLE shutDown = nullptr;  // set once the program has released the signals

BOOL WINAPI OnConsoleEvent(DWORD type) {
    std::function<void()> call;
    HANDLE finished = nullptr;
    {
        std::lock_guard lock(handlerMutex);
        call = std::exchange(request, nullptr);
        finished = shutDown;
    }
    if (call) call();
    const bool endsProcess = type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
    if (endsProcess && finished) WaitForSingleObject(finished, INFINITE);
    return TRUE;
}

class ConsoleTerminationSignals final : public TerminationSignals {
public:
    explicit ConsoleTerminationSignals(win32::UniqueHandle finished) : finished_(std::move(finished)) {}

    ~ConsoleTerminationSignals() override {
        SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
        {
            std::lock_guard lock(handlerMutex);
            request = nullptr;
        }
        // Left open: a handler thread may still be waiting on it, and the process ends right after.
        SetEvent(finished_.Get());
        static_cast<void>(finished_.Release());
    }

private:
    win32::UniqueHandle finished_;
};

}  // namespace

std::unique_ptr<TerminationSignals> TerminationSignals::Install(std::function<void()> onRequest) {
    win32::UniqueHandle finished(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!finished.Valid()) return nullptr;
    {
        std::lock_guard lock(handlerMutex);
        request = std::move(onRequest);
        shutDown = finished.Get();
    }
    if (!SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) return nullptr;
    return std::make_unique<ConsoleTerminationSignals>(std::move(finished));
}

}  // namespace pellmar::platform
