// A tiny HTTP/1.0 server on 127.0.0.1 (ephemeral port) over Winsock for the Windows download and
// updater tests: serves registered bodies, 404 for anything else. One connection at a time on its
// own thread; stopped and joined by the destructor.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace pellmar::test {

class LoopbackHttpServer {
public:
    LoopbackHttpServer();  // listening when constructed; throws when it cannot listen
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::string BaseUrl() const;  // "http://127.0.0.1:<port>"
    void Serve(const std::string& path, const std::string& body);
    int Requests(const std::string& path) const;

private:
    void Run();
    void Answer(std::uintptr_t client);

    std::uintptr_t listener_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, std::string> bodies_;
    std::map<std::string, int> requests_;
    std::thread thread_;
};

}  // namespace pellmar::test
