// The help texts of pellmarctl, one per command and the overview; they state the exit codes and
// the output forms that scripts may rely on.
#include "tray/ctl/CtlCommand.h"

#include <map>

namespace pellmar::ctl {
namespace {

const char* kOverview =
    "Usage: pellmarctl COMMAND [ARGUMENTS] [--json] [--help]\n"
    "       pellmarctl --version\n"
    "Manages the folder monitors, event log and pending jobs of this user's Pellmar data folder.\n"
    "While Pellmar or pellmard runs, the running host carries out each command at once;\n"
    "otherwise pellmarctl works on the database itself.\n\n"
    "Commands:\n"
    "  list                      the monitors: id, status, folder, masks, backup folder\n"
    "  show ID                   one monitor's settings\n"
    "  add FOLDER BACKUP [...]   a new monitor; prints its id\n"
    "  edit ID [...]             changes the options given, nothing else\n"
    "  delete ID                 removes the monitor (its pending jobs stay)\n"
    "  enable ID | disable ID    the stored status, as the configuration window's list menu\n"
    "  log [--limit N]           the event log, newest first\n"
    "  cancel JOBID              the log window's \"Cancel Operation\" (Warning entries only)\n"
    "  jobs                      the pending jobs, deferred or not\n"
    "  sync ID                   \"synchronise now\": queues a copy of every file without a current backup\n"
    "  versions PATH             what the backup holds of a file or folder: each file's versions\n"
    "  restore PATH [...]        brings a file or folder back from the backup\n\n"
    "Listings print one record a line, fields separated by tabs; --json prints JSON instead.\n"
    "Exit codes: 0 done, 1 usage error (also values the setup dialog would refuse, or an invalid\n"
    "mask, a path outside every monitored folder, a version the backup does not hold), 2 failure\n"
    "(unknown id, database error, no host to synchronise, a file that could not be restored); a\n"
    "one-line message each on stderr.\n";

const char* kMonitorOptions =
    "  --masks LIST       file types to replicate, joined with \";\" (default \"*\")\n"
    "  --except LIST      file types to exclude, joined with \";\" (default none)\n"
    "  --no-subfolders    watch the folder only, not its sub-folders\n"
    "  --no-deletions     do not replicate deletions\n"
    "  --exclusive        wait for exclusive access to a file before copying it\n"
    "  --versions N       keep N numbered versions of each file\n"
    "  --disabled         store the monitor disabled\n";

const std::map<std::string, std::string>& Texts() {
    static const std::map<std::string, std::string> texts = {
        {"list", "Usage: pellmarctl list [--json]\nOne line per monitor: id, \"Active\" or \"Disabled\", folder, masks, "
                 "backup folder.\n"},
        {"show", "Usage: pellmarctl show ID [--json]\n"},
        {"add", std::string("Usage: pellmarctl add FOLDER BACKUP [options] [--json]\nAdds and starts a monitor with the "
                            "setup dialog's defaults; prints its id. Relative paths are taken from the current "
                            "folder.\n") + kMonitorOptions},
        {"edit", std::string("Usage: pellmarctl edit ID [options]\nChanges only the options given and restarts the "
                             "monitor with them (stopped when disabled).\n") + kMonitorOptions +
                     "  --folder PATH, --backup PATH, --subfolders, --deletions, --no-exclusive,\n"
                     "  --no-versions, --enabled   the opposites and the two folders\n"},
        {"delete", "Usage: pellmarctl delete ID\nStops the monitor and removes it; its pending jobs are still carried out.\n"},
        {"enable", "Usage: pellmarctl enable ID\nStores the status only: a stopped monitor starts when the host next "
                   "starts (edit ID --enabled starts it at once).\n"},
        {"disable", "Usage: pellmarctl disable ID\nStores the status only: a running monitor keeps watching until the "
                    "host next starts (edit ID --disabled stops it at once).\n"},
        {"log", "Usage: pellmarctl log [--limit N] [--json]\nNewest first, one line per entry: job id, type, date, time, "
                "operation, description, source, destination.\n"},
        {"cancel", "Usage: pellmarctl cancel JOBID\nRemoves the waiting job and every log entry of it; only a job with a "
                   "Warning entry can be cancelled.\n"},
        {"jobs", "Usage: pellmarctl jobs [--json]\nOne line per job: id, operation, \"waiting\" or \"deferred\", date, "
                 "time, source, destination.\n"},
        {"sync", "Usage: pellmarctl sync ID [--json]\nCompares the monitor's folder with its backup and queues a copy of "
                 "every file whose backup is missing or out of date; nothing else. Needs a running host.\n"},
        {"versions", "Usage: pellmarctl versions PATH [--json]\nWhat the backup holds of a file, or of every file in a "
                     "folder: one line per kept copy with the file, the version number (0 for the plain copy of a "
                     "monitor without versions), size in bytes, time, \"current\" for the newest, and \"parked\" "
                     "for one waiting in the temporary folder.\n"},
        {"restore", "Usage: pellmarctl restore PATH [--version N | --at TIME] [--to FOLDER] [--dry-run]\n"
                    "Writes a kept copy back: a file to its version N, a file or folder to the newest copy of each "
                    "file not newer than TIME (local time, 2026-12-09T14:05 or 2026-12-09T14:05:30; files the backup "
                    "did not hold then are left alone), or with neither to the current copy.\n"
                    "The file there now is kept first: as a new version when the monitor keeps versions, otherwise "
                    "beside it as \"NAME (before restore DATE TIME).EXT\".\n"
                    "  --to FOLDER   writes into FOLDER instead of the file's own place\n"
                    "  --dry-run     prints what would be restored and changes nothing\n"},
    };
    return texts;
}

}  // namespace

std::string HelpText(const std::string& verb) {
    auto found = Texts().find(verb);
    return found == Texts().end() ? kOverview : found->second;
}

}  // namespace pellmar::ctl
