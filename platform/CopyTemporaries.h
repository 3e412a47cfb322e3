// The names of the temporaries that whole-file copies write beside their destinations,
// ".pellmar-copy.<pid>.<n>.tmp", and the once-per-folder rule for clearing those of ended
// processes. Shared by the OS implementations of platform/FileCopy.h; pure except the visit
// record, which is process-wide and guarded. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellmar::platform {

// A file name (no folder) for a new temporary of this process, `processId`; never the same twice.
std::string NewCopyTemporaryName(std::uint64_t processId);

// The process id in a temporary's name; nullopt for any other name.
std::optional<std::uint64_t> CopyTemporaryOwner(std::string_view name);

// True the first time a folder is named in this process; later copies find nothing left over
// that a crash before this process started could have made. Asked before the folder is listed,
// so that each later copy costs no listing.
bool FirstCopyIntoFolder(const std::string& folder);

// Undoes the record of a first copy into a folder that could not be listed then (an unmounted
// drive), so that the next copy into it looks again.
void ForgetCopyIntoFolder(const std::string& folder);

}  // namespace pellmar::platform
