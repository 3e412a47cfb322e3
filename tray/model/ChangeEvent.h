// One change on its way from a scanner to a row of table `jobs`, and back as a job the worker
// reads. Fields carry the names of the `jobs` columns. Owned by whoever holds it: scanner ->
// change handler -> change event queue -> job queue thread. Paths are carried whole, never cut.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Environment.h"

namespace pellmar {

enum JobType : std::int32_t {
    ChangeCreated = 1,
    ChangeModified = 2,
    ChangeDeleted = 3,
};

struct ChangeEvent {
    std::int32_t id = 0;              // row id, only when read back from `jobs`
    std::int32_t jobtype = 0;         // JobType
    std::uint32_t fileid = 0;         // Crc32OfText(src)
    bool createfolder = false;        // sub-folders are watched
    bool waitexclusive = false;       // the source must be held exclusively while copied
    std::int32_t currentversion = 0;  // version number of a versioned copy, else 0
    std::int32_t maxversions = 0;
    std::string src;                  // full path of the changed file
    std::string dest;                 // destination path in the backup folder
    // Not stored: the change was found by comparing a folder with its backup, not reported by
    // the OS, so it is not wanted when a copy of the file is already waiting in `jobs`.
    bool resync = false;
};

// A job of a folder (one that came into the tree or left it) names it with a trailing delimiter.
inline bool NamesFolder(const ChangeEvent& event) {
    return !event.src.empty() && platform::IsPathDelimiter(event.src.back());
}

}  // namespace pellmar
