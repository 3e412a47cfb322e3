// One folder monitor: its configuration values, the virtual operations its notification engine
// supplies, and the event path that turns one reported file path into a ChangeEvent for OnChange
// (exception masks, protected and backup folders, destination rule). It watches nothing itself:
// the platform variants (NTFolderScanner, ...) do. Storage of the values lives in MonitorRecord.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tray/model/ChangeEvent.h"
#include "tray/monitor/ScannerContext.h"

namespace pellmar {

// Raised by Start when the folder cannot be watched; what() is the engine's message.
class ScannerStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thread contract: every operation runs on the main thread, including the Report* event path and
// the OnChange call it makes. Only a variant's own engine thread runs elsewhere, and it reaches
// the scanner through the main thread. The scanner owns its lists; it does not own the context.
class FolderScanner {
public:
    // Receives the scanner that saw the change and the event, whose ownership passes with the call.
    // The owner object of the original design is whatever the function captures.
    using ChangeHandler = std::function<void(FolderScanner&, std::unique_ptr<ChangeEvent>)>;
    // Told that the engine lost changes (the OS queue overflowed): the folder must be compared
    // with its backup. Main thread.
    using LostHandler = std::function<void(FolderScanner&)>;
    // Told that the engine no longer hears every change: `message` names the cause and what the
    // user can do. `stopped`: it hears nothing any more (the session restarts it later);
    // otherwise only parts of the tree are unwatched (the session walks them now and then).
    // Main thread.
    using TroubleHandler = std::function<void(FolderScanner&, const std::string& message, bool stopped)>;

    explicit FolderScanner(ScannerContext& context);
    // A variant's destructor stops its engine before the base part goes.
    virtual ~FolderScanner();
    FolderScanner(const FolderScanner&) = delete;
    FolderScanner& operator=(const FolderScanner&) = delete;

    // Supplied by the variant's engine. Changes take effect at the next Start.
    virtual void SetSubfolders(bool subfolders) = 0;
    virtual void SetRoot(const std::string& root) = 0;
    virtual std::vector<std::string>& GetFilters() = 0;  // owned by the scanner; filled by the session
    virtual const std::vector<std::string>& GetFilters() const = 0;
    virtual bool GetSubfolders() const = 0;
    virtual std::string GetRoot() const = 0;
    virtual void Start() = 0;  // throws ScannerStartError; the scanner stays stopped then
    virtual void Stop() = 0;   // does nothing when not watching
    // After Start: the engine knows the tree as it was when watching began (an engine that
    // first takes a silent inventory has taken it), so a comparison with the backup can begin.
    virtual bool ReadyForCatchUp() const { return true; }

    void SetId(std::int32_t id) { id_ = id; }
    void SetBackupPath(const std::string& path) { backuppath_ = path; }
    void SetDeletions(bool flag) { deletions_ = flag; }
    void SetExclusive(bool flag) { exclusive_ = flag; }
    void SetHasVersions(bool flag) { hasversions_ = flag; }
    void SetMaxVersions(std::int32_t count) { maxversions_ = count; }
    void SetStatus(std::int32_t status) { status_ = status; }
    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }
    void SetOnLost(LostHandler handler) { onLost_ = std::move(handler); }
    void SetOnTrouble(TroubleHandler handler) { onTrouble_ = std::move(handler); }
    // Makes this scanner an engine of `outer`: every Report* goes to `outer` unchanged, which
    // applies its own rules and handlers. `outer` outlives this scanner.
    void ForwardReportsTo(FolderScanner& outer) { outer_ = &outer; }

    std::int32_t GetId() const { return id_; }
    const std::string& GetBackupPath() const { return backuppath_; }
    bool GetDeletions() const { return deletions_; }
    bool GetExclusive() const { return exclusive_; }
    bool GetHasVersions() const { return hasversions_; }
    std::int32_t GetMaxVersions() const { return maxversions_; }
    std::int32_t GetStatus() const { return status_; }
    std::vector<std::string>& GetExceptions() { return exceptions_; }
    const std::vector<std::string>& GetExceptions() const { return exceptions_; }

    // The event path for one changed file, given by its full path (carried whole, never cut).
    // Called by the variants on the main thread; delivers at most one event, synchronously.
    void ReportCreated(const std::string& path);
    void ReportModified(const std::string& path);
    void ReportDeleted(const std::string& path);
    // A modification found by comparing the folder with its backup; true when an event went out.
    bool ReportOutOfDate(const std::string& path);
    // A folder that came into the tree or left it, by its full path; only where sub-folders are
    // watched. Its job names it with a trailing delimiter. The replicate masks are about files
    // and do not apply; the exception masks apply to the folder's own name.
    void ReportFolderCreated(const std::string& path);
    void ReportFolderDeleted(const std::string& path);
    // A file or folder that a comparison could not reach because its path is longer than the
    // system allows: one job, whose result names it, once per scanner and path.
    void ReportUnreachable(const std::string& path);
    // Called by the variants when their engine lost changes; passes it on to OnLost.
    void ReportLost();
    // Called by the variants when their engine stops hearing changes; passes it on to OnTrouble.
    void ReportTrouble(const std::string& message, bool stopped);

    // Where the backup copy of the file at `path` belongs (before any version number).
    std::string DestinationOf(const std::string& path) const;

    // The replicate-mask test the NT-style variant applies to a file name. An invalid mask makes
    // the name fail; it is reported once per scanner and mask, and the program goes on.
    bool PassesFilters(std::string_view fileName);

protected:
    ScannerContext& Context() const { return context_; }

private:
    bool Report(JobType kind, const std::string& path, bool resync = false);
    void ReportFolder(JobType kind, const std::string& path);
    bool IsDropped(const std::string& path, std::string_view name);
    bool IsExcepted(std::string_view fileName);
    void ReportInvalidMask(const std::string& message);

    ScannerContext& context_;
    FolderScanner* outer_ = nullptr;
    std::int32_t id_ = 0;
    std::string backuppath_;
    bool deletions_ = false;
    bool exclusive_ = false;
    bool hasversions_ = false;
    std::int32_t maxversions_ = 0;
    std::int32_t status_ = 0;
    ChangeHandler onChange_;
    LostHandler onLost_;
    TroubleHandler onTrouble_;
    std::vector<std::string> exceptions_;
    std::set<std::string> reportedMaskErrors_;  // messages already shown for this scanner
    std::set<std::string> reportedUnreachable_;
};

// The folder of the backup that mirrors `folder` (the root or a folder below it): the backup
// folder itself, or with sub-folders the same relative path below it. No trailing delimiter
// beyond what `backup` has. Any thread.
std::string BackupFolderOf(const std::string& root, const std::string& backup, bool subfolders,
                           const std::string& folder);

// Makes a scanner of one change engine.
using ScannerCreator = std::function<std::unique_ptr<FolderScanner>(ScannerContext&)>;

enum class ScannerVariant {
    DetailedRecords,  // per-file change records (NT; inotify on Linux): NTFolderScanner
    ChangeSignals,    // per-folder change signals and folder comparison (Win9x)
};

}  // namespace pellmar
