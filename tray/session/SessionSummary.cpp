// Three small SELECTs, the log's read from its newest rows backwards; cheap enough to run every
// few seconds while the program runs.
#include "tray/session/SessionSummary.h"

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/log/LogFormat.h"
#include "tray/model/JobResults.h"
#include "tray/util/DateTime.h"

namespace pellmar {
namespace {

// The one value a SELECT ... AS value gives; empty when it failed or gave NULL. A failure is not
// reported: asked every few seconds, a locked or missing file would raise a box each time, and
// the tooltip says the summary cannot be read.
std::string SelectValue(SQLiteQuery& query, const std::string& text) {
    std::string value;
    query.SetText(text);
    if (query.Execute() == 0) {
        query.First();
        if (!query.Eof()) value = query.FieldByName("value");
    }
    query.Clear();
    return value;
}

}  // namespace

SessionSummary ReadSessionSummary(const std::string& databasePath) {
    SessionSummary summary;
    SQLiteDatabase database(databasePath, false);
    SQLiteQuery& query = database.CreateSession(std::string(kFolderMonitorSessionName)).CreateQuery();
    if (!database.Ready() || !database.Open(databasePath)) return summary;
    database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    const std::string pending = SelectValue(query, "SELECT COUNT(*) AS value FROM jobs;");
    const std::string copied = SelectValue(query, "SELECT MAX(logdate) AS value FROM log WHERE operation=0 AND status=" +
                                                      std::to_string(kLogInformation) + ";");
    const std::string problem = SelectValue(query, "SELECT COALESCE((SELECT id FROM log WHERE status>=" +
                                                       std::to_string(kLogError) +
                                                       " ORDER BY id DESC LIMIT 1), 0) AS value;");
    database.Close();
    summary.readable = !pending.empty() && !problem.empty();
    summary.pendingJobs = ReadInteger64(pending);
    summary.newestProblem = ReadInteger64(problem);
    if (!copied.empty()) {
        const DateTime when = UnixTimeToDateTime(ReadInteger(copied));
        summary.lastBackup = LogDateText(when) + " " + LogTimeText(when);
    }
    return summary;
}

}  // namespace pellmar
