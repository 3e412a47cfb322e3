// The command line of pellmarctl as data: parsing an argument vector into one command with its
// options, the help texts, and turning a monitor's options into the values to save. Pure; the
// same parse runs in the command line and, for a forwarded request, in the host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tray/model/ScannerValues.h"
#include "tray/util/DateTime.h"

namespace pellmar::ctl {

// Exit codes scripts rely on.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitFailure = 2;

// The options of add and edit; only what was given is set.
struct MonitorOptions {
    std::optional<std::string> folder, backup;
    std::optional<std::vector<std::string>> masks, exceptions;
    std::optional<bool> subfolders, deletions, exclusive, enabled;
    std::optional<std::int32_t> versions;  // 0: versions off
};

// The options of restore; only what was given is set.
struct RestoreOptions {
    std::optional<std::int32_t> version;
    std::optional<DateTime> at;  // local time
    std::optional<std::string> to;
    bool dryRun = false;
};

struct CtlCommand {
    std::string verb;       // list, show, add, edit, delete, enable, disable, log, cancel, jobs, sync, versions, restore
    std::int32_t id = 0;    // monitor id, or job id for cancel
    MonitorOptions monitor;
    std::string path;       // versions and restore: a file or folder inside a monitored folder
    RestoreOptions restore;
    bool json = false;
    int limit = -1;         // log: newest entries to show; -1 all
    bool help = false;      // print the verb's help (or the overview with no verb) and do nothing
};

struct ParseResult {
    std::optional<CtlCommand> command;
    std::string error;  // set when command is empty: what is wrong, for stderr
};

// `args` without the program name. Relative FOLDER and BACKUP paths are made absolute against
// `workingFolder` (the caller's, which a host does not share).
ParseResult ParseCommand(const std::vector<std::string>& args, const std::string& workingFolder);

// "2026-12-09T14:05" or "2026-12-09T14:05:30" (a blank may stand for the T), local time.
std::optional<DateTime> ReadLocalTime(const std::string& text);

// The verb's help, or the overview for an empty or unknown verb.
std::string HelpText(const std::string& verb);

// Whether the verb changes monitors, jobs or the log (a host may refuse those while busy).
bool ChangesState(const std::string& verb);

// The setup dialog's opening state for a new monitor, with the mask "*": sub-folders and
// deletions on, not exclusive, versions off, enabled.
ScannerValues NewMonitorValues();
// `base` with the given options applied; versions off also clears the version count.
ScannerValues ApplyOptions(ScannerValues base, const MonitorOptions& options);

}  // namespace pellmar::ctl
