// Tree nodes are made parents first, so a view can add each under the item of its parent as it
// goes; the order within a folder is the listing's, sorted by path.
#include "tray/ui/RestoreBrowse.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "common/Paths.h"
#include "common/TextCase.h"
#include "platform/FileSystem.h"
#include "tray/log/LogFormat.h"
#include "tray/monitor/PathParts.h"

namespace pellmar {
namespace {

// `folders` holds the root, and every path given lies below it.
int FolderNode(RestoreTree& tree, std::map<std::string, int>& folders, const std::string& path, std::size_t rootSize) {
    if (const auto found = folders.find(path); found != folders.end()) return found->second;
    if (path.size() <= rootSize) return 0;
    const std::string inside = ExcludeTrailingPathDelimiter(path);
    const int parent = FolderNode(tree, folders, std::string(FolderPart(inside)), rootSize);
    tree.nodes.push_back({std::string(FileNamePart(inside)), parent, true});
    tree.paths.push_back(path);
    tree.files.push_back(-1);
    folders.emplace(path, static_cast<int>(tree.nodes.size() - 1));
    return folders.at(path);
}

bool IsImageName(const std::string& path) {
    const std::string name = LowerCaseAscii(FileNamePart(path));
    for (const char* extension : {".png", ".jpg", ".jpeg", ".gif", ".bmp"}) {
        const std::string ending(extension);
        if (name.size() > ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
            return true;
    }
    return false;
}

}  // namespace

RestoreTree BuildRestoreTree(const std::string& root, const std::vector<FileHistory>& files) {
    RestoreTree tree;
    const std::string top = IncludeTrailingPathDelimiter(ExcludeTrailingPathDelimiter(root));
    tree.nodes.push_back({ExcludeTrailingPathDelimiter(root), -1, true});
    tree.paths.push_back(top);
    tree.files.push_back(-1);
    std::map<std::string, int> folders{{top, 0}};
    std::vector<std::size_t> order(files.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&files](std::size_t a, std::size_t b) { return files[a].source < files[b].source; });
    for (const std::size_t index : order) {
        const std::string& source = files[index].source;
        if (source.size() <= top.size() || !SamePathText(std::string_view(source).substr(0, top.size()), top)) continue;
        const int parent = FolderNode(tree, folders, std::string(FolderPart(source)), top.size());
        tree.nodes.push_back({std::string(FileNamePart(source)), parent, false});
        tree.paths.push_back(source);
        tree.files.push_back(static_cast<int>(index));
    }
    return tree;
}

std::vector<std::size_t> FilesBelow(const RestoreTree& tree, int node) {
    std::vector<std::size_t> below;
    for (std::size_t n = 0; n < tree.nodes.size(); ++n) {
        if (tree.files[n] < 0) continue;
        int up = static_cast<int>(n);
        while (up >= 0 && up != node) up = tree.nodes[static_cast<std::size_t>(up)].parent;
        if (up == node) below.push_back(static_cast<std::size_t>(tree.files[n]));
    }
    return below;
}

std::string SizeText(std::uint64_t size) {
    if (size < 1024) return std::to_string(size) + (size == 1 ? " byte" : " bytes");
    char text[32];
    const double kib = static_cast<double>(size) / 1024.0;
    if (kib < 1024.0) std::snprintf(text, sizeof text, "%.1f KiB", kib);
    else if (kib < 1024.0 * 1024.0) std::snprintf(text, sizeof text, "%.1f MiB", kib / 1024.0);
    else std::snprintf(text, sizeof text, "%.1f GiB", kib / (1024.0 * 1024.0));
    return text;
}

std::vector<RestoreCopyRow> CopyRows(const FileHistory& file) {
    std::vector<RestoreCopyRow> rows;
    for (std::size_t i = file.copies.size(); i-- > 0;) {
        const KeptCopy& copy = file.copies[i];
        std::string note = i + 1 == file.copies.size() ? "current" : "";
        if (copy.parked) note += note.empty() ? "parked" : ", parked";
        rows.push_back({copy.number == 0 ? "copy" : std::to_string(copy.number), LogDateText(copy.modified),
                        LogTimeText(copy.modified), SizeText(copy.size), note});
    }
    return rows;
}

RestorePreview PreviewOf(const KeptCopy& copy) {
    if (IsImageName(copy.path)) return {RestorePreview::Kind::Image, {}, copy.path};
    const std::string start = platform::ReadFileStart(copy.path, kRestorePreviewBytes);
    if (start.empty() && copy.size > 0) return {RestorePreview::Kind::None, "The copy cannot be read.", {}};
    if (start.find('\0') != std::string::npos)
        return {RestorePreview::Kind::None, "No preview for this kind of file.", {}};
    return {RestorePreview::Kind::Text, start, {}};
}

}  // namespace pellmar
