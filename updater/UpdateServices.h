// What the update sequence needs from the system: downloads, the application's window, program
// start and pauses. An interface so tests can shrink the pauses and make single steps fail.
// Used on the updater's one thread.
#pragma once

#include "platform/AppWindow.h"
#include "platform/UrlDownload.h"

#include <chrono>
#include <memory>
#include <string>

namespace pellmar {

class UpdateServices {
public:
    virtual ~UpdateServices() = default;
    virtual bool Download(const std::string& url, const std::string& file, const platform::DownloadProgress& onProgress) = 0;
    virtual void SendClose(platform::WindowHandle window) = 0;
    virtual bool WindowExists(platform::WindowHandle window) = 0;
    virtual void StartProgram(const std::string& path) = 0;
    virtual void Pause(std::chrono::milliseconds duration) = 0;
};

// The real thing: the platform's download, window and program-start services, real sleeps.
std::unique_ptr<UpdateServices> MakeSystemUpdateServices();

}  // namespace pellmar
