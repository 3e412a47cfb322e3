// The event log's texts about a monitor's own state: its folder gone and back, an engine that
// hears only part of the tree or nothing at all, and the count of a catch-up. The texts of the
// job outcomes live with the log codes.
#pragma once

#include <string>

namespace pellmar {

inline constexpr const char* kFolderLostMessage =
    "The monitored folder is not available (moved, deleted, or its drive or share is no longer mounted): its "
    "changes are not watched and no deletion is replicated until it is back.";
inline constexpr const char* kFolderBackMessage =
    "The monitored folder is available again: watching resumed, and what changed meanwhile is compared with the "
    "backup.";
inline constexpr const char* kWatchBrokenMessage =
    "The monitored folder can no longer be watched: reading its changes failed. The monitor is started again "
    "shortly, and what changed meanwhile is compared with the backup.";
inline constexpr const char* kWatchingAgainMessage =
    "The monitor is watching its folder again, and what changed meanwhile is compared with the backup.";

inline std::string PartlyWatchedMessage(const std::string& advice) {
    return "Not every folder below the monitored folder can be watched: " + advice +
           ". Until then the unwatched folders are compared with the backup every minute.";
}

inline std::string CaughtUpMessage(int queued) {
    return "Compared the monitored folder with its backup: " + std::to_string(queued) +
           (queued == 1 ? " file was" : " files were") + " queued for copying.";
}

}  // namespace pellmar
