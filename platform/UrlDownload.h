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

// Fetches `url` into `file`, replacing it. True only when the whole transfer succeeded (an HTTP
// error status is a failure); on failure no partial file is left and an existing `file` is kept
// as it was. Follows redirects over http and https only.
bool DownloadUrlToFile(const std::string& url, const std::string& file, const DownloadProgress& onProgress = {});

}  // namespace pellmar::platform
