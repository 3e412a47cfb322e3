// The Win32 main-thread hand-over: the shared queue, woken by one message per piece to a
// message-only window, so a piece queued behind one that runs a modal loop still runs inside that
// loop. A message may find the queue empty (drained by an earlier one); it then does nothing.
#include "tray/ui/win32/Win32Dispatcher.h"

#include "common/win32/Win32Controls.h"
#include "platform/DispatchQueue.h"

#include <windows.h>

namespace pellmar {
namespace {

constexpr UINT kWorkArrived = WM_APP + 1;
const wchar_t kWindowClass[] = L"PellmarDispatcher";

}  // namespace

struct Win32Dispatcher::Shared {
    HWND window = nullptr;
    std::unique_ptr<platform::DispatchQueue> queue;

    void Drain() {
        while (queue->RunOne()) {
        }
    }
};

namespace {

LRESULT CALLBACK DispatcherProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kWorkArrived) {
        if (auto* shared = reinterpret_cast<Win32Dispatcher::Shared*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            shared->Drain();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<Win32Dispatcher> Win32Dispatcher::Create() {
    if (!win32ui::RegisterWindowClass(kWindowClass, &DispatcherProcedure)) return nullptr;
    auto shared = std::make_shared<Shared>();
    shared->window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    if (!shared->window) return nullptr;
    shared->queue = std::make_unique<platform::DispatchQueue>(
        [window = shared->window] { PostMessageW(window, kWorkArrived, 0, 0); });
    SetWindowLongPtrW(shared->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(shared.get()));
    return std::unique_ptr<Win32Dispatcher>(new Win32Dispatcher(std::move(shared)));
}

Win32Dispatcher::Win32Dispatcher(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

Win32Dispatcher::~Win32Dispatcher() {
    Quit();
    // Wake-up messages still in the thread's queue are discarded with the window.
    SetWindowLongPtrW(shared_->window, GWLP_USERDATA, 0);
    DestroyWindow(shared_->window);
}

bool Win32Dispatcher::IsOwningThread() const { return shared_->queue->IsOwningThread(); }

bool Win32Dispatcher::Send(std::function<void()> work, std::stop_token stop) {
    return shared_->queue->Send(std::move(work), stop);
}

void Win32Dispatcher::Post(std::function<void()> work) { shared_->queue->Post(std::move(work)); }

void Win32Dispatcher::Quit() { shared_->queue->Quit(); }

}  // namespace pellmar
