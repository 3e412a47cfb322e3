// Folder change signals on inotify: one inotify descriptor for the whole set, an eventfd to end
// the reader, and poll on both. The reader maps each event's watch back to the events it sets
// and extends subtree watches to folders created later. Blind file systems are told by statfs.
#include "platform/FolderSignal.h"

#include "platform/posix/UniqueFd.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pellmar::platform {
namespace {

// Reads do not count: a file that is only read is no change to replicate.
constexpr std::uint32_t kSignalMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                      IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

struct Interest {
    std::shared_ptr<Event> event;
    bool subtree;
};

struct Watch {
    std::string path;
    std::vector<std::shared_ptr<Interest>> interests;
};

std::vector<std::string> SubFolders(const std::string& path) {
    std::vector<std::string> folders;
    DIR* folder = opendir(path.c_str());
    if (!folder) return folders;
    while (const dirent* entry = readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        const std::string child = path + '/' + entry->d_name;
        struct stat info {};
        // lstat: a link to a folder is never followed, so a link cannot make the tree endless.
        const bool isFolder = entry->d_type == DT_UNKNOWN ? lstat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode)
                                                          : entry->d_type == DT_DIR;
        if (isFolder) folders.push_back(child);
    }
    closedir(folder);
    return folders;
}

class InotifySignalSet final : public FolderSignalSet {
public:
    InotifySignalSet(UniqueFd inotify, UniqueFd wake) : inotify_(std::move(inotify)), wake_(std::move(wake)) {
        reader_ = std::thread([this] { Read(); });
    }

    ~InotifySignalSet() override {
        const std::uint64_t one = 1;
        while (write(wake_.Get(), &one, sizeof one) < 0 && errno == EINTR) {
        }
        reader_.join();
    }

    SignalKind Add(const std::string& path, bool subtree, std::shared_ptr<Event> changed) override {
        auto interest = std::make_shared<Interest>(Interest{std::move(changed), subtree});
        if (!WatchTree(path, interest, true)) return SignalKind::Failed;
        return IsChangeBlindFileSystem(path) ? SignalKind::Blind : SignalKind::Watched;
    }

private:
    bool WatchTree(const std::string& path, const std::shared_ptr<Interest>& interest, bool top) {
        const int wd = inotify_add_watch(inotify_.Get(), path.c_str(), kSignalMask | (top ? 0u : IN_DONT_FOLLOW));
        if (wd < 0) return false;
        {
            std::lock_guard lock(mutex_);
            Watch& watch = watches_[wd];
            watch.path = path;
            watch.interests.push_back(interest);
        }
        if (interest->subtree)
            for (const std::string& folder : SubFolders(path)) WatchTree(folder, interest, false);
        return true;
    }

    void Read() {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            pollfd fds[2] = {{inotify_.Get(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents != 0) return;
            const ssize_t length = read(inotify_.Get(), buffer, sizeof buffer);
            if (length <= 0) {
                if (length < 0 && (errno == EINTR || errno == EAGAIN)) continue;
                return;
            }
            Handle(buffer, static_cast<std::size_t>(length));
        }
    }

    void Handle(const char* buffer, std::size_t length) {
        std::vector<std::shared_ptr<Event>> toSet;
        std::vector<std::pair<std::string, std::shared_ptr<Interest>>> newFolders;
        {
            std::lock_guard lock(mutex_);
            for (std::size_t at = 0; at + sizeof(inotify_event) <= length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += sizeof(inotify_event) + event->len;
                Collect(*event, &toSet, &newFolders);
            }
        }
        // Watched before the events are set, so a rescan that follows sees them covered.
        for (const auto& [path, interest] : newFolders) WatchTree(path, interest, false);
        for (const std::shared_ptr<Event>& event : toSet) event->Set();
    }

    // Under the lock.
    void Collect(const inotify_event& event, std::vector<std::shared_ptr<Event>>* toSet,
                 std::vector<std::pair<std::string, std::shared_ptr<Interest>>>* newFolders) {
        if (event.mask & IN_Q_OVERFLOW) {
            for (const auto& [wd, watch] : watches_)
                for (const auto& interest : watch.interests) toSet->push_back(interest->event);
            return;
        }
        auto found = watches_.find(event.wd);
        if (found == watches_.end()) return;
        const bool folderArrived = (event.mask & IN_ISDIR) && (event.mask & (IN_CREATE | IN_MOVED_TO)) && event.len > 0;
        for (const auto& interest : found->second.interests) {
            toSet->push_back(interest->event);
            if (folderArrived && interest->subtree) newFolders->emplace_back(found->second.path + '/' + event.name, interest);
        }
        if (event.mask & IN_IGNORED) watches_.erase(found);
    }

    UniqueFd inotify_;
    UniqueFd wake_;
    std::mutex mutex_;
    std::unordered_map<int, Watch> watches_;
    std::thread reader_;
};

}  // namespace

std::unique_ptr<FolderSignalSet> FolderSignalSet::Open() {
    UniqueFd inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    UniqueFd wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!inotify.Valid() || !wake.Valid()) return nullptr;
    return std::make_unique<InotifySignalSet>(std::move(inotify), std::move(wake));
}

bool IsChangeBlindFileSystem(const std::string& path) {
    struct statfs info {};
    if (statfs(path.c_str(), &info) != 0) return false;
    // inotify sees only what passes through this machine's kernel: these file systems are
    // changed by servers and other clients it never hears from.
    switch (static_cast<std::uint32_t>(info.f_type)) {
        case 0x6969u:      // NFS
        case 0xFF534D42u:  // CIFS
        case 0xFE534D42u:  // SMB2
        case 0x517Bu:      // SMB
        case 0x65735546u:  // FUSE: sshfs, rclone, s3fs, gvfs ...
        case 0x01021997u:  // 9p
        case 0x00C36400u:  // Ceph
        case 0x5346414Fu:  // AFS
        case 0x6B414653u:  // kAFS
        case 0x73757245u:  // Coda
        case 0x564Cu:      // NCP
            return true;
        default:
            return false;
    }
}

}  // namespace pellmar::platform
