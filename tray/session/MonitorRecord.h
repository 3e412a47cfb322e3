// A folder monitor as a row of table `scanners`: reading a loaded row into a scanner just made by
// CreateScanner, the values written back on insert and update, and applying edited values in the
// order the session saves them. Statement texts and value encodings live in tray/db/Statements.
#pragma once

#include <string>

#include "tray/db/Statements.h"
#include "tray/model/ScannerValues.h"
#include "tray/monitor/FolderScanner.h"

namespace pellmar {

class SQLiteQuery;

// Fills `scanner` from one `scanners` row (ReadScannerRow), the mask lists appended to what it
// holds. Main thread.
void ReadMonitorRow(const RowField& field, FolderScanner& scanner);
void ReadMonitorRow(const SQLiteQuery& query, FolderScanner& scanner);  // its current row

// The values of the scanner's row, for InsertScannerStatement and UpdateScannerStatement.
ScannerValues MonitorValues(const FolderScanner& scanner);

// Sets the scanner from edited values (not `id`) in the session's save order: root, filters,
// exceptions (both lists replaced), backup folder, sub-folders, deletions, exclusive, versions,
// status. Versions off stores no version count, whatever the count field held. Main thread.
void ApplyMonitorValues(const ScannerValues& values, FolderScanner& scanner);

// The row that ApplyMonitorValues followed by MonitorValues gives, for the monitor `id`: what is
// stored before the scanner changes.
ScannerValues StoredMonitorValues(ScannerValues values, std::int32_t id);

}  // namespace pellmar
