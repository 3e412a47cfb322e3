// A tiny HTTP/1.1 server on 127.0.0.1 (ephemeral port) for updater tests: serves registered bodies,
// 404 for anything else, optionally cuts a body short; plain or, given a certificate, over TLS
// (OpenSSL). One connection at a time, on its own thread; stopped and joined by the destructor.
// While it lives, the environment exempts loopback from any proxy the machine has configured, for
// this process and the programs it starts.
#pragma once

#include "tests/support/TestEnvironment.h"

#include <map>
#include <mutex>
#include <string>
#include <thread>

struct ssl_ctx_st;

namespace pellmar::test {

class HttpTestServer {
public:
    HttpTestServer();  // listening when constructed; throws when it cannot listen
    // https with this certificate and its private key (PEM files); throws when they do not load.
    HttpTestServer(const std::string& certificateFile, const std::string& keyFile);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // "http://127.0.0.1:<port>" ("https://" over TLS)
    std::string BaseUrl() const;

    // Any thread, also while serving.
    void Serve(const std::string& path, const std::string& body);
    // Announces the whole body's length but sends only its first half, then closes.
    void ServeTruncated(const std::string& path, const std::string& body);
    // Sends the body without announcing its length; its end is the end of the connection.
    void ServeUnannounced(const std::string& path, const std::string& body);
    void Withdraw(const std::string& path);  // 404 from now on
    int Requests(const std::string& path) const;

private:
    void Run();
    void Answer(int client);
    std::string Response(const std::string& path);  // the whole answer (head and body) to a GET of path
    void Listen();

    struct Resource {
        std::string body;
        bool truncated = false;
        bool announced = true;
    };
    ScopedEnvironment environment_;
    mutable std::mutex mutex_;
    std::map<std::string, Resource> resources_;
    std::map<std::string, int> requests_;
    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    int port_ = 0;
    ssl_ctx_st* tls_ = nullptr;
    std::thread thread_;
};

}  // namespace pellmar::test
