// libcurl transfers into a temporary file beside the target, renamed into place only after the
// whole transfer succeeded, so a failed or cut-off download never leaves a partial file.
#include "platform/UrlDownload.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
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
    curl_off_t lastNow = -1;
    curl_off_t lastTotal = -1;
    bool writeFailed = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
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

bool Perform(const std::string& url, Transfer& transfer) {
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK && !transfer.writeFailed;
}

}  // namespace

bool DownloadUrlToFile(const std::string& url, const std::string& file, const DownloadProgress& onProgress) {
    InitialiseOnce();
    std::vector<char> temporary(file.begin(), file.end());
    for (char c : std::string(".part-XXXXXX")) temporary.push_back(c);
    temporary.push_back('\0');
    // Close-on-exec: a program another thread starts meanwhile must not inherit the half-written file.
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    // mkostemp makes 0600; a downloaded file is readable like any other installed file.
    fchmod(fd, 0644);
    Transfer transfer;
    transfer.file = fdopen(fd, "wb");
    transfer.onProgress = &onProgress;
    if (!transfer.file) {
        close(fd);
        unlink(temporary.data());
        return false;
    }
    bool ok = Perform(url, transfer);
    ok = std::fclose(transfer.file) == 0 && ok;
    if (ok && std::rename(temporary.data(), file.c_str()) == 0) return true;
    unlink(temporary.data());
    return false;
}

}  // namespace pellmar::platform
