// POSIX hands the program its arguments as bytes; nothing to convert.
#include "platform/ProgramArguments.h"

namespace pellmar::platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

}  // namespace pellmar::platform
