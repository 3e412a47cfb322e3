// A host's side of pellmarctl: listens on the data folder's control channel and carries out each
// request on the main thread, through the session operations, so a change takes effect at once.
// Owns the channel; the session and the dispatcher belong to the host and outlive the server.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ControlChannel.h"
#include "platform/Dispatcher.h"
#include "tray/shell/DataLocations.h"

namespace pellmar {
class MonitorSession;
}

namespace pellmar::ctl {

struct ControlServerHooks {
    // Main thread: why the host cannot take changes right now (a modal window is open), or empty.
    std::function<std::string()> busy;
    // Main thread: after a command changed the monitors, so a window showing them redraws.
    std::function<void()> changed;
};

// The host's running session, or nullptr once it has stopped. Main thread.
using SessionSource = std::function<MonitorSession*()>;

// Thread contract: made and destroyed on the main thread (the dispatcher's owner). A request
// waiting for the main thread when the server is destroyed, or arriving after the session has
// stopped, is answered as failed.
class ControlServer {
public:
    // nullptr, with `problem` set, when the channel cannot be made; the host runs on without it.
    static std::unique_ptr<ControlServer> Start(platform::Dispatcher& dispatcher, SessionSource session,
                                                const DataLocations& locations, ControlServerHooks hooks,
                                                std::string* problem);
    ~ControlServer();

private:
    ControlServer(platform::Dispatcher& dispatcher, SessionSource session, DataLocations locations,
                  ControlServerHooks hooks);
    std::string Answer(const std::string& request, std::stop_token stop);

    platform::Dispatcher& dispatcher_;
    SessionSource session_;
    DataLocations locations_;
    ControlServerHooks hooks_;
    std::unique_ptr<platform::ControlChannel> channel_;
};

}  // namespace pellmar::ctl
