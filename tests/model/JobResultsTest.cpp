// What each job result code means for the job and its log entry, and that an unknown code never
// reads as a success.
#include "tray/model/JobResults.h"

#include <gtest/gtest.h>

namespace pellmar {
namespace {

TEST(JobResults, EveryResultCodeHasItsStatusAndCancelFlag) {
    struct Expected {
        std::int32_t status;
        bool cancancel;
    };
    const Expected table[] = {
        {kLogError, false},   {kLogError, true},    {kLogWarning, true},  {kLogError, true},
        {kLogError, true},    {kLogError, false},   {kLogWarning, false}, {kLogWarning, false},
        {kLogInformation, false}, {kLogInformation, false},
    };
    for (std::int32_t code = 0; code <= 9; ++code) {
        EXPECT_EQ(LogStatusOfResult(code), table[code].status) << "code " << code;
        EXPECT_EQ(CanCancelResult(code), table[code].cancancel) << "code " << code;
    }
    // What the outcomes added since mean for the table and the log.
    for (std::int32_t code : {kJobBackupFull, kJobSourceUnreadable}) {
        EXPECT_TRUE(JobStaysQueued(code)) << code;
        EXPECT_TRUE(CanCancelResult(code)) << code;
        EXPECT_EQ(LogStatusOfResult(code), kLogError) << code;
    }
    for (std::int32_t code : {kJobNameTooLong, kJobSpecialFile, kJobVersionUnchanged, kJobNothingToCopy,
                              kJobFolderCreated, kJobNameNotAllowed, kJobSourceGone}) {
        EXPECT_FALSE(JobStaysQueued(code)) << code;
        EXPECT_NE(JobResultMessage(code), JobResultMessage(kJobUnknownProblem)) << code;
    }
    EXPECT_FALSE(JobIsLogged(kJobNothingToCopy));
    EXPECT_FALSE(JobIsLogged(kJobExclusiveRefused));
    EXPECT_TRUE(JobIsLogged(kJobSpecialFile));
    EXPECT_EQ(JobResultMessage(kJobVersionParked),
              "Could not copy because the destination is unavailable, the version will copied later when "
              "destination is available");
    EXPECT_EQ(JobResultMessage(kJobBackupMissing),
              "Could not delete backup file because it was missing from the backup location.");
}

TEST(JobResults, UnknownResultCodesReadAsUnknownProblemNeverAsSuccess) {
    for (std::int32_t code : {-1, kJobFolderDeleted + 1, 1000}) {
        EXPECT_EQ(LogStatusOfResult(code), kLogError) << code;
        EXPECT_FALSE(CanCancelResult(code)) << code;
        EXPECT_EQ(JobResultMessage(code), JobResultMessage(kJobUnknownProblem)) << code;
    }
}

}  // namespace
}  // namespace pellmar
