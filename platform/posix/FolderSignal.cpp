// Folder change signals on inotify: one inotify descriptor for the whole set, an eventfd to end
// the reader, and poll on both. The reader maps each event's watch back to the Adds it serves,
// extends subtree watches to folders created or moved in later and drops them from folders that
// leave the tree, so a watch serves each Add once whatever the renames. Blind file systems are
// told by statfs, FUSE ones by their type in the mount table.
#include "platform/FolderSignal.h"

#include "platform/posix/UniqueFd.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>
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
    SignalId id = 0;
    std::shared_ptr<Event> event;
    bool subtree = false;
    int topWd = -1;      // the watch of the folder given to Add
    bool ended = false;  // under the set's lock
};

struct Watch {
    std::string path;
    std::vector<std::shared_ptr<Interest>> interests;
};

// What the reader does after reading a batch, in the order the events came.
struct Step {
    enum class Kind { WatchBelow, Unwatch } kind;
    std::string path;
    std::vector<std::shared_ptr<Interest>> interests;
};

enum class TreeResult { Complete, Partial, Failed };

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

bool Below(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
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

    SignalKind Add(const std::string& path, bool subtree, std::shared_ptr<Event> changed, SignalId* id) override {
        if (id) *id = 0;
        auto interest = std::make_shared<Interest>();
        interest->event = std::move(changed);
        interest->subtree = subtree;
        {
            std::lock_guard lock(mutex_);
            interest->id = ++lastId_;
            interests_[interest->id] = interest;
        }
        const TreeResult result = WatchTree(path, interest, true);
        if (result == TreeResult::Failed) {
            Remove(interest->id);
            return SignalKind::Failed;
        }
        if (id) *id = interest->id;
        if (IsChangeBlindFileSystem(path)) return SignalKind::Blind;
        return result == TreeResult::Partial ? SignalKind::Partial : SignalKind::Watched;
    }

    void Remove(SignalId id) override {
        std::lock_guard lock(mutex_);
        const auto found = interests_.find(id);
        if (found == interests_.end()) return;
        const std::shared_ptr<Interest> interest = found->second;
        interests_.erase(found);
        for (auto it = watches_.begin(); it != watches_.end();) {
            std::erase(it->second.interests, interest);
            it = DropIfUnused(it);
        }
    }

    bool Ended(SignalId id) const override {
        std::lock_guard lock(mutex_);
        const auto found = interests_.find(id);
        return found == interests_.end() || found->second->ended;
    }

private:
    using WatchMap = std::unordered_map<int, Watch>;

    // Under the lock.
    WatchMap::iterator DropIfUnused(WatchMap::iterator it) {
        if (!it->second.interests.empty()) return std::next(it);
        inotify_rm_watch(inotify_.Get(), it->first);
        return watches_.erase(it);
    }

    TreeResult WatchTree(const std::string& path, const std::shared_ptr<Interest>& interest, bool top) {
        const int wd = inotify_add_watch(inotify_.Get(), path.c_str(), kSignalMask | (top ? 0u : IN_DONT_FOLLOW));
        if (wd < 0) return TreeResult::Failed;
        bool subtree = false;
        {
            std::lock_guard lock(mutex_);
            // Removed meanwhile (the Add failed, or its owner gave up): nothing more to watch.
            if (!interests_.contains(interest->id)) return TreeResult::Complete;
            Watch& watch = watches_[wd];
            // The same folder seen again (renamed, moved back, re-listed) keeps one entry.
            watch.path = path;
            if (std::find(watch.interests.begin(), watch.interests.end(), interest) == watch.interests.end())
                watch.interests.push_back(interest);
            if (top) interest->topWd = wd;
            subtree = interest->subtree;
        }
        TreeResult result = TreeResult::Complete;
        if (subtree)
            for (const std::string& folder : SubFolders(path))
                if (WatchTree(folder, interest, false) != TreeResult::Complete) result = TreeResult::Partial;
        return result;
    }

    // The Adds the folder above served no longer reach a folder that left it, nor anything below.
    void Unwatch(const std::string& path, const std::vector<std::shared_ptr<Interest>>& interests) {
        std::lock_guard lock(mutex_);
        for (auto it = watches_.begin(); it != watches_.end();) {
            Watch& watch = it->second;
            if (watch.path == path || Below(watch.path, path)) {
                std::erase_if(watch.interests, [&](const std::shared_ptr<Interest>& interest) {
                    return interest->topWd != it->first &&
                           std::find(interests.begin(), interests.end(), interest) != interests.end();
                });
                it = DropIfUnused(it);
            } else {
                ++it;
            }
        }
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
        std::vector<Step> steps;
        {
            std::lock_guard lock(mutex_);
            for (std::size_t at = 0; at + sizeof(inotify_event) <= length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += sizeof(inotify_event) + event->len;
                Collect(*event, &toSet, &steps);
            }
        }
        // Watched before the events are set, so a rescan that follows sees them covered.
        for (const Step& step : steps) {
            if (step.kind == Step::Kind::Unwatch) {
                Unwatch(step.path, step.interests);
                continue;
            }
            for (const std::shared_ptr<Interest>& interest : step.interests) WatchTree(step.path, interest, false);
        }
        for (const std::shared_ptr<Event>& event : toSet) event->Set();
    }

    // Under the lock.
    void Collect(const inotify_event& event, std::vector<std::shared_ptr<Event>>* toSet, std::vector<Step>* steps) {
        if (event.mask & IN_Q_OVERFLOW) {
            for (const auto& [id, interest] : interests_) toSet->push_back(interest->event);
            return;
        }
        auto found = watches_.find(event.wd);
        if (found == watches_.end()) return;
        Watch& watch = found->second;
        std::vector<std::shared_ptr<Interest>> subtrees;
        for (const auto& interest : watch.interests) {
            toSet->push_back(interest->event);
            if (interest->subtree) subtrees.push_back(interest);
            // The folder itself went away, moved, or lost its file system.
            if (interest->topWd == event.wd && (event.mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)))
                interest->ended = true;
        }
        if (event.mask & IN_IGNORED) {
            watches_.erase(found);
            return;
        }
        if (!(event.mask & IN_ISDIR) || event.len == 0 || subtrees.empty()) return;
        const std::string path = watch.path + '/' + event.name;
        if (event.mask & IN_MOVED_FROM) steps->push_back(Step{Step::Kind::Unwatch, path, subtrees});
        if (event.mask & (IN_CREATE | IN_MOVED_TO)) steps->push_back(Step{Step::Kind::WatchBelow, path, subtrees});
    }

    UniqueFd inotify_;
    UniqueFd wake_;
    mutable std::mutex mutex_;
    SignalId lastId_ = 0;
    std::unordered_map<SignalId, std::shared_ptr<Interest>> interests_;
    WatchMap watches_;
    std::thread reader_;
};

// The type the mount table gives the file system of device `device`, "" when not found.
std::string MountedType(dev_t device) {
    std::ifstream table("/proc/self/mountinfo");
    const std::string wanted = std::to_string(major(device)) + ':' + std::to_string(minor(device));
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, field;
        if (!(fields >> id >> parent >> numbers) || numbers != wanted) continue;
        while (fields >> field && field != "-") {
        }
        std::string type;
        fields >> type;
        return type;
    }
    return {};
}

// FUSE serves sshfs, rclone and s3fs, which are changed elsewhere, and also ntfs-3g and exFAT on
// a local drive ("fuseblk"), which change only through this machine.
bool IsBlindFuse(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return true;
    return MountedType(info.st_dev) != "fuseblk";
}

}  // namespace

std::unique_ptr<FolderSignalSet> FolderSignalSet::Open() {
    UniqueFd inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    UniqueFd wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!inotify.Valid() || !wake.Valid()) return nullptr;
    try {
        return std::make_unique<InotifySignalSet>(std::move(inotify), std::move(wake));
    } catch (const std::system_error&) {
        return nullptr;  // no thread to be had for the reader
    }
}

bool IsChangeBlindFileSystem(const std::string& path) {
    struct statfs info {};
    if (statfs(path.c_str(), &info) != 0) return false;
    // inotify sees only what passes through this machine's kernel: these file systems are
    // changed by servers, hosts and other clients it never hears from.
    switch (static_cast<std::uint32_t>(info.f_type)) {
        case 0x65735546u:  // FUSE: sshfs, rclone, s3fs, gvfs, vmhgfs-fuse ... but not fuseblk
            return IsBlindFuse(path);
        case 0x6969u:      // NFS
        case 0xFF534D42u:  // CIFS
        case 0xFE534D42u:  // SMB2
        case 0x517Bu:      // SMB
        case 0x01021997u:  // 9p (WSL, QEMU shares)
        case 0x00C36400u:  // Ceph
        case 0x5346414Fu:  // AFS
        case 0x6B414653u:  // kAFS
        case 0x73757245u:  // Coda
        case 0x564Cu:      // NCP
        case 0x786F4256u:  // vboxsf: VirtualBox shared folders
        case 0x7C7C6673u:  // prl_fs: Parallels shared folders
        case 0xBACBACBCu:  // vmhgfs: VMware shared folders (the kernel module)
        case 0x6A656A63u:  // virtiofs: host folders shared into a virtual machine
        case 0x47504653u:  // GPFS
        case 0x0BD00BD0u:  // Lustre
            return true;
        default:
            return false;
    }
}

}  // namespace pellmar::platform
