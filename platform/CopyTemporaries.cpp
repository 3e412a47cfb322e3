#include "platform/CopyTemporaries.h"

#include <atomic>
#include <mutex>
#include <unordered_set>

namespace pellmar::platform {
namespace {

constexpr std::string_view kTemporaryPrefix = ".pellmar-copy.";
constexpr std::string_view kTemporarySuffix = ".tmp";

// Cuts a run of decimal digits off the front of `text`; nullopt when there is none.
std::optional<std::uint64_t> TakeNumber(std::string_view& text) {
    std::size_t digits = 0;
    std::uint64_t value = 0;
    while (digits < text.size() && digits < 18 && text[digits] >= '0' && text[digits] <= '9')
        value = value * 10 + static_cast<std::uint64_t>(text[digits++] - '0');
    if (digits == 0) return std::nullopt;
    text.remove_prefix(digits);
    return value;
}

}  // namespace

std::string NewCopyTemporaryName(std::uint64_t processId) {
    static std::atomic<unsigned> serial{0};
    return std::string(kTemporaryPrefix) + std::to_string(processId) + "." + std::to_string(serial.fetch_add(1)) +
           std::string(kTemporarySuffix);
}

std::optional<std::uint64_t> CopyTemporaryOwner(std::string_view name) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) return std::nullopt;
    name.remove_prefix(kTemporaryPrefix.size());
    name.remove_suffix(kTemporarySuffix.size());
    std::optional<std::uint64_t> pid = TakeNumber(name);
    if (!pid || *pid == 0 || name.empty() || name.front() != '.') return std::nullopt;
    name.remove_prefix(1);
    if (!TakeNumber(name) || !name.empty()) return std::nullopt;
    return pid;
}

namespace {

struct VisitedFolders {
    std::mutex mutex;
    std::unordered_set<std::string> names;
};

VisitedFolders& Visited() {
    static VisitedFolders visited;
    return visited;
}

}  // namespace

bool FirstCopyIntoFolder(const std::string& folder) {
    VisitedFolders& visited = Visited();
    std::lock_guard lock(visited.mutex);
    return visited.names.insert(folder).second;
}

void ForgetCopyIntoFolder(const std::string& folder) {
    VisitedFolders& visited = Visited();
    std::lock_guard lock(visited.mutex);
    visited.names.erase(folder);
}

}  // namespace pellmar::platform
