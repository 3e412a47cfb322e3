// The file-system steps a job may take, behind one interface so that tests can make any step fail
// (a copy half-way included). SystemFileOperations does them for real through the platform layer.
// Thread contract: an instance is used by one thread at a time (the job worker); calls block.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/CopyBatch.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

namespace pellmar {

class FileOperations {
public:
    virtual ~FileOperations() = default;
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool FolderExists(const std::string& path) = 0;
    // What stands at the path itself, a link not followed.
    virtual platform::EntryKind Inspect(const std::string& path) = 0;
    // Creates the folder with every missing parent. Other failures are met later by the copy;
    // NameNotAllowed says the backup's file system cannot store one of the folder names.
    virtual platform::CopyResult ForceFolders(const std::string& path) = 0;
    // Replaces `destination` whole or leaves it untouched (see platform::CopyFileReplacing).
    virtual platform::CopyResult CopyFile(const std::string& source, const std::string& destination) = 0;
    // A copy that may be made durable together with others (see platform::CopyBatch): Copied
    // says it is staged, and CommitStagedCopies gives its final result. Without a batch of its
    // own an implementation makes the whole copy here with CopyFile.
    virtual platform::CopyResult StageCopy(const std::string& source, const std::string& destination);
    virtual std::vector<platform::CopyResult> CommitStagedCopies();
    // The size of a regular file; nothing when it cannot be said.
    virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
    // Replaces `destination` by a link with the target text of the link `source`.
    virtual platform::CopyResult CopyLink(const std::string& source, const std::string& destination) = 0;
    // True when both regular files hold the same bytes; false when either cannot be read.
    virtual bool SameContent(const std::string& first, const std::string& second) = 0;
    // Renames a file in its folder, replacing what had the new name.
    virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
    // The mount point of the file system holding the folder; nothing when it is not a folder now.
    virtual std::optional<std::string> MountPointOf(const std::string& folder) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // Removes a folder only when it is empty.
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;
    // Removes a folder with everything in it; links in it are removed, never followed. False
    // when anything could not be removed (what could be is gone).
    virtual bool RemoveTree(const std::string& path) = 0;
    // nullptr when another program has the file open for writing.
    virtual std::unique_ptr<platform::ExclusiveHold> HoldExclusive(const std::string& path) = 0;
    virtual bool PathNamesIgnoreCase() = 0;
    // True when both paths name one directory entry, existing or not: the same name in the same
    // folder, reached through a symbolic link or a ".." segment as much as by equal text.
    virtual bool SameFile(const std::string& first, const std::string& second) = 0;

private:
    std::vector<platform::CopyResult> staged_;
};

class SystemFileOperations : public FileOperations {
public:
    // With `batched`, staged copies reach stable storage together at their commit; with
    // `copyLanes` above one as well, that many threads make the staged copies.
    explicit SystemFileOperations(bool batched = false, unsigned copyLanes = 1);
    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    platform::EntryKind Inspect(const std::string& path) override;
    platform::CopyResult ForceFolders(const std::string& path) override;
    platform::CopyResult CopyFile(const std::string& source, const std::string& destination) override;
    platform::CopyResult CopyLink(const std::string& source, const std::string& destination) override;
    platform::CopyResult StageCopy(const std::string& source, const std::string& destination) override;
    std::vector<platform::CopyResult> CommitStagedCopies() override;
    std::optional<std::uint64_t> FileSize(const std::string& path) override;
    bool SameContent(const std::string& first, const std::string& second) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    std::optional<std::string> MountPointOf(const std::string& folder) override;
    bool DeleteFile(const std::string& path) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    bool RemoveTree(const std::string& path) override;
    std::unique_ptr<platform::ExclusiveHold> HoldExclusive(const std::string& path) override;
    bool PathNamesIgnoreCase() override;
    bool SameFile(const std::string& first, const std::string& second) override;

private:
    std::unique_ptr<platform::CopyBatch> batch_;
    // Mount points found, by folder: asked before every copy, and finding one walks the path.
    std::unordered_map<std::string, platform::FolderIdentity> identities_;
};

}  // namespace pellmar
