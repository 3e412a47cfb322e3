// The looking thread: wait for the interval or Stop, look, post. The shared part outlives this
// object in posted work, which runs the handler only while it is live.
#include "tray/session/FolderPresence.h"

#include <atomic>
#include <system_error>
#include <utility>

namespace pellmar {

struct FolderPresence::Shared {
    LookHandler onLook;
    bool live = true;                  // main thread only
    std::atomic<bool> lookPending{false};
};

FolderPresence::FolderPresence(platform::Dispatcher& dispatcher, std::chrono::milliseconds interval, LookHandler onLook)
    : dispatcher_(dispatcher), interval_(interval), shared_(std::make_shared<Shared>()) {
    shared_->onLook = std::move(onLook);
}

FolderPresence::~FolderPresence() { Stop(); }

void FolderPresence::SetFolders(std::vector<std::string> folders) {
    std::lock_guard lock(foldersLock_);
    folders_ = std::move(folders);
}

bool FolderPresence::Start() {
    if (thread_.joinable()) return true;
    stop_.Reset();
    shared_->live = true;
    try {
        thread_ = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void FolderPresence::Stop() {
    shared_->live = false;
    stop_.Set();
    if (thread_.joinable()) thread_.join();
}

void FolderPresence::Loop() {
    const auto timeout = static_cast<std::uint32_t>(interval_.count());
    while (stop_.Wait(timeout) != platform::WaitResult::First) {
        if (shared_->lookPending.load()) continue;
        FolderIdentities identities = Look();
        shared_->lookPending = true;
        dispatcher_.Post([shared = shared_, identities = std::move(identities)] {
            shared->lookPending = false;
            if (shared->live) shared->onLook(identities);
        });
    }
}

FolderIdentities FolderPresence::Look() {
    std::vector<std::string> folders;
    {
        std::lock_guard lock(foldersLock_);
        folders = folders_;
    }
    FolderIdentities identities;
    for (const std::string& folder : folders) {
        if (!identities.contains(folder)) identities[folder] = platform::IdentifyFolder(folder);
    }
    return identities;
}

}  // namespace pellmar
