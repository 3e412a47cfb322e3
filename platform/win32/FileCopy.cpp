// Windows copy-then-replace (CopyFileExW into a temporary beside the destination, flushed, then
// MoveFileExW with replace and write-through), the leftovers of crashed copies and the exclusive
// hold by share mode. Knows nothing of jobs or result codes.
#include "platform/FileCopy.h"
#include "platform/ProcessLiveness.h"

#include "platform/CopyTemporaries.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <windows.h>

namespace pellmar::platform {
namespace {

using win32::UniqueHandle;
using win32::Widen;

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring TemporaryNameBeside(const std::wstring& destination) {
    return FolderOf(destination) + Widen(NewCopyTemporaryName(GetCurrentProcessId()));
}

void RemoveLeftoversOfEndedCopies(const std::wstring& folder) {
    const std::string name = win32::Narrow(folder);
    if (!FirstCopyIntoFolder(name)) return;
    WIN32_FIND_DATAW entry{};
    const HANDLE listing = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                            nullptr, 0);
    // A folder that cannot be listed now (an unplugged drive) is looked at again next time.
    if (listing == INVALID_HANDLE_VALUE) {
        ForgetCopyIntoFolder(name);
        return;
    }
    do {
        const std::optional<std::uint64_t> owner = CopyTemporaryOwner(win32::Narrow(entry.cFileName));
        if (!owner || !ProcessHasEnded(*owner)) continue;
        const std::wstring leftover = folder + entry.cFileName;
        SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only source's copy
        DeleteFileW(leftover.c_str());
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
}

DWORD CALLBACK OnCopyProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                              HANDLE, HANDLE, LPVOID data) {
    const auto* progress = static_cast<const CopyProgress*>(data);
    return (*progress)(static_cast<std::uint64_t>(transferred.QuadPart)) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

CopyResult ResultOfFailure(DWORD error) {
    switch (error) {
    case ERROR_INVALID_NAME: return CopyResult::NameNotAllowed;
    case ERROR_FILENAME_EXCED_RANGE: return CopyResult::NameTooLong;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return CopyResult::NoSpace;
    default: return CopyResult::Failed;
    }
}

// The copy keeps the source's attributes, so a read-only source gives a read-only temporary, which
// cannot be opened for the flush; the attribute is lifted for the flush and put back.
bool FlushToDisk(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) return false;
    bool flushed = false;
    {
        UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        flushed = file.Valid() && FlushFileBuffers(file.Get());
    }
    if (readOnly) SetFileAttributesW(path.c_str(), attributes);
    return flushed;
}

bool IsRegularFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class HandleHold final : public ExclusiveHold {
public:
    explicit HandleHold(UniqueHandle handle) : handle_(std::move(handle)) {}

private:
    UniqueHandle handle_;
};

}  // namespace

CopyResult CopyFileReplacing(const std::string& source, const std::string& destination, const CopyProgress& progress) {
    const std::wstring from = Widen(source);
    const std::wstring to = Widen(destination);
    if (!IsRegularFile(from)) return CopyResult::Failed;
    RemoveLeftoversOfEndedCopies(FolderOf(to));
    const std::wstring temporary = TemporaryNameBeside(to);
    BOOL cancel = FALSE;
    const BOOL copied = CopyFileExW(from.c_str(), temporary.c_str(), progress ? OnCopyProgress : nullptr,
                                    const_cast<CopyProgress*>(&progress), &cancel, COPY_FILE_FAIL_IF_EXISTS);
    // Write-through: the replacement is on the disk before the job that made it can be removed.
    if (copied && FlushToDisk(temporary) &&
        MoveFileExW(temporary.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return CopyResult::Copied;
    }
    const DWORD error = GetLastError();
    SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temporary.c_str());
    return ResultOfFailure(error);
}

EntryKind InspectEntry(const std::string& path) {
    if (path.empty()) return EntryKind::Missing;
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILENAME_EXCED_RANGE) return EntryKind::NameTooLong;
        return error == ERROR_ACCESS_DENIED ? EntryKind::Unreadable : EntryKind::Missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder : EntryKind::File;
}

// Creating a link needs a privilege most Windows users lack, and InspectEntry never reports one.
CopyResult CopyLinkReplacing(const std::string&, const std::string&) { return CopyResult::Failed; }

CopyResult CreateFolderLevel(const std::string& path) {
    const std::wstring folder = Widen(path);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return CopyResult::Copied;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return CopyResult::Copied;
    }
    return ResultOfFailure(error);
}

// Read access with read sharing only: refused while anyone has the file open for writing, keeps
// every later writer out, and lets the copy (which opens for reading) through. Write access, as the
// design asked for, would also refuse a read-only source for good.
std::unique_ptr<ExclusiveHold> TakeExclusiveHold(const std::string& path) {
    UniqueHandle handle(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) return nullptr;
    return std::make_unique<HandleHold>(std::move(handle));
}

std::unique_ptr<ExclusiveHold> TakeLockHold(const std::string& path) { return TakeExclusiveHold(path); }

bool PathNamesIgnoreCase() { return true; }

}  // namespace pellmar::platform
