// Moving a staged updater into place: copy first, delete the staged file only after the copy held.
#include "tray/shell/StagedUpdater.h"

#include "common/FileReplace.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/ProgramStart.h"

#include <thread>

namespace pellmar {

void InstallStagedUpdater(const std::string& programFolder, std::chrono::milliseconds pauseAfterCopy) {
    if (programFolder.empty()) return;
    std::string updater = platform::ExecutableFileName("qmUpdate");
    std::string stagingFolder = programFolder + "Tmp";
    std::string staged = stagingFolder + platform::PathDelimiter() + updater;
    if (!platform::FileExists(staged)) return;
    if (!ReplaceFileWithCopy(staged, programFolder + updater)) return;
    std::this_thread::sleep_for(pauseAfterCopy);
    platform::RemoveFile(staged);
    platform::RemoveEmptyFolder(stagingFolder);
}

}  // namespace pellmar
