// The Qt main-thread hand-over. As in the plain flavour, each sender waits on a ticket of its own,
// so a released sender never touches the dispatcher again. Work is posted under the shared lock,
// so nothing reaches the receiving object once Quit has run and it may be destroyed.
#include "tray/ui/qt/QtDispatcher.h"

#include "platform/SendTicket.h"

#include <QMetaObject>
#include <QObject>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace pellmar {

struct QtDispatcher::Shared {
    std::mutex mutex;
    bool quit = false;
    std::unique_ptr<QObject> receiver = std::make_unique<QObject>();
    std::vector<std::weak_ptr<platform::SendTicket>> waiting;
};

QtDispatcher::QtDispatcher() : owner_(std::this_thread::get_id()), shared_(std::make_shared<Shared>()) {}

QtDispatcher::~QtDispatcher() {
    Quit();
    // Queued calls still in Qt's queue are discarded with the receiver.
    shared_->receiver.reset();
}

bool QtDispatcher::IsOwningThread() const { return std::this_thread::get_id() == owner_; }

bool QtDispatcher::Send(std::function<void()> work, std::stop_token stop) {
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
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->quit) return false;
        std::erase_if(shared_->waiting, [](const std::weak_ptr<platform::SendTicket>& item) { return item.expired(); });
        shared_->waiting.push_back(ticket);
        QMetaObject::invokeMethod(shared_->receiver.get(), [ticket, work = std::move(work)] {
            ticket->RunUnlessAbandoned(work);
        }, Qt::QueuedConnection);
    }
    return ticket->AwaitRun(stop);
}

void QtDispatcher::Post(std::function<void()> work) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->quit) return;
    QMetaObject::invokeMethod(shared_->receiver.get(), std::move(work), Qt::QueuedConnection);
}

void QtDispatcher::Quit() {
    std::vector<std::weak_ptr<platform::SendTicket>> waiting;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
        waiting.swap(shared_->waiting);
    }
    for (const std::weak_ptr<platform::SendTicket>& item : waiting) {
        if (auto ticket = item.lock()) ticket->Drop();
    }
}

}  // namespace pellmar
