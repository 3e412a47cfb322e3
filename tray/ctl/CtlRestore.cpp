// The listing and the plan are made here, before anything is written, so a usage error (no such
// path, no such version, nothing kept by then) leaves every file as it was; only the restore
// itself runs in the backend, which knows whether a host hears the writes.
#include "tray/ctl/CtlRestore.h"

#include <cstdio>

#include "common/Paths.h"
#include "platform/Environment.h"
#include "tray/ctl/CtlOutput.h"
#include "tray/monitor/PathParts.h"

namespace pellmar::ctl {
namespace {

bool StartsWithPath(std::string_view path, std::string_view folder) {
    return path.size() >= folder.size() && SamePathText(path.substr(0, folder.size()), folder);
}

std::string CopyWords(const KeptCopy& copy) {
    std::string words = copy.number == 0 ? std::string("the backup copy") : "version " + std::to_string(copy.number);
    return words + " of " + IsoLocalTime(copy.modified) + (copy.parked ? ", parked in the temporary folder" : "");
}

std::string VersionsText(const std::vector<FileHistory>& files, bool json) {
    std::string text = json ? "[" : "";
    for (std::size_t f = 0; f < files.size(); ++f) {
        const FileHistory& file = files[f];
        if (json) text += std::string(f ? ",\n " : "\n ") + "{\"file\":" + JsonString(file.source) + ",\"versions\":[";
        for (std::size_t v = 0; v < file.copies.size(); ++v) {
            const KeptCopy& c = file.copies[v];
            const bool current = v + 1 == file.copies.size();
            if (json) {
                text += std::string(v ? "," : "") + "{\"version\":" + std::to_string(c.number) + ",\"size\":" +
                        std::to_string(c.size) + ",\"time\":" + JsonString(IsoLocalTime(c.modified)) + ",\"current\":" +
                        (current ? "true" : "false") + ",\"parked\":" + (c.parked ? "true" : "false") + ",\"path\":" +
                        JsonString(c.path) + "}";
            } else {
                text += TextField(file.source) + "\t" + std::to_string(c.number) + "\t" + std::to_string(c.size) + "\t" +
                        IsoLocalTime(c.modified) + "\t" + (current ? "current" : "") + (c.parked ? "\tparked" : "\t") +
                        "\n";
            }
        }
        if (json) text += "]}";
    }
    return json ? text + (files.empty() ? "]\n" : "\n]\n") : text;
}

// The monitor and what its backup holds of the command's path, or a failure reply.
std::optional<std::pair<ScannerValues, std::vector<FileHistory>>> Lookup(const CtlCommand& command,
                                                                        ControlBackend& backend, CtlReply* reply) {
    std::vector<ScannerValues> monitors;
    if (!backend.Monitors(&monitors)) {
        *reply = Failure(kExitFailure, "the monitors cannot be read from the database");
        return std::nullopt;
    }
    std::optional<ScannerValues> monitor = MonitorOfPath(monitors, command.path);
    if (!monitor) {
        *reply = Failure(kExitUsage, command.path + " is not inside a monitored folder; see pellmarctl list");
        return std::nullopt;
    }
    std::vector<FileHistory> files = ListBackup(*monitor, command.path, backend.TemporaryFolder());
    if (files.empty()) {
        *reply = Failure(kExitUsage, "the backup holds no copy or version of " + command.path);
        return std::nullopt;
    }
    return std::make_pair(*monitor, std::move(files));
}

// What the command asks for; empty with a failure reply when nothing fits.
std::vector<RestoreItem> Plan(const CtlCommand& command, const ScannerValues& monitor,
                              const std::vector<FileHistory>& files, CtlReply* reply) {
    const RestoreOptions& options = command.restore;
    std::vector<RestoreItem> items;
    if (options.version) {
        if (NamesMonitoredFolder(monitor, command.path)) {
            *reply = Failure(kExitUsage, "--version picks a version of one file; restore a folder with --at TIME");
            return items;
        }
        if (auto item = PlanVersion(files.front(), *options.version, command.path, options.to)) items.push_back(*item);
        else *reply = Failure(kExitUsage, "the backup holds no version " + std::to_string(*options.version) + " of " +
                                              command.path + "; see pellmarctl versions");
    } else if (options.at) {
        items = PlanPointInTime(files, *options.at, command.path, options.to);
        if (items.empty()) *reply = Failure(kExitUsage, "the backup holds nothing of " + command.path + " from " +
                                                            IsoLocalTime(*options.at) + " or before");
    } else {
        for (const FileHistory& file : files)
            items.push_back(*PlanVersion(file, file.copies.back().number, command.path, options.to));
    }
    return items;
}

std::string OutcomeText(const RestoreItem& item, const RestoredFile& file) {
    switch (file.outcome) {
    case RestoreOutcome::Restored:
        return "restored " + file.target + " from " + CopyWords(item.copy) +
               (file.kept.empty() ? std::string() : "; the file there before is kept as " + file.kept) + "\n";
    case RestoreOutcome::Unchanged: return "unchanged " + file.target + ": it already holds " + CopyWords(item.copy) + "\n";
    case RestoreOutcome::Failed: return "";
    case RestoreOutcome::NotDone: return "not restored " + file.target + ": cancelled\n";
    }
    return "";
}

}  // namespace

std::optional<ScannerValues> MonitorOfPath(const std::vector<ScannerValues>& monitors, const std::string& path) {
    const std::string wanted = ExcludeTrailingPathDelimiter(path);
    std::optional<ScannerValues> found;
    for (const ScannerValues& monitor : monitors) {
        const std::string root = IncludeTrailingPathDelimiter(ExcludeTrailingPathDelimiter(monitor.root));
        const bool inside = SamePathText(wanted + platform::PathDelimiter(), root) || StartsWithPath(wanted, root);
        if (!inside || monitor.root.empty() || monitor.backuppath.empty()) continue;
        if (!monitor.subfolders && wanted.size() >= root.size() && !SamePathText(FolderPart(wanted), root)) continue;
        if (!found || monitor.root.size() > found->root.size()) found = monitor;
    }
    return found;
}

std::string IsoLocalTime(DateTime t) {
    const DateTimeFields f = DecodeDateTime(t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute, f.second);
    return text;
}

CtlReply ListVersions(const CtlCommand& command, ControlBackend& backend) {
    CtlReply reply;
    auto found = Lookup(command, backend, &reply);
    if (!found) return reply;
    return {kExitDone, VersionsText(found->second, command.json), {}};
}

CtlReply RestorePath(const CtlCommand& command, ControlBackend& backend) {
    CtlReply reply;
    auto found = Lookup(command, backend, &reply);
    if (!found) return reply;
    const std::vector<RestoreItem> items = Plan(command, found->first, found->second, &reply);
    if (items.empty()) return reply;
    if (command.restore.dryRun) {
        for (const RestoreItem& item : items) reply.out += "would restore " + item.target + " from " + CopyWords(item.copy) + "\n";
        return reply;
    }
    const RestoreResult result = backend.Restore(found->first, items, command.path);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const RestoredFile& file = result.files[i];
        reply.out += OutcomeText(items[i], file);
        if (file.outcome == RestoreOutcome::Failed) {
            reply.err += "pellmarctl: " + file.target + " was not restored: " + file.problem + "\n";
            reply.exitCode = kExitFailure;
        }
    }
    reply.out += std::to_string(result.restored) + (result.restored == 1 ? " file" : " files") + " restored\n";
    return reply;
}

}  // namespace pellmar::ctl
