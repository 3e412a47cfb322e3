// The scanner base: configuration values and the event path from a reported path to OnChange.
// The mask language is in Masks; the engines are in the platform variants; the factory is in
// ScannerFactory.
#include "tray/monitor/FolderScanner.h"

#include "common/Paths.h"
#include "common/TextCase.h"
#include "platform/CopyTemporaries.h"
#include "platform/ErrorReporter.h"
#include "tray/monitor/Masks.h"
#include "tray/monitor/PathParts.h"
#include "tray/util/Checksums.h"

namespace pellmar {
namespace {

// Same as comparing the A-Z lower-cased texts, without building them.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

FolderScanner::FolderScanner(ScannerContext& context) : context_(context) {}

FolderScanner::~FolderScanner() = default;

// A forwarding engine hands each path on as it came, so the owner's rules run once, with the
// owner's settings, and nothing the engine was not told (exceptions, versions) is lost on the way.
void FolderScanner::ReportCreated(const std::string& path) {
    if (outer_) return outer_->ReportCreated(path);
    Report(ChangeCreated, path);
}

void FolderScanner::ReportModified(const std::string& path) {
    if (outer_) return outer_->ReportModified(path);
    Report(ChangeModified, path);
}

void FolderScanner::ReportDeleted(const std::string& path) {
    if (outer_) return outer_->ReportDeleted(path);
    Report(ChangeDeleted, path);
}

bool FolderScanner::ReportOutOfDate(const std::string& path) {
    if (outer_) return outer_->ReportOutOfDate(path);
    return Report(ChangeModified, path, true);
}

void FolderScanner::ReportFolderCreated(const std::string& path) {
    if (outer_) return outer_->ReportFolderCreated(path);
    ReportFolder(ChangeCreated, path);
}

void FolderScanner::ReportFolderDeleted(const std::string& path) {
    if (outer_) return outer_->ReportFolderDeleted(path);
    ReportFolder(ChangeDeleted, path);
}

void FolderScanner::ReportUnreachable(const std::string& path) {
    if (outer_) return outer_->ReportUnreachable(path);
    // A walk every minute of a partly watched tree would otherwise log it every minute.
    if (reportedUnreachable_.insert(path).second) Report(ChangeModified, path, true);
}

void FolderScanner::ReportFolder(JobType kind, const std::string& path) {
    if (!GetSubfolders() || IsExcepted(FileNamePart(path))) return;
    Report(kind, IncludeTrailingPathDelimiter(path));
}

void FolderScanner::ReportLost() {
    if (outer_) return outer_->ReportLost();
    // A copy, for the same reason as in Report.
    const LostHandler handler = onLost_;
    if (handler) handler(*this);
}

void FolderScanner::ReportTrouble(const std::string& message, bool stopped) {
    if (outer_) return outer_->ReportTrouble(message, stopped);
    const TroubleHandler handler = onTrouble_;
    if (handler) handler(*this, message, stopped);
}

bool FolderScanner::PassesFilters(std::string_view fileName) {
    try {
        return pellmar::PassesFilters(fileName, GetFilters());
    } catch (const EMaskException& error) {
        ReportInvalidMask(error.what());
        return false;
    }
}

bool FolderScanner::IsExcepted(std::string_view fileName) {
    try {
        return pellmar::IsExcepted(fileName, exceptions_);
    } catch (const EMaskException& error) {
        // The exception list cannot be applied, so the change might be one the user excluded.
        ReportInvalidMask(error.what());
        return true;
    }
}

// Shown once per scanner and message: a bad stored mask would otherwise raise a box per change.
void FolderScanner::ReportInvalidMask(const std::string& message) {
    if (reportedMaskErrors_.insert(message).second) platform::ReportError(message);
}

bool FolderScanner::Report(JobType kind, const std::string& path, bool resync) {
    if (kind == ChangeDeleted && !deletions_) return false;
    if (IsDropped(path, FileNamePart(path)) || !onChange_) return false;
    auto event = std::make_unique<ChangeEvent>();
    event->jobtype = kind;
    event->fileid = Crc32OfText(path);
    event->createfolder = GetSubfolders();
    event->waitexclusive = exclusive_;
    event->currentversion = 0;
    event->maxversions = maxversions_;
    event->src = path;
    event->dest = DestinationOf(path);
    event->resync = resync;
    // A copy: a handler that destroys this scanner (a modal box's loop may let the user delete
    // the monitor) must not destroy the very function that is running.
    const ChangeHandler handler = onChange_;
    handler(*this, std::move(event));
    return true;
}

bool FolderScanner::IsDropped(const std::string& path, std::string_view name) {
    if (!name.empty() && IsExcepted(name)) return true;
    // A copy's temporary is renamed into place or removed; one left by a killed restore is junk,
    // removed by the next copy into its folder, and never a file to back up.
    if (platform::CopyTemporaryOwner(name)) return true;
    for (const std::string& folder : context_.ProtectedFolders())
        if (!folder.empty() && StartsWithIgnoringAsciiCase(path, folder)) return true;
    bool inBackupFolder = false;
    context_.VisitBackupFolders([&](const std::string& backup) {
        // An unset backup folder would become the bare delimiter, which on Linux prefixes every path.
        if (!backup.empty() && StartsWithIgnoringAsciiCase(path, IncludeTrailingPathDelimiter(backup)))
            inBackupFolder = true;
    });
    return inBackupFolder;
}

std::string FolderScanner::DestinationOf(const std::string& path) const {
    const std::string folder = BackupFolderOf(GetRoot(), backuppath_, GetSubfolders(), std::string(FolderPart(path)));
    return IncludeTrailingPathDelimiter(folder) + std::string(FileNamePart(path));
}

std::string BackupFolderOf(const std::string& root, const std::string& backup, bool subfolders,
                           const std::string& folder) {
    const std::string within = IncludeTrailingPathDelimiter(folder);
    const std::string top = IncludeTrailingPathDelimiter(root);
    // A folder outside the root has no relative part; cutting it anyway would invent a folder.
    if (!subfolders || within == top || !within.starts_with(top)) return backup;
    return IncludeTrailingPathDelimiter(backup) + within.substr(top.size());
}

}  // namespace pellmar
