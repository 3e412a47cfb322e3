// Version counters over the statement builders of the database layer.
// Runs inside the caller's open connection; opening and closing stay with the caller.
#include "tray/jobs/Versions.h"

#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"

namespace pellmar {
namespace {

struct Counter {
    std::int32_t next = 1;
    bool stored = false;
};

// A failed SELECT (reported by the layer) counts as "no counter yet".
Counter ReadCounter(std::uint32_t fileid, SQLiteQuery& query) {
    Counter counter;
    if (ExecQuery(query, SelectFileVersionStatement(fileid))) {
        query.First();
        if (!query.Eof()) {
            counter.next = ReadInteger(query.FieldByName("currentversion")) + 1;
            counter.stored = true;
        }
    }
    query.Clear();
    return counter;
}

}  // namespace

void AssignVersion(ChangeEvent& event, SQLiteSession& session, SQLiteQuery& query) {
    if (event.maxversions <= 0) return;
    if (event.jobtype == ChangeDeleted) {
        ExecInTransaction(session, query, DeleteFileVersionStatement(event.fileid));
        return;
    }
    if (event.jobtype != ChangeCreated && event.jobtype != ChangeModified) return;
    Counter counter = ReadCounter(event.fileid, query);
    event.currentversion = counter.next;
    // Even when storing the counter fails the event keeps its number (and is queued): the
    // change itself must still reach the backup.
    ExecInTransaction(session, query,
                      counter.stored ? UpdateFileVersionStatement(event.fileid, counter.next)
                                     : InsertFileVersionStatement(event.fileid, counter.next));
    event.dest = VersionFileName(event.dest, counter.next);
}

}  // namespace pellmar
