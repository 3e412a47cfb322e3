// POSIX copy-then-rename and the lease / flock exclusive hold. Owns the temporary file of a copy
// in flight, the leftovers of crashed copies and the hold's descriptor; knows nothing of jobs or
// result codes.
#include "platform/FileCopy.h"

#include "platform/CopyTemporaries.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pellmar::platform {
namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now and reports the close's own failure (a delayed write error surfaces here).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || close(fd) == 0;
    }
    void Reset() { Close(); }

private:
    int fd_;
};

constexpr std::size_t kChunkBytes = 8u << 20;

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string TemporaryNameBeside(const std::string& destination) {
    return FolderOf(destination) + NewCopyTemporaryName(static_cast<std::uint64_t>(getpid()));
}

// A pid that is running, or that this process cannot probe (EPERM), still owns its temporaries.
bool ProcessHasEnded(std::uint64_t owner) {
    const auto pid = static_cast<pid_t>(owner);
    // An id no pid_t can hold was not written by a copy; leave that file alone.
    if (static_cast<std::uint64_t>(pid) != owner) return false;
    return pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH;
}

void RemoveLeftoversOfEndedCopies(const std::string& folder) {
    DIR* listing = opendir(folder.c_str());
    // A folder that cannot be listed now (an unmounted drive) is looked at again next time.
    if (listing == nullptr) return;
    if (FirstCopyIntoFolder(folder)) {
        while (const dirent* entry = readdir(listing)) {
            std::optional<std::uint64_t> owner = CopyTemporaryOwner(entry->d_name);
            if (owner && ProcessHasEnded(*owner)) unlinkat(dirfd(listing), entry->d_name, 0);
        }
    }
    closedir(listing);
}

CopyResult ResultOfFailure(int error) {
    // Linux' vfat, exfat and cifs refuse a name they cannot store with EINVAL.
    return error == EINVAL ? CopyResult::NameNotAllowed : CopyResult::Failed;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Kernels or file systems without copy_file_range between these two files answer with one of
// these on the first call; later failures are real I/O errors.
bool RangeCopyUnsupported(int error) {
    return error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP ||
           error == EBADF || error == EPERM;
}

bool CopyBytes(int in, int out, const CopyProgress& progress) {
    std::vector<char> buffer;
    bool useRange = true;
    std::uint64_t done = 0;
    for (;;) {
        ssize_t n;
        if (useRange) {
            n = copy_file_range(in, nullptr, out, nullptr, kChunkBytes, 0);
            if (n < 0 && done == 0 && RangeCopyUnsupported(errno)) {
                useRange = false;
                continue;
            }
        } else {
            if (buffer.empty()) buffer.resize(1u << 20);
            n = read(in, buffer.data(), buffer.size());
            if (n > 0 && !WriteAll(out, buffer.data(), static_cast<std::size_t>(n))) return false;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        done += static_cast<std::uint64_t>(n);
        if (progress && !progress(done)) return false;
    }
}

bool FillTemporary(int in, const struct stat& info, UniqueFd& out, const CopyProgress& progress) {
    if (!CopyBytes(in, out.Get(), progress)) return false;
    // Times last: every write above moves the modification time.
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (fchmod(out.Get(), info.st_mode & 07777) != 0) return false;
    if (futimens(out.Get(), times) != 0) return false;
    // On stable storage before the rename: otherwise a power loss after the job's row is gone
    // could leave an empty or partial file in place of the previous, complete backup.
    if (fdatasync(out.Get()) != 0) return false;
    return out.Close();
}

CopyResult CopyIntoTemporary(int in, const struct stat& info, const std::string& temporary,
                             const CopyProgress& progress) {
    UniqueFd out(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.Valid()) return ResultOfFailure(errno);
    return FillTemporary(in, info, out, progress) ? CopyResult::Copied : CopyResult::Failed;
}

// The rename itself reaches the disk only with its folder; a failure here is not the copy's.
void SyncFolderOf(const std::string& path) {
    UniqueFd folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid()) fsync(folder.Get());
}

}  // namespace

CopyResult CopyFileReplacing(const std::string& source, const std::string& destination,
                             const CopyProgress& progress) {
    UniqueFd in(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!in.Valid() || fstat(in.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return CopyResult::Failed;
    RemoveLeftoversOfEndedCopies(FolderOf(destination));
    const std::string temporary = TemporaryNameBeside(destination);
    CopyResult result = CopyIntoTemporary(in.Get(), info, temporary, progress);
    if (result == CopyResult::Copied) {
        // The temporary's own name is always storable, so EINVAL here is about the final name.
        if (rename(temporary.c_str(), destination.c_str()) == 0) {
            SyncFolderOf(destination);
            return CopyResult::Copied;
        }
        result = ResultOfFailure(errno);
    }
    unlink(temporary.c_str());
    return result;
}

CopyResult CreateFolderLevel(const std::string& path) {
    if (path.empty()) return CopyResult::Failed;
    if (mkdir(path.c_str(), 0777) == 0) return CopyResult::Copied;
    const int error = errno;
    struct stat info {};
    if (error == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return CopyResult::Copied;
    return ResultOfFailure(error);
}

namespace {

class DescriptorHold final : public ExclusiveHold {
public:
    DescriptorHold(int fd, bool lease) : fd_(fd), lease_(lease) {}
    ~DescriptorHold() override {
        if (lease_) fcntl(fd_.Get(), F_SETLEASE, F_UNLCK);
    }

private:
    UniqueFd fd_;
    bool lease_;
};

// A writer opening a leased file makes the kernel send SIGIO to the lease holder, whose default
// action ends the process. Ignored (not handled) so that no blocking call anywhere in the process
// is interrupted; a host that installed its own SIGIO handler keeps it.
void MakeLeaseBreakSignalHarmless() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (sigaction(SIGIO, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
            !(current.sa_flags & SA_SIGINFO)) {
            signal(SIGIO, SIG_IGN);
        }
    });
}

int OpenForHold(const std::string& path) {
    // O_NONBLOCK: never wait on another holder's lease, and never hang on a FIFO.
    return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

std::unique_ptr<ExclusiveHold> LockDescriptor(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<DescriptorHold>(fd, false);
}

}  // namespace

std::unique_ptr<ExclusiveHold> TakeExclusiveHold(const std::string& path) {
    MakeLeaseBreakSignalHarmless();
    int fd = OpenForHold(path);
    if (fd < 0) return nullptr;
    if (fcntl(fd, F_SETLEASE, F_RDLCK) == 0) return std::make_unique<DescriptorHold>(fd, true);
    if (errno == EAGAIN || errno == EWOULDBLOCK) {  // someone has it open for writing
        close(fd);
        return nullptr;
    }
    return LockDescriptor(fd);
}

std::unique_ptr<ExclusiveHold> TakeLockHold(const std::string& path) {
    int fd = OpenForHold(path);
    if (fd < 0) return nullptr;
    return LockDescriptor(fd);
}

bool PathNamesIgnoreCase() { return false; }

}  // namespace pellmar::platform
