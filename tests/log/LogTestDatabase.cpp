// A schema-bearing database file for the log and jobs tests, and separate connections to look
// at its rows. Test-only.
#include "tests/log/LogTestDatabase.h"

#include <gtest/gtest.h>

#include "tray/db/Schema.h"
#include "tray/db/UnitOfWork.h"

namespace pellmar::test {

LogTestDatabase::LogTestDatabase(bool withTables) : path_(folder_ / "pellmar.db") {
    SQLiteDatabase database(path_, true);
    EXPECT_TRUE(database.Ready() && database.IsOpen()) << "SQLite must be loadable: " << database.LastError();
    SQLiteSession& session = database.CreateSession(std::string(kFolderMonitorSessionName));
    SQLiteQuery& query = session.CreateQuery();
    database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    EXPECT_TRUE(ExecInTransaction(session, query,
                                  withTables ? std::string(kCreationScript) : std::string("CREATE TABLE other(x);")));
}

bool LogTestDatabase::Change(const std::string& text) const {
    SessionObjects objects(path_);
    objects.database.Open(path_);
    objects.database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    return ExecInTransaction(objects.session, objects.query, text);
}

std::vector<std::string> LogTestDatabase::Column(const std::string& select, const std::string& column) const {
    SessionObjects objects(path_);
    objects.database.Open(path_);
    objects.database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    std::vector<std::string> values;
    EXPECT_TRUE(ExecQuery(objects.query, select)) << select;
    for (objects.query.First(); !objects.query.Eof(); objects.query.Next()) {
        values.push_back(objects.query.FieldByName(column));
    }
    return values;
}

int LogTestDatabase::Count(const std::string& table) const {
    auto values = Column("SELECT count(*) AS n FROM " + table + ";", "n");
    return values.empty() ? -1 : std::stoi(values.front());
}

SessionObjects::SessionObjects(const std::string& path, const std::string& library)
    : database(path, false, library),
      session(database.CreateSession(std::string(kFolderMonitorSessionName))),
      query(session.CreateQuery()) {
    database.Close();
}

}  // namespace pellmar::test
