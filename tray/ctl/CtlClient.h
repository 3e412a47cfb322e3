// pellmarctl's whole run: parse, then ask the host of this user's data folder over its control
// channel or, with no host, hold the host lock and work on the database file. Owns one run.
#pragma once

#include <string>
#include <vector>

namespace pellmar::ctl {

// `args` without the program name; prints to stdout and stderr; returns the exit code.
int RunControl(const std::vector<std::string>& args);

}  // namespace pellmar::ctl
