// Each command looks its monitor up first, so an unknown id is refused before anything changes;
// values are checked completely (all setup requirements, every mask) before a save is tried.
#include "tray/ctl/CtlExecute.h"

#include "tray/ctl/CtlOutput.h"
#include "tray/ctl/CtlRestore.h"
#include "tray/log/LogCodes.h"
#include "tray/model/SetupRequirements.h"
#include "tray/monitor/SetupConflicts.h"

#include <algorithm>

namespace pellmar::ctl {
namespace {

const char* kCannotRead = "the monitors cannot be read from the database";

// The monitor with the id, or a failure reply.
std::optional<ScannerValues> FindMonitor(ControlBackend& backend, std::int32_t id, CtlReply* reply) {
    std::vector<ScannerValues> monitors;
    if (!backend.Monitors(&monitors)) {
        *reply = Failure(kExitFailure, kCannotRead);
        return std::nullopt;
    }
    auto found = std::find_if(monitors.begin(), monitors.end(), [id](const ScannerValues& m) { return m.id == id; });
    if (found == monitors.end()) {
        *reply = Failure(kExitFailure, "no monitor with the id " + std::to_string(id) + "; see pellmarctl list");
        return std::nullopt;
    }
    return *found;
}

// The setup dialog's checks, with its words: the three requirements, then the setups that could
// never work (masks, folders in each other, other monitors); empty when fine.
std::string Problems(const ScannerValues& values, std::vector<ScannerValues> others) {
    std::string text;
    for (const SetupProblem& problem : CheckSetupRequirements(values)) text += "pellmarctl: " + std::string(problem.text) + "\n";
    std::erase_if(others, [&values](const ScannerValues& other) { return other.id == values.id; });
    for (const SetupConflict& conflict : CheckSetupConflicts(values, others)) text += "pellmarctl: " + conflict.text + "\n";
    return text;
}

CtlReply Save(ControlBackend& backend, std::int32_t id, const ScannerValues& values, bool json) {
    std::vector<ScannerValues> others;
    if (!backend.Monitors(&others)) return Failure(kExitFailure, kCannotRead);
    ScannerValues checked = values;
    checked.id = id;
    std::string problems = Problems(checked, std::move(others));
    if (!problems.empty()) return {kExitUsage, {}, problems};
    const std::int32_t saved = backend.Save(id, values);
    if (saved == 0) return Failure(kExitFailure, "the monitor could not be stored in the database");
    if (id != 0) return {};
    return {kExitDone, json ? "{\"id\":" + std::to_string(saved) + "}\n" : std::to_string(saved) + "\n", {}};
}

CtlReply Change(const CtlCommand& command, ControlBackend& backend) {
    CtlReply reply;
    if (command.verb == "add") return Save(backend, 0, ApplyOptions(NewMonitorValues(), command.monitor), command.json);
    auto monitor = FindMonitor(backend, command.id, &reply);
    if (!monitor) return reply;
    if (command.verb == "show")
        return {kExitDone, FormatMonitor(*monitor, backend.StateOf(command.id), command.json), {}};
    if (command.verb == "edit") return Save(backend, command.id, ApplyOptions(*monitor, command.monitor), command.json);
    bool done = command.verb == "delete" ? backend.Delete(command.id)
                                         : backend.SetStatus(command.id, command.verb == "enable" ? 1 : 0);
    return done ? CtlReply{} : Failure(kExitFailure, "the change could not be stored in the database");
}

}  // namespace

namespace {

CtlReply Cancel(std::int32_t jobid, ControlBackend& backend) {
    LogListModel rows;
    if (!backend.LoadLog(&rows)) return Failure(kExitFailure, "the event log cannot be read");
    const auto& all = rows.Rows();
    const bool warning = std::any_of(all.begin(), all.end(), [jobid](const LogListRow& row) {
        return row.item.jobid == jobid && row.image == kLogWarning;
    });
    if (!warning) {
        return Failure(kExitFailure, "job " + std::to_string(jobid) +
                                         " has no Warning entry in the event log; only those can be cancelled");
    }
    return backend.CancelJob(jobid) ? CtlReply{} : Failure(kExitFailure, "the job could not be cancelled");
}

CtlReply Listing(const CtlCommand& command, ControlBackend& backend) {
    if (command.verb == "list") {
        std::vector<ScannerValues> monitors;
        if (!backend.Monitors(&monitors)) return Failure(kExitFailure, kCannotRead);
        std::vector<MonitorStateWords> states;
        for (const ScannerValues& monitor : monitors) states.push_back(backend.StateOf(monitor.id));
        return {kExitDone, FormatMonitors(monitors, states, command.json), {}};
    }
    if (command.verb == "jobs") {
        std::vector<JobRow> jobs;
        if (!backend.Jobs(&jobs)) return Failure(kExitFailure, "the pending jobs cannot be read");
        return {kExitDone, FormatJobs(jobs, command.json), {}};
    }
    LogListModel rows;
    if (!backend.LoadLog(&rows)) return Failure(kExitFailure, "the event log cannot be read");
    std::vector<LogListRow> shown = rows.Rows();
    if (command.limit >= 0 && shown.size() > static_cast<std::size_t>(command.limit)) shown.resize(command.limit);
    return {kExitDone, FormatLog(shown, command.json), {}};
}

CtlReply Synchronise(const CtlCommand& command, ControlBackend& backend) {
    CtlReply reply;
    if (!FindMonitor(backend, command.id, &reply)) return reply;
    std::string why;
    if (!backend.Synchronise(command.id, &why)) return Failure(kExitFailure, why);
    if (command.json) return {kExitDone, "{\"started\":true}\n", {}};
    return {kExitDone, "comparing the monitored folder with its backup; the event log will say how many files were "
                       "queued for copying\n", {}};
}

}  // namespace

CtlReply Failure(int exitCode, const std::string& message) { return {exitCode, {}, "pellmarctl: " + message + "\n"}; }

CtlReply Execute(const CtlCommand& command, ControlBackend& backend) {
    const std::string& verb = command.verb;
    if (verb == "list" || verb == "log" || verb == "jobs") return Listing(command, backend);
    if (verb == "cancel") return Cancel(command.id, backend);
    if (verb == "sync") return Synchronise(command, backend);
    if (verb == "versions") return ListVersions(command, backend);
    if (verb == "restore") return RestorePath(command, backend);
    return Change(command, backend);
}

}  // namespace pellmar::ctl
