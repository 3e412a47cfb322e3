// Writes a batch of settled change events as rows of table `jobs` in one transaction, numbering
// versioned copies on the way. Owns its database object (the job queue thread's); reports
// nothing itself, so its caller decides how often a failure is worth telling the user.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "tray/model/ChangeEvent.h"

namespace pellmar {

class SQLiteDatabase;
class SQLiteQuery;
class SQLiteSession;

// Thread contract: constructed, used and destroyed on one thread (the job queue thread).
class JobRowWriter {
public:
    JobRowWriter(std::string databasePath, const std::string& sqliteLibrary);
    ~JobRowWriter();
    JobRowWriter(const JobRowWriter&) = delete;
    JobRowWriter& operator=(const JobRowWriter&) = delete;

    // False when SQLite is missing: then nothing can ever be written.
    bool Ready() const;

    enum class Result { Written, Failed };
    // All of `events` or none of them: on failure the transaction is rolled back before
    // returning and *error says why. The events themselves are never changed.
    Result Write(const std::vector<const ChangeEvent*>& events, std::string* error);

private:
    bool AppendStatements(const ChangeEvent& event, class VersionNumbering& numbering, std::string* text,
                          std::string* error);
    bool IsCopyWaiting(const std::string& src, std::string* error);
    bool ReserveIdsAbove(std::string* error);
    Result Fail(const std::string& message, std::string* error);

    const std::string path_;
    std::unique_ptr<SQLiteDatabase> database_;
    SQLiteSession* session_ = nullptr;
    SQLiteQuery* query_ = nullptr;
    // The next job id to give; 0 until the log has been read once in this run.
    std::int64_t nextId_ = 0;
    // The sources with a copy waiting, read at the first folder comparison's event of a batch:
    // one query per event would read the whole table each time, and a comparison of a big tree
    // behind a long queue would hold the database for minutes.
    std::optional<std::unordered_set<std::string>> waitingCopies_;
};

}  // namespace pellmar
