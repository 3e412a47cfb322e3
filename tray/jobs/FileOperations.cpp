// The real file-system steps of a job, forwarded to the platform layer. No decisions are made
// here: what a failure means is ExecuteJob's business.
#include "tray/jobs/FileOperations.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

#include "common/Paths.h"
#include "common/TextCase.h"
#include "common/Utf8Path.h"
#include "platform/FileSystem.h"

namespace pellmar {

namespace fs = std::filesystem;

platform::CopyResult FileOperations::StageCopy(const std::string& source, const std::string& destination) {
    const platform::CopyResult result = CopyFile(source, destination);
    if (result == platform::CopyResult::Copied) staged_.push_back(result);
    return result;
}

std::vector<platform::CopyResult> FileOperations::CommitStagedCopies() { return std::exchange(staged_, {}); }

SystemFileOperations::SystemFileOperations(bool batched, unsigned copyLanes) {
    if (!batched) return;
    batch_ = copyLanes > 1 ? platform::CopyBatch::CreateConcurrent(copyLanes) : platform::CopyBatch::Create();
}

platform::CopyResult SystemFileOperations::StageCopy(const std::string& source, const std::string& destination) {
    return batch_ ? batch_->Stage(source, destination) : FileOperations::StageCopy(source, destination);
}

std::vector<platform::CopyResult> SystemFileOperations::CommitStagedCopies() {
    return batch_ ? batch_->Commit() : FileOperations::CommitStagedCopies();
}

std::optional<std::uint64_t> SystemFileOperations::FileSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(PathFromUtf8(path), error);
    if (error) return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

bool SystemFileOperations::FileExists(const std::string& path) { return platform::FileExists(path); }

bool SystemFileOperations::FolderExists(const std::string& path) { return platform::FolderExists(path); }

platform::EntryKind SystemFileOperations::Inspect(const std::string& path) { return platform::InspectEntry(path); }

platform::CopyResult SystemFileOperations::ForceFolders(const std::string& path) {
    return pellmar::ForceCopyFolders(path);
}

platform::CopyResult SystemFileOperations::CopyFile(const std::string& source, const std::string& destination) {
    return platform::CopyFileReplacing(source, destination);
}

platform::CopyResult SystemFileOperations::CopyLink(const std::string& source, const std::string& destination) {
    return platform::CopyLinkReplacing(source, destination);
}

bool SystemFileOperations::SameContent(const std::string& first, const std::string& second) {
    std::error_code error;
    const fs::path a = PathFromUtf8(first), b = PathFromUtf8(second);
    const auto size = fs::file_size(a, error);
    if (error || size != fs::file_size(b, error) || error) return false;
    std::ifstream one(a, std::ios::binary), other(b, std::ios::binary);
    std::array<char, 1 << 16> x{}, y{};
    while (one && other) {
        one.read(x.data(), x.size());
        other.read(y.data(), y.size());
        if (one.gcount() != other.gcount()) return false;
        if (!std::equal(x.begin(), x.begin() + one.gcount(), y.begin())) return false;
    }
    return one.eof() && other.eof();
}

bool SystemFileOperations::RenameFile(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::rename(PathFromUtf8(from), PathFromUtf8(to), error);
    return !error;
}

// The same folder (device and inode) as when its mount point was found stands on the same file
// system still: an unmounted drive leaves another folder, of the file system below, at its path.
std::optional<std::string> SystemFileOperations::MountPointOf(const std::string& folder) {
    const std::optional<platform::FolderIdentity> now = platform::IdentifyFolderOnly(folder);
    if (!now) {
        identities_.erase(folder);
        return std::nullopt;
    }
    const auto known = identities_.find(folder);
    if (known != identities_.end() && known->second.device == now->device && known->second.inode == now->inode)
        return known->second.mountPoint;
    const std::optional<platform::FolderIdentity> identity = platform::IdentifyFolder(folder);
    if (!identity) return std::nullopt;
    identities_[folder] = *identity;
    return identity->mountPoint;
}

bool SystemFileOperations::DeleteFile(const std::string& path) { return platform::RemoveFile(path); }

bool SystemFileOperations::RemoveEmptyFolder(const std::string& path) { return platform::RemoveEmptyFolder(path); }

// Depth first with an explicit stack: a deep tree must not exhaust the worker's stack. A folder
// is listed again after its contents went, and removed once that listing is empty.
bool SystemFileOperations::RemoveTree(const std::string& path) {
    bool removedAll = true;
    std::vector<std::pair<std::string, bool>> pending{{path, false}};  // folder, contents done
    while (!pending.empty()) {
        auto [folder, done] = std::move(pending.back());
        pending.pop_back();
        if (done) {
            removedAll = platform::RemoveEmptyFolder(folder) && removedAll;
            continue;
        }
        const std::optional<std::vector<platform::FolderEntry>> entries = platform::TryListFolder(folder, false);
        if (!entries) return false;
        pending.emplace_back(folder, true);
        const std::string prefix = IncludeTrailingPathDelimiter(folder);
        for (const platform::FolderEntry& entry : *entries) {
            if (entry.folder) pending.emplace_back(prefix + entry.name, false);
            else removedAll = platform::RemoveFile(prefix + entry.name) && removedAll;
        }
    }
    return removedAll;
}

std::unique_ptr<platform::ExclusiveHold> SystemFileOperations::HoldExclusive(const std::string& path) {
    return platform::TakeExclusiveHold(path);
}

bool SystemFileOperations::PathNamesIgnoreCase() { return platform::PathNamesIgnoreCase(); }

bool SystemFileOperations::SameFile(const std::string& first, const std::string& second) {
    // The same folder and name, whether or not the file exists. Not the same inode: a backup that
    // is a hard link of its source is rightly replaced by a copy of its own.
    std::error_code error;
    const fs::path a = PathFromUtf8(first), b = PathFromUtf8(second);
    const std::string nameA = Utf8FromPath(a.filename()), nameB = Utf8FromPath(b.filename());
    const bool sameName = PathNamesIgnoreCase() ? EqualIgnoringAsciiCase(nameA, nameB) : nameA == nameB;
    return sameName && fs::equivalent(a.parent_path(), b.parent_path(), error);
}

}  // namespace pellmar
