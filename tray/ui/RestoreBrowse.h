// The restore window's pictures of what a backup holds: the folder tree made from the listing of
// a monitored folder, the rows of a file's kept copies and the preview of one copy. Pure but for
// the preview, which reads the first bytes of the copy.
#pragma once

#include <string>
#include <vector>

#include "tray/restore/BackupListing.h"
#include "tray/ui/RestoreFormView.h"

namespace pellmar {

struct RestoreTree {
    std::vector<RestoreTreeNode> nodes;
    std::vector<std::string> paths;  // per node: the monitored file, or folder with its delimiter
    std::vector<int> files;          // per node: its index in the listing, -1 for a folder
};

// Node 0 is `root` itself; the files' folders are made as their paths need them.
RestoreTree BuildRestoreTree(const std::string& root, const std::vector<FileHistory>& files);

// The listing's indexes of every file at or below the node.
std::vector<std::size_t> FilesBelow(const RestoreTree& tree, int node);

// The copies newest first, the current one noted.
std::vector<RestoreCopyRow> CopyRows(const FileHistory& file);

// Text for a copy whose first bytes hold no NUL, the copy itself for an image name; otherwise
// none, with the reason as its text.
RestorePreview PreviewOf(const KeptCopy& copy);

// "12 bytes", "4.0 KiB", "1.5 MiB".
std::string SizeText(std::uint64_t size);

}  // namespace pellmar
