// A database file with the program's tables in a temporary folder, the three objects a caller
// of the log store or of the versions holds, and a way to look at rows from a separate
// connection. Shared by the log and jobs tests.
#pragma once

#include <string>
#include <vector>

#include "tests/support/TempFolder.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"

namespace pellmar::test {

class LogTestDatabase {
public:
    // withTables false: the file exists but holds no table, so every statement fails.
    explicit LogTestDatabase(bool withTables = true);

    const std::string& Path() const { return path_; }
    const TempFolder& Folder() const { return folder_; }

    // Each opens its own connection and closes it again.
    bool Change(const std::string& text) const;
    std::vector<std::string> Column(const std::string& select, const std::string& column) const;
    int Count(const std::string& table) const;

private:
    TempFolder folder_;
    std::string path_;
};

// What the folder monitor session holds: its database object (created without creation, as
// the threads do), the session "FolderMonitorSession" and one query.
struct SessionObjects {
    explicit SessionObjects(const std::string& path, const std::string& library = {});
    SQLiteDatabase database;
    SQLiteSession& session;
    SQLiteQuery& query;
};

}  // namespace pellmar::test
