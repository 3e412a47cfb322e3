// A problem is told once: again only after it has gone and come back, so a monitor that stays
// stopped or a backup drive left unplugged never floods the desktop.
#include "tray/ui/TrayAttention.h"

namespace pellmar {
namespace {

std::string JobsLine(std::int64_t pending) {
    if (pending == 0) return "No jobs waiting";
    return std::to_string(pending) + (pending == 1 ? " job waiting" : " jobs waiting");
}

std::string SummaryLines(const SessionSummary& summary) {
    if (!summary.readable) return "The event log and the jobs cannot be read now";
    return JobsLine(summary.pendingJobs) + "\n" +
           (summary.lastBackup.empty() ? std::string("No backup made yet") : "Last backup: " + summary.lastBackup);
}

}  // namespace

std::vector<TrayAttention::Problem> TrayAttention::Problems(const std::vector<MonitorAttention>& monitors,
                                                            const SessionSummary& summary,
                                                            std::int64_t lastSeenProblem,
                                                            std::chrono::steady_clock::time_point now) {
    std::vector<Problem> problems;
    std::map<MonitorId, std::chrono::steady_clock::time_point> offline;
    for (const MonitorAttention& monitor : monitors) {
        const std::string id = std::to_string(monitor.id);
        if (monitor.status.state == MonitorState::Stopped) {
            const std::string why = monitor.status.reason.empty() ? "it hears no changes" : monitor.status.reason;
            problems.push_back({"stopped " + id, "Stopped: " + monitor.root,
                                {"A monitor stopped", "The monitor of " + monitor.root + " stopped: " + why}});
        }
        if (monitor.status.state != MonitorState::BackupOffline) continue;
        const auto since = offlineSince_.find(monitor.id);
        offline[monitor.id] = since == offlineSince_.end() ? now : since->second;
        if (now - offline[monitor.id] < kBackupOfflineGrace) continue;
        problems.push_back({"offline " + id, "Backup folder offline: " + monitor.root,
                            {"A backup folder is offline",
                             "The backup folder of " + monitor.root +
                                 " has been unreachable for minutes; its copies wait until it is back."}});
    }
    offlineSince_ = std::move(offline);
    if (summary.readable && summary.newestProblem > lastSeenProblem) {
        // One key for all of them: a burst of failures is one problem until the user has looked.
        problems.push_back({"log", "New errors in the event log",
                            {"New errors in the event log",
                             "Something went wrong with a backup. Choose \"View Log\" to see what."}});
    }
    return problems;
}

TrayLook TrayAttention::Look(const std::vector<MonitorAttention>& monitors, const SessionSummary& summary,
                             std::int64_t lastSeenProblem, std::chrono::steady_clock::time_point now) {
    TrayLook look;
    look.tooltip = "Pellmar\n" + SummaryLines(summary);
    std::set<std::string> present;
    std::vector<TrayNotice> fresh;
    for (Problem& problem : Problems(monitors, summary, lastSeenProblem, now)) {
        look.attention = true;
        look.tooltip += "\n" + problem.line;
        present.insert(problem.key);
        if (!notified_.contains(problem.key)) fresh.push_back(std::move(problem.notice));
    }
    notified_ = std::move(present);
    if (fresh.size() == 1) look.notice = fresh.front();
    if (fresh.size() > 1) {
        look.notice = TrayNotice{"Pellmar needs your attention", {}};
        for (const TrayNotice& notice : fresh) look.notice->text += (look.notice->text.empty() ? "" : "\n") + notice.text;
    }
    return look;
}

}  // namespace pellmar
