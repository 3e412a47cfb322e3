#include "tray/db/TableCreation.h"

#include "tray/db/SQLiteQuery.h"
#include "tray/db/Schema.h"
#include "tray/db/UnitOfWork.h"

#include <string>

namespace pellmar {

void CreateTablesWhenMissing(SQLiteQuery& query) {
    if (!ExecQuery(query, "SELECT count(*) AS tables FROM sqlite_master WHERE type = 'table';")) return;
    const bool empty = query.FieldByName("tables") == "0";
    query.Clear();
    if (empty) ExecInTransaction(query.Session(), query, std::string(kCreationScript));
}

}  // namespace pellmar
