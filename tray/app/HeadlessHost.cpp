// Start-up and shutdown of the headless host. The order matters: the termination signals are
// taken before any thread exists, so that only their watcher ever receives them.
#include "tray/app/HeadlessHost.h"

#include "platform/AppWindow.h"
#include "platform/ErrorReporter.h"
#include "platform/PlainDispatcher.h"
#include "platform/TerminationSignals.h"
#include "tray/monitor/NTFolderScanner.h"

namespace pellmar {

int RunHeadless(const FolderMonitorTimings& timings) {
    platform::StderrErrorReporter reporter;
    platform::InstallErrorReporter(&reporter);
    platform::PlainDispatcher dispatcher;
    auto signals = platform::TerminationSignals::Install([&dispatcher] { dispatcher.Quit(); });
    RegisterNTFolderScanner(dispatcher);
    // The application window lets qmRemove and qmUpdate end this host as they end the tray program.
    auto window = platform::AppWindow::Register("Pellmar", [&dispatcher] { dispatcher.Quit(); });
    {
        auto session = std::make_unique<FolderMonitor>(timings);
        session->Start();
        dispatcher.Run();
        session->StopMonitoring();
        session.reset();
    }
    window.reset();
    signals.reset();
    platform::InstallErrorReporter(nullptr);
    return 0;
}

}  // namespace pellmar
