// The words of the monitor states.
#include "tray/session/MonitorStates.h"

namespace pellmar {

std::string MonitorStateText(MonitorState state) {
    switch (state) {
        case MonitorState::Watching: return "watching";
        case MonitorState::CatchingUp: return "catching up";
        case MonitorState::WaitingForFolder: return "waiting for its folder";
        case MonitorState::BackupOffline: return "backup offline";
        case MonitorState::Stopped: return "stopped";
        default: return "disabled";
    }
}

}  // namespace pellmar
