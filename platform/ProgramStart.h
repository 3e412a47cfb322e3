// Starting another program without keeping a handle to it (ShellExecuteA / CreateProcessA on
// Windows, a double fork without a shell on Linux). Does not wait for, watch or reap the started
// program beyond the start itself. Any thread.
#pragma once

#include <string>
#include <vector>

namespace pellmar::platform {

// Starts `program` with `arguments` in the caller's working directory and environment, detached
// from the caller. Each argument reaches the program as it is (no shell or quoting in between); a
// `program` without a folder is the file in the working directory, never one looked up on PATH.
// POSIX: the program starts with every signal at its default action and none blocked, whatever
// the caller ignores or blocks, and with standard input from /dev/null.
// `hidden` asks for no visible console window where the OS has one. Returns
// whether the program could be handed to the OS (false, for example, when it is missing or not
// executable); what the program does afterwards is not reported.
bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& arguments, bool hidden);

// The file name of one of the system's programs on this OS: "qmUpdate" on Linux, "qmUpdate.exe" on Windows.
std::string ExecutableFileName(const std::string& baseName);

}  // namespace pellmar::platform
