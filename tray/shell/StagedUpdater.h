// Completing an update that could not replace the running updater: a staged "Tmp/qmUpdate" is
// moved over the installed one at the tray program's start. Silent on every failure. Main thread.
#pragma once

#include <chrono>
#include <string>

namespace pellmar {

// `programFolder` ends in a delimiter; empty: the running executable's folder. The pause lets the
// file system settle between the copy and the removal of the staged file.
void InstallStagedUpdater(const std::string& programFolder = {},
                          std::chrono::milliseconds pauseAfterCopy = std::chrono::milliseconds(50));

}  // namespace pellmar
