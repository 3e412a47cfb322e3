// What a scanner must know about its surroundings to keep changes out of the job queue: the
// protected folders and the backup folders of every monitor of the session. A narrow view of the
// session, so a scanner needs no pointer to it. Holds no policy; the scanner base applies the rules.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace pellmar {

// Thread contract: called on the main thread only, from the scanners' event path; never blocks.
// The implementer outlives every scanner it is given to.
class ScannerContext {
public:
    virtual ~ScannerContext() = default;

    // Folders whose files are never reported: A-Z lower-cased, each ending in the path delimiter.
    virtual const std::vector<std::string>& ProtectedFolders() const = 0;

    // Calls `visit` with the `backuppath` of every monitor of the session, as stored (any case,
    // with or without a trailing delimiter), in the session's order.
    virtual void VisitBackupFolders(const std::function<void(const std::string&)>& visit) const = 0;
};

// A context with fixed lists, for hosts without a session (tests, tools). Same thread contract.
class FixedScannerContext final : public ScannerContext {
public:
    FixedScannerContext() = default;
    FixedScannerContext(std::vector<std::string> protectedFolders, std::vector<std::string> backupFolders)
        : protected_(std::move(protectedFolders)), backups_(std::move(backupFolders)) {}

    const std::vector<std::string>& ProtectedFolders() const override { return protected_; }
    void VisitBackupFolders(const std::function<void(const std::string&)>& visit) const override {
        for (const std::string& folder : backups_) visit(folder);
    }

    std::vector<std::string>& MutableProtectedFolders() { return protected_; }
    std::vector<std::string>& MutableBackupFolders() { return backups_; }

private:
    std::vector<std::string> protected_;
    std::vector<std::string> backups_;
};

}  // namespace pellmar
