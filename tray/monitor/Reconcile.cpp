// The folder walk and the backup comparison of a reconcile. One listing per watched folder and
// one per backup folder; the newest kept version of each file is found from the backup listing.
#include "tray/monitor/Reconcile.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"
#include "tray/monitor/PathParts.h"
#include "tray/util/Paths.h"

namespace pellmar {
namespace {

constexpr std::int64_t kTimeSlackNanoseconds = 2'000'000'000;

struct Kept {
    platform::FolderEntry entry;
    std::int64_t version = -1;  // -1: the plain mirror copy
};

bool AllDigits(std::string_view text) {
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// "report.3.doc" may be version 3 of "report.doc"; "README.3" version 3 of "README". A name
// can be read both ways ("a.1.2"), so each reading is offered.
void OfferVersionReadings(const platform::FolderEntry& entry, std::unordered_map<std::string, Kept>* newest) {
    const std::string& name = entry.name;
    auto offer = [&](const std::string& original, std::string_view digits) {
        const std::int64_t version = std::stoll(std::string(digits));
        Kept& kept = (*newest)[original];
        if (version > kept.version) kept = Kept{entry, version};
    };
    const std::size_t lastDot = name.rfind('.');
    if (lastDot == std::string::npos || lastDot == 0) return;
    const std::string extension = name.substr(lastDot);
    const std::string stem = name.substr(0, lastDot);
    if (AllDigits(extension.substr(1))) offer(stem, extension.substr(1));
    const std::size_t numberDot = stem.rfind('.');
    if (numberDot != std::string::npos && numberDot > 0 && AllDigits(std::string_view(stem).substr(numberDot + 1)))
        offer(stem.substr(0, numberDot) + extension, std::string_view(stem).substr(numberDot + 1));
}

std::unordered_map<std::string, Kept> IndexBackupFolder(const std::string& folder, bool versioned) {
    std::unordered_map<std::string, Kept> index;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        if (!entry.file) continue;
        if (versioned) OfferVersionReadings(entry, &index);
        else index[entry.name] = Kept{entry, -1};
    }
    return index;
}

bool BackedUp(const platform::FolderEntry& file, const std::unordered_map<std::string, Kept>& backups) {
    const auto kept = backups.find(file.name);
    if (kept == backups.end()) return false;
    const platform::FolderEntry& copy = kept->second.entry;
    return copy.size == file.size && file.modifiedNanoseconds <= copy.modifiedNanoseconds + kTimeSlackNanoseconds &&
           (kept->second.version >= 0 || copy.modifiedNanoseconds <= file.modifiedNanoseconds + kTimeSlackNanoseconds);
}

int ReconcileFolder(FolderScanner& scanner, const std::string& folder, std::vector<std::string>* pending) {
    const std::string prefix = IncludeTrailingPathDelimiter(folder);
    const std::vector<platform::FolderEntry> entries = platform::ListFolder(folder);
    std::unordered_map<std::string, Kept> backups;
    bool indexed = false;
    int reported = 0;
    for (const platform::FolderEntry& entry : entries) {
        if (entry.folder) {
            if (scanner.GetSubfolders()) pending->push_back(prefix + entry.name);
            continue;
        }
        if (!entry.file || !scanner.PassesFilters(entry.name)) continue;
        if (!indexed) {
            const std::string dest = scanner.DestinationOf(prefix + entry.name);
            backups = IndexBackupFolder(std::string(FolderPart(dest)), scanner.GetMaxVersions() > 0);
            indexed = true;
        }
        if (!BackedUp(entry, backups) && scanner.ReportOutOfDate(prefix + entry.name)) ++reported;
    }
    return reported;
}

}  // namespace

int ReconcileWithBackup(FolderScanner& scanner) {
    int reported = 0;
    std::vector<std::string> pending{scanner.GetRoot()};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        reported += ReconcileFolder(scanner, folder, &pending);
    }
    return reported;
}

}  // namespace pellmar
