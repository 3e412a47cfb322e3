// The database file's creation script and the names of the program's sessions.
// There is no schema version and no migration: an existing file is used as it is.
#pragma once

#include <string_view>

namespace pellmar {

// Run once, in one transaction, on a newly created database file.
inline constexpr std::string_view kCreationScript =
    "CREATE TABLE jobs(id INTEGER PRIMARY KEY,jobtype INTEGER,fileid INTEGER,createfolder INTEGER,"
    "waitexclusive INTEGER,src VARCHAR(255),dest VARCHAR(255),scheduled TIMESTAMP,"
    "currentversion INTEGER,maxversions INTEGER,retries INTEGER,deferred INTEGER);"
    "CREATE INDEX idxJobDeferred ON jobs(deferred);"
    "CREATE TABLE scanners(id INTEGER PRIMARY KEY,root VARCHAR(255),filters VARCHAR(255),"
    "exceptions VARCHAR(255),backuppath VARCHAR(255),subfolders INTEGER,deletions INTEGER,"
    "exclusive INTEGER,hasversions INTEGER,maxversions INTEGER,status INTEGER);"
    "CREATE TABLE fileinfo(fileid VARCHAR(30) PRIMARY KEY,currentversion INTEGER);"
    "CREATE TABLE log(id INTEGER PRIMARY KEY,status INTEGER,jobid INTEGER,cancancel BOOLEAN,"
    "logdate TIMESTAMP,operation INTEGER,message VARCHAR(80),src VARCHAR(160),dest VARCHAR(160));"
    "CREATE INDEX idxLogDateDesc ON log(logdate DESC);";

inline constexpr std::string_view kFolderMonitorSessionName = "FolderMonitorSession";
inline constexpr std::string_view kJobQueueSessionName = "ThreadJobQueueSession";
inline constexpr std::string_view kJobExecSessionName = "ThreadJobExecSession";

}  // namespace pellmar
