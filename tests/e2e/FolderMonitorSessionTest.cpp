// The session's own bookkeeping with a scripted scanner variant in place of the OS engine: the
// database it creates, monitors that cannot start, saving, disabling and deleting monitors, and
// versions numbered in the change handler, carried out by the real queue thread and worker.
#include "tests/e2e/E2eFixture.h"

#include <filesystem>

#include "tray/db/Statements.h"

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

// Watches nothing: tests report changes through the scanner base's event path themselves.
class ScriptedScanner final : public FolderScanner {
public:
    using FolderScanner::FolderScanner;
    void SetSubfolders(bool flag) override { subfolders_ = flag; }
    void SetRoot(const std::string& root) override { root_ = root; }
    std::vector<std::string>& GetFilters() override { return filters_; }
    const std::vector<std::string>& GetFilters() const override { return filters_; }
    bool GetSubfolders() const override { return subfolders_; }
    std::string GetRoot() const override { return root_; }
    void Start() override {
        if (root_.ends_with("broken")) throw ScannerStartError("Error on ReadDirectoryChanges\"");
        running = true;
    }
    void Stop() override { running = false; }
    bool running = false;

private:
    bool subfolders_ = true;
    std::string root_;
    std::vector<std::string> filters_;
};

class FolderMonitorSessionTest : public test::E2eTest {
protected:
    FolderMonitorSessionTest() {
        engines.changeRecords = [](ScannerContext& context) { return std::make_unique<ScriptedScanner>(context); };
    }
    ScriptedScanner& Scanner(int index) { return dynamic_cast<ScriptedScanner&>(*session->Items(index)); }
    std::vector<test::Row> Scanners() { return test::SelectRows(DatabasePath(), "SELECT * FROM scanners ORDER BY id;"); }
    void InsertMonitorRow(const std::string& folder) {
        test::ExecStatements(DatabasePath(), InsertScannerStatement(Monitor(folder, backup)));
    }
};

TEST_F(FolderMonitorSessionTest, FirstStartCreatesTheDatabaseWithItsTablesAndIndexes) {
    ASSERT_FALSE(fs::exists(DatabasePath()));
    StartSession();
    EXPECT_EQ(0, session->Count());
    EXPECT_EQ(nullptr, session->Items(0));
    std::vector<std::string> names;
    for (const auto& row : test::SelectRows(DatabasePath(), "SELECT name FROM sqlite_master ORDER BY name;")) {
        if (!row.at("name").starts_with("sqlite_")) names.push_back(row.at("name"));
    }
    EXPECT_EQ((std::vector<std::string>{"fileinfo", "idxJobDeferred", "idxLogDateDesc", "jobs", "log", "scanners"}),
              names);
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(FolderMonitorSessionTest, AMonitorThatCannotStartIsLoggedAndEverythingElseStillStarts) {
    test::CreateDatabase(DatabasePath());
    fs::create_directories(root / "broken");
    InsertMonitorRow(root / "broken");
    InsertMonitorRow(root / "missing");
    InsertMonitorRow(watched);
    WriteFile(watched + "/left.txt", "worker runs");
    ChangeEvent leftOver;
    leftOver.jobtype = ChangeModified;
    leftOver.src = watched + "/left.txt";
    leftOver.dest = backup + "/left.txt";
    InsertJob(leftOver);

    StartSession();
    ASSERT_EQ(3, session->Count());
    EXPECT_FALSE(Scanner(0).running);
    EXPECT_FALSE(Scanner(1).running);
    EXPECT_TRUE(Scanner(2).running);
    ASSERT_TRUE(RunUntilFile(backup + "/left.txt", "worker runs"));

    std::map<std::string, std::string> messages;
    for (const auto& entry : Log()) {
        if (entry.at("operation") != "2" || entry.at("status") == "0") continue;  // not the catch-up's count
        EXPECT_EQ("2", entry.at("status"));
        messages[entry.at("src")] = entry.at("message");
    }
    EXPECT_EQ((std::map<std::string, std::string>{
                  {root / "broken", "Error on ReadDirectoryChanges\""},
                  {root / "missing", "Could not start folder scanner because Monitor Path is not available."}}),
              messages);
}

TEST_F(FolderMonitorSessionTest, SavingDisablingAndDeletingMonitorsKeepRowsAndRunningStateInStep) {
    StartSession();
    FolderScanner* monitor = AddMonitor(Monitor(watched, backup));
    ASSERT_EQ(1, session->Count());
    EXPECT_TRUE(Scanner(0).running);
    auto rows = Scanners();
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(std::to_string(monitor->GetId()), rows[0].at("id"));
    EXPECT_EQ(watched, rows[0].at("root"));

    auto values = Monitor(watched, backup + "/other");
    values.status = 0;
    EXPECT_EQ(monitor, session->SaveFolderItem(monitor, values));
    EXPECT_FALSE(Scanner(0).running);
    EXPECT_EQ(backup + "/other", Scanners()[0].at("backuppath"));
    values.status = 1;
    session->SaveFolderItem(monitor, values);
    EXPECT_TRUE(Scanner(0).running);

    session->SetMonitorStatus(monitor, 0);
    EXPECT_FALSE(Scanner(0).running);  // at once: every view says "Disabled"
    EXPECT_EQ("0", Scanners()[0].at("status"));
    session->SetMonitorStatus(monitor, 1);
    EXPECT_TRUE(Scanner(0).running);
    session->SetMonitorStatus(monitor, 0);
    StopSession();
    StartSession();
    ASSERT_EQ(1, session->Count());
    EXPECT_FALSE(Scanner(0).running);
    EXPECT_EQ(backup + "/other", session->Items(0)->GetBackupPath());

    session->DeleteFolderItem(session->Items(0));
    EXPECT_EQ(0, session->Count());
    EXPECT_TRUE(Scanners().empty());
}

TEST_F(FolderMonitorSessionTest, VersionsAreNumberedPrunedWhenCopiedAndCountOnAfterADeletion) {
    StartSession();
    auto values = Monitor(watched, backup);
    values.hasversions = true;
    values.maxversions = 2;
    FolderScanner* monitor = AddMonitor(values);
    const std::string source = watched + "/r.doc";
    for (int v = 1; v <= 3; ++v) {
        WriteFile(source, "v" + std::to_string(v));
        monitor->ReportModified(source);
        ASSERT_TRUE(RunUntilFile(backup + "/r." + std::to_string(v) + ".doc", "v" + std::to_string(v))) << v;
    }
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    EXPECT_FALSE(fs::exists(backup + "/r.1.doc"));
    EXPECT_TRUE(fs::exists(backup + "/r.2.doc"));
    EXPECT_FALSE(fs::exists(backup + "/r.doc"));

    fs::remove(source);
    monitor->ReportDeleted(source);
    EXPECT_TRUE(Jobs().empty());  // the handler queued nothing
    // Back again (an editor that saves by renaming): counted on, so no kept version is overwritten.
    WriteFile(source, "again");
    monitor->ReportCreated(source);
    ASSERT_TRUE(RunUntilFile(backup + "/r.4.doc", "again"));
    EXPECT_EQ("v3", ReadFile(backup + "/r.3.doc"));  // versions outlive their source
    // The copy lands before its pass commits; once the table is empty every attempt of that pass,
    // a wrongly queued deletion included, has its log entry.
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    EXPECT_FALSE(fs::exists(backup + "/r.2.doc"));
    for (const auto& entry : Log()) EXPECT_NE("1", entry.at("operation"));
}

}  // namespace
}  // namespace pellmar
