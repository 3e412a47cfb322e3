// Test connections and the schema file for the database tests. Test-only; the layer under test
// does the work, these only bracket it the way callers do.
#include "tests/db/DatabaseTestSupport.h"

#include "tray/db/Schema.h"
#include "tray/db/UnitOfWork.h"

#include <gtest/gtest.h>

namespace pellmar::test {

Connection::Connection(const std::string& path, bool create, const std::string& sessionName)
    : database(path, create), session(database.CreateSession(sessionName)), query(session.CreateQuery()) {
    database.SetBusyTimeout(kBusyTimeoutMilliseconds);
}

bool Connection::Change(const std::string& text) {
    return ExecInTransaction(session, query, text);
}

bool Connection::Select(const std::string& text) {
    return ExecQuery(query, text);
}

std::vector<std::string> Connection::Column(const std::string& select, const std::string& column) {
    std::vector<std::string> values;
    EXPECT_TRUE(Select(select)) << select;
    for (query.First(); !query.Eof(); query.Next()) {
        values.push_back(query.FieldByName(column));
    }
    return values;
}

void CreateSchema(const std::string& path) {
    Connection connection(path, true, std::string(kFolderMonitorSessionName));
    ASSERT_TRUE(connection.database.IsOpen()) << connection.database.LastError();
    ASSERT_TRUE(connection.Change(std::string(kCreationScript)));
}

}  // namespace pellmar::test
