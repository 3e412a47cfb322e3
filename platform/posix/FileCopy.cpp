// POSIX copy-then-rename and the lease / flock exclusive hold. Owns the temporary file of a copy
// in flight, the leftovers of crashed copies and the hold's descriptor; knows nothing of jobs or
// result codes.
#include "platform/FileCopy.h"
#include "platform/CopyBatch.h"
#include "platform/ProcessLiveness.h"

#include "platform/CopyTemporaries.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <map>
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
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        Reset();
        fd_ = other.fd_;
        other.fd_ = -1;
        return *this;
    }
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
constexpr off_t kWholeCopyBytes = 256 << 10;

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string TemporaryNameBeside(const std::string& destination) {
    return FolderOf(destination) + NewCopyTemporaryName(static_cast<std::uint64_t>(getpid()));
}

void RemoveLeftoversOfEndedCopies(const std::string& folder) {
    if (!FirstCopyIntoFolder(folder)) return;
    DIR* listing = opendir(folder.c_str());
    // A folder that cannot be listed now (an unmounted drive) is looked at again next time.
    if (listing == nullptr) {
        ForgetCopyIntoFolder(folder);
        return;
    }
    while (const dirent* entry = readdir(listing)) {
        std::optional<std::uint64_t> owner = CopyTemporaryOwner(entry->d_name);
        if (owner && ProcessHasEnded(*owner)) unlinkat(dirfd(listing), entry->d_name, 0);
    }
    closedir(listing);
}

CopyResult ResultOfFailure(int error) {
    // Linux' vfat, exfat and cifs refuse a name they cannot store with EINVAL.
    if (error == EINVAL) return CopyResult::NameNotAllowed;
    if (error == ENAMETOOLONG) return CopyResult::NameTooLong;
    if (error == ENOSPC || error == EDQUOT) return CopyResult::NoSpace;
    return CopyResult::Failed;
}

bool WriteAllAt(int fd, const char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        ssize_t n = pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        offset += n;
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

struct CopyState {
    int in;
    int out;
    const CopyProgress& progress;
    std::uint64_t done = 0;
    off_t reached = 0;  // the end of the bytes written so far, and so the new file's size
    bool useRange = true;
    std::vector<char> buffer;
};

// Copies the bytes [start, end) to the same offsets; a failure leaves errno set.
bool CopyRegion(CopyState& state, off_t start, off_t end) {
    while (start < end) {
        const std::size_t want = static_cast<std::size_t>(std::min<off_t>(end - start, kChunkBytes));
        ssize_t n;
        if (state.useRange) {
            off_t from = start, to = start;
            n = copy_file_range(state.in, &from, state.out, &to, want, 0);
            if (n < 0 && state.done == 0 && RangeCopyUnsupported(errno)) {
                state.useRange = false;
                continue;
            }
        } else {
            if (state.buffer.empty()) state.buffer.resize(1u << 20);
            n = pread(state.in, state.buffer.data(), std::min(want, state.buffer.size()), start);
            if (n > 0 && !WriteAllAt(state.out, state.buffer.data(), static_cast<std::size_t>(n), start)) return false;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;  // the file shrank while it was copied
        start += n;
        state.reached = start;
        state.done += static_cast<std::uint64_t>(n);
        if (state.progress && !state.progress(state.done)) return false;
    }
    return true;
}

// Only the data regions are copied and the size is set at the end, so holes stay holes: a
// 10 GiB sparse file does not become 10 GiB of real blocks in the backup.
bool CopyBytes(int in, int out, off_t size, const CopyProgress& progress) {
    CopyState state{in, out, progress, 0, 0, true, {}};
    // A small file is copied whole without asking where its holes are: two calls saved on each
    // of thousands of files, and a hole that small costs next to nothing as written zeros.
    off_t position = 0;
    if (size <= kWholeCopyBytes) {
        if (!CopyRegion(state, 0, size)) return false;
        position = size;
    }
    while (position < size) {
        off_t data = lseek(in, position, SEEK_DATA);
        if (data < 0 && errno == ENXIO) break;  // only a hole up to the end
        if (data < 0) data = position;          // no hole support: all of it is data
        off_t hole = lseek(in, data, SEEK_HOLE);
        if (hole < 0) hole = size;
        if (!CopyRegion(state, data, std::min(hole, size))) return false;
        position = std::max(hole, data + 1);
    }
    // The file is new: it already has its size unless it ends in a hole (or the source shrank).
    return state.reached == size || ftruncate(out, size) == 0;
}

// A set-uid or set-gid bit goes only onto a copy whose owner or group is the source's: a host
// running as root would otherwise turn a program written by anyone into a set-uid root one.
mode_t ModeForCopy(const struct stat& source, const struct stat& copy) {
    mode_t mode = source.st_mode & 07777;
    if (copy.st_uid != source.st_uid) mode &= ~static_cast<mode_t>(S_ISUID);
    if (copy.st_gid != source.st_gid) mode &= ~static_cast<mode_t>(S_ISGID);
    return mode;
}

// False with errno set. Without `durable` the caller makes the content durable later. `device`
// receives the file system the temporary is on, the one that must be flushed for it.
bool FillTemporary(int in, const struct stat& info, UniqueFd& out, const CopyProgress& progress, bool durable,
                   dev_t* device) {
    if (!CopyBytes(in, out.Get(), info.st_size, progress)) return false;
    struct stat copy {};
    if (fstat(out.Get(), &copy) != 0) return false;
    if (device) *device = copy.st_dev;
    // Times last: every write above moves the modification time.
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (fchmod(out.Get(), ModeForCopy(info, copy)) != 0) return false;
    if (futimens(out.Get(), times) != 0) return false;
    // On stable storage before the rename: otherwise a power loss after the job's row is gone
    // could leave an empty or partial file in place of the previous, complete backup.
    if (durable && fdatasync(out.Get()) != 0) return false;
    return out.Close();
}

CopyResult CopyIntoTemporary(int in, const struct stat& info, const std::string& temporary,
                             const CopyProgress& progress, bool durable, dev_t* device = nullptr) {
    UniqueFd out(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.Valid()) return ResultOfFailure(errno);
    errno = 0;
    if (FillTemporary(in, info, out, progress, durable, device)) return CopyResult::Copied;
    return errno == ENOSPC || errno == EDQUOT ? CopyResult::NoSpace : CopyResult::Failed;
}

// The source opened for a copy, or why it cannot be: not found, not readable, not a regular file.
CopyResult OpenSource(const std::string& source, UniqueFd& in, struct stat& info) {
    in = UniqueFd(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in.Valid()) return errno == EACCES ? CopyResult::SourceUnreadable : ResultOfFailure(errno);
    if (fstat(in.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return CopyResult::Failed;
    return CopyResult::Copied;
}

// The rename itself reaches the disk only with its folder; a failure here is not the copy's.
void SyncFolderOf(const std::string& path) {
    UniqueFd folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid()) fsync(folder.Get());
}

}  // namespace

CopyResult CopyFileReplacing(const std::string& source, const std::string& destination,
                             const CopyProgress& progress) {
    UniqueFd in;
    struct stat info {};
    if (const CopyResult opened = OpenSource(source, in, info); opened != CopyResult::Copied) return opened;
    RemoveLeftoversOfEndedCopies(FolderOf(destination));
    const std::string temporary = TemporaryNameBeside(destination);
    CopyResult result = CopyIntoTemporary(in.Get(), info, temporary, progress, true);
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

EntryKind InspectEntry(const std::string& path) {
    struct stat info {};
    if (path.empty()) return EntryKind::Missing;
    if (lstat(path.c_str(), &info) != 0) {
        if (errno == ENAMETOOLONG) return EntryKind::NameTooLong;
        return errno == EACCES ? EntryKind::Unreadable : EntryKind::Missing;
    }
    if (S_ISREG(info.st_mode)) return EntryKind::File;
    if (S_ISLNK(info.st_mode)) return EntryKind::Link;
    if (S_ISDIR(info.st_mode)) return EntryKind::Folder;
    return EntryKind::Special;
}

CopyResult CopyLinkReplacing(const std::string& source, const std::string& destination) {
    std::vector<char> target(4096);
    for (;;) {
        const ssize_t n = readlink(source.c_str(), target.data(), target.size());
        if (n < 0) return errno == EACCES ? CopyResult::SourceUnreadable : ResultOfFailure(errno);
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            break;
        }
        target.resize(target.size() * 2);
    }
    RemoveLeftoversOfEndedCopies(FolderOf(destination));
    const std::string temporary = TemporaryNameBeside(destination);
    const std::string text(target.begin(), target.end());
    if (symlink(text.c_str(), temporary.c_str()) != 0) return ResultOfFailure(errno);
    if (rename(temporary.c_str(), destination.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return ResultOfFailure(error);
    }
    SyncFolderOf(destination);
    return CopyResult::Copied;
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

namespace {

// Up to this many copies a commit flushes each file and folder, as a single copy does: a
// flush of the whole file system would also wait for whatever else is being written there.
constexpr std::size_t kFlushedOneByOne = 4;

class PosixCopyBatch final : public CopyBatch {
public:
    ~PosixCopyBatch() override {
        for (const Staged& copy : staged_) unlink(copy.temporary.c_str());
        CloseFileSystems();
    }

    CopyResult Stage(const std::string& source, const std::string& destination) override {
        UniqueFd in;
        struct stat info {};
        if (const CopyResult opened = OpenSource(source, in, info); opened != CopyResult::Copied) return opened;
        const std::string folder = FolderOf(destination);
        RemoveLeftoversOfEndedCopies(folder);
        std::string temporary = TemporaryNameBeside(destination);
        dev_t device = 0;
        CopyResult result = CopyIntoTemporary(in.Get(), info, temporary, nullptr, false, &device);
        if (result != CopyResult::Copied) {
            unlink(temporary.c_str());
            return result;
        }
        if (!fileSystems_.contains(device))
            fileSystems_[device] = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        staged_.push_back(Staged{std::move(temporary), destination, device});
        return CopyResult::Copied;
    }

    std::vector<CopyResult> Commit() override {
        const bool together = staged_.size() > kFlushedOneByOne;
        std::vector<CopyResult> results(staged_.size(), CopyResult::Copied);
        // Content first: a rename must never put a name on data that is not on the disk yet.
        const std::map<dev_t, bool> contentDurable = together ? FlushFileSystems() : std::map<dev_t, bool>{};
        for (std::size_t i = 0; i < staged_.size(); ++i) {
            const Staged& copy = staged_[i];
            const bool durable = together ? contentDurable.at(copy.device) : FlushFile(copy.temporary);
            if (!durable) {
                results[i] = CopyResult::Failed;
            } else if (rename(copy.temporary.c_str(), copy.destination.c_str()) != 0) {
                results[i] = ResultOfFailure(errno);
            } else {
                continue;
            }
            unlink(copy.temporary.c_str());
        }
        // Then the renames. One that may not have reached the disk is reported as failed, so
        // its job is tried again; the file in place is complete either way.
        const std::map<dev_t, bool> renamesDurable = together ? FlushFileSystems() : std::map<dev_t, bool>{};
        for (std::size_t i = 0; i < staged_.size(); ++i) {
            if (results[i] != CopyResult::Copied) continue;
            const bool durable = together ? renamesDurable.at(staged_[i].device) : FlushFolderOf(staged_[i].destination);
            if (!durable) results[i] = CopyResult::Failed;
        }
        staged_.clear();
        CloseFileSystems();
        return results;
    }

private:
    struct Staged {
        std::string temporary;
        std::string destination;
        dev_t device;
    };

    static bool FlushFile(const std::string& path) {
        UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
        return file.Valid() && fdatasync(file.Get()) == 0;
    }

    static bool FlushFolderOf(const std::string& path) {
        UniqueFd folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        return folder.Valid() && fsync(folder.Get()) == 0;
    }

    // syncfs reports the write-back errors of its file system since Linux 5.8.
    std::map<dev_t, bool> FlushFileSystems() const {
        std::map<dev_t, bool> durable;
        for (const auto& [device, folder] : fileSystems_) durable[device] = folder >= 0 && syncfs(folder) == 0;
        return durable;
    }

    void CloseFileSystems() {
        for (const auto& [device, folder] : fileSystems_)
            if (folder >= 0) close(folder);
        fileSystems_.clear();
    }

    std::vector<Staged> staged_;
    std::map<dev_t, int> fileSystems_;  // one open folder of each file system a copy goes to
};

}  // namespace

std::unique_ptr<CopyBatch> CopyBatch::Create() { return std::make_unique<PosixCopyBatch>(); }

}  // namespace pellmar::platform
