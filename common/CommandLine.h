// Command-line splitting shared by qmUpdate and qmRemove: one rule set for a command line held
// as one text (Windows), and the same rules applied item by item to an argv the system has split
// already (POSIX). Pure functions, any thread. Knows nothing of what the parameters mean.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

// Parameters 1, 2, 3, ... of `commandLine` (parameter 0, the program, is skipped), up to but not
// including the first one that comes out empty.
std::vector<std::string> ParseCommandLine(std::string_view commandLine);

// Parameters 1, 2, 3, ... of an argv (item 0 the program): each later item is one parameter, whatever
// blanks or quotes it holds (the rules cannot carry every such item through one joined text). As a
// command line would: an item that is empty or only pairs of double quotes disappears, and an item
// longer than one character that begins and ends with a double quote loses those two.
std::vector<std::string> ParseArgumentVector(const std::vector<std::string>& argv);

// Optional sign as the very first character, then decimal digits up to the first non-digit;
// wraps as a 32-bit integer; no leading digits gives 0.
std::int32_t ParseDecimalInt32(std::string_view text);

}  // namespace pellmar
