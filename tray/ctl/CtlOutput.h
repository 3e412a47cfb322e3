// The texts pellmarctl prints: monitors, log entries and jobs as tab-separated lines (one record
// a line, for scripts) or as JSON, with the log window's words. Pure.
#pragma once

#include <string>
#include <vector>

#include "tray/ctl/ControlBackend.h"

namespace pellmar::ctl {

std::string JsonString(const std::string& text);  // quoted, with JSON escapes

// `states` has one entry per monitor, in the same order.
std::string FormatMonitors(const std::vector<ScannerValues>& monitors, const std::vector<MonitorStateWords>& states,
                           bool json);
std::string FormatMonitor(const ScannerValues& monitor, const MonitorStateWords& state, bool json);
std::string FormatLog(const std::vector<LogListRow>& rows, bool json);
std::string FormatJobs(const std::vector<JobRow>& jobs, bool json);

}  // namespace pellmar::ctl
