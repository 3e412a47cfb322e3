// The items of the program's own command line as UTF-8 text, the program first, split as the C
// runtime splits argv. On Windows the C runtime's argv is in the ANSI code page, which mangles
// paths and titles outside it, so the items are taken from the wide command line instead. Call
// from main; any thread.
#pragma once

#include <string>
#include <vector>

namespace pellmar::platform {

// `argc` and `argv` are main's; POSIX returns them as they are (they carry the bytes unchanged).
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace pellmar::platform
