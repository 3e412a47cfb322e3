// The test HTTP server's socket loop. Stops through its own pipe, never by a time-out.
#include "tests/updater/HttpTestServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace pellmar::test {
namespace {

void SendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

// The request head, or empty when the client goes away first.
std::string ReadHead(int fd) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 10000) <= 0) return {};
        ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) return {};
        head.append(buffer, static_cast<std::size_t>(n));
    }
    return head;
}

}  // namespace

HttpTestServer::HttpTestServer() {
    environment_.Set("no_proxy", "127.0.0.1,localhost");
    environment_.Set("NO_PROXY", "127.0.0.1,localhost");
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof(address);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        pipe2(stopPipe_, O_CLOEXEC) != 0) {
        throw std::runtime_error("test HTTP server cannot listen");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

HttpTestServer::~HttpTestServer() {
    char byte = 0;
    (void)!write(stopPipe_[1], &byte, 1);
    thread_.join();
    close(listener_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

std::string HttpTestServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

void HttpTestServer::Serve(const std::string& path, const std::string& body) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, false};
}

void HttpTestServer::ServeTruncated(const std::string& path, const std::string& body) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, true};
}

void HttpTestServer::ServeUnannounced(const std::string& path, const std::string& body) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, false, false};
}

int HttpTestServer::Requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto found = requests_.find(path);
    return found == requests_.end() ? 0 : found->second;
}

void HttpTestServer::Run() {
    while (true) {
        pollfd entries[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(entries, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (entries[1].revents != 0) return;
        int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        Answer(client);
        close(client);
    }
}

void HttpTestServer::Answer(int client) {
    std::string head = ReadHead(client);
    std::size_t start = head.find(' ');
    std::size_t end = start == std::string::npos ? start : head.find(' ', start + 1);
    if (end == std::string::npos) return;
    std::string path = head.substr(start + 1, end - start - 1);
    Resource resource;
    bool found = false;
    {
        std::lock_guard lock(mutex_);
        ++requests_[path];
        auto it = resources_.find(path);
        if (it != resources_.end()) {
            resource = it->second;
            found = true;
        }
    }
    if (!found) {
        SendAll(client, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
        return;
    }
    std::string length = resource.announced ? "Content-Length: " + std::to_string(resource.body.size()) + "\r\n" : "";
    SendAll(client, "HTTP/1.1 200 OK\r\n" + length + "Connection: close\r\n\r\n");
    SendAll(client, resource.truncated ? resource.body.substr(0, resource.body.size() / 2) : resource.body);
}

}  // namespace pellmar::test
