// The texts pellmarctl prints: monitors, log entries and jobs as tab-separated lines (one record
// a line, for scripts) or as JSON, with the log window's words. Pure.
#pragma once

#include <string>
#include <vector>

#include "tray/ctl/ControlBackend.h"

namespace pellmar::ctl {

// Quoted, with JSON escapes; a byte that is not part of well-formed UTF-8 becomes the lone
// surrogate escape "\udcXX" (XX its value), so the output stays valid and the name recoverable.
std::string JsonString(const std::string& text);
// A field of a tab-separated line: backslash, tab, line feed and carriage return as "\\",
// "\t", "\n" and "\r"; every other byte as it is.
std::string TextField(const std::string& text);

// `states` has one entry per monitor, in the same order.
std::string FormatMonitors(const std::vector<ScannerValues>& monitors, const std::vector<MonitorStateWords>& states,
                           bool json);
std::string FormatMonitor(const ScannerValues& monitor, const MonitorStateWords& state, bool json);
std::string FormatLog(const std::vector<LogListRow>& rows, bool json);
std::string FormatJobs(const std::vector<JobRow>& jobs, bool json);

}  // namespace pellmar::ctl
