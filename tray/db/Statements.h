// Every statement text the program sends, built from typed values, and the rule for reading
// values back from result strings. Pure functions; no database access. Other code calls these
// rather than assembling SQL itself.
#pragma once

#include "tray/model/ChangeEvent.h"
#include "tray/model/ScannerValues.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

class SQLiteQuery;

// --- Values as SQL text ---------------------------------------------------------------------
std::string SqlText(std::string_view value);      // 'value' with inner ' doubled
std::string SqlInteger(std::int64_t value);       // signed decimal
std::string SqlFileId(std::uint32_t fileid);      // unsigned decimal, 0..4294967295
std::string SqlFlag(bool value);                  // 1 or 0

// --- Values read back -----------------------------------------------------------------------
// Decimal text to a 64-bit integer; empty (NULL) or text that is not a whole decimal number
// reads as 0.
std::int64_t ReadInteger64(std::string_view text);
// The same, narrowed to 32 bits (two's complement, as the stored columns are 32-bit values).
std::int32_t ReadInteger(std::string_view text);
// A file identifier stored as unsigned decimal (a signed reading of the same bits also works).
std::uint32_t ReadFileId(std::string_view text);
// True exactly for "1".
bool ReadFlag(std::string_view text);

// --- Table scanners -------------------------------------------------------------------------
// The text of one column of the current row, by column name; empty for NULL.
using RowField = std::function<std::string(const std::string& column)>;
// One `scanners` row: integers from decimal text (empty is 0), the mask lists split, flags true
// exactly for "1".
ScannerValues ReadScannerRow(const RowField& field);
ScannerValues ReadScannerRow(const SQLiteQuery& query);  // its current row
std::string SelectScannersStatement();
std::string InsertScannerStatement(const ScannerValues& scanner);  // id is assigned by SQLite
std::string UpdateScannerStatement(const ScannerValues& scanner);  // WHERE id=scanner.id
std::string DeleteScannerStatement(std::int32_t id);
std::string UpdateScannerStatusStatement(std::int32_t id, std::int32_t status);

// --- Table fileinfo -------------------------------------------------------------------------
std::string SelectFileVersionStatement(std::uint32_t fileid);
std::string UpdateFileVersionStatement(std::uint32_t fileid, std::int32_t version);
std::string InsertFileVersionStatement(std::uint32_t fileid, std::int32_t version);

// --- Table jobs -----------------------------------------------------------------------------
// `scheduled`: local seconds since 1970 (see DateTime). An `event.id` above 0 is the row's id,
// else SQLite picks one.
std::string InsertJobStatement(const ChangeEvent& event, std::int64_t scheduled);
// Column "top": the highest id that a job row or a job's log entry holds (0 when none).
std::string SelectJobIdFloorStatement();
// Column "top": the highest id in table jobs (0 when empty).
std::string SelectTopJobIdStatement();
std::string SelectAllJobsStatement();
// The jobs not deferred yet, together with every deferred job of the same destination, so that
// a new job never overtakes an older one of its file. Ascending id.
std::string SelectNewJobsStatement();
// The source of every copy job waiting in the table.
std::string SelectWaitingCopiesStatement();
// The job worker's batch lines; each ends in "\r\n" so that they can simply be appended.
std::string DeleteJobStatement(std::int32_t id);
std::string DeferJobStatement(std::int32_t id);
std::string DeferJobWithTempCopyStatement(std::int32_t id, std::string_view tempcopy);
// Both deletions in one text, so that they commit together; a monitor's start failure that
// happens to carry the same number as its checksum stays.
std::string CancelJobStatement(std::int32_t id);
// The current row of a "SELECT * FROM jobs" result as a job (id included).
ChangeEvent ReadJobRow(const SQLiteQuery& query);

// --- Table log ------------------------------------------------------------------------------
struct LogValues {
    std::int32_t status = 0;     // 0 information, 1 warning, 2 error
    std::int32_t jobid = 0;
    bool cancancel = false;
    std::int64_t logdate = 0;    // local seconds since 1970
    std::int32_t operation = 0;  // 0 copy, 1 delete, 2 enable folder scanner
    std::string message;
    std::string src;
    std::string dest;
};

// No line break at the end; the job worker appends "\r\n" when it batches the entry.
std::string InsertLogStatement(const LogValues& entry);
std::string PurgeLogStatement(std::int64_t cutoff);
std::string SelectLogStatement();
// The columns the event log's list reads, in this order (kLogEntryColumns), the last logged
// first: the table's own order backwards, which SQLite walks without an index or a sort. The
// reader puts them in SelectLogStatement's order where the logdates do not already follow it.
enum LogEntryColumn { kLogEntryStatus, kLogEntryLogdate, kLogEntryOperation, kLogEntryMessage, kLogEntryJobid,
                      kLogEntrySrc, kLogEntryDest, kLogEntryColumns };
std::string SelectLogEntriesStatement();

}  // namespace pellmar
