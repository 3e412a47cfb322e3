// Numbering of versioned change events from the counters in table `fileinfo`, and forgetting a
// file's counter when its deletion is reported. Runs inside the caller's unit of work: the
// caller opens the connection before and clears the query and closes after.
#pragma once

#include "tray/jobs/VersionNames.h"
#include "tray/monitor/ChangeEvent.h"

namespace pellmar {

class SQLiteSession;
class SQLiteQuery;

// Thread contract: the thread that owns the session's database object (the main thread).
// Acts only when event.maxversions > 0. Created or modified: the event gets the file's next
// number (1 when the file has no counter), its dest is rewritten to that version's file name,
// and the counter is stored. Deleted: the file's counter is removed. Other job types: nothing.
void AssignVersion(ChangeEvent& event, SQLiteSession& session, SQLiteQuery& query);

}  // namespace pellmar
