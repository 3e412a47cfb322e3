// A scanner that picks its engine at each Start by the file system of its folder: detailed
// change records where that file system reports changes, snapshots where it is blind to changes
// made elsewhere (NAS shares, FUSE mounts). Owns the configuration and the engine in use; the
// engine forwards what it hears to this scanner's event path, so exceptions and drops apply once.
#pragma once

#include "tray/monitor/FolderScanner.h"

#include <memory>
#include <string>
#include <vector>

namespace pellmar {

// Thread contract: as FolderScanner, main thread only.
class PerRootFolderScanner final : public FolderScanner {
public:
    PerRootFolderScanner(ScannerContext& context, ScannerCreator records, ScannerCreator signals);
    ~PerRootFolderScanner() override;

    void SetSubfolders(bool subfolders) override { subfolders_ = subfolders; }
    void SetRoot(const std::string& root) override { root_ = root; }
    std::vector<std::string>& GetFilters() override { return filters_; }
    const std::vector<std::string>& GetFilters() const override { return filters_; }
    bool GetSubfolders() const override { return subfolders_; }
    std::string GetRoot() const override { return root_; }
    void Start() override;
    void Stop() override;
    bool ReadyForCatchUp() const override { return engine_->ReadyForCatchUp(); }

    // The engine in use (the records engine until a Start picks otherwise).
    ScannerVariant EngineVariant() const { return variant_; }

private:
    void UseEngine(ScannerVariant variant);

    ScannerContext& context_;
    ScannerCreator records_;
    ScannerCreator signals_;
    std::string root_;
    bool subfolders_ = false;
    std::vector<std::string> filters_;
    ScannerVariant variant_ = ScannerVariant::DetailedRecords;
    std::unique_ptr<FolderScanner> engine_;
};

}  // namespace pellmar
