// The fixed result code table and the display words of the event log.
// No database access and no formatting of times.
#include "tray/log/LogCodes.h"

#include <array>

#include "tray/util/Checksums.h"

namespace pellmar {
namespace {

const std::array<std::string, 12> kMessages = {
    "The operation failed with an unknown problem.",
    "Could not copy because exclusive access was requested and file is in use.",
    "Could not execute the operation because the destination is unavailable, will try again in a minute.",
    "Could not copy because the destination is unavailable, the version will copied later when destination "
    "is available",
    "Could not copy because the file was in use by another program, will try again in a minute.",
    "Could not successfully delete the file from the backup location.",
    "Could not copy the file because it no longer exists.",
    "Could not delete backup file because it was missing from the backup location.",
    "File was copied successfully.",
    "File was deleted successfully.",
    "Did not delete the backup file because the file exists again.",
    "Could not copy because the backup location cannot store this file name.",
};

std::int32_t Known(std::int32_t resultCode) {
    return resultCode >= 0 && resultCode < static_cast<std::int32_t>(kMessages.size()) ? resultCode
                                                                                        : kJobUnknownProblem;
}

}  // namespace

const std::string& JobResultMessage(std::int32_t resultCode) {
    return kMessages[static_cast<std::size_t>(Known(resultCode))];
}

std::int32_t LogStatusOfResult(std::int32_t resultCode) {
    std::int32_t code = Known(resultCode);
    if (code == kJobNameNotAllowed) return kLogError;
    if (code >= kJobCopied) return kLogInformation;
    if (code >= kJobSourceGone) return kLogWarning;
    if (code == kJobDestinationUnavailable) return kLogWarning;
    return kLogError;
}

bool CanCancelResult(std::int32_t resultCode) {
    std::int32_t code = Known(resultCode);
    return code >= kJobExclusiveRefused && code <= kJobFileInUse;
}

std::int32_t LogOperationOfJobType(std::int32_t jobtype) { return jobtype == 3 ? kLogDelete : kLogCopy; }

std::string LogStatusWord(std::int32_t status) {
    switch (status) {
        case kLogInformation: return "Information";
        case kLogWarning: return "Warning";
        case kLogError: return "Error";
        default: return std::to_string(status);
    }
}

std::string LogOperationWord(std::int32_t operation) {
    switch (operation) {
        case kLogCopy: return "Copy";
        case kLogDelete: return "Delete";
        case kLogEnableFolderScanner: return "Enable Folder Scanner";
        default: return std::to_string(operation);
    }
}

std::int32_t MonitorPathChecksum(const std::string& root) {
    return static_cast<std::int32_t>(Crc32OfText(root));
}

}  // namespace pellmar
