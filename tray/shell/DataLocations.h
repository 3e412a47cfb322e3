// The data folder, the temporary folder for parked version copies, the database path and the
// protected folders, settled once from the per-user settings when the session first starts.
// Main thread; the result does not change while the program runs.
#pragma once

#include <string>
#include <vector>

namespace pellmar {

struct DataLocations {
    std::string dataPath;       // as read or defaulted, unchanged
    std::string tempFilePath;   // as read or defaulted, then one delimiter appended (always)
    std::string databasePath;   // dataPath + "/db/" + "pellmar.db"
    std::vector<std::string> protectedFolders;  // system folder, then dataPath; A-Z lower-cased, delimiter-terminated
};

// Reads (and on first use writes back) the settings, creates the db and temporary folders, and
// builds the protected folder list. Never fails: missing settings mean defaults, folder creation
// failures are silent.
DataLocations SettleDataLocations();

// The defaults under the user's application data folder.
std::string DefaultDataPath();
std::string DefaultTempFilePath();

}  // namespace pellmar
