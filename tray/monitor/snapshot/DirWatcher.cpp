// The watcher thread: watch, first scan (recorded silently when it belongs to the start), then
// rescan on every signal until stopped. A folder that is gone ends its watcher (so one made again
// later gets a new one); a folder replaced at its path is watched afresh.
#include "tray/monitor/snapshot/DirWatcher.h"

#include "common/Paths.h"

#include <algorithm>
#include <utility>

namespace pellmar {

DirWatcher::DirWatcher(WatcherHost& host, std::string path, int level, bool silent)
    : host_(host), path_(std::move(path)), level_(level), silent_(silent) {}

DirWatcher::~DirWatcher() {
    RequestStop();
    Join();
}

void DirWatcher::Begin() { thread_ = host_.StartThread([this] { Work(); }); }

void DirWatcher::Join() {
    if (thread_.joinable()) thread_.join();
}

// Without a watch of its own (none left, or a blind file system) the folder is rescanned on the timer.
void DirWatcher::Watch() {
    const platform::SignalKind kind = host_.Signal(path_, changed_, &signal_);
    timeout_ = kind == platform::SignalKind::Watched ? platform::kInfinite : host_.RescanMilliseconds();
}

void DirWatcher::Work() {
    Watch();
    // Gone before its watcher began: nothing to scan, and a folder made again gets a new watcher.
    if (level_ > 1 && !platform::FolderExists(path_) && host_.Retire(*this)) {
        host_.Unsignal(signal_);
        host_.FirstScanDone();
        finished_ = true;
        return;
    }
    bool settling = Scan(path_, silent_);
    host_.FirstScanDone();
    while (WaitAndCheck(settling)) settling = Scan(path_, false);
    // At Stop the whole signal set goes at once; one by one, 2,000 watchers would take a while.
    if (!stop_.IsSet()) host_.Unsignal(signal_);
    finished_ = true;
}

// False when the watcher is to end.
bool DirWatcher::WaitAndCheck(bool settling) {
    const std::uint32_t timeout = settling ? std::min(timeout_, host_.SettleMilliseconds()) : timeout_;
    if (platform::Event::WaitForAny(stop_, *changed_, timeout) == platform::WaitResult::First) return false;
    if (level_ == 1) {
        // A lost root is the notifier's to report; nothing found at its path now is of the tree.
        if (!host_.RootLost()) return true;
        stop_.Wait(platform::kInfinite);
        return false;
    }
    if (platform::FolderExists(path_) && !host_.SignalEnded(signal_)) return true;
    host_.Unsignal(signal_);
    signal_ = 0;
    if (!platform::FolderExists(path_) && host_.Retire(*this)) return false;
    Watch();  // the folder at this path is another one now (deleted and made again, moved back)
    return true;
}

bool DirWatcher::Scan(const std::string& folder, bool silent) {
    if (stop_.IsSet()) return false;
    // An unreadable folder is not an empty one: nothing is compared, the deletion check decides.
    const std::optional<std::vector<platform::FolderEntry>> listing = platform::TryListFolder(folder);
    if (!listing) return false;
    const std::string prefix = IncludeTrailingPathDelimiter(folder);
    bool settling = false;
    if (host_.WatchSubtree())
        for (const platform::FolderEntry& entry : *listing)
            if (entry.folder && !host_.AddWatcher(prefix + entry.name, level_)) settling |= Scan(prefix + entry.name, silent);
    if (stop_.IsSet()) return false;
    for (const platform::FolderEntry& entry : *listing)
        if (entry.file && host_.Wanted(entry.name)) settling |= host_.CompareFile(folder, entry, silent).settling;
    return settling;
}

}  // namespace pellmar
