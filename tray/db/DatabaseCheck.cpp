// The integrity check runs on a connection of its own with the busy timeout, so that a host
// writing at that moment reads as sound, not as damaged.
#include "tray/db/DatabaseCheck.h"

#include "platform/FileSystem.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/UnitOfWork.h"

namespace pellmar {
namespace {

constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

}  // namespace

bool IsDamageError(const std::string& errorText) {
    return errorText.find("malformed") != std::string::npos || errorText.find("not a database") != std::string::npos;
}

std::optional<std::string> DatabaseDamage(const std::string& databasePath) {
    if (!platform::FileExists(databasePath)) return std::nullopt;
    SQLiteDatabase database(databasePath, false);
    if (!database.Ready() || !database.Open(databasePath)) return std::nullopt;
    database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    SQLiteQuery& query = database.CreateSession("DatabaseCheck").CreateQuery();
    query.SetText("PRAGMA quick_check;");
    const int result = query.Execute();
    std::optional<std::string> damage;
    if (result == kSqliteCorrupt || result == kSqliteNotADatabase || IsDamageError(query.LastError())) {
        damage = query.LastError();
    } else if (result == 0 && query.RowCount() > 0) {
        query.First();
        const std::string verdict = query.FieldByName("quick_check");
        if (verdict != "ok") damage = verdict;
    }
    query.Clear();
    database.Close();
    return damage;
}

std::string DamagedDatabaseAdvice(const std::string& databasePath, const std::string& problem) {
    return "The database " + databasePath + " is damaged (" + problem +
           "). Nothing is replicated and the file is left as it is. To start again: end Pellmar and "
           "pellmard, move the file aside (for example: mv '" + databasePath + "' '" + databasePath +
           ".damaged'), start the host, which makes a new database, and add the monitors again with "
           "pellmarctl add. What the old file still holds can be read with sqlite3 (for example its "
           "monitors: sqlite3 '" + databasePath + ".damaged' 'SELECT * FROM scanners;').";
}

}  // namespace pellmar
