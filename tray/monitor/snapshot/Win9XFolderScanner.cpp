// The snapshot scanner: the notifier's three messages become the base's three reports, and its
// trouble the base's. Deletions are not passed on while versions are kept, so the kept versions
// outlive the file.
#include "tray/monitor/snapshot/Win9XFolderScanner.h"

#include "tray/monitor/EngineSettings.h"

namespace pellmar {

Win9XFolderScanner::Win9XFolderScanner(ScannerContext& context, platform::Dispatcher& dispatcher,
                                       KolChangeNotifier::Options options)
    : FolderScanner(context), notifier_(dispatcher, options) {
    notifier_.SetMaxWatchers(2000);
    notifier_.SetOnAdded([this](KolChangeNotifier&, const ChangeMessage& message) { ReportCreated(message.path); });
    notifier_.SetOnModified([this](KolChangeNotifier&, const ChangeMessage& message) { ReportModified(message.path); });
    notifier_.SetOnDeleted([this](KolChangeNotifier&, const ChangeMessage& message) {
        if (!GetHasVersions()) ReportDeleted(message.path);
    });
    notifier_.SetOnTrouble([this](KolChangeNotifier&, const std::string& message, bool stopped) {
        ReportTrouble(message, stopped);
    });
}

Win9XFolderScanner::~Win9XFolderScanner() { notifier_.Stop(); }

void Win9XFolderScanner::Start() {
    try {
        notifier_.Start();
    } catch (const NotifierStartError& error) {
        throw ScannerStartError(error.what());
    }
}

ScannerCreator Win9XFolderScannerCreator(platform::Dispatcher& dispatcher) {
    return [&dispatcher](ScannerContext& context) {
        const EngineSettings settings = ReadEngineSettings();
        KolChangeNotifier::Options options;
        options.rescanInterval = settings.rescanInterval;
        options.rescanOnly = settings.choice == EngineChoice::Rescan;
        return std::make_unique<Win9XFolderScanner>(context, dispatcher, options);
    };
}

}  // namespace pellmar
