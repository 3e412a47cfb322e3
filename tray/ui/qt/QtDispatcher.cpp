// The Qt main-thread hand-over: the shared queue, woken by one queued call per piece on the
// receiving object, so work also runs inside modal loops. The queued calls hold the queue only
// weakly: once the dispatcher is gone, a call still in Qt's queue finds nothing.
#include "tray/ui/qt/QtDispatcher.h"

#include "platform/DispatchQueue.h"

#include <QMetaObject>
#include <QObject>

namespace pellmar {

struct QtDispatcher::Shared {
    std::unique_ptr<QObject> receiver = std::make_unique<QObject>();
    std::unique_ptr<platform::DispatchQueue> queue;
};

QtDispatcher::QtDispatcher() : shared_(std::make_shared<Shared>()) {
    Shared* shared = shared_.get();
    std::weak_ptr<Shared> weak = shared_;
    shared->queue = std::make_unique<platform::DispatchQueue>([receiver = shared->receiver.get(), weak] {
        QMetaObject::invokeMethod(receiver, [weak] {
            if (const auto alive = weak.lock()) alive->queue->RunOne();
        }, Qt::QueuedConnection);
    });
}

QtDispatcher::~QtDispatcher() {
    Quit();
    // Queued calls still in Qt's queue are discarded with the receiver.
    shared_->receiver.reset();
}

bool QtDispatcher::IsOwningThread() const { return shared_->queue->IsOwningThread(); }

bool QtDispatcher::Send(std::function<void()> work, std::stop_token stop) {
    return shared_->queue->Send(std::move(work), stop);
}

void QtDispatcher::Post(std::function<void()> work) { shared_->queue->Post(std::move(work)); }

void QtDispatcher::Quit() { shared_->queue->Quit(); }

}  // namespace pellmar
