// A look every few seconds at the folders a session depends on (monitored folders and backup
// folders): whether each is there and which folder it is, found on a thread of its own so that
// a share that answers slowly never holds the main thread, and handed to the main thread.
// It decides nothing; the session compares what it is told with what it expects.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Dispatcher.h"
#include "platform/Event.h"
#include "platform/FileSystem.h"

namespace pellmar {

using FolderIdentities = std::map<std::string, std::optional<platform::FolderIdentity>>;

// Thread contract: construction, SetFolders, Start, Stop and destruction on the main thread;
// `onLook` runs there, never after Stop has returned. A look that finds the main thread still
// busy with the previous one is skipped, so looks never pile up.
class FolderPresence {
public:
    using LookHandler = std::function<void(const FolderIdentities&)>;

    FolderPresence(platform::Dispatcher& dispatcher, std::chrono::milliseconds interval, LookHandler onLook);
    ~FolderPresence();  // Stop
    FolderPresence(const FolderPresence&) = delete;
    FolderPresence& operator=(const FolderPresence&) = delete;

    void SetFolders(std::vector<std::string> folders);
    // False when no thread can be had; the owner may try again.
    bool Start();
    void Stop();

private:
    struct Shared;
    void Loop();
    FolderIdentities Look();

    platform::Dispatcher& dispatcher_;
    const std::chrono::milliseconds interval_;
    std::shared_ptr<Shared> shared_;
    platform::Event stop_{platform::Event::Mode::ManualReset};
    std::mutex foldersLock_;
    std::vector<std::string> folders_;
    std::thread thread_;
};

}  // namespace pellmar
