// SIGINT and SIGTERM blocked and read through a signalfd on a watcher thread, which also polls an
// eventfd so that destruction can end it without any signal.
#include "platform/TerminationSignals.h"

#include <csignal>
#include <cstdint>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <thread>
#include <unistd.h>

namespace pellmar::platform {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

class PosixTerminationSignals final : public TerminationSignals {
public:
    PosixTerminationSignals(int signalFd, int stopFd, std::function<void()> onRequest)
        : signals_(signalFd), stop_(stopFd), thread_([this, onRequest = std::move(onRequest)] { Watch(onRequest); }) {}

    ~PosixTerminationSignals() override {
        const std::uint64_t one = 1;
        if (write(stop_.Get(), &one, sizeof one) < 0) { /* the watcher then ends with the process */ }
        thread_.join();
    }

private:
    void Watch(const std::function<void()>& onRequest) {
        pollfd fds[2] = {{signals_.Get(), POLLIN, 0}, {stop_.Get(), POLLIN, 0}};
        for (;;) {
            if (poll(fds, 2, -1) < 0) continue;  // EINTR from an unrelated handled signal
            if (fds[1].revents) return;
            if (fds[0].revents) {
                signalfd_siginfo info {};
                if (read(signals_.Get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                    onRequest();
                    return;
                }
            }
        }
    }

    Fd signals_;
    Fd stop_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<TerminationSignals> TerminationSignals::Install(std::function<void()> onRequest) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return nullptr;
    const int signalFd = signalfd(-1, &set, SFD_CLOEXEC);
    const int stopFd = eventfd(0, EFD_CLOEXEC);
    if (signalFd < 0 || stopFd < 0) {
        if (signalFd >= 0) close(signalFd);
        if (stopFd >= 0) close(stopFd);
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return nullptr;
    }
    return std::make_unique<PosixTerminationSignals>(signalFd, stopFd, std::move(onRequest));
}

}  // namespace pellmar::platform
