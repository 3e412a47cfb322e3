// DirectoryWatch on ReadDirectoryChangesW: one overlapped request pending on the folder, its
// completion and the wake-up both arriving on one I/O completion port, so the waiter blocks in a
// single GetQueuedCompletionStatus. Record decoding lives in NotifyRecords (a pure function).
#include "platform/DirectoryWatch.h"

#include "platform/win32/NotifyRecords.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace pellmar::platform {
namespace {

using win32::UniqueHandle;

std::atomic<bool> loseNextRead{false};

constexpr ULONG_PTR kChangesKey = 1;
constexpr ULONG_PTR kWakeKey = 2;
constexpr DWORD kNotifyFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

class ReadChangesWatch final : public DirectoryWatch {
public:
    ReadChangesWatch(UniqueHandle folder, UniqueHandle port, const std::string& path, bool subtree)
        : folder_(std::move(folder)), port_(std::move(port)), root_(win32::Widen(path)), subtree_(subtree) {
        if (!root_.empty() && root_.back() != L'\\' && root_.back() != L'/') root_ += L'\\';
    }

    ~ReadChangesWatch() override {
        // The request writes into buffer_ and overlapped_ until the system has finished cancelling it.
        if (pending_) {
            CancelIoEx(folder_.Get(), &overlapped_);
            DWORD ignored = 0;
            GetOverlappedResult(folder_.Get(), &overlapped_, &ignored, TRUE);
        }
    }

    bool Arm() {
        overlapped_ = {};
        std::fill(std::begin(buffer_), std::end(buffer_), 0);
        pending_ = ReadDirectoryChangesW(folder_.Get(), buffer_, static_cast<DWORD>(win32::kNotifyBufferSize),
                                         subtree_ ? TRUE : FALSE, kNotifyFilter, nullptr, &overlapped_,
                                         nullptr) != FALSE;
        return pending_;
    }

    WaitOutcome Wait(std::vector<DirectoryChange>* changes,
                     std::optional<std::chrono::steady_clock::time_point> deadline) override {
        if (woken_.load()) return WaitOutcome::Woken;
        const Completion completion = Dequeue(Timeout(deadline));
        if (completion == Completion::TimedOut) return WaitOutcome::TimedOut;
        if (completion == Completion::Woken) return WaitOutcome::Woken;
        if (completion == Completion::Broken || !TakeRecords(changes)) return WaitOutcome::Broken;
        // A wake posted behind this completion wins: once woken, changes are no longer wanted.
        return woken_.load() ? WaitOutcome::Woken : WaitOutcome::Changes;
    }

    void Wake() override {
        woken_.store(true);
        PostQueuedCompletionStatus(port_.Get(), 0, kWakeKey, nullptr);
    }

    void ReadPending(std::vector<DirectoryChange>* changes) override {
        // Only completions already queued: a zero wait never blocks, and a wake is no change.
        for (;;) {
            const Completion completion = Dequeue(0);
            if (completion == Completion::TimedOut || completion == Completion::Broken) return;
            if (completion == Completion::Changes && !TakeRecords(changes)) return;
        }
    }

private:
    enum class Completion { Changes, Woken, Broken, TimedOut };

    Completion Dequeue(DWORD timeout) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = GetQueuedCompletionStatus(port_.Get(), &bytes, &key, &overlapped, timeout);
        if (!ok && overlapped == nullptr) {
            return GetLastError() == WAIT_TIMEOUT ? Completion::TimedOut : Completion::Broken;
        }
        if (key == kWakeKey) return Completion::Woken;
        pending_ = false;
        completedBytes_ = 0;
        if (ok) {
            completedBytes_ = bytes;
            return Completion::Changes;
        }
        // The system's own buffer overflowed: the request completes with this error, or with no bytes.
        return GetLastError() == ERROR_NOTIFY_ENUM_DIR ? Completion::Changes : Completion::Broken;
    }

    // Hands on the records of the completed request and asks for the next ones.
    bool TakeRecords(std::vector<DirectoryChange>* changes) {
        if (completedBytes_ == 0 || loseNextRead.exchange(false)) {
            changes->push_back(DirectoryChange{FileActionNone, {}});
        } else {
            Decode(completedBytes_, changes);
        }
        return Arm();
    }

    static DWORD Timeout(std::optional<std::chrono::steady_clock::time_point> deadline) {
        if (!deadline) return INFINITE;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
        return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INFINITE - 1));
    }

    void Decode(DWORD bytes, std::vector<DirectoryChange>* changes) {
        std::vector<DirectoryChange> records;
        win32::DecodeNotifyRecords(buffer_, std::min<std::size_t>(bytes, win32::kNotifyBufferSize), &records);
        for (DirectoryChange& record : records) {
            // Folders never appear: a folder's last-write change names the folder itself.
            if (record.action == FileActionModified && NamesFolder(record.name)) continue;
            changes->push_back(std::move(record));
        }
    }

    bool NamesFolder(const std::string& name) const {
        const DWORD attributes = GetFileAttributesW((root_ + win32::Widen(name)).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    UniqueHandle folder_;
    UniqueHandle port_;
    std::wstring root_;
    bool subtree_;
    bool pending_ = false;
    DWORD completedBytes_ = 0;
    std::atomic<bool> woken_{false};
    OVERLAPPED overlapped_{};
    alignas(DWORD) unsigned char buffer_[win32::kNotifyBufferSize];
};

}  // namespace

void SimulateLostChangesForTesting() { loseNextRead = true; }

std::string WatchLimitAdvice() {
    return "the system refused to watch every folder below it (too many folders are watched); watch fewer "
           "folders, or split the monitor into smaller ones";
}

std::unique_ptr<DirectoryWatch> DirectoryWatch::Open(const std::string& path, bool subtree, WatchFailure* failure) {
    WatchFailure ignored;
    WatchFailure& result = failure ? *failure : ignored;
    result = WatchFailure::None;
    UniqueHandle folder(path.empty() ? INVALID_HANDLE_VALUE
                                     : CreateFileW(win32::Widen(path).c_str(), FILE_LIST_DIRECTORY,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                                   nullptr));
    if (!folder.Valid()) {
        result = WatchFailure::FolderMissing;
        return nullptr;
    }
    UniqueHandle port(CreateIoCompletionPort(folder.Get(), nullptr, kChangesKey, 0));
    if (!port.Valid()) {
        result = WatchFailure::NoHandles;
        return nullptr;
    }
    auto watch = std::make_unique<ReadChangesWatch>(std::move(folder), std::move(port), path, subtree);
    if (!watch->Arm()) {
        result = WatchFailure::WatchesIncomplete;
        return nullptr;
    }
    return watch;
}

}  // namespace pellmar::platform
