// Command-line splitting shared by qmUpdate and qmRemove: one rule set for a Windows command line
// and for a POSIX argv rebuilt into one line, so both platforms split alike. Pure functions, any
// thread. Knows nothing of what the parameters mean.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

// Parameters 1, 2, 3, ... of `commandLine` (parameter 0, the program, is skipped), up to but not
// including the first one that comes out empty.
std::vector<std::string> ParseCommandLine(std::string_view commandLine);

// Joins argv items with one blank; an item that is empty or holds a blank (codes 1-32) is written
// between double quotes. Inner quotes are kept as they are, as a Windows command line would hold them.
std::string RebuildCommandLine(const std::vector<std::string>& items);
std::string RebuildCommandLine(int argc, const char* const* argv);

// Optional sign as the very first character, then decimal digits up to the first non-digit;
// wraps as a 32-bit integer; no leading digits gives 0.
std::int32_t ParseDecimalInt32(std::string_view text);

}  // namespace pellmar
