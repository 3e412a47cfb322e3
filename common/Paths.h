// Path helpers over the platform's delimiter and folders. Pure except for the platform queries.
#pragma once

#include <string>
#include <string_view>

#include "platform/FileCopy.h"

namespace pellmar {

// The text with the platform delimiter appended unless it already ends in one; "" gives the
// delimiter alone. (Windows: "\"; Linux: "/".)
std::string IncludeTrailingPathDelimiter(const std::string& path);

// The text without its trailing delimiters; a lone delimiter (the root "/") stays.
std::string ExcludeTrailingPathDelimiter(std::string path);

// Equal path texts as the OS compares names: without regard to ASCII case on Windows.
bool SamePathText(std::string_view a, std::string_view b);

// Creates `path` and every missing parent, outermost first. Stops at a level that exists, at a
// drive such as "C:" or at the root "/"; a trailing delimiter is ignored.
// Failures are silent: the caller meets the missing folder later. Returns whether it exists now.
bool ForceFolders(const std::string& path);

// ForceFolders for the folder a copy goes into, telling why it could not be made: NameNotAllowed
// when the file system cannot store the name of a missing level, Failed for any other reason.
platform::CopyResult ForceCopyFolders(const std::string& path);

}  // namespace pellmar
