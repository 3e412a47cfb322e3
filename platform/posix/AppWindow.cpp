// Application windows as Unix-domain sockets: "<runtime>/pellmar-windows/<pid>". A client sends
// one byte ('T' asks for the title, 'C' asks to close) and reads the answer; the service thread
// answers 'C' with 'D' only after the close handler has returned, which makes the send synchronous.
#include "platform/AppWindow.h"

#include "platform/Environment.h"
#include "platform/ErrorReporter.h"
#include "platform/posix/PrivateFolder.h"
#include "platform/posix/UniqueFd.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pellmar::platform {
namespace {

constexpr int kClientIdleMs = 5000;       // a client that connects and says nothing is dropped
constexpr std::size_t kMaxTitleBytes = 4096;

// Where the user's windows live: "<runtime>/pellmar-windows" (see PrivateRuntimeFolder).
std::string EndpointFolder(std::string* problem = nullptr) { return PrivateRuntimeFolder("pellmar-windows", problem); }

// A connection to a window's endpoint. Never blocks: a window whose service has stopped accepting
// (its backlog is full, the program hangs) gives no connection but still counts as existing.
UniqueFd Connect(WindowHandle window, bool* busy = nullptr) {
    if (busy) *busy = false;
    if (window <= 0) return UniqueFd();
    std::string folder = EndpointFolder();
    sockaddr_un address{};
    if (folder.empty() || !MakeSocketAddress(folder + "/" + std::to_string(window), address)) return UniqueFd();
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.Valid()) return UniqueFd();
    if (connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        if (busy) *busy = errno == EAGAIN;
        return UniqueFd();
    }
    return fd;
}

int PollTimeout(std::chrono::milliseconds limit) {
    if (limit >= std::chrono::milliseconds(INT_MAX)) return -1;
    return limit.count() < 0 ? 0 : static_cast<int>(limit.count());
}

bool SendByte(int fd, char byte) { return send(fd, &byte, 1, MSG_NOSIGNAL) == 1; }

// Reads until the peer closes, up to `limit` bytes; waits at most `timeoutMs` for each piece (-1: forever).
std::string ReadAll(int fd, std::size_t limit, int timeoutMs) {
    std::string data;
    char buffer[512];
    while (data.size() < limit) {
        pollfd entry{fd, POLLIN, 0};
        int ready = poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        ssize_t got = recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) break;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    return data;
}

class PosixAppWindow final : public AppWindow {
public:
    PosixAppWindow(std::string title, std::function<void()> onClose, std::string path, UniqueFd listener, UniqueFd stop)
        : title_(std::move(title)), onClose_(std::move(onClose)), path_(std::move(path)),
          listener_(std::move(listener)), stop_(std::move(stop)), thread_([this] { Serve(); }) {}

    ~PosixAppWindow() override {
        std::uint64_t one = 1;
        (void)!write(stop_.Get(), &one, sizeof(one));
        thread_.join();
        unlink(path_.c_str());
        registered.store(false);
    }

    WindowHandle Handle() const override { return static_cast<WindowHandle>(getpid()); }

    static std::atomic<bool> registered;

private:
    void Serve() {
        while (true) {
            pollfd entries[2] = {{listener_.Get(), POLLIN, 0}, {stop_.Get(), POLLIN, 0}};
            if (poll(entries, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (entries[1].revents != 0) return;
            if (entries[0].revents & POLLIN) {
                UniqueFd client(accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
                if (client.Valid()) Answer(client.Get());
            }
        }
    }

    void Answer(int client) {
        // The folder is private already; the credential check also holds when it was made elsewhere.
        if (!PeerIsThisUser(client)) return;
        pollfd entries[2] = {{client, POLLIN, 0}, {stop_.Get(), POLLIN, 0}};
        if (poll(entries, 2, kClientIdleMs) <= 0 || entries[1].revents != 0) return;
        char request = 0;
        if (recv(client, &request, 1, 0) != 1) return;
        if (request == 'T') {
            send(client, title_.data(), title_.size(), MSG_NOSIGNAL);
        } else if (request == 'C') {
            if (onClose_) onClose_();
            SendByte(client, 'D');
        }
    }

    std::string title_;
    std::function<void()> onClose_;
    std::string path_;
    UniqueFd listener_;
    UniqueFd stop_;
    std::thread thread_;
};

std::atomic<bool> PosixAppWindow::registered{false};

}  // namespace

std::unique_ptr<AppWindow> AppWindow::Register(const std::string& title, std::function<void()> onClose) {
    std::string problem;
    std::string folder = EndpointFolder(&problem);
    std::string path = folder + "/" + std::to_string(getpid());
    sockaddr_un address{};
    if (!folder.empty() && !MakeSocketAddress(path, address)) problem = path + " is too long for a socket name";
    if (!problem.empty()) {
        // Nothing else would tell the user why the program cannot be closed or updated.
        ReportError("The application window cannot be made: " + problem + ".");
        return nullptr;
    }
    if (PosixAppWindow::registered.exchange(true)) return nullptr;
    UniqueFd stop(eventfd(0, EFD_CLOEXEC));
    // An endpoint named after this pid can only be a stale one of a dead process that had it before.
    UniqueFd listener = stop.Valid() ? ListenAt(path, address) : UniqueFd();
    if (!listener.Valid()) {
        PosixAppWindow::registered.store(false);
        return nullptr;
    }
    return std::make_unique<PosixAppWindow>(title, std::move(onClose), path, std::move(listener), std::move(stop));
}

WindowHandle FindAppWindow(const std::string& title, std::chrono::milliseconds answerLimit) {
    std::string folder = EndpointFolder();
    if (folder.empty()) return 0;
    std::vector<WindowHandle> candidates;
    if (DIR* listing = opendir(folder.c_str())) {
        while (dirent* entry = readdir(listing)) {
            std::string name = entry->d_name;
            if (!name.empty() && name.size() < 10 && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                candidates.push_back(static_cast<WindowHandle>(std::stol(name)));
            }
        }
        closedir(listing);
    }
    std::sort(candidates.begin(), candidates.end());
    for (WindowHandle candidate : candidates) {
        UniqueFd fd = Connect(candidate);
        if (fd.Valid() && SendByte(fd.Get(), 'T') && ReadAll(fd.Get(), kMaxTitleBytes, PollTimeout(answerLimit)) == title) {
            return candidate;
        }
    }
    return 0;
}

bool SendCloseRequest(WindowHandle window, std::chrono::milliseconds limit) {
    UniqueFd fd = Connect(window);
    if (!fd.Valid() || !SendByte(fd.Get(), 'C')) return false;
    // Like a synchronous window message, up to the limit; a dead peer ends the wait too.
    return ReadAll(fd.Get(), 1, PollTimeout(limit)) == "D";
}

bool AppWindowExists(WindowHandle window) {
    bool busy = false;
    return Connect(window, &busy).Valid() || busy;
}

}  // namespace pellmar::platform
