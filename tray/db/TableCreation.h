// Gives a database file its tables when it has none. The creation script commits as one
// transaction, so a file holds either every table or none: a new file, or one whose first start
// ended before that commit (power cut, kill). Such a file would otherwise fail every statement of
// every later start.
#pragma once

namespace pellmar {

class SQLiteQuery;

// Runs the creation script when the open database has no table; a failure reaches the error
// reporter. Puts the file in write-ahead-log mode first, so that readers (the log window,
// pellmarctl) and the worker's batches never lock each other out. Thread contract: that of the
// database object.
void CreateTablesWhenMissing(SQLiteQuery& query);

// Switches the open database to the write-ahead log; stays silent where that is refused.
void UseWriteAheadLog(SQLiteQuery& query);

}  // namespace pellmar
