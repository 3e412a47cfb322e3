// Which change engine the monitors use and how often the snapshot engine rescans a folder whose
// file system reports no changes: two values of the per-user settings store. Reading only; no
// policy beyond defaults for missing or unreadable values.
#pragma once

#include <chrono>
#include <string>

namespace pellmar {

inline constexpr const char* kChangeEngineSetting = "ChangeEngine";    // auto | notification | snapshot | rescan
inline constexpr const char* kRescanSecondsSetting = "RescanSeconds";  // decimal seconds, default 30

enum class EngineChoice {
    Automatic,     // by the file system of each monitor's folder
    Notification,  // detailed change records everywhere
    Snapshot,      // folder comparison everywhere
    Rescan,        // folder comparison driven by the timer alone, as on a blind file system
};

struct EngineSettings {
    EngineChoice choice = EngineChoice::Automatic;
    std::chrono::milliseconds rescanInterval{30000};
};

// Pure: letter case of the engine name is ignored; anything unknown or out of range is the default.
EngineSettings ParseEngineSettings(const std::string& engine, const std::string& rescanSeconds);

// From the settings store of this user; defaults when it cannot be opened. Main thread.
EngineSettings ReadEngineSettings();

}  // namespace pellmar
