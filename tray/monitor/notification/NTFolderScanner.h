// The folder scanner variant with detailed per-file change records: owns one KolDirMonitor and
// the replicate masks, tests each reported name against them and passes the change on to the
// scanner base as created, modified or deleted. Knows nothing of the OS below the monitor.
#pragma once

#include "platform/Dispatcher.h"
#include "tray/monitor/FolderScanner.h"
#include "tray/monitor/notification/KolDirMonitor.h"

#include <string>
#include <vector>

namespace pellmar {

// Thread contract: as FolderScanner, main thread only; `dispatcher` is the main thread's and
// outlives the scanner.
class NTFolderScanner final : public FolderScanner {
public:
    NTFolderScanner(ScannerContext& context, platform::Dispatcher& dispatcher);
    ~NTFolderScanner() override;  // stops the monitor first

    void SetSubfolders(bool subfolders) override { monitor_.SetWatchSubtree(subfolders); }
    void SetRoot(const std::string& root) override { monitor_.SetPath(root); }
    std::vector<std::string>& GetFilters() override { return filters_; }
    const std::vector<std::string>& GetFilters() const override { return filters_; }
    bool GetSubfolders() const override { return monitor_.WatchSubtree(); }
    std::string GetRoot() const override { return monitor_.Path(); }
    void Start() override;  // throws ScannerStartError with the monitor's message
    void Stop() override { monitor_.Stop(); }

    // What the monitor's OnChange does with one record; public so the action table can be driven
    // without the OS.
    void HandleChange(DirAction action, const std::string& name);

private:
    KolDirMonitor monitor_;
    std::vector<std::string> filters_;
};

// Makes NTFolderScanners whose monitors hand over through `dispatcher`, which outlives every
// scanner made.
ScannerCreator NTFolderScannerCreator(platform::Dispatcher& dispatcher);

}  // namespace pellmar
