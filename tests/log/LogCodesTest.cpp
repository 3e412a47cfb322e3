// The pure parts of the event log: the job log statement, display words, the monitor path
// checksum, the date and time texts and the detail pane's cut.
#include "tray/log/LogCodes.h"

#include <gtest/gtest.h>

#include "tray/log/LogData.h"
#include "tray/log/LogFormat.h"
#include "tray/log/LogList.h"

namespace pellmar {
namespace {

DateTime At(int y, int mo, int d, int h, int mi, int s) { return EncodeDateTime({y, mo, d, h, mi, s, 0}); }

TEST(LogCodes, JobLogStatementCarriesTheOutcomeTheTimeAndTheQuotedPaths) {
    ChangeEvent job;
    job.id = 17;
    job.jobtype = ChangeModified;
    job.src = "C:\\Data\\a.doc";
    job.dest = "D:\\Backup\\a.doc";
    EXPECT_EQ(MakeJobLogStatement(job, kJobCopied, UnixTimeToDateTime(1733570000)),
              "INSERT INTO log VALUES(NULL,0,17,0,1733570000,0,'File was copied successfully.',"
              "'C:\\Data\\a.doc','D:\\Backup\\a.doc');");

    job.jobtype = ChangeDeleted;
    job.src = "/home/o'neil/it's.txt";
    job.dest = "/backup/it's.txt";
    EXPECT_EQ(MakeJobLogStatement(job, kJobDestinationUnavailable, UnixTimeToDateTime(-5)),
              "INSERT INTO log VALUES(NULL,1,17,1,-5,1,'Could not execute the operation because the destination "
              "is unavailable, will try again in a minute.','/home/o''neil/it''s.txt','/backup/it''s.txt');");
}

TEST(LogCodes, WordsForStatusesAndOperationsShowUnknownNumbersAsThemselves) {
    EXPECT_EQ(LogStatusWord(0), "Information");
    EXPECT_EQ(LogStatusWord(2), "Error");
    EXPECT_EQ(LogStatusWord(7), "7");
    EXPECT_EQ(LogStatusWord(-1), "-1");
    EXPECT_EQ(LogOperationWord(2), "Enable Folder Scanner");
    EXPECT_EQ(LogOperationWord(3), "3");
    EXPECT_EQ(LogOperationOfJobType(ChangeCreated), kLogCopy);
    EXPECT_EQ(LogOperationOfJobType(ChangeModified), kLogCopy);
    EXPECT_EQ(LogOperationOfJobType(ChangeDeleted), kLogDelete);
}

TEST(LogCodes, MonitorPathChecksumIsTheLowerCasedCrcReadAsSigned) {
    EXPECT_EQ(MonitorPathChecksum(""), 0);
    EXPECT_EQ(MonitorPathChecksum("ABC"), 0x352441C2);
    EXPECT_EQ(MonitorPathChecksum("A"), -390611389);  // CRC 0xE8B7BE43 lies above 2^31
}

TEST(LogFormat, DatesAndTimesFollowTheFixedPictures) {
    DateTime t = At(2025, 7, 4, 13, 5, 9);
    EXPECT_EQ(LogDateText(t), "7/4/2025");
    EXPECT_EQ(LogTimeText(t), "1:05:09 PM");  // tests run in the C locale
    EXPECT_EQ(LogTimeText(At(2025, 12, 31, 0, 0, 0), "AM", "PM"), "12:00:00 AM");
    EXPECT_EQ(LogTimeText(At(2025, 12, 31, 12, 0, 7), "AM", "PM"), "12:00:07 PM");
    EXPECT_EQ(LogTimeText(At(2025, 12, 31, 9, 59, 59), "vorm.", "nachm."), "9:59:59 vorm.");
    // A locale without designators must not make 11 at night read as 11 in the morning.
    EXPECT_EQ(LogTimeText(At(2025, 12, 31, 23, 0, 0), "", ""), "11:00:00 PM");
    EXPECT_EQ(LogTimeText(At(2025, 12, 31, 11, 0, 0), "", ""), "11:00:00 AM");
    EXPECT_EQ(LogDateText(At(2025, 12, 31, 23, 0, 0)), "12/31/2025");
    EXPECT_EQ(LogDateText(At(987, 1, 2, 0, 0, 0)), "1/2/0987");
    // Stored seconds come back as the same clock time.
    EXPECT_EQ(LogTimeText(UnixTimeToDateTime(DateTimeToUnixTime(t))), "1:05:09 PM");
}

TEST(LogList, DetailPaneCutsLongPathsWithoutSplittingACharacter) {
    std::string exact(255, 'a');
    EXPECT_EQ(CutForDetailPane(exact), exact);
    EXPECT_EQ(CutForDetailPane(std::string(300, 'b')), std::string(255, 'b'));
    std::string accented = std::string(254, 'c') + "\xC3\xA9" + "tail";  // "é" spans bytes 254 and 255
    EXPECT_EQ(CutForDetailPane(accented), std::string(254, 'c'));
}

}  // namespace
}  // namespace pellmar
