// The folder scanner variant on per-folder change signals and snapshots: owns one
// KolChangeNotifier, whose masks are the monitor's replicate masks, and passes its messages on to
// the scanner base. Used where the OS (or the folder's file system) gives no detailed records.
#pragma once

#include "platform/Dispatcher.h"
#include "tray/monitor/FolderScanner.h"
#include "tray/monitor/snapshot/KolChangeNotifier.h"

#include <string>
#include <vector>

namespace pellmar {

// Thread contract: as FolderScanner, main thread only; `dispatcher` is the main thread's and
// outlives the scanner.
class Win9XFolderScanner final : public FolderScanner {
public:
    Win9XFolderScanner(ScannerContext& context, platform::Dispatcher& dispatcher,
                       KolChangeNotifier::Options options = {});
    ~Win9XFolderScanner() override;  // stops the notifier first

    void SetSubfolders(bool subfolders) override { notifier_.SetWatchSubtree(subfolders); }
    void SetRoot(const std::string& root) override { notifier_.SetPath(root); }
    std::vector<std::string>& GetFilters() override { return notifier_.Masks(); }
    const std::vector<std::string>& GetFilters() const override { return notifier_.Masks(); }
    bool GetSubfolders() const override { return notifier_.WatchSubtree(); }
    std::string GetRoot() const override { return notifier_.Path(); }
    void Start() override;  // throws ScannerStartError with the notifier's message
    void Stop() override { notifier_.Stop(); }
    // The first scans record what is there without reporting it: a walk before them could miss
    // a file changed in between.
    bool ReadyForCatchUp() const override { return notifier_.Settled(); }

    KolChangeNotifier& Notifier() { return notifier_; }

private:
    KolChangeNotifier notifier_;
};

// Makes Win9XFolderScanners posting through `dispatcher`, with the rescan interval of the
// settings store as it is when each is made. The dispatcher outlives every scanner made.
ScannerCreator Win9XFolderScannerCreator(platform::Dispatcher& dispatcher);

}  // namespace pellmar
