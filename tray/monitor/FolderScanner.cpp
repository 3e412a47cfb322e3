// The scanner base: configuration values and the event path from a reported path to OnChange.
// The mask language is in Masks; the engines are in the platform variants.
#include "tray/monitor/FolderScanner.h"

namespace pellmar {

FolderScanner::FolderScanner(ScannerContext& context) : context_(context) {}

FolderScanner::~FolderScanner() = default;

void FolderScanner::ReportCreated(const std::string& path) { Report(ChangeCreated, path); }
void FolderScanner::ReportModified(const std::string& path) { Report(ChangeModified, path); }
void FolderScanner::ReportDeleted(const std::string& path) { Report(ChangeDeleted, path); }

bool FolderScanner::PassesFilters(std::string_view) { return false; }

void FolderScanner::Report(JobType, const std::string&) {}

}  // namespace pellmar
