// The display words of the event log and the monitor path checksum.
// No database access and no formatting of times.
#include "tray/log/LogCodes.h"

#include "tray/util/Checksums.h"

namespace pellmar {

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
