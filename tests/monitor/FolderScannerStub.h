// A scanner variant without an engine, for tests: keeps root, sub-folders flag and filters in
// plain fields and counts Start and Stop calls.
#pragma once

#include "tray/monitor/FolderScanner.h"

namespace pellmar::test {

class FolderScannerStub final : public FolderScanner {
public:
    explicit FolderScannerStub(ScannerContext& context) : FolderScanner(context) {}

    void SetSubfolders(bool subfolders) override { subfolders_ = subfolders; }
    void SetRoot(const std::string& root) override { root_ = root; }
    std::vector<std::string>& GetFilters() override { return filters_; }
    const std::vector<std::string>& GetFilters() const override { return filters_; }
    bool GetSubfolders() const override { return subfolders_; }
    std::string GetRoot() const override { return root_; }
    void Start() override { ++starts; }
    void Stop() override { ++stops; }

    int starts = 0;
    int stops = 0;

private:
    std::string root_;
    bool subfolders_ = false;
    std::vector<std::string> filters_;
};

}  // namespace pellmar::test
