// A restore carried out by a running host, as pellmarctl's and the restore window's both are: the
// version counters a kept file is numbered from, the restore itself and its one log entry. The
// session is told of the files written afterwards by the caller, on the main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tray/restore/Restore.h"

namespace pellmar {

class SQLiteDatabase;
class SQLiteQuery;

// Thread contract: one thread at a time, the one that runs the restore; a database object of its
// own, connected for each call as the session's are, so it may be made on another thread.
class RestoreDatabase final : public VersionCounter {
public:
    explicit RestoreDatabase(std::string databasePath);
    ~RestoreDatabase() override;

    // The file's counter moved on in one transaction, so the job queue thread never hands the
    // number out again.
    std::optional<std::int32_t> TakeNext(const std::string& source, std::int32_t atLeast) override;
    // One Information entry of a Copy.
    bool AddInformation(const std::string& message, const std::string& src, const std::string& dest);

private:
    bool Connect();

    std::string path_;
    std::unique_ptr<SQLiteDatabase> database_;
    SQLiteQuery* query_ = nullptr;
};

// Writes the items back and logs "Restored N files from the backup." naming `path` and the one
// copy restored, or the backup folder. Blocks.
RestoreResult RestoreAndLog(RestoreDatabase& database, const ScannerValues& monitor,
                            const std::vector<RestoreItem>& items, const std::string& path,
                            const RestoreProgress& progress = nullptr);

// The targets the restore wrote, for MonitorSession::IgnoreOwnWrites.
std::vector<std::string> WrittenTargets(const RestoreResult& result);

std::string RestoredMessage(std::size_t count);

}  // namespace pellmar
