// The words the event log shows for statuses and operations, the operation a job type is logged
// as, and the checksum that stands in for a job id when a monitor cannot start. Pure functions.
// What each job result code means lives with the pipeline's records (tray/model/JobResults.h).
#pragma once

#include <cstdint>
#include <string>

#include "tray/model/JobResults.h"

namespace pellmar {

enum LogOperation : std::int32_t { kLogCopy = 0, kLogDelete = 1, kLogEnableFolderScanner = 2 };

inline constexpr const char* kMonitorStartFailedMessage =
    "Could not start folder scanner because Monitor Path is not available.";

// Job type 3 (deleted) -> Delete; every other type copies -> Copy.
std::int32_t LogOperationOfJobType(std::int32_t jobtype);

// "Information", "Warning", "Error"; any other number as its decimal text.
std::string LogStatusWord(std::int32_t status);
// "Copy", "Delete", "Enable Folder Scanner"; any other number as its decimal text.
std::string LogOperationWord(std::int32_t operation);

// CRC-32 of the lower-cased monitored folder read as a signed 32-bit number (0 for "").
std::int32_t MonitorPathChecksum(const std::string& root);

}  // namespace pellmar
