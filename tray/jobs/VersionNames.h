// Numbered names of the versions a monitor keeps of one file ("report.doc" -> "report.3.doc").
// Pure text rule; the counter that hands out the numbers lives in Versions.h.
#pragma once

#include <cstdint>
#include <string>

namespace pellmar {

// `dest` with `version` put between the file name's base and its extension. The extension runs
// from the last dot of the file name (never of a folder) to its end; a name without a dot gets
// ".N" appended. "a.tar.gz" -> "a.tar.N.gz", "README" -> "README.N".
std::string VersionFileName(const std::string& dest, std::int32_t version);

}  // namespace pellmar
