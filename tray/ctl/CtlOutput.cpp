// Text lines keep a record's fields in a fixed order separated by tabs, since paths may hold
// blanks; JSON carries the same fields by name. Words come from the log's and the list's helpers.
// Both escape what would break their readers, reversibly: names are bytes, not always UTF-8.
#include "tray/ctl/CtlOutput.h"

#include "tray/log/LogCodes.h"
#include "tray/log/LogFormat.h"
#include "tray/util/Lists.h"

#include <cstdio>

namespace pellmar::ctl {
namespace {

std::string JsonList(const std::vector<std::string>& items) {
    std::string text = "[";
    for (const std::string& item : items) text += (text.size() > 1 ? "," : "") + JsonString(item);
    return text + "]";
}

std::string JsonBool(bool value) { return value ? "true" : "false"; }
std::string YesNo(bool value) { return value ? "yes" : "no"; }

std::string MonitorJson(const ScannerValues& m, const MonitorStateWords& state) {
    return "{\"id\":" + std::to_string(m.id) + ",\"folder\":" + JsonString(m.root) + ",\"backup\":" +
           JsonString(m.backuppath) + ",\"masks\":" + JsonList(m.filters) + ",\"exceptions\":" +
           JsonList(m.exceptions) + ",\"subfolders\":" + JsonBool(m.subfolders) + ",\"deletions\":" +
           JsonBool(m.deletions) + ",\"exclusive\":" + JsonBool(m.exclusive) + ",\"versions\":" +
           std::to_string(m.maxversions) + ",\"enabled\":" + JsonBool(m.status == 1) + ",\"state\":" +
           JsonString(state.state) + ",\"reason\":" + JsonString(state.reason) + "}";
}

// Joins records as a JSON array, one element a line.
std::string JsonArray(const std::vector<std::string>& elements) {
    std::string text = "[";
    for (std::size_t i = 0; i < elements.size(); ++i) text += (i ? ",\n " : "\n ") + elements[i];
    return text + (elements.empty() ? "]\n" : "\n]\n");
}

std::string Tabbed(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + TextField(fields[i]);
    return line + "\n";
}

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at `text[at]`, 0 when there is none (an
// overlong form, a surrogate, a cut sequence or a stray byte).
std::size_t Utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!Continuation(byte(i))) return 0;
    }
    const unsigned char second = byte(1);
    if (lead == 0xE0 && second < 0xA0) return 0;
    if (lead == 0xED && second > 0x9F) return 0;
    if (lead == 0xF0 && second < 0x90) return 0;
    if (lead == 0xF4 && second > 0x8F) return 0;
    return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8Length(text, at);
        char escape[8];
        if (length == 0) {
            // The lone surrogate U+DC00+byte, as Python's "surrogateescape" writes it.
            std::snprintf(escape, sizeof(escape), "\\udc%02x", c);
            quoted += escape;
            ++at;
            continue;
        }
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            std::snprintf(escape, sizeof(escape), "\\u%04x", c);
            quoted += escape;
        } else {
            quoted.append(text, at, length);
        }
        at += length;
    }
    return quoted + "\"";
}

std::string TextField(const std::string& text) {
    std::string field;
    for (char c : text) {
        switch (c) {
        case '\\': field += "\\\\"; break;
        case '\t': field += "\\t"; break;
        case '\n': field += "\\n"; break;
        case '\r': field += "\\r"; break;
        default: field += c;
        }
    }
    return field;
}

namespace {

std::string StateLine(const MonitorStateWords& state) {
    return state.reason.empty() ? state.state : state.state + " (" + state.reason + ")";
}

}  // namespace

// The state comes last: the fields before it keep their places for scripts written before it.
std::string FormatMonitors(const std::vector<ScannerValues>& monitors, const std::vector<MonitorStateWords>& states,
                           bool json) {
    std::vector<std::string> records;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const ScannerValues& m = monitors[i];
        records.push_back(json ? MonitorJson(m, states.at(i))
                               : Tabbed({std::to_string(m.id), ActiveText(m.status == 1), m.root, JoinList(m.filters),
                                         m.backuppath, StateLine(states.at(i))}));
    }
    if (json) return JsonArray(records);
    std::string text;
    for (const std::string& record : records) text += record;
    return text;
}

std::string FormatMonitor(const ScannerValues& m, const MonitorStateWords& state, bool json) {
    if (json) return MonitorJson(m, state) + "\n";
    return "ID: " + std::to_string(m.id) + "\nFolder: " + TextField(m.root) + "\nBackup: " + TextField(m.backuppath) +
           "\nMasks: " + TextField(JoinList(m.filters)) + "\nExceptions: " + TextField(JoinList(m.exceptions)) +
           "\nSub-folders: " + YesNo(m.subfolders) + "\nDeletions: " + YesNo(m.deletions) +
           "\nExclusive: " + YesNo(m.exclusive) +
           "\nVersions: " + (m.maxversions > 0 ? std::to_string(m.maxversions) : std::string("off")) +
           "\nStatus: " + (m.status == 1 ? "Enabled" : "Disabled") + "\nState: " + StateLine(state) + "\n";
}

std::string FormatLog(const std::vector<LogListRow>& rows, bool json) {
    std::vector<std::string> records;
    std::string text;
    for (const LogListRow& r : rows) {
        if (!json) {
            text += Tabbed({std::to_string(r.item.jobid), r.type, r.date, r.time, r.operation, r.description,
                            r.item.src, r.item.dest});
            continue;
        }
        records.push_back("{\"job\":" + std::to_string(r.item.jobid) + ",\"type\":" + JsonString(r.type) +
                          ",\"date\":" + JsonString(r.date) + ",\"time\":" + JsonString(r.time) +
                          ",\"operation\":" + JsonString(r.operation) + ",\"description\":" +
                          JsonString(r.description) + ",\"source\":" + JsonString(r.item.src) +
                          ",\"destination\":" + JsonString(r.item.dest) + "}");
    }
    return json ? JsonArray(records) : text;
}

std::string FormatJobs(const std::vector<JobRow>& jobs, bool json) {
    std::vector<std::string> records;
    std::string text;
    for (const JobRow& j : jobs) {
        const DateTime when = UnixTimeToDateTime(static_cast<std::int32_t>(j.scheduled));
        const std::string operation = LogOperationWord(LogOperationOfJobType(j.job.jobtype));
        const std::string state = j.deferred ? "deferred" : "waiting";
        if (!json) {
            text += Tabbed({std::to_string(j.job.id), operation, state, LogDateText(when), LogTimeText(when),
                            j.job.src, j.job.dest});
            continue;
        }
        records.push_back("{\"id\":" + std::to_string(j.job.id) + ",\"operation\":" + JsonString(operation) +
                          ",\"deferred\":" + JsonBool(j.deferred) + ",\"retries\":" + std::to_string(j.retries) +
                          ",\"date\":" + JsonString(LogDateText(when)) + ",\"time\":" +
                          JsonString(LogTimeText(when)) + ",\"source\":" + JsonString(j.job.src) +
                          ",\"destination\":" + JsonString(j.job.dest) + "}");
    }
    return json ? JsonArray(records) : text;
}

}  // namespace pellmar::ctl
