// What a monitor is doing right now, as the session knows it, and the words for it that
// pellmarctl prints. Plain values; the session (MonitorKeeper) decides the state.
#pragma once

#include <string>

namespace pellmar {

enum class MonitorState {
    Disabled,          // not enabled: nothing is watched
    Watching,          // hearing changes (`reason` says when only part of the tree is)
    CatchingUp,        // hearing changes, and comparing the tree with the backup
    WaitingForFolder,  // the monitored folder is missing or is not the folder it was
    BackupOffline,     // hearing changes; the backup folder is not there, copies wait
    Stopped,           // hears nothing; `reason` says why (it is started again later)
};

struct MonitorStatus {
    MonitorState state = MonitorState::Disabled;
    std::string reason;
};

// "disabled", "watching", "catching up", "waiting for its folder", "backup offline", "stopped".
std::string MonitorStateText(MonitorState state);

}  // namespace pellmar
