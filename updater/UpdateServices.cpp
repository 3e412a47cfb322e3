// The update sequence's system services, passed straight to the platform layer.
#include "updater/UpdateServices.h"

#include "platform/ProgramStart.h"

#include <thread>

namespace pellmar {
namespace {

class SystemUpdateServices final : public UpdateServices {
public:
    explicit SystemUpdateServices(std::string caBundle) : caBundle_(std::move(caBundle)) {}
    bool Download(const std::string& url, const std::string& file, const platform::DownloadProgress& onProgress,
                  std::uint64_t maxBytes, platform::DownloadedFileKind kind) override {
        return platform::DownloadUrlToFile(url, file, onProgress, maxBytes, kind, caBundle_);
    }
    // A hung application must not hold the updater forever (a plain synchronous send would).
    void SendClose(platform::WindowHandle window) override { platform::SendCloseRequest(window, std::chrono::seconds(20)); }
    bool WindowExists(platform::WindowHandle window) override { return platform::AppWindowExists(window); }
    void StartProgram(const std::string& path) override { platform::StartDetachedProgram(path, {}, false); }
    void Pause(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }

private:
    std::string caBundle_;
};

}  // namespace

std::unique_ptr<UpdateServices> MakeSystemUpdateServices(const std::string& caBundle) {
    return std::make_unique<SystemUpdateServices>(caBundle);
}

}  // namespace pellmar
