// Comparing a monitor's folder with its backup folder: every file that passes the monitor's
// masks and whose backup is missing or out of date is reported as modified through the scanner's
// event path. What is already backed up is left alone, so versions are not multiplied.
// Used after the engine lost changes, and for "synchronise now".
#pragma once

#include "tray/monitor/FolderScanner.h"

namespace pellmar {

// Main thread (it reports through the scanner). Walks the monitor's root, and its sub-folders
// when it watches them, without following links to folders. Returns how many files it reported.
// A file counts as backed up when its backup copy (for a versioned monitor: its newest kept
// version) has the same size and a modification time no older than the file's, allowing for the
// two-second resolution of FAT and SMB backup drives.
int ReconcileWithBackup(FolderScanner& scanner);

}  // namespace pellmar
