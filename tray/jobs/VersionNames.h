// Numbered names of the versions a monitor keeps of one file ("report.doc" -> "report.3.doc"):
// the name of a new version, of its siblings, and the readings of a name found in a backup folder.
// Pure text rule; the counter that hands out the numbers lives in Versions.h, the kept versions in
// the backup folder in KeptVersions.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellmar {

// `dest` with `version` put between the file name's base and its extension. The extension runs
// from the last dot of the file name (never of a folder) to its end; a name without a dot gets
// ".N" appended. "a.tar.gz" -> "a.tar.N.gz", "README" -> "README.N".
std::string VersionFileName(const std::string& dest, std::int32_t version);

// The name of version `version` of the file whose version `currentVersion` is named `dest`: only
// the number between base name and extension differs ("a.4.doc" -> "a.1.doc", "README.4" -> "README.1").
std::string SiblingVersionPath(const std::string& dest, int currentVersion, int version);

// One way of reading a file name of a backup folder as a version: the name of the file it keeps
// a version of, and the number.
struct VersionReading {
    std::string original;
    std::int64_t version;
};

// "report.3.doc" may be version 3 of "report.doc"; "README.3" version 3 of "README". A name can be
// read both ways ("a.1.2"), so each reading is given; none for a name that is no version's.
std::vector<VersionReading> VersionReadings(const std::string& name);

}  // namespace pellmar
