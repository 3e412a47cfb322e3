// The set of inotify watches of one watched tree and the meaning of its events: which folder a
// watch descriptor stands for, how events become change records, and how the set follows folders
// created, moved or removed. Owns no descriptor: the OS calls go through InotifyCalls.
#pragma once

#include "platform/DirectoryWatch.h"
#include "platform/posix/InotifyEvents.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pellmar::platform {

// What the tree asks of the OS; the real calls use inotify and readdir, tests fake them.
class InotifyCalls {
public:
    struct Entry {
        std::string name;
        bool folder = false;  // a symbolic link is never a folder here
    };
    virtual ~InotifyCalls() = default;
    // The watch descriptor, or -errno. The root may be reached through a symbolic link.
    virtual int AddWatch(const std::string& path, bool root) = 0;
    virtual void RemoveWatch(int wd) = 0;
    // The entries of a folder without "." and ".."; empty when it cannot be read.
    virtual std::vector<Entry> List(const std::string& path) = 0;
};

// The inotify events every watch asks for.
std::uint32_t InotifyWatchMask();

// Thread contract: one thread at a time (the watch's owner while opening and closing, its worker
// in between).
class InotifyWatchTree {
public:
    InotifyWatchTree(InotifyCalls& calls, std::string root, bool subtree);

    // Watches the root and, with subtree, every folder below it. When the root cannot be
    // watched every watch is removed again; folders below it that the OS refuses are passed
    // over (Partial).
    WatchFailure WatchAll();
    void RemoveAll();

    // Turns the events of one read into change records (appended, in order) and keeps the set
    // of watches in step with the folders of the tree.
    void Translate(const std::vector<InotifyEvent>& events, std::vector<DirectoryChange>* changes);

    std::size_t WatchCount() const { return folders_.size(); }

    // A folder moved away at the end of the last read waits for the next event to say whether
    // it arrived elsewhere in the tree. The watch settles it when nothing more comes.
    bool MoveAwayPending() const { return movedFrom_.has_value(); }
    void SettleMoveAway(std::vector<DirectoryChange>* changes);

private:
    using FolderMap = std::unordered_map<int, std::string>;  // wd -> path relative to the root

    std::string FullPath(const std::string& relative) const;
    // With `skipUnwatchable`, a folder the OS refuses a watch is passed over and the walk goes on.
    WatchFailure WatchTreeInto(FolderMap* into, bool skipUnwatchable);
    void WatchNewFolder(const std::string& relative, bool reportFiles, std::vector<DirectoryChange>* changes);
    void FolderEvent(const InotifyEvent& event, const std::string& relative, std::vector<DirectoryChange>* changes);
    void ReportFilesBelow(const std::string& relative, std::vector<DirectoryChange>* changes);
    void MoveSubtree(const std::string& from, const std::string& to);
    void ForgetSubtree(const std::string& relative, bool removeWatches);
    void Resync(std::vector<DirectoryChange>* changes);
    void ReportIncomplete(std::vector<DirectoryChange>* changes);

    struct MovedFolder {
        std::uint32_t cookie = 0;
        std::string relative;
    };

    InotifyCalls& calls_;
    std::string root_;
    bool subtree_;
    FolderMap folders_;
    std::optional<MovedFolder> movedFrom_;  // a folder moved out, until the next event says where to
};

}  // namespace pellmar::platform
