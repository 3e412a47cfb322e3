// The tray program's own channel between two copies started on one data folder: the first
// listens, a second one asks it to show its configuration window and ends. A user-only local
// socket named after the data folder. Owns the listening socket. Main thread.
#pragma once

#include <QObject>

#include <functional>
#include <string>

class QLocalServer;

namespace pellmar {

class InstanceChannel final : public QObject {
public:
    // Listens for the data folder; `onShow` runs on the main thread for every request.
    InstanceChannel(const std::string& dataPath, std::function<void()> onShow);
    ~InstanceChannel() override;

    bool Listening() const;

    // Asks the copy listening for the data folder to show its window; true once it was told.
    static bool AskToShow(const std::string& dataPath);

private:
    QLocalServer* server_;
    std::function<void()> onShow_;
};

}  // namespace pellmar
