// What the backup holds of a monitored file or folder: for each file its plain copy, or the
// numbered versions kept in the backup folder and those parked in the temporary folder while the
// backup folder was offline. Reads the file system only; one thread at a time (the local time
// of a file comes from std::localtime).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tray/model/ScannerValues.h"
#include "tray/util/DateTime.h"

namespace pellmar {

struct KeptCopy {
    std::int32_t number = 0;  // the version number; 0 for a plain copy
    std::string path;         // in the backup folder, or in the temporary folder when parked
    std::uint64_t size = 0;
    DateTime modified = 0;    // the kept file's modification time, local
    bool parked = false;
};

struct FileHistory {
    std::string source;            // the monitored file's path
    std::string backup;            // its path in the backup folder without a version number
    std::vector<KeptCopy> copies;  // by number, oldest first: the last one is the current one
};

// `path` is the monitored file or folder (a folder with or without its trailing delimiter; one
// that exists neither in the monitored folder nor in the backup is read as a file).
// `tempFilePath` ends in a delimiter. Files of which nothing is kept are not listed.
std::vector<FileHistory> ListBackup(const ScannerValues& monitor, const std::string& path,
                                    const std::string& tempFilePath);

// Whether `path` names a folder, in the monitored folder or as kept in the backup.
bool NamesMonitoredFolder(const ScannerValues& monitor, const std::string& path);

// The local time of a file time in nanoseconds since 1970 UTC.
DateTime LocalFileTime(std::int64_t nanoseconds);

}  // namespace pellmar
