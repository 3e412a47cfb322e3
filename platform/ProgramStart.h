// Starting another program without keeping a handle to it (ShellExecuteA / CreateProcessA on
// Windows, posix_spawn on Linux). Does not wait for, watch or reap the started program beyond the
// start itself. Any thread.
#pragma once

#include <string>
#include <vector>

namespace pellmar::platform {

// Starts `program` with `arguments` in the caller's working directory and environment, detached
// from the caller. `hidden` asks for no visible console window where the OS has one. Returns
// whether the program could be handed to the OS (false, for example, when it is missing or not
// executable); what the program does afterwards is not reported.
bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& arguments, bool hidden);

// The file name of one of the system's programs on this OS: "qmUpdate" on Linux, "qmUpdate.exe" on Windows.
std::string ExecutableFileName(const std::string& baseName);

}  // namespace pellmar::platform
