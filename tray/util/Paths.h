// Path helpers over the platform's delimiter and folders. Pure except for the platform queries.
#pragma once

#include <string>

namespace pellmar {

// The text with the platform delimiter appended unless it already ends in one; "" gives the
// delimiter alone. (Windows: "\"; Linux: "/".)
std::string IncludeTrailingPathDelimiter(const std::string& path);

// Creates `path` and every missing parent, outermost first. Stops at a level that exists or whose
// text is two characters or fewer (a drive such as "C:", or "/"); a trailing delimiter is ignored.
// Failures are silent: the caller meets the missing folder later. Returns whether it exists now.
bool ForceFolders(const std::string& path);

}  // namespace pellmar
