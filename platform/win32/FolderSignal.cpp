// Folder change signals on ReadDirectoryChangesW: every watched folder keeps one overlapped request
// pending on the set's I/O completion port, so one reader thread serves any number of folders (a
// wait on change-notification handles stops at 64). The records are never decoded: a completion,
// an overflow included, only says "something changed". Network drives count as blind.
#include "platform/FolderSignal.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace pellmar::platform {
namespace {

using win32::UniqueHandle;

constexpr ULONG_PTR kWakeKey = 0;
// Reads do not count: a file that is only read is no change to replicate.
constexpr DWORD kSignalFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION |
                                FILE_NOTIFY_CHANGE_SECURITY;
// Small on purpose: the records are not wanted, and an overflow signals just the same.
constexpr DWORD kRecordBufferBytes = 1024;

struct Watch {
    UniqueHandle folder;
    bool subtree = false;
    std::shared_ptr<Event> changed;
    bool pending = false;
    std::promise<bool> armed;  // the reader's first request: made, or refused
    OVERLAPPED overlapped{};
    alignas(DWORD) unsigned char records[kRecordBufferBytes];
};

class ReadChangesSignalSet final : public FolderSignalSet {
public:
    explicit ReadChangesSignalSet(UniqueHandle port) : port_(std::move(port)), reader_([this] { Read(); }) {}

    ~ReadChangesSignalSet() override {
        PostQueuedCompletionStatus(port_.Get(), 0, kWakeKey, nullptr);
        reader_.join();
        // A request writes into its watch until the system has finished cancelling it.
        for (const std::unique_ptr<Watch>& watch : watches_) {
            if (!watch->pending) continue;
            CancelIoEx(watch->folder.Get(), &watch->overlapped);
            DWORD ignored = 0;
            GetOverlappedResult(watch->folder.Get(), &watch->overlapped, &ignored, TRUE);
        }
    }

    SignalKind Add(const std::string& path, bool subtree, std::shared_ptr<Event> changed) override {
        auto watch = std::make_unique<Watch>();
        watch->folder = UniqueHandle(CreateFileW(win32::Widen(path).c_str(), FILE_LIST_DIRECTORY,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                                 nullptr));
        watch->subtree = subtree;
        watch->changed = std::move(changed);
        const auto key = reinterpret_cast<ULONG_PTR>(watch.get());
        if (path.empty() || !watch->folder.Valid() || !CreateIoCompletionPort(watch->folder.Get(), port_.Get(), key, 0)) {
            return SignalKind::Failed;
        }
        std::future<bool> armed = watch->armed.get_future();
        {
            std::lock_guard lock(mutex_);
            watches_.push_back(std::move(watch));
        }
        // The reader issues every request: I/O begun on a thread that ends before it completes
        // may be cancelled with that thread, and the caller's thread is anybody's.
        if (!PostQueuedCompletionStatus(port_.Get(), 0, key, nullptr) || !armed.get()) return SignalKind::Failed;
        return IsChangeBlindFileSystem(path) ? SignalKind::Blind : SignalKind::Watched;
    }

private:
    void Read() {
        for (;;) {
            DWORD bytes = 0;
            ULONG_PTR key = kWakeKey;
            OVERLAPPED* overlapped = nullptr;
            const BOOL ok = GetQueuedCompletionStatus(port_.Get(), &bytes, &key, &overlapped, INFINITE);
            if ((!ok && overlapped == nullptr) || key == kWakeKey) return;
            Watch& watch = *reinterpret_cast<Watch*>(key);
            if (overlapped == nullptr) {
                watch.armed.set_value(Arm(watch));
                continue;
            }
            watch.pending = false;
            // Records, an overflow (no records) and a folder that went away all wake the owner, who
            // finds out which by looking; only a folder that went away is not asked again.
            const bool goneAway = !ok && GetLastError() != ERROR_NOTIFY_ENUM_DIR;
            watch.changed->Set();
            if (!goneAway) Arm(watch);
        }
    }

    static bool Arm(Watch& watch) {
        watch.overlapped = {};
        watch.pending = ReadDirectoryChangesW(watch.folder.Get(), watch.records, kRecordBufferBytes,
                                              watch.subtree ? TRUE : FALSE, kSignalFilter, nullptr,
                                              &watch.overlapped, nullptr) != FALSE;
        return watch.pending;
    }

    UniqueHandle port_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Watch>> watches_;
    std::thread reader_;
};

}  // namespace

std::unique_ptr<FolderSignalSet> FolderSignalSet::Open() {
    UniqueHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!port.Valid()) return nullptr;
    return std::make_unique<ReadChangesSignalSet>(std::move(port));
}

bool IsChangeBlindFileSystem(const std::string& path) {
    const std::wstring wide = win32::Widen(path);
    std::vector<wchar_t> volume(std::max<std::size_t>(wide.size() + 2, MAX_PATH + 1));
    if (wide.empty() || !GetVolumePathNameW(wide.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return false;
    // A share hears of another machine's changes only as far as its server and protocol pass them on.
    return GetDriveTypeW(volume.data()) == DRIVE_REMOTE;
}

}  // namespace pellmar::platform
