// Windows copy-then-replace and the exclusive hold by share mode, the facilities the design
// started from. Knows nothing of jobs or result codes.
#include "platform/FileCopy.h"

#include <windows.h>

#include <atomic>

namespace pellmar::platform {
namespace {

std::string TemporaryNameBeside(const std::string& destination) {
    static std::atomic<unsigned> counter{0};
    const auto slash = destination.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
    return folder + "~pellmar-copy." + std::to_string(GetCurrentProcessId()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

DWORD CALLBACK OnCopyProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                              HANDLE, HANDLE, LPVOID data) {
    const auto* progress = static_cast<const CopyProgress*>(data);
    return (*progress)(static_cast<std::uint64_t>(transferred.QuadPart)) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

CopyResult ResultOfFailure(DWORD error) {
    return error == ERROR_INVALID_NAME ? CopyResult::NameNotAllowed : CopyResult::Failed;
}

class HandleHold final : public ExclusiveHold {
public:
    explicit HandleHold(HANDLE handle) : handle_(handle) {}
    ~HandleHold() override { CloseHandle(handle_); }

private:
    HANDLE handle_;
};

}  // namespace

CopyResult CopyFileReplacing(const std::string& source, const std::string& destination, const CopyProgress& progress) {
    const std::string temporary = TemporaryNameBeside(destination);
    const BOOL copied = progress ? CopyFileExA(source.c_str(), temporary.c_str(), OnCopyProgress,
                                               const_cast<CopyProgress*>(&progress), nullptr, COPY_FILE_FAIL_IF_EXISTS)
                                 : CopyFileA(source.c_str(), temporary.c_str(), TRUE);
    // Write-through: the replacement is on the disk before the job that made it can be removed.
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (copied && MoveFileExA(temporary.c_str(), destination.c_str(), flags)) return CopyResult::Copied;
    const DWORD error = GetLastError();
    DeleteFileA(temporary.c_str());
    return ResultOfFailure(error);
}

CopyResult CreateFolderLevel(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return CopyResult::Copied;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return CopyResult::Copied;
    }
    return ResultOfFailure(error);
}

std::unique_ptr<ExclusiveHold> TakeExclusiveHold(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<HandleHold>(handle);
}

std::unique_ptr<ExclusiveHold> TakeLockHold(const std::string& path) { return TakeExclusiveHold(path); }

bool PathNamesIgnoreCase() { return true; }

}  // namespace pellmar::platform
