// Winsock loopback server: accept, read the request head, answer, close. The destructor closes the
// listening socket, which ends the blocked accept.
#include "tests/win32/LoopbackHttpServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

namespace pellmar::test {

LoopbackHttpServer::LoopbackHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 16) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on the loopback interface");
    }
    listener_ = listener;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    closesocket(static_cast<SOCKET>(listener_));
    thread_.join();
    WSACleanup();
}

std::string LoopbackHttpServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

void LoopbackHttpServer::Serve(const std::string& path, const std::string& body) {
    std::lock_guard lock(mutex_);
    bodies_[path] = body;
}

int LoopbackHttpServer::Requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto found = requests_.find(path);
    return found == requests_.end() ? 0 : found->second;
}

void LoopbackHttpServer::Run() {
    while (!stopping_) {
        SOCKET client = accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        Answer(client);
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}

void LoopbackHttpServer::Answer(std::uintptr_t socketValue) {
    const SOCKET client = static_cast<SOCKET>(socketValue);
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t start = head.find(' ') + 1;
    const std::string path = head.substr(start, head.find(' ', start) - start);
    std::string answer;
    {
        std::lock_guard lock(mutex_);
        ++requests_[path];
        auto found = bodies_.find(path);
        answer = found == bodies_.end()
                     ? std::string("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found")
                     : "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(found->second.size()) +
                           "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + found->second;
    }
    for (std::size_t sent = 0; sent < answer.size();) {
        const int put = send(client, answer.data() + sent, static_cast<int>(answer.size() - sent), 0);
        if (put <= 0) return;
        sent += static_cast<std::size_t>(put);
    }
}

}  // namespace pellmar::test
