// inotify watches of a tree: bookkeeping and translation of events into change records. The OS
// calls go through InotifyCalls; decoding and the descriptors live elsewhere.
#include "platform/posix/InotifyWatchTree.h"

#include <cerrno>
#include <sys/inotify.h>
#include <utility>

namespace pellmar::platform {

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + '/' + name;
}

bool IsInside(const std::string& path, const std::string& folder) {
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
}

std::uint32_t FileActionOf(std::uint32_t mask) {
    if (mask & IN_CREATE) return FileActionAdded;
    if (mask & IN_DELETE) return FileActionRemoved;
    // A chmod, chown or touch alone changes what the backup must carry (mode, times).
    if (mask & (IN_CLOSE_WRITE | IN_ATTRIB)) return FileActionModified;
    if (mask & IN_MOVED_FROM) return FileActionRenamedOld;
    if (mask & IN_MOVED_TO) return FileActionRenamedNew;
    if (mask & IN_MODIFY) return FileActionWritten;
    return FileActionNone;
}

bool IsArrivalOf(const InotifyEvent& event, std::uint32_t cookie) {
    return (event.mask & IN_MOVED_TO) && (event.mask & IN_ISDIR) && event.cookie == cookie;
}

// Errors that mean "this folder is not there (any more) or not ours to read", as opposed to
// the OS running out of watches or memory.
bool IsMissingFolder(int error) {
    return error == ENOENT || error == ENOTDIR || error == EACCES || error == ELOOP || error == ENAMETOOLONG;
}

}  // namespace

std::uint32_t InotifyWatchMask() {
    return IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR | IN_EXCL_UNLINK;
}

InotifyWatchTree::InotifyWatchTree(InotifyCalls& calls, std::string root, bool subtree)
    : calls_(calls), root_(std::move(root)), subtree_(subtree) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::string InotifyWatchTree::FullPath(const std::string& relative) const {
    if (relative.empty()) return root_;
    return root_ == "/" ? root_ + relative : root_ + '/' + relative;
}

// Whatever can be watched is kept: a tree larger than the watch limit still hears most changes,
// and the owner walks the rest now and then.
WatchFailure InotifyWatchTree::WatchAll() {
    WatchFailure failure = WatchTreeInto(&folders_, true);
    if (failure == WatchFailure::FolderMissing || folders_.empty()) {
        RemoveAll();
        return failure == WatchFailure::None ? WatchFailure::WatchesIncomplete : failure;
    }
    return failure == WatchFailure::WatchesIncomplete ? WatchFailure::Partial : failure;
}

void InotifyWatchTree::RemoveAll() {
    for (const auto& [wd, path] : folders_) calls_.RemoveWatch(wd);
    folders_.clear();
    movedFrom_.reset();
}

// Watch first, list second: a folder created in between is then seen either way.
WatchFailure InotifyWatchTree::WatchTreeInto(FolderMap* into, bool skipUnwatchable) {
    WatchFailure result = WatchFailure::None;
    std::vector<std::string> pending{std::string()};
    while (!pending.empty()) {
        std::string relative = std::move(pending.back());
        pending.pop_back();
        const bool root = relative.empty();
        const int wd = calls_.AddWatch(FullPath(relative), root);
        if (wd < 0) {
            if (root && IsMissingFolder(-wd)) return WatchFailure::FolderMissing;
            if (!IsMissingFolder(-wd)) {
                if (!skipUnwatchable || root) return WatchFailure::WatchesIncomplete;
                result = WatchFailure::WatchesIncomplete;
            }
            continue;  // vanished while walking, unreadable, or refused: nothing in it can be watched
        }
        (*into)[wd] = relative;
        if (!subtree_) break;
        for (const auto& entry : calls_.List(FullPath(relative))) {
            if (entry.folder) pending.push_back(Join(relative, entry.name));
        }
    }
    return result;
}

void InotifyWatchTree::Translate(const std::vector<InotifyEvent>& events, std::vector<DirectoryChange>* changes) {
    for (const InotifyEvent& event : events) {
        // The kernel queues a rename's two halves back to back; anything else in between means
        // the folder left the tree, and later events from inside it must not be reported.
        if (movedFrom_ && !IsArrivalOf(event, movedFrom_->cookie)) SettleMoveAway(changes);
        if (event.mask & IN_Q_OVERFLOW) {
            changes->push_back(DirectoryChange{});  // the lost changes report nothing
            Resync(changes);
            continue;
        }
        auto it = folders_.find(event.wd);
        if (it == folders_.end()) continue;  // a watch already forgotten
        if (event.mask & IN_IGNORED) {
            folders_.erase(it);
            continue;
        }
        if (event.name.empty()) continue;  // about the watched folder itself
        const std::string relative = Join(it->second, event.name);
        if (event.mask & IN_ISDIR) {
            if (subtree_) FolderEvent(event, relative, changes);
            continue;
        }
        const std::uint32_t action = FileActionOf(event.mask);
        if (action != FileActionNone) changes->push_back(DirectoryChange{action, relative});
    }
    // A move out that ends the read stays pending: a full read can cut a rename in two, and
    // the next read settles it before it reports anything.
}

void InotifyWatchTree::FolderEvent(const InotifyEvent& event, const std::string& relative,
                                   std::vector<DirectoryChange>* changes) {
    if (event.mask & IN_CREATE) {
        // Files may land in the new folder before its watch is set; the listing catches them.
        WatchNewFolder(relative, true, changes);
    } else if (event.mask & IN_MOVED_FROM) {
        movedFrom_ = MovedFolder{event.cookie, relative};
    } else if (event.mask & IN_MOVED_TO) {
        // Either way its files are new under this path, and no record of the OS will say so.
        if (movedFrom_ && movedFrom_->cookie == event.cookie) {
            // Renamed inside the tree: the watches follow the folder, only their paths change.
            changes->push_back(DirectoryChange{FileActionFolderRemoved, movedFrom_->relative});
            MoveSubtree(movedFrom_->relative, relative);
            movedFrom_.reset();
            changes->push_back(DirectoryChange{FileActionFolderAdded, relative});
            ReportFilesBelow(relative, changes);
        } else {
            WatchNewFolder(relative, true, changes);
        }
    } else if (event.mask & IN_DELETE) {
        ForgetSubtree(relative, false);
        changes->push_back(DirectoryChange{FileActionFolderRemoved, relative});
    }
}

void InotifyWatchTree::WatchNewFolder(const std::string& relative, bool reportFiles,
                                      std::vector<DirectoryChange>* changes) {
    std::vector<std::string> pending{relative};
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        // Folders found by the listing below were reported with it.
        const bool top = folder == relative;
        const int wd = calls_.AddWatch(FullPath(folder), false);
        if (wd < 0) {
            // Still reported: one whose path is too long must end in an entry that says so.
            if (top) changes->push_back(DirectoryChange{FileActionFolderAdded, folder});
            // Gone again is nothing to tell; out of watches is: its changes cannot be heard.
            if (!IsMissingFolder(-wd)) ReportIncomplete(changes);
            continue;
        }
        // Watched under this name already: its files were listed then, and later ones have
        // events of their own. Listing again would report them twice (a recursive copy).
        if (auto known = folders_.find(wd); known != folders_.end() && known->second == folder) continue;
        if (top) changes->push_back(DirectoryChange{FileActionFolderAdded, folder});
        folders_[wd] = folder;
        for (const auto& entry : calls_.List(FullPath(folder))) {
            const std::string child = Join(folder, entry.name);
            if (entry.folder) pending.push_back(child);
            if (reportFiles) changes->push_back(DirectoryChange{entry.folder ? FileActionFolderAdded : FileActionAdded, child});
        }
    }
}

void InotifyWatchTree::ReportFilesBelow(const std::string& relative, std::vector<DirectoryChange>* changes) {
    std::vector<std::string> pending{relative};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        for (const auto& entry : calls_.List(FullPath(folder))) {
            const std::string child = Join(folder, entry.name);
            if (entry.folder) pending.push_back(child);
            changes->push_back(DirectoryChange{entry.folder ? FileActionFolderAdded : FileActionAdded, child});
        }
    }
}

void InotifyWatchTree::MoveSubtree(const std::string& from, const std::string& to) {
    for (auto& [wd, path] : folders_) {
        if (IsInside(path, from)) path = to + path.substr(from.size());
    }
}

void InotifyWatchTree::ForgetSubtree(const std::string& relative, bool removeWatches) {
    for (auto it = folders_.begin(); it != folders_.end();) {
        if (!IsInside(it->second, relative)) {
            ++it;
            continue;
        }
        if (removeWatches) calls_.RemoveWatch(it->first);
        it = folders_.erase(it);
    }
}

// Once per read is enough: the owner's answer (a walk of the whole tree) covers every folder.
void InotifyWatchTree::ReportIncomplete(std::vector<DirectoryChange>* changes) {
    for (const DirectoryChange& change : *changes)
        if (change.action == FileActionWatchesIncomplete && change.name.empty()) return;
    changes->push_back(DirectoryChange{FileActionWatchesIncomplete, {}});
}

// A folder moved out whose arrival inside the tree did not come next has left it.
void InotifyWatchTree::SettleMoveAway(std::vector<DirectoryChange>* changes) {
    if (!movedFrom_) return;
    ForgetSubtree(movedFrom_->relative, true);
    changes->push_back(DirectoryChange{FileActionFolderRemoved, movedFrom_->relative});
    movedFrom_.reset();
}

// After lost events the set may miss new folders or hold departed ones: walk the tree afresh.
void InotifyWatchTree::Resync(std::vector<DirectoryChange>* changes) {
    if (!subtree_) return;
    FolderMap fresh;
    // Watches the tree already holds come back with their own descriptors and cost nothing, so
    // a refused new folder must not end the walk: every folder after it would lose its watch.
    if (WatchTreeInto(&fresh, true) != WatchFailure::None) ReportIncomplete(changes);
    for (const auto& [wd, path] : folders_) {
        if (!fresh.contains(wd)) calls_.RemoveWatch(wd);
    }
    folders_ = std::move(fresh);
}

}  // namespace pellmar::platform
