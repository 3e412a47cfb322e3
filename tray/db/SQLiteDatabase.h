// One connection at a time to one SQLite 3 database file, over a library bound at run time.
// Owns the library binding, the connection and the sessions created on it; knows no tables.
// Thread contract: one object belongs to one thread; distinct objects may run on distinct
// threads at once (the file lock and the busy timeout arbitrate). Statements block while they
// wait for a lock held by another connection, up to the busy timeout.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellmar::platform {
class SharedLibrary;
}

namespace pellmar {

class SQLiteRow;
class SQLiteSession;
struct SqliteApi;
struct SqliteConnection;

class SQLiteDatabase {
public:
    // Called when the file is locked by another connection. `table` is always empty with
    // SQLite 3; `count` is 1 on the first call. Setting `stop` gives up (the statement fails
    // with SQLite's busy error); leaving it false retries at once. Runs on the statement's thread.
    using BusyHandler =
        std::function<void(SQLiteDatabase& database, const std::string& table, bool& stop, int count)>;

    // Binds the library. When the file exists or `createIfMissing` is set, and the path is not
    // empty, opens it. A missing file without the flag leaves the object not Ready, untouched.
    // An empty `libraryName` means the OS default (platform::DefaultSqliteLibraryName()).
    SQLiteDatabase(const std::string& path, bool createIfMissing, const std::string& libraryName = {});
    ~SQLiteDatabase();
    SQLiteDatabase(const SQLiteDatabase&) = delete;
    SQLiteDatabase& operator=(const SQLiteDatabase&) = delete;

    // False when the library or one of its entry points is missing, or the file was missing
    // without the create flag. Every operation is skipped while it is false.
    bool Ready() const { return ready_; }

    // Whether SQLite locks the connection around each of its calls. None (its "multi-thread"
    // mode) is for a caller that reads many values and keeps to the one thread of the object,
    // as the thread contract asks: then no call pays for a lock that nothing else takes.
    enum class CallLocking { Each, None };

    // Closes an open connection first; a new connection has no busy timeout and no handler.
    // On failure the error text is kept in LastError(); nothing is reported.
    bool Open(const std::string& path, CallLocking locking = CallLocking::Each);
    void Close();
    bool IsOpen() const { return connection_ != nullptr; }

    // Only with an open connection; a timeout replaces any busy handler inside SQLite.
    void SetBusyTimeout(int milliseconds);
    int BusyTimeout() const { return busyTimeout_; }
    // Stores the handler; with an open connection installs it (and drops the timeout) or, for
    // an empty handler, removes SQLite's busy handling.
    void SetOnBusy(BusyHandler handler);

    const std::string& LibraryVersion() const { return libraryVersion_; }
    const std::string& LibraryEncoding() const { return libraryEncoding_; }  // "UTF-8" while open
    const std::string& LastError() const { return lastError_; }

    // The session lives as long as this object.
    SQLiteSession& CreateSession(const std::string& name);
    std::size_t SessionCount() const { return sessions_.size(); }

private:
    friend class SQLiteSession;
    friend class SQLiteQuery;

    using RowCallback = int (*)(void* context, int columns, char** values, char** names);
    // Runs `sql` as written. Returns SQLite's result code; fills *error (when given) with
    // SQLite's text, or the text of the code when SQLite gave none.
    int Exec(const std::string& sql, RowCallback callback, void* context, std::string* error);
    // Runs `sql` statement by statement, handing each row to `reader` as it is stepped to;
    // result code and *error as for Exec.
    int Step(const std::string& sql, const std::function<void(const SQLiteRow&)>& reader, std::string* error);
    std::int64_t LastInsertRowId() const;
    static int BusyTrampoline(void* self, int count);

    std::unique_ptr<platform::SharedLibrary> library_;
    std::unique_ptr<SqliteApi> api_;
    SqliteConnection* connection_ = nullptr;
    bool ready_ = false;
    std::string libraryVersion_;
    std::string libraryEncoding_;
    std::string lastError_;
    BusyHandler onBusy_;
    int busyTimeout_ = 0;
    // Declared last: sessions (and their queries) go before the connection and the library.
    std::vector<std::unique_ptr<SQLiteSession>> sessions_;
};

// The handler every user of the layer installs: ten immediate retries, then give up.
SQLiteDatabase::BusyHandler GiveUpAfterTenRetries();

}  // namespace pellmar
