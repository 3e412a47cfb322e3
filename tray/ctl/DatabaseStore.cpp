// Every call is one unit of work on the file (open, busy timeout, one statement, clear, close), as
// the session's are, so a host and pellmarctl never hold the file open between commands.
#include "tray/ctl/DatabaseStore.h"

#include "platform/FileSystem.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/TableCreation.h"
#include "tray/db/UnitOfWork.h"
#include "tray/log/LogData.h"

namespace pellmar::ctl {
namespace {

JobRow ReadJob(const SQLiteQuery& query) {
    JobRow row;
    row.job = ReadJobRow(query);
    row.deferred = ReadInteger(query.FieldByName("deferred")) != 0;
    row.scheduled = ReadInteger64(query.FieldByName("scheduled"));
    row.retries = ReadInteger(query.FieldByName("retries"));
    return row;
}

}  // namespace

DatabaseStore::DatabaseStore(std::string databasePath, bool createIfMissing) : path_(std::move(databasePath)) {
    const bool exists = platform::FileExists(path_);
    missing_ = !exists && !createIfMissing;
    database_ = std::make_unique<SQLiteDatabase>(path_, !exists && createIfMissing);
    database_->SetOnBusy(GiveUpAfterTenRetries());
    SQLiteSession& session = database_->CreateSession(std::string(kFolderMonitorSessionName));
    query_ = &session.CreateQuery();
    if (!missing_ && database_->Ready()) CreateTablesWhenMissing(*query_);
    query_->Clear();
    database_->Close();
}

DatabaseStore::~DatabaseStore() = default;

bool DatabaseStore::Connect() {
    if (!database_->Ready() || !database_->Open(path_)) return false;
    database_->SetBusyTimeout(kBusyTimeoutMilliseconds);
    return true;
}

bool DatabaseStore::Change(const std::string& statement) {
    if (!Connect()) return false;
    const bool committed = ExecInTransaction(query_->Session(), *query_, statement);
    query_->Clear();
    database_->Close();
    return committed;
}

template <typename Read>
bool DatabaseStore::Select(const std::string& statement, Read&& read) {
    if (missing_) return true;
    if (!Connect()) return false;
    const bool done = ExecQuery(*query_, statement);
    if (done) {
        for (query_->First(); !query_->Eof(); query_->Next()) read(*query_);
    }
    query_->Clear();
    database_->Close();
    return done;
}

bool DatabaseStore::Monitors(std::vector<ScannerValues>* monitors) {
    monitors->clear();
    return Select(SelectScannersStatement(), [monitors](const SQLiteQuery& q) { monitors->push_back(ReadScannerRow(q)); });
}

std::int32_t DatabaseStore::Insert(const ScannerValues& values) {
    if (!Connect()) return 0;
    std::int32_t id = 0;
    if (ExecInTransaction(query_->Session(), *query_, InsertScannerStatement(values))) {
        id = static_cast<std::int32_t>(query_->LastInsertRowId());
    }
    query_->Clear();
    database_->Close();
    return id;
}

bool DatabaseStore::Update(const ScannerValues& values) { return Change(UpdateScannerStatement(values)); }
bool DatabaseStore::Delete(std::int32_t id) { return Change(DeleteScannerStatement(id)); }
bool DatabaseStore::SetStatus(std::int32_t id, std::int32_t status) {
    return Change(UpdateScannerStatusStatement(id, status));
}

bool DatabaseStore::LoadLog(LogListModel* rows) {
    rows->Clear();
    if (missing_) return true;
    if (!database_->Ready()) return false;
    LogData(*query_, path_).LoadLogEntries(*rows);
    return true;
}

bool DatabaseStore::CancelJob(std::int32_t jobid) { return !missing_ && LogData(*query_, path_).CancelJob(jobid); }

bool DatabaseStore::Jobs(std::vector<JobRow>* jobs) {
    jobs->clear();
    return Select(SelectAllJobsStatement(), [jobs](const SQLiteQuery& q) { jobs->push_back(ReadJob(q)); });
}

}  // namespace pellmar::ctl
