// Splitting a full path into its folder part and its file-name part, as the scanners see them.
// Pure functions over text; no file-system access.
#pragma once

#include <string_view>

namespace pellmar {

// The text after the last path delimiter (on Windows also after a drive colon); the whole path
// when it has none.
std::string_view FileNamePart(std::string_view path);

// Everything up to and including that delimiter; empty when there is none.
std::string_view FolderPart(std::string_view path);

}  // namespace pellmar
