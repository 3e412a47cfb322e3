// What the update sequence needs from the system: downloads, the application's window, program
// start and pauses. An interface so tests can shrink the pauses and make single steps fail.
// Used on the updater's one thread.
#pragma once

#include "platform/AppWindow.h"
#include "platform/UrlDownload.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace pellmar {

class UpdateServices {
public:
    virtual ~UpdateServices() = default;
    // `maxBytes` caps the body; `kind` decides the mode a new file gets.
    virtual bool Download(const std::string& url, const std::string& file, const platform::DownloadProgress& onProgress,
                          std::uint64_t maxBytes, platform::DownloadedFileKind kind) = 0;
    // Waits for the window's handler at most as long as the window is then given to disappear.
    virtual void SendClose(platform::WindowHandle window) = 0;
    virtual bool WindowExists(platform::WindowHandle window) = 0;
    virtual void StartProgram(const std::string& path) = 0;
    virtual void Pause(std::chrono::milliseconds duration) = 0;
};

// The real thing: the platform's download, window and program-start services, real sleeps.
// `caBundle`: certificates trusted instead of the system's (only tests with a server of their own).
std::unique_ptr<UpdateServices> MakeSystemUpdateServices(const std::string& caBundle = {});

}  // namespace pellmar
