// The end-to-end fixture: private folders and settings, a session on the plain dispatcher, and
// database access of the test's own for arranging and checking rows.
#include "tests/e2e/E2eFixture.h"
#include "tray/model/JobResults.h"

#include <filesystem>

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/monitor/notification/NTFolderScanner.h"
#include "tray/util/DateTime.h"

namespace pellmar::test {
namespace fs = std::filesystem;

std::vector<Row> SelectRows(const std::string& databasePath, const std::string& sql) {
    std::vector<Row> rows;
    SQLiteDatabase database(databasePath, false);
    if (!database.Ready() || !database.Open(databasePath)) return rows;
    database.SetBusyTimeout(5000);
    SQLiteQuery& query = database.CreateSession("E2eTestSession").CreateQuery();
    if (!ExecQuery(query, sql)) return rows;
    const auto& results = query.Results();
    const int columns = query.ColumnCount();
    for (int r = 0; r < query.RowCount(); ++r) {
        Row row;
        for (int c = 0; c < columns; ++c) {
            row[results[static_cast<std::size_t>(c)]] = results[static_cast<std::size_t>(columns * (r + 1) + c)];
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void ExecStatements(const std::string& databasePath, const std::string& sql) {
    SQLiteDatabase database(databasePath, false);
    ASSERT_TRUE(database.Ready() && database.Open(databasePath)) << databasePath;
    database.SetBusyTimeout(5000);
    SQLiteSession& session = database.CreateSession("E2eTestSession");
    ASSERT_TRUE(ExecInTransaction(session, session.CreateQuery(), sql)) << sql;
}

void CreateDatabase(const std::string& databasePath) {
    fs::create_directories(fs::path(databasePath).parent_path());
    SQLiteDatabase database(databasePath, true);
    ASSERT_TRUE(database.Ready());
    SQLiteSession& session = database.CreateSession("E2eTestSession");
    ASSERT_TRUE(ExecInTransaction(session, session.CreateQuery(), std::string(kCreationScript)));
}

E2eTest::E2eTest() : watched(root / "watched"), backup(root / "backup") {
    environment.Set("HOME", root / "home");
    environment.Set("XDG_CONFIG_HOME", root / "config");
    environment.Set("XDG_DATA_HOME", root / "data");
    fs::create_directories(watched);
    fs::create_directories(backup);
    timings.changePause = std::chrono::milliseconds(1);
    timings.queuePause = std::chrono::milliseconds(1);
    timings.worker.retryWait = std::chrono::milliseconds(300);
    dispatcher = std::make_unique<platform::PlainDispatcher>();
    engines.changeRecords = NTFolderScannerCreator(*dispatcher);
}

E2eTest::~E2eTest() {
    if (session) StopSession();
}

void E2eTest::StartSession() {
    session = std::make_unique<FolderMonitor>(*dispatcher, timings, engines);
    session->Start();
}

void E2eTest::StopSession() {
    session->StopMonitoring();
    session.reset();
}

int E2eTest::LogCount(const std::string& message) const {
    int count = 0;
    for (const auto& entry : Log()) count += entry.at("message") == message;
    return count;
}

int E2eTest::LogCount(std::int32_t resultCode) const { return LogCount(JobResultMessage(resultCode)); }

ScannerValues E2eTest::Monitor(const std::string& folder, const std::string& backupFolder) const {
    ScannerValues values;
    values.root = folder;
    values.backuppath = backupFolder;
    values.filters = {"*"};
    values.status = 1;
    return values;
}

// The comparison of the new monitor's folder ends first, so that files a test writes next are
// copied once, by the change the engine hears, and not a second time by the comparison.
FolderScanner* E2eTest::AddMonitor(ScannerValues values) {
    FolderScanner* monitor = session->SaveFolderItem(nullptr, values);
    RunUntil([&] { return session->StatusOf(monitor).state != MonitorState::CatchingUp; });
    return monitor;
}

bool E2eTest::RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    return dispatcher->RunUntil(condition, deadline);
}

bool E2eTest::RunUntilFile(const std::string& path, const std::string& content) {
    return RunUntil([&] {
        std::error_code error;
        return fs::is_regular_file(path, error) && ReadFile(path) == content;
    });
}

std::string E2eTest::DataPath() const { return root / "data/Quenmarsh/Pellmar"; }
std::string E2eTest::TempFilePath() const { return DataPath() + "/TempDestFiles/"; }
std::string E2eTest::DatabasePath() const { return DataPath() + "/db/pellmar.db"; }

void E2eTest::InsertJob(const ChangeEvent& job) {
    ExecStatements(DatabasePath(), InsertJobStatement(job, DateTimeToUnixTime(DateTimeNow())));
}

}  // namespace pellmar::test
