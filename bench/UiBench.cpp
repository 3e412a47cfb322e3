// The tray program's windows under load: (a) opening the event log window over 100,000 stored
// entries, time to first paint of the list and the memory it takes; (b) filling the
// configuration window with 500 monitors; (c) resident memory of the idle `Pellmar` process
// with 10 monitors. Runs on any Qt platform (offscreen by default). Usage: bench_ui <Pellmar>
#include "bench/BenchSession.h"
#include "platform/AppWindow.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/session/FolderMonitorSession.h"
#include "tray/ui/LogFormPresenter.h"
#include "tray/ui/qt/frmLogForm.h"
#include "tray/ui/qt/frmMainForm.h"
#include "tray/util/DateTime.h"

#include <QApplication>
#include <QTableView>
#include <QTreeWidget>

#include <cstdio>
#include <fstream>
#include <list>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pellmar::bench {
namespace {

long ResidentKiB(const std::string& statusFile = "/proc/self/status") {
    std::ifstream in(statusFile);
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> value;
            return value;
        }
        in.ignore(1 << 16, '\n');
    }
    return -1;
}

// The sessions here only write and read the database; nothing they post needs to run.
platform::PlainDispatcher& UnpumpedDispatcher() {
    static platform::PlainDispatcher dispatcher;
    return dispatcher;
}

// Creates the database with the session itself, then adds `entries` log rows in one transaction.
void FillLog(const BenchHome& home, int entries) {
    { FolderMonitorSession session(UnpumpedDispatcher()); session.Start(); session.StopMonitoring(); }
    SQLiteDatabase database(home.DatabasePath(), false);
    SQLiteSession& session = database.CreateSession("bench");
    SQLiteQuery& query = session.CreateQuery();
    std::string text;
    // Recent entries: the session's worker purges those older than 30 days.
    const std::int64_t now = DateTimeToUnixTime(DateTimeNow());
    for (int at = 0; at < entries; ++at) {
        LogValues entry{at % 3, at, at % 3 == 1, now - entries + at, 0, "The file was copied to its backup folder.",
                        home.Path("watched/folder/report" + std::to_string(at) + ".doc"),
                        home.Path("backup/folder/report" + std::to_string(at) + ".doc")};
        text += InsertLogStatement(entry) + "\n";
    }
    ExecInTransaction(session, query, text);
}

class PaintWatch final : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

void OpenLogWindow(const BenchHome& home) {
    FillLog(home, 100'000);
    FolderMonitorSession session(UnpumpedDispatcher());
    session.Start();
    std::unique_ptr<LogStore> store = session.OpenLogStore();
    {
        LogListModel rows;
        const auto loadStart = std::chrono::steady_clock::now();
        store->LoadLogEntries(rows);
        std::printf("    reading the entries into the model alone: %.1f ms\n", MillisecondsSince(loadStart));
    }
    const long before = ResidentKiB();
    const auto start = std::chrono::steady_clock::now();
    LogForm window;
    LogFormPresenter presenter(window, *store);
    window.SetPresenter(&presenter);
    PaintWatch watch;
    window.List()->viewport()->installEventFilter(&watch);
    window.show();
    while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("(a) event log window, %d entries: first paint after %.1f ms, +%ld KiB resident\n",
                presenter.Rows().Count(), MillisecondsSince(start), ResidentKiB() - before);
    session.StopMonitoring();
}

// 500 monitors held in memory: the window's own cost, without a database.
class ListSession final : public MonitorSession {
public:
    explicit ListSession(const BenchHome& home) {
        for (int at = 0; at < 500; ++at) {
            ScannerValues values = WatchEverythingMonitor(home);
            values.id = at + 1;
            values.root += "/" + std::to_string(at);
            values.filters = {"*.doc", "*.xls"};
            monitors.push_back(values);
        }
    }
    void Start() override {}
    std::vector<MonitorId> Monitors() const override {
        std::vector<MonitorId> ids;
        for (const ScannerValues& monitor : monitors) ids.push_back(monitor.id);
        return ids;
    }
    std::optional<ScannerValues> Values(MonitorId id) const override {
        return id >= 1 && id <= static_cast<MonitorId>(monitors.size()) ? std::optional(monitors[id - 1]) : std::nullopt;
    }
    MonitorId Save(MonitorId monitor, const ScannerValues&) override { return monitor; }
    bool Delete(MonitorId) override { return false; }
    bool SetStatus(MonitorId, std::int32_t) override { return false; }
    MonitorStatus StatusOf(MonitorId) const override { return {MonitorState::Watching, {}}; }
    bool Synchronise(MonitorId, std::string*) override { return false; }
    SessionSummary Summary() const override { return {}; }
    void StopMonitoring() override {}
    void IgnoreOwnWrites(const std::vector<std::string>&) override {}
    std::unique_ptr<LogStore> OpenLogStore() override { return nullptr; }
    const DataLocations& Locations() const override { return locations; }
    std::vector<ScannerValues> monitors;
    DataLocations locations;
};

class ListServices final : public MainFormServices {
public:
    void InstallStagedUpdater() override {}
    void LaunchUpdater() override {}
    bool ReadAutostart(bool current) override { return current; }
    bool WriteAutostart(bool) override { return true; }
    bool Confirm(const std::string&) override { return false; }
    std::optional<ScannerValues> RunSetupDialog(const ScannerValues*, const std::vector<ScannerValues>&) override {
        return std::nullopt;
    }
    void RunLogWindow(MonitorSession&) override {}
    void RunRestoreWindow(MonitorSession&, MonitorId) override {}
    std::int64_t LastSeenProblem() override { return 0; }
    void SetLastSeenProblem(std::int64_t) override {}
    void ExitStarted() override {}
};

void FillConfigurationWindow(const BenchHome& home) {
    ListServices services;
    ListSession session(home);
    MainForm window;
    MainFormPresenter presenter(window, services, session);
    window.SetPresenter(&presenter);
    const auto start = std::chrono::steady_clock::now();
    presenter.Construct(true);
    std::printf("(b) configuration window filled with %d monitors in %.1f ms\n",
                window.List()->topLevelItemCount(), MillisecondsSince(start));
}

void IdleTrayProgram(const BenchHome& home, const char* program) {
    {
        FolderMonitorSession session(UnpumpedDispatcher());
        session.Start();
        for (int at = 0; at < 10; ++at) {
            std::filesystem::create_directories(home.Path("watched/" + std::to_string(at)));
            ScannerValues values = WatchEverythingMonitor(home);
            values.root = home.Path("watched/" + std::to_string(at));
            session.Save(0, values);
        }
        session.StopMonitoring();
    }
    pid_t pid = -1;
    char* argv[] = {const_cast<char*>(program), nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return;
    while (platform::FindAppWindow("Pellmar") == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::seconds(5));  // settled and idle
    const long resident = ResidentKiB("/proc/" + std::to_string(pid) + "/status");
    platform::SendCloseRequest(platform::FindAppWindow("Pellmar"));
    int status = 0;
    waitpid(pid, &status, 0);
    std::printf("(c) idle Pellmar with 10 monitors: %ld KiB resident (exit code %d)\n", resident,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

}  // namespace
}  // namespace pellmar::bench

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <path of the Pellmar program>\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "offscreen", 1);
    using namespace pellmar::bench;
    BenchHome home("ui");
    std::filesystem::create_directories(home.Path("run"));
    std::filesystem::permissions(home.Path("run"), std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", home.Path("run").c_str(), 1);
    QApplication application(argc, argv);
    OpenLogWindow(home);
    FillConfigurationWindow(home);
    IdleTrayProgram(home, argv[1]);
    return 0;
}
