// The control channel as Unix-domain sockets "<runtime>/pellmar-control/<name>". The client sends
// one line and shuts its sending side; the service thread reads the line, runs the handler, sends
// the reply and closes, which ends the client's read. Both ends refuse a peer of another user.
#include "platform/ControlChannel.h"

#include "platform/posix/PrivateFolder.h"
#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace pellmar::platform {
namespace {

constexpr int kClientIdleMs = 5000;  // a client that connects and says nothing is dropped
constexpr std::size_t kMaxRequestBytes = 1 << 20;

// Waits for `fd` to be ready for `events` or for the stop descriptor (-1: none); false on stop,
// time-out or error.
bool WaitReady(int fd, short events, int stopFd, int timeoutMs) {
    while (true) {
        pollfd entries[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
        int ready = poll(entries, stopFd >= 0 ? 2 : 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || (stopFd >= 0 && entries[1].revents != 0)) return false;
        return true;
    }
}

bool SendAll(int fd, const std::string& data, int stopFd) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        if (!WaitReady(fd, POLLOUT, stopFd, -1)) return false;
        ssize_t done = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (done < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (done <= 0) return false;
        sent += static_cast<std::size_t>(done);
    }
    return true;
}

// Reads until the peer closes, or up to the first line break when `untilLine`; false when the
// exchange broke off, the limit was passed or the wait ended.
bool Receive(int fd, bool untilLine, int stopFd, int timeoutMs, std::string* data) {
    char buffer[4096];
    while (data->size() <= kMaxRequestBytes || !untilLine) {
        if (!WaitReady(fd, POLLIN, stopFd, timeoutMs)) return false;
        ssize_t got = recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) return false;
        if (got == 0) return !untilLine;
        data->append(buffer, static_cast<std::size_t>(got));
        std::size_t end = untilLine ? data->find('\n') : std::string::npos;
        if (end != std::string::npos) {
            data->resize(end);
            return true;
        }
    }
    return false;
}

std::string EndpointPath(const std::string& name, std::string* problem) {
    std::string folder = PrivateRuntimeFolder("pellmar-control", problem);
    return folder.empty() ? std::string() : folder + "/" + name;
}

class PosixControlChannel final : public ControlChannel {
public:
    PosixControlChannel(Handler handler, std::string path, UniqueFd listener, UniqueFd stopFd)
        : handler_(std::move(handler)), path_(std::move(path)), listener_(std::move(listener)),
          stopFd_(std::move(stopFd)), thread_([this] { Serve(); }) {}

    ~PosixControlChannel() override {
        stop_.request_stop();
        std::uint64_t one = 1;
        (void)!write(stopFd_.Get(), &one, sizeof(one));
        thread_.join();
        unlink(path_.c_str());
    }

private:
    void Serve() {
        while (WaitReady(listener_.Get(), POLLIN, stopFd_.Get(), -1)) {
            UniqueFd client(accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (client.Valid() && PeerIsThisUser(client.Get())) Answer(client.Get());
        }
    }

    void Answer(int client) {
        std::string request;
        if (!Receive(client, true, stopFd_.Get(), kClientIdleMs, &request)) return;
        SendAll(client, handler_(request, stop_.get_token()), stopFd_.Get());
    }

    Handler handler_;
    std::string path_;
    UniqueFd listener_;
    UniqueFd stopFd_;
    std::stop_source stop_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<ControlChannel> ControlChannel::Listen(const std::string& name, Handler handler, std::string* problem) {
    std::string path = EndpointPath(name, problem);
    sockaddr_un address{};
    if (path.empty()) return nullptr;
    if (!MakeSocketAddress(path, address)) {
        *problem = path + " is too long for a socket name";
        return nullptr;
    }
    UniqueFd stop(eventfd(0, EFD_CLOEXEC));
    UniqueFd listener = stop.Valid() ? ListenAt(path, address) : UniqueFd();
    if (!listener.Valid()) {
        *problem = path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<PosixControlChannel>(std::move(handler), path, std::move(listener), std::move(stop));
}

ControlResult SendControlRequest(const std::string& name, const std::string& request, std::string* reply) {
    std::string path = EndpointPath(name, nullptr);
    sockaddr_un address{};
    if (path.empty() || !MakeSocketAddress(path, address)) return ControlResult::NoListener;
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) return ControlResult::Failed;
    if (connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        return errno == ENOENT || errno == ECONNREFUSED ? ControlResult::NoListener : ControlResult::Failed;
    }
    if (!PeerIsThisUser(fd.Get()) || !SendAll(fd.Get(), request + "\n", -1)) return ControlResult::Failed;
    shutdown(fd.Get(), SHUT_WR);
    reply->clear();
    return Receive(fd.Get(), false, -1, -1, reply) ? ControlResult::Answered : ControlResult::Failed;
}

}  // namespace pellmar::platform
