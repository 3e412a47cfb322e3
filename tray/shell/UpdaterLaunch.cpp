// The updater's start from the tray program.
#include "tray/shell/UpdaterLaunch.h"

#include "common/CommandLine.h"
#include "platform/FileSystem.h"
#include "platform/ProgramStart.h"
#include "tray/shell/ProgramVersion.h"

// The build passes the configured location; a bare compile of this file alone gets a placeholder.
#ifndef PELLMAR_UPDATE_LOCATION
#define PELLMAR_UPDATE_LOCATION "https://updates.quenmarsh.example/updates/Pellmar"
#endif
#ifndef PELLMAR_SELF_UPDATE
#define PELLMAR_SELF_UPDATE 1
#endif

namespace pellmar {

const char* const UpdateLocation = PELLMAR_UPDATE_LOCATION;
const char* const ProgramVersion = kProgramVersion;
const bool SelfUpdate = PELLMAR_SELF_UPDATE != 0;

std::string BuildUpdaterParameters(const std::string& programFolder, platform::WindowHandle window) {
    return std::string(UpdateLocation) + " \"" + programFolder + platform::ExecutableFileName("Pellmar") + "\" " +
           ProgramVersion + " " + std::to_string(window);
}

void LaunchUpdater(platform::WindowHandle window, const std::string& programFolder, bool selfUpdate) {
    if (!selfUpdate || programFolder.empty() || !platform::FolderWritable(programFolder)) return;
    // Split by the updater's own rule, so the arguments it receives are the ones a command line carries.
    std::vector<std::string> arguments = ParseCommandLine("qmUpdate " + BuildUpdaterParameters(programFolder, window));
    platform::StartDetachedProgram(programFolder + platform::ExecutableFileName("qmUpdate"), arguments, true);
}

}  // namespace pellmar
