// The job queue thread's loop: one record, one pause, one transaction, one wake-up.
// The queue, its records' origin and the worker it wakes belong to the session.
#include "tray/jobs/JobQueueThread.h"

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/util/DateTime.h"

namespace pellmar {
namespace {

void WriteJobRow(SQLiteDatabase& database, SQLiteSession& session, SQLiteQuery& query, const std::string& path,
                 const ChangeEvent& record) {
    if (!database.Open(path)) return;
    database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    query.Clear();
    ExecInTransaction(session, query, InsertJobStatement(record, DateTimeToUnixTime(DateTimeNow())));
    query.Clear();
    database.Close();
}

}  // namespace

JobQueueThread::JobQueueThread(ChangeEventQueue& queue, std::string databasePath, std::function<void()> wakeWorker,
                               std::chrono::milliseconds pause, std::string sqliteLibrary)
    : queue_(queue),
      databasePath_(std::move(databasePath)),
      wakeWorker_(std::move(wakeWorker)),
      pause_(pause),
      sqliteLibrary_(std::move(sqliteLibrary)) {}

JobQueueThread::~JobQueueThread() { Stop(); }

void JobQueueThread::Start() {
    if (thread_.joinable() || stop_) return;
    thread_ = std::thread([this] { Run(); });
}

void JobQueueThread::Stop() {
    // The flag goes first: a Get that returns an item after the closing must not write it.
    stop_ = true;
    stopEvent_.Set();
    queue_.CloseQueue();
    if (thread_.joinable()) thread_.join();
}

void JobQueueThread::Run() {
    SQLiteDatabase database(databasePath_, false, sqliteLibrary_);
    database.SetOnBusy(GiveUpAfterTenRetries());
    SQLiteSession& session = database.CreateSession(std::string(kJobQueueSessionName));
    SQLiteQuery& query = session.CreateQuery();
    // Not kept open while waiting for records; every record opens its own connection.
    database.Close();
    while (!stop_) {
        std::unique_ptr<ChangeEvent> record;
        std::int32_t size = 0;
        if (queue_.Get(record, size, platform::kInfinite) != kQueueDone || stop_) break;
        stopEvent_.Wait(static_cast<std::uint32_t>(pause_.count()));
        if (database.Ready()) WriteJobRow(database, session, query, databasePath_, *record);
        record.reset();
        if (wakeWorker_) wakeWorker_();
    }
    query.Clear();
    database.Close();
}

}  // namespace pellmar
