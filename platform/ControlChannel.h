// The user-only request channel of a replication host: the host listens under a name (one per data
// folder), a command line sends one request text and reads one reply text. On Linux a Unix-domain
// socket in the user's private runtime folder, the peer's user checked on both ends. Owns the
// endpoint and its service thread; knows nothing of what the requests mean.
#pragma once

#include <functional>
#include <memory>
#include <stop_token>
#include <string>

namespace pellmar::platform {

// Thread contract: the handler runs on the channel's own service thread, one request at a time;
// `stop` is requested when the channel is being destroyed, so a handler waiting for another
// thread can give up. The destructor (any thread but the handler's) waits for a handler in hand.
class ControlChannel {
public:
    using Handler = std::function<std::string(const std::string& request, std::stop_token stop)>;

    virtual ~ControlChannel() = default;

    // Listens under `name`, replacing a stale endpoint of that name (the caller holds the data
    // folder's host lock, so no live host can own it). nullptr, with `problem` set, when the
    // endpoint cannot be made. Requests are one line of at most 1 MiB without the line break.
    static std::unique_ptr<ControlChannel> Listen(const std::string& name, Handler handler, std::string* problem);
};

enum class ControlResult {
    Answered,    // `reply` holds the whole reply
    NoListener,  // nobody listens under the name (no endpoint, or a stale one)
    Failed,      // a listener was there but the exchange broke off, or it is not this user's
};

// Sends one request line and waits, without a time limit, for the reply. Any thread.
ControlResult SendControlRequest(const std::string& name, const std::string& request, std::string* reply);

}  // namespace pellmar::platform
