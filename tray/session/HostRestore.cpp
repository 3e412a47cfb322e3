// Every call is one unit of work on the file (open, busy timeout, statements, close), so the
// restore never holds the database open while it copies.
#include "tray/session/HostRestore.h"

#include <algorithm>

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/log/LogCodes.h"
#include "tray/log/LogData.h"
#include "tray/util/Checksums.h"

namespace pellmar {
namespace {

constexpr unsigned kRestoreCopyLanes = 2;

}  // namespace

RestoreDatabase::RestoreDatabase(std::string databasePath) : path_(std::move(databasePath)) {
    database_ = std::make_unique<SQLiteDatabase>(path_, false);
    database_->SetOnBusy(GiveUpAfterTenRetries());
    query_ = &database_->CreateSession(std::string(kFolderMonitorSessionName)).CreateQuery();
    database_->Close();
}

RestoreDatabase::~RestoreDatabase() = default;

bool RestoreDatabase::Connect() {
    if (!database_->Ready() || !database_->Open(path_)) return false;
    database_->SetBusyTimeout(kBusyTimeoutMilliseconds);
    return true;
}

std::optional<std::int32_t> RestoreDatabase::TakeNext(const std::string& source, std::int32_t atLeast) {
    if (!Connect()) return std::nullopt;
    const std::uint32_t fileid = Crc32OfText(source);
    SQLiteSession& session = query_->Session();
    std::optional<std::int32_t> taken;
    if (session.StartTransaction() == 0) {
        query_->SetText(SelectFileVersionStatement(fileid));
        if (query_->Execute() < 1) {
            query_->First();
            const bool stored = !query_->Eof();
            const std::int32_t last = stored ? ReadInteger(query_->FieldByName("currentversion")) : 0;
            const std::int32_t next = std::max(atLeast, last + 1);
            query_->Clear();
            query_->SetText(stored ? UpdateFileVersionStatement(fileid, next)
                                   : InsertFileVersionStatement(fileid, next));
            if (query_->Execute() < 1) taken = next;
        }
        if (!taken || session.Commit() != 0) {
            session.Rollback();
            taken.reset();
        }
    }
    query_->Clear();
    database_->Close();
    return taken;
}

bool RestoreDatabase::AddInformation(const std::string& message, const std::string& src, const std::string& dest) {
    return LogData(*query_, path_).AddLogEntry(kLogInformation, 0, kLogCopy, DateTimeNow(), message, src, dest);
}

std::string RestoredMessage(std::size_t count) {
    return "Restored " + std::to_string(count) + (count == 1 ? " file" : " files") + " from the backup.";
}

RestoreResult RestoreAndLog(RestoreDatabase& database, const ScannerValues& monitor,
                            const std::vector<RestoreItem>& items, const std::string& path,
                            const RestoreProgress& progress) {
    // A restore has the machine to itself; a second lane takes up the core it would leave idle.
    SystemFileOperations files(true, kRestoreCopyLanes);
    RestoreResult result = RunRestore(monitor, items, files, database, progress);
    database.AddInformation(RestoredMessage(result.restored), path,
                            items.size() == 1 ? items.front().copy.path : monitor.backuppath);
    return result;
}

std::vector<std::string> WrittenTargets(const RestoreResult& result) {
    std::vector<std::string> written;
    for (const RestoredFile& file : result.files)
        if (file.outcome == RestoreOutcome::Restored) written.push_back(file.target);
    return written;
}

}  // namespace pellmar
