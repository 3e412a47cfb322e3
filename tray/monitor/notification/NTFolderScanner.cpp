// The detailed-records scanner: masks on the file-name part, then the base's event path by the
// action table. The watching itself is KolDirMonitor's; drops and events are the base's.
#include "tray/monitor/notification/NTFolderScanner.h"

#include "common/Paths.h"
#include "tray/monitor/MonitorMessages.h"
#include "tray/monitor/PathParts.h"

namespace pellmar {

NTFolderScanner::NTFolderScanner(ScannerContext& context, platform::Dispatcher& dispatcher)
    : FolderScanner(context), monitor_(dispatcher) {
    monitor_.SetOnChange([this](KolDirMonitor&, DirAction action, const std::string& name) { HandleChange(action, name); });
}

NTFolderScanner::~NTFolderScanner() { monitor_.Stop(); }

void NTFolderScanner::Start() {
    try {
        monitor_.Start();
    } catch (const DirMonitorError& error) {
        throw ScannerStartError(error.what());
    }
    if (monitor_.Partial()) ReportTrouble(PartlyWatchedMessage(platform::WatchLimitAdvice()), false);
}

void NTFolderScanner::HandleChange(DirAction action, const std::string& name) {
    switch (action) {
        case DirLost: ReportLost(); return;
        case DirIncomplete: ReportTrouble(PartlyWatchedMessage(platform::WatchLimitAdvice()), false); return;
        case DirBroken: ReportTrouble(kWatchBrokenMessage, true); return;
        case DirFolderAdded: ReportFolderCreated(IncludeTrailingPathDelimiter(GetRoot()) + name); return;
        case DirFolderRemoved: ReportFolderDeleted(IncludeTrailingPathDelimiter(GetRoot()) + name); return;
        default: break;
    }
    if (!PassesFilters(FileNamePart(name))) return;
    const std::string path = IncludeTrailingPathDelimiter(GetRoot()) + name;
    switch (action) {
        case DirRemoved:
        case DirRenamedOld: ReportDeleted(path); break;
        case DirModified: ReportModified(path); break;
        default: ReportCreated(path); break;
    }
}

ScannerCreator NTFolderScannerCreator(platform::Dispatcher& dispatcher) {
    return [&dispatcher](ScannerContext& context) { return std::make_unique<NTFolderScanner>(context, dispatcher); };
}

}  // namespace pellmar
