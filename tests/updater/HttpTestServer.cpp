// The test HTTP server's socket loop. Stops through its own pipe, never by a time-out.
#include "tests/updater/HttpTestServer.h"

#include <openssl/ssl.h>

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

// One client connection, plain or TLS (the TLS one blocks, bounded by the socket's time-outs).
struct Channel {
    int fd = -1;
    SSL* ssl = nullptr;

    ssize_t Read(char* buffer, std::size_t size) const {
        if (ssl) return SSL_read(ssl, buffer, static_cast<int>(size));
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 10000) <= 0) return -1;
        return recv(fd, buffer, size, 0);
    }
    ssize_t Write(const char* data, std::size_t size) const {
        if (ssl) return SSL_write(ssl, data, static_cast<int>(size));
        return send(fd, data, size, MSG_NOSIGNAL);
    }
};

void SendAll(const Channel& channel, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = channel.Write(data.data() + sent, data.size() - sent);
        if (n < 0 && errno == EINTR && !channel.ssl) continue;
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

// The request head, or empty when the client goes away first.
std::string ReadHead(const Channel& channel) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        ssize_t n = channel.Read(buffer, sizeof(buffer));
        if (n <= 0) return {};
        head.append(buffer, static_cast<std::size_t>(n));
    }
    return head;
}

}  // namespace

HttpTestServer::HttpTestServer() { Listen(); }

HttpTestServer::HttpTestServer(const std::string& certificateFile, const std::string& keyFile) {
    tls_ = SSL_CTX_new(TLS_server_method());
    if (!tls_ || SSL_CTX_use_certificate_chain_file(tls_, certificateFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        if (tls_) SSL_CTX_free(tls_);
        throw std::runtime_error("test HTTPS server cannot load its certificate");
    }
    Listen();
}

void HttpTestServer::Listen() {
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
    if (tls_) SSL_CTX_free(tls_);
}

std::string HttpTestServer::BaseUrl() const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

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

void HttpTestServer::Withdraw(const std::string& path) {
    std::lock_guard lock(mutex_);
    resources_.erase(path);
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
        if (tls_) {
            // A client that stalls mid-handshake must not hold the server forever.
            timeval limit{10, 0};
            setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
            setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
        }
        Answer(client);
        close(client);
    }
}

void HttpTestServer::Answer(int client) {
    Channel channel{client, nullptr};
    if (tls_) {
        channel.ssl = SSL_new(tls_);
        if (!channel.ssl) return;
        SSL_set_fd(channel.ssl, client);
        if (SSL_accept(channel.ssl) != 1) {
            SSL_free(channel.ssl);
            return;
        }
    }
    std::string head = ReadHead(channel);
    std::size_t start = head.find(' ');
    std::size_t end = start == std::string::npos ? start : head.find(' ', start + 1);
    if (end != std::string::npos) SendAll(channel, Response(head.substr(start + 1, end - start - 1)));
    if (channel.ssl) {
        SSL_shutdown(channel.ssl);
        SSL_free(channel.ssl);
    }
}

std::string HttpTestServer::Response(const std::string& path) {
    Resource resource;
    {
        std::lock_guard lock(mutex_);
        ++requests_[path];
        auto it = resources_.find(path);
        if (it == resources_.end()) return "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found";
        resource = it->second;
    }
    std::string length = resource.announced ? "Content-Length: " + std::to_string(resource.body.size()) + "\r\n" : "";
    return "HTTP/1.1 200 OK\r\n" + length + "Connection: close\r\n\r\n" +
           (resource.truncated ? resource.body.substr(0, resource.body.size() / 2) : resource.body);
}

}  // namespace pellmar::test
