// The shared ground of the end-to-end tests: a private home with its settings and data folders,
// a watched and a backup folder, the plain dispatcher as main loop, a session with shrunken
// timings, and direct access to the database file for arranging and checking rows.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/PlainDispatcher.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tray/session/FolderMonitor.h"

namespace pellmar::test {

using Row = std::map<std::string, std::string>;

// A database object of the test's own, one unit of work per call, on the session's file.
std::vector<Row> SelectRows(const std::string& databasePath, const std::string& sql);
void ExecStatements(const std::string& databasePath, const std::string& sql);
// Creates the file with the program's creation script.
void CreateDatabase(const std::string& databasePath);

class E2eTest : public ::testing::Test {
protected:
    E2eTest();
    ~E2eTest() override;

    void StartSession();
    void StopSession();  // StopMonitoring, then destroy: the host's order

    FolderScanner* AddMonitor(ScannerValues values);
    ScannerValues Monitor(const std::string& root, const std::string& backup) const;

    // Runs the main loop until `condition` holds (a generous deadline); returns condition().
    bool RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(30));
    bool RunUntilFile(const std::string& path, const std::string& content);

    std::vector<Row> Jobs() const { return SelectRows(DatabasePath(), "SELECT * FROM jobs;"); }
    std::vector<Row> Log() const { return SelectRows(DatabasePath(), "SELECT * FROM log ORDER BY id;"); }
    // Entries with this message, or with the message of this job result code.
    int LogCount(const std::string& message) const;
    int LogCount(std::int32_t resultCode) const;
    bool AllJobsDone() {
        return RunUntil([&] { return Jobs().empty(); });
    }
    std::string DataPath() const;
    std::string TempFilePath() const;  // with its trailing delimiter
    std::string DatabasePath() const;
    void InsertJob(const ChangeEvent& job);

    TempFolder root;
    ScopedEnvironment environment;
    RecordingErrorReporter errors;
    std::string watched;  // root/watched
    std::string backup;   // root/backup
    FolderMonitorTimings timings;
    ScannerEngines engines;  // inotify only, unless a test chooses otherwise before StartSession
    std::unique_ptr<platform::PlainDispatcher> dispatcher;
    std::unique_ptr<FolderMonitor> session;
};

}  // namespace pellmar::test
