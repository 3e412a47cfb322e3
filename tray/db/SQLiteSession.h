// A named transaction scope on one database object, and the queries created on it.
// A failed unit rolls its transaction back at once, so no lock outlives the failure.
// Thread contract: that of its database object (one thread).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pellmar {

class SQLiteDatabase;
class SQLiteQuery;

enum class ConflictAlgorithm { Rollback = 0, Abort = 1, Fail = 2, Ignore = 3, Replace = 4 };

class SQLiteSession {
public:
    // Made by SQLiteDatabase::CreateSession, which owns it.
    SQLiteSession(SQLiteDatabase& database, std::string name);
    ~SQLiteSession();
    SQLiteSession(const SQLiteSession&) = delete;
    SQLiteSession& operator=(const SQLiteSession&) = delete;

    // Sends "BEGIN IMMEDIATE TRANSACTION <name>" (the write lock at once) and returns SQLite's
    // result code. SQLite 3 takes no conflict clause there; its default per-statement
    // resolution is ABORT.
    int StartTransaction();
    // Sends "COMMIT TRANSACTION <name>" and returns SQLite's result code.
    int Commit();
    // Sends "ROLLBACK TRANSACTION <name>" and returns SQLite's result code.
    int Rollback();

    const std::string& Name() const { return name_; }
    ConflictAlgorithm Conflict() const { return conflict_; }
    void SetConflict(ConflictAlgorithm algorithm) { conflict_ = algorithm; }
    const std::string& LastError() const { return lastError_; }
    SQLiteDatabase& Database() const { return database_; }

    // The query lives as long as this session.
    SQLiteQuery& CreateQuery();

private:
    int Run(const std::string& statement);

    SQLiteDatabase& database_;
    std::string name_;
    ConflictAlgorithm conflict_ = ConflictAlgorithm::Abort;
    std::string lastError_;
    std::vector<std::unique_ptr<SQLiteQuery>> queries_;
};

}  // namespace pellmar
