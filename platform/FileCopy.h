// The replication worker's steps on single files: a copy that replaces its destination only when
// complete, and the exclusive hold of a source while it is copied. No policy (result codes,
// versions, parking) lives here. Any thread; each call blocks until its file work is done.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace pellmar::platform {

// Called after each chunk with the bytes written so far; returning false abandons the copy.
// It exists so that tests can make a copy fail half-way.
using CopyProgress = std::function<bool(std::uint64_t bytesCopied)>;

enum class CopyResult {
    Copied,
    Failed,
    // The destination's file system cannot store the name (":?*\"<>|\\" on FAT, exFAT, SMB):
    // no retry will ever succeed.
    NameNotAllowed,
    // The name, or the whole path, is longer than the system allows (ENAMETOOLONG).
    NameTooLong,
    // The destination's file system is full, or the user's quota there is used up.
    NoSpace,
    // The source exists but this process may not read it.
    SourceUnreadable,
};

// What stands at a path itself: a link is reported as a link, never followed (Windows: a link
// is reported as what it names, which the whole-file copy follows as before).
enum class EntryKind { Missing, File, Link, Folder, Special, NameTooLong, Unreadable };
EntryKind InspectEntry(const std::string& path);

// Makes `destination` a symbolic link with the same target text as the link `source`,
// replacing what stood there in one step (a link beside it, renamed over it), the rename on
// stable storage before returning. Windows: Failed (InspectEntry never reports a link there).
CopyResult CopyLinkReplacing(const std::string& source, const std::string& destination);

// Copies `source` over `destination`: the bytes go to a temporary file in the destination's
// folder which is renamed over the destination once complete, so an existing destination is
// either replaced whole or left byte-identical. Keeps the source's modification time, its holes
// (a sparse file stays sparse) and permission bits, except a set-user-id or set-group-id bit
// the copy's own owner or group does not share with the source (a host running as root never
// makes a set-uid root program of another user's file). Returns only once the new content and
// its name are on stable storage.
// On any failure the temporary file is removed. The first copy of this process into a folder
// also removes the temporaries there that copies of ended processes left behind.
CopyResult CopyFileReplacing(const std::string& source, const std::string& destination,
                             const CopyProgress& progress = nullptr);

// Creates one folder level of a copy's destination: Copied when it exists afterwards,
// NameNotAllowed when its file system cannot store the name, Failed otherwise.
CopyResult CreateFolderLevel(const std::string& path);

// While alive, no other program can change the file's content; the holder can still read it.
class ExclusiveHold {
public:
    virtual ~ExclusiveHold() = default;
};

// Takes the hold, or returns nullptr when another program has the file open for writing (or
// holds it itself). Linux: a read lease, which also makes later writers wait until the hold ends;
// where a lease is not permitted (not the file's owner, a file system without leases), an
// exclusive flock. The lease's break signal is made harmless to the process on first use.
std::unique_ptr<ExclusiveHold> TakeExclusiveHold(const std::string& path);

// The fallback alone (exposed so that it can be exercised where leases are always permitted).
std::unique_ptr<ExclusiveHold> TakeLockHold(const std::string& path);

// True when the OS compares path names without regard to ASCII case (Windows); false on Linux.
bool PathNamesIgnoreCase();

}  // namespace pellmar::platform
