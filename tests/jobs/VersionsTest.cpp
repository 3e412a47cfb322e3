// Version numbering from the fileinfo counters and the numbered file names, on a real database
// file, within the same open/clear/close bracket the change handler uses.
#include "tray/jobs/Versions.h"

#include <gtest/gtest.h>

#include "tests/log/LogTestDatabase.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tray/db/UnitOfWork.h"
#include "tray/util/Checksums.h"

namespace pellmar {
namespace {

using test::LogTestDatabase;
using test::SessionObjects;

TEST(VersionFileName, PutsTheNumberBeforeTheExtensionOfTheFileNameOnly) {
    EXPECT_EQ(VersionFileName("/backup/report.doc", 3), "/backup/report.3.doc");
    EXPECT_EQ(VersionFileName("/backup/README", 1), "/backup/README.1");
    EXPECT_EQ(VersionFileName("/backup/a.tar.gz", 12), "/backup/a.tar.12.gz");
    EXPECT_EQ(VersionFileName("/backup/v1.2/Makefile", 4), "/backup/v1.2/Makefile.4");
    EXPECT_EQ(VersionFileName("/backup/trailing.", 2), "/backup/trailing.2.");
    EXPECT_EQ(VersionFileName("plain.txt", 7), "plain.7.txt");
}

class VersionsTest : public testing::Test {
protected:
    ChangeEvent Change(std::int32_t jobtype, const std::string& src, std::int32_t maxversions = 3) {
        ChangeEvent event;
        event.jobtype = jobtype;
        event.fileid = Crc32OfText(src);
        event.maxversions = maxversions;
        event.src = src;
        event.dest = "/backup" + src.substr(src.rfind('/'));
        return event;
    }

    // As the job queue thread brackets it: one transaction with the counter's statement.
    ChangeEvent Numbered(ChangeEvent event) {
        EXPECT_TRUE(objects.database.Open(db.Path()));
        objects.database.SetBusyTimeout(kBusyTimeoutMilliseconds);
        EXPECT_EQ(objects.session.StartTransaction(), 0);
        VersionNumbering numbering(objects.query);
        std::string statements;
        EXPECT_TRUE(numbering.Number(event, &statements));
        objects.query.SetText(statements);
        if (!statements.empty()) {
            EXPECT_EQ(objects.query.Execute(), 0);
        }
        EXPECT_EQ(objects.session.Commit(), 0);
        objects.query.Clear();
        objects.database.Close();
        return event;
    }

    std::vector<std::string> Counter(std::uint32_t fileid) {
        return db.Column("SELECT currentversion FROM fileinfo WHERE fileid='" + std::to_string(fileid) + "';",
                         "currentversion");
    }

    LogTestDatabase db;
    SessionObjects objects{db.Path()};
    test::RecordingErrorReporter errors;
};

TEST_F(VersionsTest, SuccessiveChangesCountUpAndADeletionNeverStartsTheFileAgain) {
    ChangeEvent first = Numbered(Change(ChangeCreated, "/data/report.doc"));
    EXPECT_EQ(first.currentversion, 1);
    EXPECT_EQ(first.dest, "/backup/report.1.doc");
    EXPECT_EQ(Counter(first.fileid), std::vector<std::string>{"1"});

    Numbered(Change(ChangeModified, "/data/report.doc"));
    Numbered(Change(ChangeModified, "/data/report.doc"));
    ChangeEvent fourth = Numbered(Change(ChangeModified, "/data/report.doc"));
    EXPECT_EQ(fourth.currentversion, 4);
    EXPECT_EQ(fourth.dest, "/backup/report.4.doc");
    EXPECT_EQ(Counter(first.fileid), std::vector<std::string>{"4"});

    // Deleted (or renamed away by an editor) and back: versions 1 to 4 are still kept, so the
    // count goes on instead of overwriting them.
    ChangeEvent deleted = Numbered(Change(ChangeDeleted, "/data/report.doc"));
    EXPECT_EQ(deleted.currentversion, 0);
    EXPECT_EQ(deleted.dest, "/backup/report.doc");
    ChangeEvent recreated = Numbered(Change(ChangeCreated, "/data/report.doc"));
    EXPECT_EQ(recreated.currentversion, 5);
    EXPECT_EQ(recreated.dest, "/backup/report.5.doc");
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(VersionsTest, CountersBelongToTheSourcePathWhateverTheMonitor) {
    // Two monitors watching the same file share its counter; another file has its own.
    ChangeEvent a = Numbered(Change(ChangeCreated, "/data/a.txt", 3));
    ChangeEvent b = Numbered(Change(ChangeCreated, "/data/b.txt", 3));
    ChangeEvent aAgain = Numbered(Change(ChangeModified, "/data/a.txt", 5));
    EXPECT_EQ(a.currentversion, 1);
    EXPECT_EQ(b.currentversion, 1);
    EXPECT_EQ(aAgain.currentversion, 2);
    EXPECT_EQ(aAgain.dest, "/backup/a.2.txt");
}

TEST_F(VersionsTest, IdentifiersAbove2To31AreStoredAndFoundAsUnsignedText) {
    ChangeEvent big = Change(ChangeCreated, "/data/big.doc");
    ASSERT_GT(big.fileid, 2147483647u);
    Numbered(big);
    EXPECT_EQ(db.Column("SELECT fileid FROM fileinfo;", "fileid"), std::vector<std::string>{"2494911050"});
    EXPECT_EQ(Numbered(Change(ChangeModified, "/data/big.doc")).currentversion, 2);
}

TEST_F(VersionsTest, UnversionedEventsPassUnchangedAndTouchNoCounter) {
    ChangeEvent plain = Numbered(Change(ChangeModified, "/data/report.doc", 0));
    EXPECT_EQ(plain.currentversion, 0);
    EXPECT_EQ(plain.dest, "/backup/report.doc");
    ChangeEvent deleted = Numbered(Change(ChangeDeleted, "/data/report.doc", 0));
    EXPECT_EQ(deleted.dest, "/backup/report.doc");
    EXPECT_EQ(db.Count("fileinfo"), 0);
}

// An unreadable counter must never be taken as "no counter yet": version 1 may still be kept.
TEST(VersionsFailures, AnUnreadableCounterNumbersNothing) {
    LogTestDatabase db(false);
    SessionObjects objects(db.Path());
    ASSERT_TRUE(objects.database.Open(db.Path()));
    ChangeEvent event;
    event.jobtype = ChangeCreated;
    event.maxversions = 2;
    event.dest = "/backup/x.doc";
    VersionNumbering numbering(objects.query);
    std::string statements;
    EXPECT_FALSE(numbering.Number(event, &statements));
    EXPECT_EQ(event.currentversion, 0);
    EXPECT_EQ(event.dest, "/backup/x.doc");
    EXPECT_TRUE(statements.empty());
}

}  // namespace
}  // namespace pellmar
