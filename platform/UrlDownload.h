// URL-to-file download with progress (URLDownloadToFileA with a bind-status callback on Windows,
// libcurl on Linux). Blocks the calling thread for the whole transfer; any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace pellmar::platform {

// Called on the downloading thread with the bytes received so far and the expected total
// (0 while the total is unknown).
using DownloadProgress = std::function<void(std::uint32_t progress, std::uint32_t progressMax)>;

// What a downloaded file is for; decides the mode a new file gets (POSIX; Windows has none).
enum class DownloadedFileKind { Data, Program };

// The largest body a download accepts unless the caller names a smaller or larger one.
constexpr std::uint64_t kDefaultMaxDownloadBytes = std::uint64_t(512) << 20;

// Fetches `url` into `file`, replacing it. True only when the whole transfer succeeded (an HTTP
// error status is a failure) and the body held at most `maxBytes`; on failure no partial file is
// left and an existing `file` is kept as it was. The content is on stable storage before it takes
// the name `file`. POSIX: the file gets mode 0666, or 0777 for a Program, less the umask.
// An https address is fetched with the server's certificate and host name checked and follows
// redirects to https only; an http one follows redirects over http and https. No other scheme.
// `caBundle` names a file of certificates trusted instead of the system's (a test server's own);
// empty: the system's. Windows always trusts the system's store.
bool DownloadUrlToFile(const std::string& url, const std::string& file, const DownloadProgress& onProgress = {},
                       std::uint64_t maxBytes = kDefaultMaxDownloadBytes,
                       DownloadedFileKind kind = DownloadedFileKind::Data, const std::string& caBundle = {});

}  // namespace pellmar::platform
