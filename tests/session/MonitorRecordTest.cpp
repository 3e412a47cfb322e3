// A monitor and its `scanners` row: the reading rules, the versions rule of a save, and the
// round trip through a real database file.
#include "tray/session/MonitorRecord.h"

#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/monitor/FolderScannerStub.h"
#include "tests/support/TempFolder.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"

namespace pellmar {
namespace {

using test::FolderScannerStub;
using ::testing::ElementsAre;

RowField FieldsOf(std::map<std::string, std::string> row) {
    return [row = std::move(row)](const std::string& column) {
        auto found = row.find(column);
        return found == row.end() ? std::string() : found->second;
    };
}

class MonitorRecordTest : public ::testing::Test {
protected:
    FixedScannerContext context;
    FolderScannerStub scanner{context};
};

TEST_F(MonitorRecordTest, OnlyOneIsTrueAndEmptyNumbersAreZero) {
    ReadMonitorRow(FieldsOf({{"id", "7"}, {"root", "/data"}, {"subfolders", "true"}, {"deletions", "2"},
                             {"exclusive", "1"}, {"hasversions", ""}, {"maxversions", ""}, {"status", "1"}}),
                   scanner);
    EXPECT_EQ(scanner.GetId(), 7);
    EXPECT_EQ(scanner.GetRoot(), "/data");
    EXPECT_FALSE(scanner.GetSubfolders());
    EXPECT_FALSE(scanner.GetDeletions());
    EXPECT_TRUE(scanner.GetExclusive());
    EXPECT_FALSE(scanner.GetHasVersions());
    EXPECT_EQ(scanner.GetMaxVersions(), 0);
    EXPECT_EQ(scanner.GetStatus(), 1);
}

TEST_F(MonitorRecordTest, MaskListsKeepEmptyMiddleItemsButNoTrailingOne) {
    scanner.GetFilters() = {"kept"};
    ReadMonitorRow(FieldsOf({{"filters", "*.doc;;*.xls;"}, {"exceptions", "~$*; *.tmp"}}), scanner);
    EXPECT_THAT(scanner.GetFilters(), ElementsAre("kept", "*.doc", "", "*.xls"));  // appended
    EXPECT_THAT(scanner.GetExceptions(), ElementsAre("~$*", " *.tmp"));
}

TEST_F(MonitorRecordTest, VersionsOffStoresNoVersionCount) {
    ScannerValues edited;
    edited.root = "/data";
    edited.hasversions = true;
    edited.maxversions = 5;
    ApplyMonitorValues(edited, scanner);
    EXPECT_EQ(MonitorValues(scanner).maxversions, 5);
    EXPECT_TRUE(MonitorValues(scanner).hasversions);
    edited.hasversions = false;
    ApplyMonitorValues(edited, scanner);
    EXPECT_EQ(InsertScannerStatement(MonitorValues(scanner)),
              "INSERT INTO scanners VALUES(NULL,'/data','','','',1,1,0,0,0,0);");
}

TEST_F(MonitorRecordTest, ApplyingEditedValuesReplacesTheLists) {
    scanner.GetFilters() = {"*.old"};
    scanner.GetExceptions() = {"*.old"};
    ScannerValues edited;
    edited.filters = {"*.doc"};
    ApplyMonitorValues(edited, scanner);
    EXPECT_THAT(scanner.GetFilters(), ElementsAre("*.doc"));
    EXPECT_THAT(scanner.GetExceptions(), ElementsAre());
}

// Writes rows through the real layer, as the session does, and reads them back into new scanners.
class MonitorRowStoreTest : public MonitorRecordTest {
protected:
    MonitorRowStoreTest()
        : database(folder / "pellmar.db", true), session(database.CreateSession(std::string(kFolderMonitorSessionName))),
          query(session.CreateQuery()) {
        EXPECT_TRUE(database.Ready());
        EXPECT_TRUE(ExecInTransaction(session, query, std::string(kCreationScript)));
    }

    std::vector<std::unique_ptr<FolderScannerStub>> LoadAll() {
        std::vector<std::unique_ptr<FolderScannerStub>> loaded;
        EXPECT_TRUE(ExecQuery(query, SelectScannersStatement()));
        for (query.First(); !query.Eof(); query.Next()) {
            loaded.push_back(std::make_unique<FolderScannerStub>(context));
            ReadMonitorRow(query, *loaded.back());
        }
        return loaded;
    }

    test::TempFolder folder;
    SQLiteDatabase database;
    SQLiteSession& session;
    SQLiteQuery& query;
};

TEST_F(MonitorRowStoreTest, EveryValueSurvivesInsertAndUpdate) {
    scanner.SetRoot("/data/O'Brien's \xC3\xA9t\xC3\xA9");
    scanner.GetFilters() = {"*.doc", "", "*.xls"};
    scanner.GetExceptions() = {"~$*"};
    scanner.SetBackupPath("/backup/it's");
    scanner.SetSubfolders(false);
    scanner.SetDeletions(true);
    scanner.SetExclusive(true);
    scanner.SetHasVersions(true);
    scanner.SetMaxVersions(3);
    scanner.SetStatus(1);
    ASSERT_TRUE(ExecInTransaction(session, query, InsertScannerStatement(MonitorValues(scanner))));
    scanner.SetId(static_cast<std::int32_t>(query.LastInsertRowId()));

    auto loaded = LoadAll();
    ASSERT_EQ(loaded.size(), 1u);
    const FolderScannerStub& back = *loaded[0];
    EXPECT_EQ(back.GetId(), scanner.GetId());
    EXPECT_NE(back.GetId(), 0);
    EXPECT_EQ(back.GetRoot(), scanner.GetRoot());
    EXPECT_THAT(back.GetFilters(), ElementsAre("*.doc", "", "*.xls"));
    EXPECT_THAT(back.GetExceptions(), ElementsAre("~$*"));
    EXPECT_EQ(back.GetBackupPath(), "/backup/it's");
    EXPECT_FALSE(back.GetSubfolders());
    EXPECT_TRUE(back.GetDeletions());
    EXPECT_TRUE(back.GetExclusive());
    EXPECT_TRUE(back.GetHasVersions());
    EXPECT_EQ(back.GetMaxVersions(), 3);
    EXPECT_EQ(back.GetStatus(), 1);

    scanner.SetSubfolders(true);
    scanner.SetDeletions(false);
    scanner.GetFilters() = {"*.txt"};
    scanner.SetStatus(0);
    ASSERT_TRUE(ExecInTransaction(session, query, UpdateScannerStatement(MonitorValues(scanner))));
    loaded = LoadAll();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(loaded[0]->GetSubfolders());
    EXPECT_FALSE(loaded[0]->GetDeletions());
    EXPECT_THAT(loaded[0]->GetFilters(), ElementsAre("*.txt"));
    EXPECT_EQ(loaded[0]->GetStatus(), 0);
}

}  // namespace
}  // namespace pellmar
