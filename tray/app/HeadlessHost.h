// The headless host: the replication core brought up and down in the tray program's order, with
// the plain dispatcher as main loop and no windows or updater. Owns nothing beyond one run.
#pragma once

#include "tray/session/FolderMonitor.h"

namespace pellmar {

// Runs on the calling (main) thread until SIGINT or SIGTERM; returns the process exit code: 0, or
// 3 without starting when another host runs on the same data folder.
int RunHeadless(const FolderMonitorTimings& timings = {});

}  // namespace pellmar
