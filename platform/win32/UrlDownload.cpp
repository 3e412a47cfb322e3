// URLDownloadToFileW into a temporary file beside the target, flushed and moved into place only
// after the whole transfer succeeded with a good HTTP status and within its size limit, so a failed
// or oversized download never leaves a partial file.
#include "platform/UrlDownload.h"

#include "platform/win32/BindStatusCallback.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <windows.h>
#include <urlmon.h>

#include <atomic>

namespace pellmar::platform {
namespace {

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

std::wstring TemporaryNameFor(const std::wstring& file) {
    static std::atomic<unsigned> counter{0};
    return file + L".part-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter.fetch_add(1));
}

bool SizeAtMost(const std::wstring& path, std::uint64_t maxBytes) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    const std::uint64_t size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && size <= maxBytes;
}

bool FlushToDisk(const std::wstring& path) {
    win32::UniqueHandle handle(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.Valid() && FlushFileBuffers(handle.Get());
}

// COM for this thread while a transfer runs; a thread already in another apartment keeps it.
class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialised_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialised_;
};

}  // namespace

bool DownloadUrlToFile(const std::string& url, const std::string& file, const DownloadProgress& onProgress,
                       std::uint64_t maxBytes, DownloadedFileKind, const std::string&) {
    const bool https = StartsWithIgnoringCase(url, "https://");
    if (!https && !StartsWithIgnoringCase(url, "http://")) return false;
    const std::wstring target = win32::Widen(file);
    if (target.empty()) return false;
    const std::wstring temporary = TemporaryNameFor(target);
    ComScope com;
    win32::BindStatusCallback callback(onProgress, maxBytes, https);
    const HRESULT result = URLDownloadToFileW(nullptr, win32::Widen(url).c_str(), temporary.c_str(), 0, &callback);
    // The progress figures are 32-bit, so the size is checked again on the finished file.
    const bool ok = SUCCEEDED(result) && !callback.Refused() && callback.ResponseCode() < 400 &&
                    SizeAtMost(temporary, maxBytes) && FlushToDisk(temporary) &&
                    MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace pellmar::platform
