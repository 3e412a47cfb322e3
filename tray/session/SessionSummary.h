// What the tray icon tells about the whole session at a glance: the jobs waiting, the last
// backup made, and the newest error in the event log. Warnings are left out: most say a copy
// waits for its backup folder, which the monitor states tell better. Read from the session's
// database file through a database object of the calling thread's own.
#pragma once

#include <cstdint>
#include <string>

namespace pellmar {

struct SessionSummary {
    bool readable = false;           // false: the database could not be read, the rest is empty
    std::int64_t pendingJobs = 0;
    std::string lastBackup;          // date and time of the newest copy in the log; empty: none yet
    std::int64_t newestProblem = 0;  // log id of the newest error; 0: none
};

SessionSummary ReadSessionSummary(const std::string& databasePath);

}  // namespace pellmar
