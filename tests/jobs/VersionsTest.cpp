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

    // As the session's change handler brackets it: open, busy timeout, the step, clear, close.
    ChangeEvent Numbered(ChangeEvent event) {
        EXPECT_TRUE(objects.database.Open(db.Path()));
        objects.database.SetBusyTimeout(kBusyTimeoutMilliseconds);
        AssignVersion(event, objects.session, objects.query);
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

TEST_F(VersionsTest, SuccessiveChangesCountUpAndADeletionStartsTheFileAgainAtOne) {
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

    ChangeEvent deleted = Numbered(Change(ChangeDeleted, "/data/report.doc"));
    EXPECT_EQ(deleted.currentversion, 0);
    EXPECT_EQ(deleted.dest, "/backup/report.doc");
    EXPECT_TRUE(Counter(first.fileid).empty());

    ChangeEvent recreated = Numbered(Change(ChangeCreated, "/data/report.doc"));
    EXPECT_EQ(recreated.currentversion, 1);
    EXPECT_EQ(recreated.dest, "/backup/report.1.doc");
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

TEST(VersionsFailures, AFailedCounterStillNumbersTheEventSoTheChangeIsNotLost) {
    LogTestDatabase db(false);
    SessionObjects objects(db.Path());
    test::RecordingErrorReporter errors;
    ASSERT_TRUE(objects.database.Open(db.Path()));
    ChangeEvent event;
    event.jobtype = ChangeCreated;
    event.maxversions = 2;
    event.dest = "/backup/x.doc";
    AssignVersion(event, objects.session, objects.query);
    EXPECT_EQ(event.currentversion, 1);
    EXPECT_EQ(event.dest, "/backup/x.1.doc");
    EXPECT_EQ(errors.Reports().size(), 2u) << "the SELECT and the INSERT each report";
}

}  // namespace
}  // namespace pellmar
