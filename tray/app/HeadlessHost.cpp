// Start-up and shutdown of the headless host. The order matters: the termination signals are
// taken before any thread exists, so that only their watcher ever receives them.
#include "tray/app/HeadlessHost.h"

#include "platform/AppWindow.h"
#include "platform/ErrorReporter.h"
#include "platform/HostLock.h"
#include "platform/PlainDispatcher.h"
#include "platform/TerminationSignals.h"
#include "tray/ctl/ControlServer.h"
#include "tray/db/DatabaseCheck.h"
#include "tray/session/FolderMonitorSession.h"
#include "tray/shell/DataLocations.h"

#include <cstdio>

namespace pellmar {
namespace {

// The control channel comes up once the monitors are loaded and goes before they stop, so that
// pellmarctl never reaches a session that is not running.
void RunSession(platform::PlainDispatcher& dispatcher, const FolderMonitorTimings& timings) {
    auto session = std::make_unique<FolderMonitorSession>(dispatcher, timings);
    session->Start();
    std::string problem;
    auto control = ctl::ControlServer::Start(dispatcher, [&session] { return session.get(); }, session->Locations(),
                                             {}, &problem);
    if (!control) std::fprintf(stderr, "pellmard: pellmarctl cannot reach this host: %s.\n", problem.c_str());
    dispatcher.Run();
    control.reset();
    session->StopMonitoring();
    session.reset();
}

}  // namespace

int RunHeadless(const FolderMonitorTimings& timings) {
    // Two hosts on one data folder would queue every change twice.
    const DataLocations locations = SettleDataLocations();
    const std::string dataPath = locations.dataPath;
    std::unique_ptr<platform::HostLock> lock;
    if (platform::HostLock::Acquire(platform::HostLockPath(dataPath), &lock, platform::kHostLockPatience) ==
        platform::HostLock::Result::HeldElsewhere) {
        std::fprintf(stderr, "pellmard: another replication host (Pellmar or pellmard) is running on the data "
                             "folder %s; end it first.\n", dataPath.c_str());
        return 3;
    }
    // Running on a damaged file would replicate nothing while looking busy.
    if (const std::optional<std::string> damage = DatabaseDamage(locations.databasePath)) {
        std::fprintf(stderr, "pellmard: %s\n", DamagedDatabaseAdvice(locations.databasePath, *damage).c_str());
        return 2;
    }
    platform::StderrErrorReporter reporter;
    platform::InstallErrorReporter(&reporter);
    platform::PlainDispatcher dispatcher;
    auto signals = platform::TerminationSignals::Install([&dispatcher] { dispatcher.Quit(); });
    // The application window lets qmRemove and qmUpdate end this host as they end the tray program.
    auto window = platform::AppWindow::Register("Pellmar", [&dispatcher] { dispatcher.Quit(); });
    RunSession(dispatcher, timings);
    window.reset();
    signals.reset();
    platform::InstallErrorReporter(nullptr);
    return 0;
}

}  // namespace pellmar
