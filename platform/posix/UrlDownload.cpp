// libcurl transfers into a temporary file beside the target, flushed and renamed into place only
// after the whole transfer succeeded, so a failed, cut-off or oversized download never leaves a
// partial file.
#include "platform/UrlDownload.h"

#include <curl/curl.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pellmar::platform {
namespace {

constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStallSeconds = 60;  // a transfer that moves no byte for this long is a failure

struct Transfer {
    std::FILE* file = nullptr;
    const DownloadProgress* onProgress = nullptr;
    std::uint64_t maxBytes = 0;
    std::uint64_t received = 0;
    const std::string* caBundle = nullptr;
    curl_off_t lastNow = -1;
    curl_off_t lastTotal = -1;
    bool writeFailed = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    // A body of unannounced length is capped here; one announced too long is refused up front.
    std::uint64_t bytes = std::uint64_t(size) * count;
    if (bytes > transfer->maxBytes - transfer->received) {
        transfer->writeFailed = true;
        return 0;
    }
    transfer->received += bytes;
    std::size_t written = std::fwrite(data, size, count, transfer->file);
    if (written != count) transfer->writeFailed = true;
    return written * size;
}

int ReportProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    if (!*transfer->onProgress || (now == transfer->lastNow && total == transfer->lastTotal)) return 0;
    transfer->lastNow = now;
    transfer->lastTotal = total;
    try {
        (*transfer->onProgress)(static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(total));
    } catch (...) {
        return 1;  // an exception must not unwind through libcurl's C frames
    }
    return 0;
}

void InitialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsHttpsUrl(const std::string& url) {
    constexpr std::string_view kScheme = "https://";
    if (url.size() < kScheme.size()) return false;
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        char c = url[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kScheme[i]) return false;
    }
    return true;
}

bool Perform(const std::string& url, Transfer& transfer) {
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    // Once on https, never fall back to plain http through a redirect.
    const char* protocols = IsHttpsUrl(url) ? "https" : "http,https";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, protocols);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!transfer.caBundle->empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, transfer.caBundle->c_str());
    if (transfer.maxBytes <= std::uint64_t(INT64_MAX)) {
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(transfer.maxBytes));
    }
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK && !transfer.writeFailed;
}

// Creates a new temporary file beside `file`; the mode asked for is reduced by the umask.
int CreateTemporary(const std::string& file, mode_t mode, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = file + ".part-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
        // Close-on-exec: a program another thread starts meanwhile must not inherit the half-written file.
        int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool DownloadUrlToFile(const std::string& url, const std::string& file, const DownloadProgress& onProgress,
                       std::uint64_t maxBytes, DownloadedFileKind kind, const std::string& caBundle) {
    InitialiseOnce();
    std::string temporary;
    int fd = CreateTemporary(file, kind == DownloadedFileKind::Program ? 0777 : 0666, temporary);
    if (fd < 0) return false;
    Transfer transfer;
    transfer.file = fdopen(fd, "wb");
    transfer.onProgress = &onProgress;
    transfer.maxBytes = maxBytes;
    transfer.caBundle = &caBundle;
    if (!transfer.file) {
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    bool ok = Perform(url, transfer);
    // On stable storage before the rename, or a power cut could leave an empty file under the name.
    ok = ok && std::fflush(transfer.file) == 0 && fdatasync(fd) == 0;
    ok = std::fclose(transfer.file) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), file.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

}  // namespace pellmar::platform
