// DirectoryWatch on inotify: one inotify descriptor for the tree, an eventfd to wake the waiter,
// and poll on both. What the events mean lives in InotifyWatchTree; decoding in InotifyEvents.
#include "platform/DirectoryWatch.h"

#include "platform/posix/InotifyEvents.h"
#include "platform/posix/InotifyWatchTree.h"
#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace pellmar::platform {

namespace {

std::atomic<bool> loseNextRead{false};

class SystemInotifyCalls final : public InotifyCalls {
public:
    explicit SystemInotifyCalls(int fd) : fd_(fd) {}

    int AddWatch(const std::string& path, bool root) override {
        const std::uint32_t mask = InotifyWatchMask() | (root ? 0u : static_cast<std::uint32_t>(IN_DONT_FOLLOW));
        const int wd = inotify_add_watch(fd_, path.c_str(), mask);
        return wd >= 0 ? wd : -errno;
    }

    void RemoveWatch(int wd) override { inotify_rm_watch(fd_, wd); }

    std::vector<Entry> List(const std::string& path) override {
        std::vector<Entry> entries;
        DIR* folder = opendir(path.c_str());
        if (!folder) return entries;
        while (const dirent* entry = readdir(folder)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            entries.push_back(Entry{entry->d_name, IsFolder(path, *entry)});
        }
        closedir(folder);
        return entries;
    }

private:
    // Some file systems leave d_type unknown; lstat so that a link to a folder stays a link.
    static bool IsFolder(const std::string& folder, const dirent& entry) {
        if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
        struct stat info {};
        const std::string path = folder + '/' + entry.d_name;
        return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    int fd_;
};

class InotifyDirectoryWatch final : public DirectoryWatch {
public:
    InotifyDirectoryWatch(UniqueFd inotify, UniqueFd wake, const std::string& path, bool subtree)
        : inotify_(std::move(inotify)), wake_(std::move(wake)), calls_(inotify_.Get()), tree_(calls_, path, subtree) {}

    ~InotifyDirectoryWatch() override { tree_.RemoveAll(); }

    WatchFailure WatchAll() { return tree_.WatchAll(); }

    WaitOutcome Wait(std::vector<DirectoryChange>* changes,
                     std::optional<std::chrono::steady_clock::time_point> deadline) override {
        for (;;) {
            pollfd fds[2] = {{inotify_.Get(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
            const int ready = poll(fds, 2, PollTimeout(deadline));
            if (ready < 0) {
                if (errno == EINTR) continue;
                return WaitOutcome::Broken;
            }
            if (ready == 0) return WaitOutcome::TimedOut;
            // Checked first: once woken, pending changes are no longer wanted.
            if (fds[1].revents != 0) return WaitOutcome::Woken;
            if (fds[0].revents & POLLIN) return ReadChanges(changes);
            if (fds[0].revents != 0) return WaitOutcome::Broken;
        }
    }

    void ReadPending(std::vector<DirectoryChange>* changes) override {
        // The descriptor is non-blocking: a read without events ends the loop with EAGAIN.
        while (ReadOnce(changes) > 0) {
        }
        tree_.SettleMoveAway(changes);
    }

    void Wake() override {
        const std::uint64_t one = 1;
        // Only fails when the counter is about to overflow, and then it is signalled already.
        [[maybe_unused]] ssize_t written = write(wake_.Get(), &one, sizeof one);
    }

private:
    // Rounded up: a timeout a little short would wake before the deadline and poll again for nothing.
    static int PollTimeout(std::optional<std::chrono::steady_clock::time_point> deadline) {
        if (!deadline) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INT_MAX));
    }

    WaitOutcome ReadChanges(std::vector<DirectoryChange>* changes) {
        const ssize_t count = ReadOnce(changes);
        if (count < 0) {
            return (errno == EINTR || errno == EAGAIN) ? WaitOutcome::Changes : WaitOutcome::Broken;
        }
        AwaitArrivalOfMovedFolder(changes);
        return WaitOutcome::Changes;
    }

    // The kernel queues a rename's second half right after its first; if it has not come
    // after a short grace, the folder went out of the tree, and its backups must hear of it now
    // rather than with whatever change happens next.
    void AwaitArrivalOfMovedFolder(std::vector<DirectoryChange>* changes) {
        constexpr int kRenameGraceMilliseconds = 50;
        while (tree_.MoveAwayPending()) {
            pollfd fd{inotify_.Get(), POLLIN, 0};
            const int ready = poll(&fd, 1, kRenameGraceMilliseconds);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0 || ReadOnce(changes) <= 0) break;
        }
        tree_.SettleMoveAway(changes);
    }

    // One read, translated; the read's result (errno set when negative).
    ssize_t ReadOnce(std::vector<DirectoryChange>* changes) {
        const ssize_t count = read(inotify_.Get(), buffer_, sizeof buffer_);
        if (count <= 0) return count;
        std::vector<InotifyEvent> events = DecodeInotifyEvents(buffer_, static_cast<std::size_t>(count));
        if (loseNextRead.exchange(false)) events = {InotifyEvent{-1, IN_Q_OVERFLOW, 0, {}}};
        tree_.Translate(events, changes);
        return count;
    }

    UniqueFd inotify_;
    UniqueFd wake_;
    SystemInotifyCalls calls_;
    InotifyWatchTree tree_;
    // Room for hundreds of events per read; one read becomes one buffer for the main thread.
    alignas(inotify_event) char buffer_[64 * 1024];
};

bool CanOpenFolder(const std::string& path) {
    UniqueFd folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.Valid();
}

}  // namespace

void SimulateLostChangesForTesting() { loseNextRead = true; }

std::string WatchLimitAdvice() {
    constexpr const char* kSetting = "/proc/sys/fs/inotify/max_user_watches";
    std::string value;
    if (FILE* file = std::fopen(kSetting, "r")) {
        char text[32] = {};
        if (std::fgets(text, sizeof text, file)) value = text;
        std::fclose(file);
    }
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
    return "the system's limit of watched folders is reached (fs.inotify.max_user_watches is " +
           (value.empty() ? std::string("unknown") : value) +
           "); raise it, for example with \"sysctl fs.inotify.max_user_watches=524288\" and the same line in a "
           "file under /etc/sysctl.d to keep it";
}

std::unique_ptr<DirectoryWatch> DirectoryWatch::Open(const std::string& path, bool subtree, WatchFailure* failure) {
    WatchFailure ignored;
    WatchFailure& result = failure ? *failure : ignored;
    result = WatchFailure::None;
    if (path.empty() || !CanOpenFolder(path)) {
        result = WatchFailure::FolderMissing;
        return nullptr;
    }
    UniqueFd inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    UniqueFd wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!inotify.Valid() || !wake.Valid()) {
        result = WatchFailure::NoHandles;
        return nullptr;
    }
    auto watch = std::make_unique<InotifyDirectoryWatch>(std::move(inotify), std::move(wake), path, subtree);
    result = watch->WatchAll();
    if (result != WatchFailure::None && result != WatchFailure::Partial) return nullptr;
    return watch;
}

}  // namespace pellmar::platform
