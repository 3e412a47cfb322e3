// What the tray icon shows about the session: its look (plain, or asking for the user), a tooltip
// with the jobs waiting and the last backup, and one notification for each problem when it first
// appears: a backup folder offline for minutes, a monitor that stopped, errors logged since the user
// last opened the event log. Plain logic; the icons are the views'.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tray/session/MonitorSession.h"
#include "tray/session/SessionSummary.h"

namespace pellmar {

struct MonitorAttention {
    MonitorId id = 0;
    std::string root;
    MonitorStatus status;
};

struct TrayNotice {
    std::string title;
    std::string text;
};

struct TrayLook {
    bool attention = false;
    std::string tooltip;
    // The problems new since the last look, as one notification: desktops show one at a time.
    std::optional<TrayNotice> notice;
};

// A drive unplugged for a moment, or a share that drops and comes back, is not worth a word.
inline constexpr std::chrono::minutes kBackupOfflineGrace{3};

// Thread contract: main thread (the presenter's).
class TrayAttention {
public:
    // `lastSeenProblem`: the newest error the user has seen in the event log.
    TrayLook Look(const std::vector<MonitorAttention>& monitors, const SessionSummary& summary,
                  std::int64_t lastSeenProblem, std::chrono::steady_clock::time_point now);

private:
    struct Problem {
        std::string key;  // the same problem keeps its key from one look to the next
        std::string line;  // in the tooltip
        TrayNotice notice;
    };
    std::vector<Problem> Problems(const std::vector<MonitorAttention>& monitors, const SessionSummary& summary,
                                  std::int64_t lastSeenProblem, std::chrono::steady_clock::time_point now);

    std::map<MonitorId, std::chrono::steady_clock::time_point> offlineSince_;
    std::set<std::string> notified_;  // problems told and not gone since
};

}  // namespace pellmar
