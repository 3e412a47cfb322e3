// The fixed result code table (message, status, cancel flag, whether the job stays queued).
// No database access and no display words.
#include "tray/model/JobResults.h"

#include <array>

namespace pellmar {
namespace {

struct ResultMeaning {
    std::string message;
    std::int32_t status;
    bool cancancel;
    bool queued;  // the job stays deferred
};

const std::array<ResultMeaning, 20> kMeanings = {{
    {"The operation failed with an unknown problem.", kLogError, false, true},
    {"Could not copy because exclusive access was requested and file is in use.", kLogError, true, true},
    {"Could not execute the operation because the destination is unavailable, will try again in a minute.",
     kLogWarning, true, true},
    {"Could not copy because the destination is unavailable, the version will copied later when destination "
     "is available",
     kLogError, true, true},
    {"Could not copy because the file was in use by another program, will try again in a minute.", kLogError, true,
     true},
    {"Could not successfully delete the file from the backup location.", kLogError, false, true},
    {"Could not copy the file because it no longer exists.", kLogWarning, false, false},
    {"Could not delete backup file because it was missing from the backup location.", kLogWarning, false, false},
    {"File was copied successfully.", kLogInformation, false, false},
    {"File was deleted successfully.", kLogInformation, false, false},
    {"Did not delete the backup file because the file exists again.", kLogInformation, false, false},
    {"Could not copy because the backup location cannot store this file name.", kLogError, false, false},
    {"The file is unchanged since its newest version, which now carries this version's number.", kLogInformation,
     false, false},
    {"Could not copy because the file name or its path is longer than the system allows.", kLogError, false, false},
    {"Could not copy because the backup location is full, will try again in a minute.", kLogError, true, true},
    {"Could not copy because the file cannot be read, will try again in a minute.", kLogError, true, true},
    {"Did not copy because the file is a pipe, socket or device, which has no content to back up.", kLogWarning,
     false, false},
    {"There was nothing to back up: the file was gone before its first copy.", kLogInformation, false, false},
    {"Folder was created in the backup location.", kLogInformation, false, false},
    {"Folder was deleted from the backup location with everything in it.", kLogInformation, false, false},
}};

const ResultMeaning& MeaningOf(std::int32_t resultCode) {
    const bool known = resultCode >= 0 && resultCode < static_cast<std::int32_t>(kMeanings.size());
    return kMeanings[static_cast<std::size_t>(known ? resultCode : kJobUnknownProblem)];
}

}  // namespace

const std::string& JobResultMessage(std::int32_t resultCode) { return MeaningOf(resultCode).message; }

std::int32_t LogStatusOfResult(std::int32_t resultCode) { return MeaningOf(resultCode).status; }

bool CanCancelResult(std::int32_t resultCode) { return MeaningOf(resultCode).cancancel; }

bool JobStaysQueued(std::int32_t resultCode) { return MeaningOf(resultCode).queued; }

bool JobIsLogged(std::int32_t resultCode) {
    return resultCode != kJobExclusiveRefused && resultCode != kJobNothingToCopy;
}

}  // namespace pellmar
