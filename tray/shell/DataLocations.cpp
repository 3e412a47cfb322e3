#include "tray/shell/DataLocations.h"

#include "common/Paths.h"
#include "common/TextCase.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/UserSettings.h"

namespace pellmar {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return folder + platform::PathDelimiter() + name;
}

std::string ReadOrDefault(platform::UserSettings& settings, const std::string& name, const std::string& fallback) {
    std::string value = settings.ReadText(name);
    if (!value.empty()) return value;
    settings.WriteText(name, fallback);
    return fallback;
}

std::string ProtectedForm(const std::string& folder) {
    return IncludeTrailingPathDelimiter(LowerCaseAscii(folder));
}

}  // namespace

std::string DefaultDataPath() { return Join(Join(platform::GetAppDataPath(), "Quenmarsh"), "Pellmar"); }

// Always built from the application data folder, never from a configured DataPath.
std::string DefaultTempFilePath() { return Join(DefaultDataPath(), "TempDestFiles"); }

DataLocations SettleDataLocations() {
    DataLocations locations;
    if (std::unique_ptr<platform::UserSettings> settings = platform::UserSettings::Open()) {
        locations.dataPath = ReadOrDefault(*settings, "DataPath", DefaultDataPath());
        locations.tempFilePath = ReadOrDefault(*settings, "TempFilePath", DefaultTempFilePath());
    } else {
        locations.dataPath = DefaultDataPath();
        locations.tempFilePath = DefaultTempFilePath();
    }
    locations.databasePath = Join(Join(locations.dataPath, "db"), "pellmar.db");
    ForceFolders(Join(locations.dataPath, "db"));
    ForceFolders(locations.tempFilePath);
    // Appended even when the value already ends in a delimiter, as stored paths have always been built.
    locations.tempFilePath += platform::PathDelimiter();
    locations.protectedFolders = {ProtectedForm(platform::GetSystemDir()), ProtectedForm(locations.dataPath)};
    return locations;
}

}  // namespace pellmar
