// The watcher thread: watch, first scan (recorded silently by the notifier), then rescan on every
// signal until stopped or until the folder itself is gone.
#include "tray/monitor/DirWatcher.h"

#include "tray/util/Paths.h"

#include <utility>

namespace pellmar {

DirWatcher::DirWatcher(WatcherHost& host, std::string path, int level)
    : host_(host), path_(std::move(path)), level_(level) {}

DirWatcher::~DirWatcher() {
    RequestStop();
    Join();
}

void DirWatcher::Begin() { thread_ = std::thread([this] { Work(); }); }

void DirWatcher::Join() {
    if (thread_.joinable()) thread_.join();
}

void DirWatcher::Work() {
    const platform::SignalKind kind = host_.Signal(path_, changed_);
    if (kind == platform::SignalKind::Failed) {
        host_.FirstScanDone();
        finished_ = true;
        return;
    }
    const std::uint32_t timeout = kind == platform::SignalKind::Blind ? host_.RescanMilliseconds() : platform::kInfinite;
    Scan(path_);
    firstScan_ = false;
    host_.FirstScanDone();
    // A vanished folder ends the watcher; one re-created under the same path waits for a restart.
    while (platform::Event::WaitForAny(stop_, *changed_, timeout) != platform::WaitResult::First &&
           platform::FolderExists(path_))
        Scan(path_);
    finished_ = true;
}

void DirWatcher::Scan(const std::string& folder) {
    if (stop_.IsSet()) return;
    const std::string prefix = IncludeTrailingPathDelimiter(folder);
    const std::vector<platform::FolderEntry> listing = platform::ListFolder(folder);
    if (host_.WatchSubtree())
        for (const platform::FolderEntry& entry : listing)
            if (entry.folder && !host_.AddWatcher(prefix + entry.name, level_)) Scan(prefix + entry.name);
    if (stop_.IsSet()) return;
    for (const platform::FolderEntry& entry : listing)
        if (entry.file && host_.Wanted(entry.name)) host_.CompareFile(prefix + entry.name, entry, firstScan_);
}

}  // namespace pellmar
