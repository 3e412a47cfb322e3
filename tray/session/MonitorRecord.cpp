// Conversions between a FolderScanner and its `scanners` row. Only the mapping of values lives
// here; statement texts and the encodings of numbers and flags are tray/db's.
#include "tray/session/MonitorRecord.h"

#include "tray/db/SQLiteQuery.h"
#include "tray/db/Statements.h"

namespace pellmar {

void ReadMonitorRow(const RowField& field, FolderScanner& scanner) {
    ScannerValues values = ReadScannerRow(field);
    values.filters.insert(values.filters.begin(), scanner.GetFilters().begin(), scanner.GetFilters().end());
    values.exceptions.insert(values.exceptions.begin(), scanner.GetExceptions().begin(), scanner.GetExceptions().end());
    ApplyMonitorValues(values, scanner);
    scanner.SetId(values.id);
    scanner.SetMaxVersions(values.maxversions);  // as stored, even with versions off
}

void ReadMonitorRow(const SQLiteQuery& query, FolderScanner& scanner) {
    ReadMonitorRow([&query](const std::string& column) { return query.FieldByName(column); }, scanner);
}

ScannerValues MonitorValues(const FolderScanner& scanner) {
    ScannerValues values;
    values.id = scanner.GetId();
    values.root = scanner.GetRoot();
    values.filters = scanner.GetFilters();
    values.exceptions = scanner.GetExceptions();
    values.backuppath = scanner.GetBackupPath();
    values.subfolders = scanner.GetSubfolders();
    values.deletions = scanner.GetDeletions();
    values.exclusive = scanner.GetExclusive();
    values.hasversions = scanner.GetHasVersions();
    values.maxversions = scanner.GetMaxVersions();
    values.status = scanner.GetStatus();
    return values;
}

ScannerValues StoredMonitorValues(ScannerValues values, std::int32_t id) {
    values.id = id;
    if (!values.hasversions) values.maxversions = 0;
    return values;
}

void ApplyMonitorValues(const ScannerValues& values, FolderScanner& scanner) {
    scanner.SetRoot(values.root);
    scanner.GetFilters() = values.filters;
    scanner.GetExceptions() = values.exceptions;
    scanner.SetBackupPath(values.backuppath);
    scanner.SetSubfolders(values.subfolders);
    scanner.SetDeletions(values.deletions);
    scanner.SetExclusive(values.exclusive);
    scanner.SetHasVersions(values.hasversions);
    scanner.SetMaxVersions(values.hasversions ? values.maxversions : 0);
    scanner.SetStatus(values.status);
}

}  // namespace pellmar
