// The database object: library binding, the one connection, busy handling, sessions.
// Runs no statement of its own; sessions and queries send the texts.
#include "tray/db/SQLiteDatabase.h"

#include "platform/FileSystem.h"
#include "platform/SharedLibrary.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/SqliteApi.h"

namespace pellmar {
namespace {

constexpr int kSqliteOk = 0;
constexpr int kSqliteMisuse = 21;
constexpr int kSqliteRow = 100;
constexpr int kSqliteDone = 101;
// What sqlite3_open asks for (read and write, create a missing file), and the "multi-thread" mode.
constexpr int kOpenReadWriteCreate = 0x00000002 | 0x00000004;
constexpr int kOpenNoMutex = 0x00008000;

// Finalizes the statement however its stepping ends, an exception from a reader included.
class FinalizeOnExit {
public:
    FinalizeOnExit(const SqliteApi& api, SqliteStatement* statement) : api_(api), statement_(statement) {}
    ~FinalizeOnExit() { api_.finalize(statement_); }
    FinalizeOnExit(const FinalizeOnExit&) = delete;
    FinalizeOnExit& operator=(const FinalizeOnExit&) = delete;

private:
    const SqliteApi& api_;
    SqliteStatement* statement_;
};

}  // namespace

SQLiteDatabase::SQLiteDatabase(const std::string& path, bool createIfMissing,
                               const std::string& libraryName) {
    library_ = platform::SharedLibrary::Load(
        libraryName.empty() ? platform::DefaultSqliteLibraryName() : libraryName);
    if (library_) {
        api_ = BindSqliteApi(*library_);
    }
    ready_ = api_ != nullptr;
    // Checked before anything is opened: SQLite would create a missing file on open.
    if (platform::FileExists(path) || createIfMissing) {
        if (!path.empty() && ready_) {
            Open(path);
        }
    } else {
        ready_ = false;
    }
}

SQLiteDatabase::~SQLiteDatabase() {
    Close();
    sessions_.clear();
}

bool SQLiteDatabase::Open(const std::string& path, CallLocking locking) {
    lastError_.clear();
    if (!ready_) {
        return false;
    }
    Close();
    SqliteConnection* connection = nullptr;
    const int flags = kOpenReadWriteCreate | (locking == CallLocking::None ? kOpenNoMutex : 0);
    const int rc = api_->open_v2(path.c_str(), &connection, flags, nullptr);
    if (rc != kSqliteOk) {
        // SQLite 3 hands back a connection object even when the open fails; it must be closed.
        lastError_ = api_->errstr(rc);
        api_->close(connection);
        return false;
    }
    connection_ = connection;
    busyTimeout_ = 0;
    api_->busy_timeout(connection_, 0);
    libraryVersion_ = api_->libversion();
    libraryEncoding_ = "UTF-8";  // SQLite 3 has one text encoding at the C interface
    return true;
}

void SQLiteDatabase::Close() {
    libraryVersion_.clear();
    libraryEncoding_.clear();
    if (connection_ != nullptr) {
        api_->close(connection_);
        connection_ = nullptr;
    }
}

void SQLiteDatabase::SetBusyTimeout(int milliseconds) {
    if (connection_ == nullptr) {
        return;
    }
    busyTimeout_ = milliseconds;
    if (ready_) {
        api_->busy_timeout(connection_, milliseconds);
    }
}

void SQLiteDatabase::SetOnBusy(BusyHandler handler) {
    onBusy_ = std::move(handler);
    if (connection_ == nullptr) {
        return;
    }
    if (onBusy_) {
        api_->busy_timeout(connection_, 0);
        api_->busy_handler(connection_, &SQLiteDatabase::BusyTrampoline, this);
        busyTimeout_ = 0;
    } else {
        api_->busy_handler(connection_, nullptr, nullptr);
    }
}

SQLiteSession& SQLiteDatabase::CreateSession(const std::string& name) {
    sessions_.push_back(std::make_unique<SQLiteSession>(*this, name));
    return *sessions_.back();
}

int SQLiteDatabase::Exec(const std::string& sql, RowCallback callback, void* context,
                         std::string* error) {
    if (!ready_ || connection_ == nullptr) {
        if (error != nullptr) {
            *error = "The database is not open.";
        }
        return kSqliteMisuse;
    }
    char* message = nullptr;
    // The text goes to sqlite3_exec unchanged: it is never used as a format string.
    const int rc = api_->exec(connection_, sql.c_str(), callback, context, &message);
    if (error != nullptr) {
        error->clear();
        if (message != nullptr) {
            *error = message;
        } else if (rc != kSqliteOk) {
            *error = api_->errstr(rc);
        }
    }
    api_->free(message);
    return rc;
}

int SQLiteDatabase::Step(const std::string& sql, const std::function<void(const SQLiteRow&)>& reader,
                         std::string* error) {
    if (error != nullptr) {
        error->clear();
    }
    if (!ready_ || connection_ == nullptr) {
        if (error != nullptr) {
            *error = "The database is not open.";
        }
        return kSqliteMisuse;
    }
    // As sqlite3_exec does: one statement after the other, each prepared from the rest of the
    // text; the text is never used as a format string.
    const char* rest = sql.c_str();
    int rc = kSqliteOk;
    while (rc == kSqliteOk && *rest != '\0') {
        SqliteStatement* statement = nullptr;
        const char* tail = nullptr;
        rc = api_->prepare_v2(connection_, rest, -1, &statement, &tail);
        if (rc != kSqliteOk) {
            break;
        }
        rest = tail != nullptr ? tail : "";
        if (statement == nullptr) {
            continue;  // only white space or a comment
        }
        FinalizeOnExit finalize(*api_, statement);
        const SQLiteRow row(*api_, statement);
        while ((rc = api_->step(statement)) == kSqliteRow) {
            reader(row);
        }
        if (rc == kSqliteDone) {
            rc = kSqliteOk;
        }
    }
    if (rc != kSqliteOk && error != nullptr) {
        const char* message = api_->errmsg(connection_);
        *error = message != nullptr ? message : api_->errstr(rc);
    }
    return rc;
}

std::int64_t SQLiteDatabase::LastInsertRowId() const {
    if (!ready_ || connection_ == nullptr) {
        return 0;
    }
    return api_->last_insert_rowid(connection_);
}

int SQLiteDatabase::BusyTrampoline(void* self, int count) {
    auto& database = *static_cast<SQLiteDatabase*>(self);
    if (!database.onBusy_) {
        return 1;
    }
    bool stop = false;
    try {
        // SQLite 3 counts from 0 and names no table; handlers expect a count from 1.
        database.onBusy_(database, std::string(), stop, count + 1);
    } catch (...) {
        return 0;  // nothing may unwind through SQLite's C frames: give up instead
    }
    return stop ? 0 : 1;
}

SQLiteDatabase::BusyHandler GiveUpAfterTenRetries() {
    return [](SQLiteDatabase&, const std::string&, bool& stop, int count) { stop = count > 10; };
}

}  // namespace pellmar
