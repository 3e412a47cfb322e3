// Numbering of versioned change events from the counters in table `fileinfo`. Runs inside the
// caller's open transaction, so a number is used up only when the job that carries it commits.
// Counters only grow: a deleted or renamed-away file keeps its count, so a file that comes back
// never overwrites the versions kept from before.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "tray/jobs/VersionNames.h"
#include "tray/model/ChangeEvent.h"

namespace pellmar {

class SQLiteQuery;

// Thread contract: the thread that owns the query's database object, with a transaction open.
// Numbers the copy events of one batch: reads each file's counter once (later events of the
// same file in the batch count on from the first), and collects the counter statements.
class VersionNumbering {
public:
    explicit VersionNumbering(SQLiteQuery& query) : query_(query) {}

    // For a created or modified event with maxversions > 0: sets its currentversion, rewrites its
    // dest to that version's file name and appends the counter's statement. Other events pass
    // unchanged. False when the counter could not be read: the batch must not go on, or a
    // number still kept in the backup folder could be handed out again.
    bool Number(ChangeEvent& event, std::string* statements);

private:
    struct Counter {
        std::int32_t last = 0;
        bool stored = false;
    };
    std::optional<Counter> Read(std::uint32_t fileid);

    SQLiteQuery& query_;
    std::unordered_map<std::uint32_t, Counter> counters_;
};

}  // namespace pellmar
