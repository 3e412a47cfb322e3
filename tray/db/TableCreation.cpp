// Giving a database file its tables and its journal mode at each start of a host or of
// pellmarctl's no-host path.
#include "tray/db/TableCreation.h"

#include "tray/db/SQLiteQuery.h"
#include "tray/db/Schema.h"
#include "tray/db/UnitOfWork.h"

#include <string>

namespace pellmar {

// The mode is stored in the file, so setting it at every start also converts older files. A
// file system without shared memory refuses it, and the file keeps its rollback journal.
void UseWriteAheadLog(SQLiteQuery& query) {
    query.SetText("PRAGMA journal_mode=WAL;");
    query.Execute();
    query.Clear();
}

void CreateTablesWhenMissing(SQLiteQuery& query) {
    UseWriteAheadLog(query);
    if (!ExecQuery(query, "SELECT count(*) AS tables FROM sqlite_master WHERE type = 'table';")) return;
    const bool empty = query.FieldByName("tables") == "0";
    query.Clear();
    if (empty) ExecInTransaction(query.Session(), query, std::string(kCreationScript));
}

}  // namespace pellmar
