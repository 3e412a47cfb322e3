// Folder change signals on ReadDirectoryChangesW: every watched folder keeps one overlapped request
// pending on the set's I/O completion port, so one reader thread serves any number of folders (a
// wait on change-notification handles stops at 64). The records are never decoded: a completion,
// an overflow included, only says "something changed". Network drives count as blind (VirtualBox,
// VMware and Parallels shared folders are network drives to Windows).
#include "platform/FolderSignal.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <future>
#include <mutex>
#include <system_error>
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
    SignalId id = 0;
    UniqueHandle folder;
    bool subtree = false;
    std::shared_ptr<Event> changed;
    bool pending = false;  // under the set's lock from here on
    bool removed = false;  // freed by the reader once its request has come back cancelled
    bool ended = false;
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

    SignalKind Add(const std::string& path, bool subtree, std::shared_ptr<Event> changed, SignalId* id) override {
        if (id) *id = 0;
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
        SignalId made = 0;
        {
            std::lock_guard lock(mutex_);
            made = watch->id = ++lastId_;
            watches_.push_back(std::move(watch));
        }
        // The reader issues every request: I/O begun on a thread that ends before it completes
        // may be cancelled with that thread, and the caller's thread is anybody's.
        if (!PostQueuedCompletionStatus(port_.Get(), 0, key, nullptr) || !armed.get()) {
            Remove(made);
            return SignalKind::Failed;
        }
        if (id) *id = made;
        return IsChangeBlindFileSystem(path) ? SignalKind::Blind : SignalKind::Watched;
    }

    void Remove(SignalId id) override {
        std::lock_guard lock(mutex_);
        const auto found = Find(id);
        if (found == watches_.end()) return;
        Watch& watch = **found;
        if (!watch.pending) {
            watches_.erase(found);
            return;
        }
        // Its request writes into the watch until the cancellation comes back to the reader.
        watch.removed = true;
        CancelIoEx(watch.folder.Get(), &watch.overlapped);
    }

    bool Ended(SignalId id) const override {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(watches_.begin(), watches_.end(),
                                        [id](const std::unique_ptr<Watch>& watch) { return watch->id == id; });
        return found == watches_.end() || (*found)->ended;
    }

private:
    // Under the lock.
    std::vector<std::unique_ptr<Watch>>::iterator Find(SignalId id) {
        return std::find_if(watches_.begin(), watches_.end(),
                            [id](const std::unique_ptr<Watch>& watch) { return watch->id == id; });
    }

    void Read() {
        for (;;) {
            DWORD bytes = 0;
            ULONG_PTR key = kWakeKey;
            OVERLAPPED* overlapped = nullptr;
            const BOOL ok = GetQueuedCompletionStatus(port_.Get(), &bytes, &key, &overlapped, INFINITE);
            if ((!ok && overlapped == nullptr) || key == kWakeKey) return;
            const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
            std::lock_guard lock(mutex_);
            Watch& watch = *reinterpret_cast<Watch*>(key);
            if (overlapped == nullptr) {
                watch.armed.set_value(Arm(watch));
                continue;
            }
            watch.pending = false;
            if (watch.removed) {
                watches_.erase(Find(watch.id));
                continue;
            }
            // Records, an overflow (no records) and a folder that went away all wake the owner, who
            // finds out which by looking; only a folder that went away is not asked again.
            const bool goneAway = !ok && error != ERROR_NOTIFY_ENUM_DIR;
            watch.changed->Set();
            if (goneAway || !Arm(watch)) watch.ended = true;
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
    mutable std::mutex mutex_;
    SignalId lastId_ = 0;
    std::vector<std::unique_ptr<Watch>> watches_;
    std::thread reader_;
};

}  // namespace

std::unique_ptr<FolderSignalSet> FolderSignalSet::Open() {
    UniqueHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!port.Valid()) return nullptr;
    try {
        return std::make_unique<ReadChangesSignalSet>(std::move(port));
    } catch (const std::system_error&) {
        return nullptr;  // no thread to be had for the reader
    }
}

bool IsChangeBlindFileSystem(const std::string& path) {
    const std::wstring wide = win32::Widen(path);
    std::vector<wchar_t> volume(std::max<std::size_t>(wide.size() + 2, MAX_PATH + 1));
    if (wide.empty() || !GetVolumePathNameW(wide.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return false;
    // A share hears of another machine's changes only as far as its server and protocol pass them on.
    return GetDriveTypeW(volume.data()) == DRIVE_REMOTE;
}

}  // namespace pellmar::platform
