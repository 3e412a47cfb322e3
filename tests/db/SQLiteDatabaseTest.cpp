// Binding the library and opening files: what makes an object Ready, and what it touches.
// Statements and their results are covered in the query and unit-of-work tests.
#include "platform/FileSystem.h"
#include "tests/db/DatabaseTestSupport.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tests/support/TempFolder.h"
#include "tray/db/UnitOfWork.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace pellmar {
namespace {

using test::Connection;
using test::RecordingErrorReporter;
using test::TempFolder;

bool FolderIsEmpty(const TempFolder& folder) {
    return std::filesystem::is_empty(folder.Path());
}

TEST(SQLiteDatabaseBinding, AMissingOrIncompleteLibraryLeavesEveryOperationSkippedSilently) {
    TempFolder folder;
    RecordingErrorReporter reporter;
    // libz is a real library that exports none of SQLite's entry points.
    for (const std::string library : {"libpellmar-no-such-sqlite.so.0", "libz.so.1"}) {
        SCOPED_TRACE(library);
        SQLiteDatabase database(folder / "pellmar.db", true, library);
        EXPECT_FALSE(database.Ready());
        EXPECT_FALSE(database.IsOpen());
        EXPECT_FALSE(database.Open(folder / "pellmar.db"));
        database.SetBusyTimeout(1000);
        EXPECT_EQ(database.BusyTimeout(), 0);
        SQLiteSession& session = database.CreateSession("FolderMonitorSession");
        SQLiteQuery& query = session.CreateQuery();
        EXPECT_FALSE(ExecInTransaction(session, query, "CREATE TABLE t(a);"));
        EXPECT_FALSE(ExecQuery(query, "SELECT 1;"));
        EXPECT_EQ(query.LastInsertRowId(), 0);
    }
    EXPECT_TRUE(reporter.Reports().empty());
    EXPECT_TRUE(FolderIsEmpty(folder));
}

TEST(SQLiteDatabaseBinding, AMissingFileWithoutTheCreateFlagIsNotReadyAndNothingIsCreated) {
    TempFolder folder;
    RecordingErrorReporter reporter;
    SQLiteDatabase database(folder / "pellmar.db", false);
    EXPECT_FALSE(database.Ready());
    EXPECT_FALSE(database.Open(folder / "pellmar.db"));
    EXPECT_TRUE(FolderIsEmpty(folder));
    EXPECT_TRUE(reporter.Reports().empty());
}

TEST(SQLiteDatabaseBinding, TheCreateFlagMakesTheFileAndAnExistingFileOpensWithoutIt) {
    TempFolder folder;
    const std::string path = folder / "pellmar.db";
    {
        SQLiteDatabase database(path, true);
        ASSERT_TRUE(database.Ready());
        EXPECT_TRUE(database.IsOpen());
        EXPECT_EQ(database.LastError(), "");
        EXPECT_EQ(database.LibraryVersion().substr(0, 2), "3.");
        EXPECT_EQ(database.LibraryEncoding(), "UTF-8");
        database.Close();
        EXPECT_FALSE(database.IsOpen());
        EXPECT_EQ(database.LibraryVersion(), "");
        EXPECT_EQ(database.LibraryEncoding(), "");
        database.Close();  // closing twice is harmless
    }
    EXPECT_TRUE(platform::FileExists(path));

    SQLiteDatabase existing(path, false);
    EXPECT_TRUE(existing.Ready());
    EXPECT_TRUE(existing.IsOpen());
}

TEST(SQLiteDatabaseBinding, AnEmptyPathBindsTheLibraryButOpensNothing) {
    SQLiteDatabase database("", true);
    EXPECT_TRUE(database.Ready());
    EXPECT_FALSE(database.IsOpen());
}

TEST(SQLiteDatabaseOpen, AFailedOpenKeepsItsErrorTextReportsNothingAndStaysReady) {
    TempFolder folder;
    RecordingErrorReporter reporter;
    SQLiteDatabase database(folder / "pellmar.db", true);
    ASSERT_TRUE(database.IsOpen());

    EXPECT_FALSE(database.Open(folder / "missing-folder/pellmar.db"));
    EXPECT_NE(database.LastError(), "");
    EXPECT_TRUE(database.Ready());
    EXPECT_FALSE(database.IsOpen());  // the earlier connection was closed first
    EXPECT_FALSE(platform::FolderExists(folder / "missing-folder"));

    EXPECT_TRUE(database.Open(folder / "pellmar.db"));
    EXPECT_EQ(database.LastError(), "");  // cleared by the next open
    EXPECT_TRUE(reporter.Reports().empty());
}

TEST(SQLiteDatabaseOpen, BusyTimeoutIsKeptOnlyWithAConnectionAndResetByOpen) {
    TempFolder folder;
    SQLiteDatabase database(folder / "pellmar.db", true);
    database.SetBusyTimeout(1000);
    EXPECT_EQ(database.BusyTimeout(), 1000);
    ASSERT_TRUE(database.Open(folder / "pellmar.db"));
    EXPECT_EQ(database.BusyTimeout(), 0);
    database.Close();
    database.SetBusyTimeout(500);
    EXPECT_EQ(database.BusyTimeout(), 0);
}

TEST(SQLiteDatabaseOpen, ObjectsOwnTheirSessionsAndQueries) {
    TempFolder folder;
    SQLiteDatabase database(folder / "pellmar.db", true);
    SQLiteSession& first = database.CreateSession("FolderMonitorSession");
    SQLiteSession& second = database.CreateSession("ThreadJobQueueSession");
    EXPECT_EQ(database.SessionCount(), 2u);
    EXPECT_EQ(first.Name(), "FolderMonitorSession");
    EXPECT_EQ(second.Conflict(), ConflictAlgorithm::Abort);
    EXPECT_EQ(&second.CreateQuery().Session(), &second);
    // Destroying the database with sessions and queries alive is the normal end (ASan checks it).
}

}  // namespace
}  // namespace pellmar
