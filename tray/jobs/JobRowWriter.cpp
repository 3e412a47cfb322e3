// One transaction per batch: reads of version counters and waiting copies, then every INSERT.
// Opened and closed around each batch; never held open while the job queue thread waits.
#include "tray/jobs/JobRowWriter.h"

#include <algorithm>

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/jobs/Versions.h"
#include "tray/util/DateTime.h"

namespace pellmar {

JobRowWriter::JobRowWriter(std::string databasePath, const std::string& sqliteLibrary)
    : path_(std::move(databasePath)), database_(std::make_unique<SQLiteDatabase>(path_, false, sqliteLibrary)) {
    database_->SetOnBusy(GiveUpAfterTenRetries());
    session_ = &database_->CreateSession(std::string(kJobQueueSessionName));
    query_ = &session_->CreateQuery();
    database_->Close();
}

JobRowWriter::~JobRowWriter() {
    query_->Clear();
    database_->Close();
}

bool JobRowWriter::Ready() const { return database_->Ready(); }

JobRowWriter::Result JobRowWriter::Fail(const std::string& message, std::string* error) {
    *error = message.empty() ? std::string("The database could not be written.") : message;
    if (database_->IsOpen()) session_->Rollback();
    query_->Clear();
    database_->Close();
    return Result::Failed;
}

bool JobRowWriter::IsCopyWaiting(const std::string& src, std::string* error) {
    if (!waitingCopies_) {
        query_->SetText(SelectWaitingCopiesStatement());
        if (query_->Execute() >= 1) {
            *error = query_->LastError();
            return false;
        }
        waitingCopies_.emplace();
        for (query_->First(); !query_->Eof(); query_->Next()) waitingCopies_->insert(query_->FieldByName("src"));
        query_->Clear();
    }
    return waitingCopies_->contains(src);
}

// SQLite would give max(id)+1, which starts again at 1 once the table is empty: a cancel of an
// old log entry would then remove a new job. So an id is never given again while the log names
// it. The log is read once per run; after that the jobs table alone can hold a higher id.
bool JobRowWriter::ReserveIdsAbove(std::string* error) {
    query_->SetText(nextId_ == 0 ? SelectJobIdFloorStatement() : SelectTopJobIdStatement());
    if (query_->Execute() >= 1) {
        *error = query_->LastError();
        return false;
    }
    query_->First();
    nextId_ = std::max(nextId_, ReadInteger64(query_->FieldByName("top")) + 1);
    query_->Clear();
    return true;
}

bool JobRowWriter::AppendStatements(const ChangeEvent& event, VersionNumbering& numbering, std::string* text,
                                    std::string* error) {
    // A file found out of date by a folder comparison may have its copy waiting already; a
    // second one would only add an identical version.
    if (event.resync) {
        const bool waiting = IsCopyWaiting(event.src, error);
        if (!error->empty()) return false;
        if (waiting) return true;
    }
    ChangeEvent numbered = event;
    numbered.id = static_cast<std::int32_t>(nextId_++);
    if (!numbering.Number(numbered, text)) {
        *error = query_->LastError();
        return false;
    }
    *text += InsertJobStatement(numbered, DateTimeToUnixTime(DateTimeNow()));
    *text += "\r\n";
    if (waitingCopies_ && numbered.jobtype != ChangeDeleted) waitingCopies_->insert(numbered.src);
    return true;
}

JobRowWriter::Result JobRowWriter::Write(const std::vector<const ChangeEvent*>& events, std::string* error) {
    error->clear();
    waitingCopies_.reset();
    if (!database_->Ready() || !database_->Open(path_)) return Fail(database_->LastError(), error);
    database_->SetBusyTimeout(kBusyTimeoutMilliseconds);
    if (session_->StartTransaction() != 0) return Fail(session_->LastError(), error);
    if (!ReserveIdsAbove(error)) return Fail(*error, error);
    VersionNumbering numbering(*query_);
    std::string text;
    for (const ChangeEvent* event : events) {
        if (!AppendStatements(*event, numbering, &text, error)) return Fail(*error, error);
    }
    query_->SetText(text);
    if (!text.empty() && query_->Execute() >= 1) return Fail(query_->LastError(), error);
    if (session_->Commit() != 0) return Fail(session_->LastError(), error);
    query_->Clear();
    database_->Close();
    return Result::Written;
}

}  // namespace pellmar
