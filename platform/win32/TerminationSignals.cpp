// Ctrl+C, Ctrl+Break and console close, delivered by the console's own handler thread.
#include "platform/TerminationSignals.h"

#include <windows.h>

#include <mutex>
#include <utility>

namespace pellmar::platform {
namespace {

std::mutex handlerMutex;
std::function<void()> request;

BOOL WINAPI OnConsoleEvent(DWORD) {
    std::function<void()> call;
    {
        std::lock_guard lock(handlerMutex);
        call = std::exchange(request, nullptr);
    }
    if (call) call();
    return TRUE;
}

class ConsoleTerminationSignals final : public TerminationSignals {
public:
    ~ConsoleTerminationSignals() override {
        SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
        std::lock_guard lock(handlerMutex);
        request = nullptr;
    }
};

}  // namespace

std::unique_ptr<TerminationSignals> TerminationSignals::Install(std::function<void()> onRequest) {
    {
        std::lock_guard lock(handlerMutex);
        request = std::move(onRequest);
    }
    if (!SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) return nullptr;
    return std::make_unique<ConsoleTerminationSignals>();
}

}  // namespace pellmar::platform
