// The Qt main-thread hand-over. As in the plain flavour, each sender waits on a ticket of its own,
// so a released sender never touches the dispatcher again. Work is posted under the shared lock,
// so nothing reaches the receiving object once Quit has run and it may be destroyed.
#include "tray/ui/qt/QtDispatcher.h"

#include <QMetaObject>
#include <QObject>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace pellmar {

struct QtDispatcher::Ticket {
    enum class State { Queued, Running, Done, Dropped };
    std::mutex mutex;
    std::condition_variable_any changed;
    State state = State::Queued;

    bool Leave(State next) {
        {
            std::lock_guard lock(mutex);
            if (state != State::Queued) return false;
            state = next;
        }
        changed.notify_all();
        return true;
    }
    void Finish() {
        {
            std::lock_guard lock(mutex);
            state = State::Done;
        }
        changed.notify_all();
    }
};

struct QtDispatcher::Shared {
    std::mutex mutex;
    bool quit = false;
    std::unique_ptr<QObject> receiver = std::make_unique<QObject>();
    std::vector<std::weak_ptr<Ticket>> waiting;
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
    auto ticket = std::make_shared<Ticket>();
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->quit) return false;
        std::erase_if(shared_->waiting, [](const std::weak_ptr<Ticket>& item) { return item.expired(); });
        shared_->waiting.push_back(ticket);
        QMetaObject::invokeMethod(shared_->receiver.get(), [ticket, work = std::move(work)] {
            if (!ticket->Leave(Ticket::State::Running)) return;  // its sender gave up
            struct Finisher {
                Ticket& ticket;
                ~Finisher() { ticket.Finish(); }
            } finisher{*ticket};
            work();
        }, Qt::QueuedConnection);
    }
    std::unique_lock lock(ticket->mutex);
    ticket->changed.wait(lock, stop, [&] { return ticket->state == Ticket::State::Done || ticket->state == Ticket::State::Dropped; });
    if (ticket->state == Ticket::State::Done) return true;
    if (ticket->state == Ticket::State::Queued) ticket->state = Ticket::State::Dropped;
    return false;
}

void QtDispatcher::Post(std::function<void()> work) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->quit) return;
    QMetaObject::invokeMethod(shared_->receiver.get(), std::move(work), Qt::QueuedConnection);
}

void QtDispatcher::Quit() {
    std::vector<std::weak_ptr<Ticket>> waiting;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
        waiting.swap(shared_->waiting);
    }
    for (const std::weak_ptr<Ticket>& item : waiting) {
        if (auto ticket = item.lock()) ticket->Leave(Ticket::State::Dropped);
    }
}

}  // namespace pellmar
