// The channel's service thread only waits: the request itself runs on the main thread, where every
// FolderMonitor operation must run, handed over by a Send that the server's end can abandon.
#include "tray/ctl/ControlServer.h"

#include "tray/ctl/Backends.h"
#include "tray/ctl/CtlProtocol.h"

namespace pellmar::ctl {

ControlServer::ControlServer(platform::Dispatcher& dispatcher, SessionSource session, DataLocations locations,
                             ControlServerHooks hooks)
    : dispatcher_(dispatcher),
      session_(std::move(session)),
      locations_(std::move(locations)),
      hooks_(std::move(hooks)) {}

ControlServer::~ControlServer() { channel_.reset(); }

std::unique_ptr<ControlServer> ControlServer::Start(platform::Dispatcher& dispatcher, SessionSource session,
                                                    const DataLocations& locations, ControlServerHooks hooks,
                                                    std::string* problem) {
    std::unique_ptr<ControlServer> server(
        new ControlServer(dispatcher, std::move(session), locations, std::move(hooks)));
    ControlServer* raw = server.get();
    server->channel_ = platform::ControlChannel::Listen(
        ControlChannelName(locations.dataPath),
        [raw](const std::string& request, std::stop_token stop) { return raw->Answer(request, stop); }, problem);
    if (!server->channel_) return nullptr;
    return server;
}

std::string ControlServer::Answer(const std::string& request, std::stop_token stop) {
    // Owned jointly: a Send given up at shutdown may still be finishing its work on the main thread.
    auto reply = std::make_shared<CtlReply>(Failure(kExitFailure, "the host is shutting down"));
    dispatcher_.Send([this, request, reply] {
        MonitorSession* session = session_();
        if (!session) return;
        SessionBackend backend(*session, locations_);
        bool changed = false;
        *reply = AnswerRequest(request, backend, hooks_.busy ? hooks_.busy() : std::string(), &changed);
        if (changed && hooks_.changed) hooks_.changed();
    }, stop);
    return EncodeReply(*reply);
}

}  // namespace pellmar::ctl
