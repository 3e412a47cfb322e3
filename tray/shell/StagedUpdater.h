// Completing an update that could not replace the running updater: a staged "Tmp/qmUpdate" is
// moved over the installed one at the tray program's start. Silent on every failure. Main thread.
#pragma once

#include "platform/Environment.h"

#include <chrono>
#include <string>

namespace pellmar {

// `programFolder` ends in a delimiter; by default the running executable's folder; empty (it cannot
// be found): nothing is done. The pause lets the file system settle between the copy and the
// removal of the staged file.
void InstallStagedUpdater(const std::string& programFolder = platform::GetProgramFolder(),
                          std::chrono::milliseconds pauseAfterCopy = std::chrono::milliseconds(50));

}  // namespace pellmar
