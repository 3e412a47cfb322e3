// The Win32 main-thread hand-over. As in the other flavours each sender waits on a ticket of its
// own. The queue is the dispatcher's, not the window's: one posted message wakes the window, which
// drains whatever is queued; later wake-ups may then find the queue empty.
#include "tray/ui/win32/Win32Dispatcher.h"

#include "common/win32/Win32Controls.h"
#include "platform/SendTicket.h"

#include <windows.h>

#include <deque>
#include <mutex>

namespace pellmar {
namespace {

constexpr UINT kWorkArrived = WM_APP + 1;
const wchar_t kWindowClass[] = L"PellmarDispatcher";

struct Item {
    std::function<void()> work;
    std::shared_ptr<platform::SendTicket> ticket;  // null for posted work
};

}  // namespace

struct Win32Dispatcher::Shared {
    std::mutex mutex;
    bool quit = false;
    HWND window = nullptr;
    std::deque<Item> queue;

    bool TakeOne(Item* item) {
        std::lock_guard lock(mutex);
        if (quit || queue.empty()) return false;
        *item = std::move(queue.front());
        queue.pop_front();
        return true;
    }

    void Drain() {
        Item item;
        while (TakeOne(&item)) {
            if (item.ticket) {
                item.ticket->RunUnlessAbandoned(item.work);
            } else {
                item.work();
            }
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
    SetWindowLongPtrW(shared->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(shared.get()));
    return std::unique_ptr<Win32Dispatcher>(new Win32Dispatcher(std::move(shared)));
}

Win32Dispatcher::Win32Dispatcher(std::shared_ptr<Shared> shared)
    : owner_(std::this_thread::get_id()), shared_(std::move(shared)) {}

Win32Dispatcher::~Win32Dispatcher() {
    Quit();
    // Wake-up messages still in the thread's queue are discarded with the window.
    DestroyWindow(shared_->window);
}

bool Win32Dispatcher::IsOwningThread() const { return std::this_thread::get_id() == owner_; }

void Win32Dispatcher::Queue(std::function<void()> work, std::shared_ptr<platform::SendTicket> ticket) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->quit) {
        if (ticket) ticket->Drop();
        return;
    }
    shared_->queue.push_back({std::move(work), std::move(ticket)});
    // One wake-up per piece, so a piece queued behind one that runs a modal loop still runs inside
    // that loop. Posted under the lock, so no wake-up reaches the window once Quit has run.
    PostMessageW(shared_->window, kWorkArrived, 0, 0);
}

bool Win32Dispatcher::Send(std::function<void()> work, std::stop_token stop) {
    if (IsOwningThread()) {
        {
            std::lock_guard lock(shared_->mutex);
            if (shared_->quit) return false;
        }
        if (stop.stop_requested()) return false;
        work();
        return true;
    }
    auto ticket = std::make_shared<platform::SendTicket>();
    Queue(std::move(work), ticket);
    return ticket->AwaitRun(stop);
}

void Win32Dispatcher::Post(std::function<void()> work) { Queue(std::move(work), nullptr); }

void Win32Dispatcher::Quit() {
    std::deque<Item> dropped;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
        dropped.swap(shared_->queue);
    }
    for (Item& item : dropped) {
        if (item.ticket) item.ticket->Drop();
    }
}

}  // namespace pellmar
