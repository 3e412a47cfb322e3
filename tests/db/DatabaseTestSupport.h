// A database file in a temporary folder and one connection to it with a session and a query,
// as every caller of the layer holds them. Test-only helpers.
#pragma once

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"

#include <string>
#include <vector>

namespace pellmar::test {

struct Connection {
    // Opens (creating when asked) and sets the busy timeout the program uses.
    explicit Connection(const std::string& path, bool create = true,
                        const std::string& sessionName = "TestSession");

    // ExecInTransaction / ExecQuery on this connection's session and query.
    bool Change(const std::string& text);
    bool Select(const std::string& text);
    // Every row's value of one column, read with First/FieldByName/Next until Eof.
    std::vector<std::string> Column(const std::string& select, const std::string& column);

    SQLiteDatabase database;
    SQLiteSession& session;
    SQLiteQuery& query;
};

// A new database file with the program's tables.
void CreateSchema(const std::string& path);

}  // namespace pellmar::test
