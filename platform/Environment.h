// Where things live on this OS: the user's data folder, the protected system folder, the path
// delimiter, the running program's folder and version. Plain queries, callable from any thread.
#pragma once

#include <string>

namespace pellmar::platform {

// The delimiter between path levels: '/' on Linux, '\\' on Windows.
char PathDelimiter();

// True when `c` separates path levels on this OS (Windows also accepts '/').
bool IsPathDelimiter(char c);

// Value of an environment variable; empty when unset.
std::string GetEnvironmentText(const std::string& name);

// The user's application data folder without a trailing delimiter; empty when the OS cannot say.
// Linux: $XDG_DATA_HOME, else $HOME/.local/share.
std::string GetAppDataPath();

// The folder whose files are never replicated because they belong to the system.
// Linux: "/usr". Windows: the Windows directory (at most 200 characters).
std::string GetSystemDir();

// The per-user configuration folder. Linux: $XDG_CONFIG_HOME, else $HOME/.config.
std::string GetUserConfigPath();

// Major version of the running OS kernel (Windows' GetVersionExA major; Linux' uname release); 0 on failure.
int GetOsMajorVersion();

// True when the OS reports detailed per-file change records (NT family; inotify on Linux).
bool HasDetailedChangeRecords();

// Folder of the running executable, ending in the delimiter; empty when it cannot be found.
std::string GetProgramFolder();

}  // namespace pellmar::platform
