// Windows file-system steps through the wide-character API. A listing reports links to folders
// (junctions, symbolic links) as neither file nor folder, so no walk ever follows one.
#include "platform/FileSystem.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <utility>

namespace pellmar::platform {
namespace {

using win32::UniqueHandle;

DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(win32::Widen(path).c_str());
}

// FILETIME counts 100 ns steps since 1601.
std::int64_t NanosecondsSince1970(FILETIME time) {
    constexpr std::int64_t k1601To1970 = 116444736000000000;
    const std::int64_t ticks = static_cast<std::int64_t>((std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return (ticks - k1601To1970) * 100;
}

void SetFileFacts(FolderEntry* entry, DWORD sizeHigh, DWORD sizeLow, FILETIME modified, DWORD attributes) {
    entry->file = true;
    entry->mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    entry->size = (std::uint64_t(sizeHigh) << 32) | sizeLow;
    entry->modifiedNanoseconds = NanosecondsSince1970(modified);
}

// A link to a file: the facts of the file it names, read through the link.
void SetLinkTargetFacts(const std::wstring& path, FolderEntry* entry) {
    UniqueHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info)) return;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    SetFileFacts(entry, info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime, info.dwFileAttributes);
}

FolderEntry EntryOf(const std::wstring& folder, const WIN32_FIND_DATAW& found) {
    FolderEntry entry;
    entry.name = win32::Narrow(found.cFileName);
    const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        entry.folder = !link;
    } else if (link) {
        SetLinkTargetFacts(folder + L'\\' + found.cFileName, &entry);
    } else {
        SetFileFacts(&entry, found.nFileSizeHigh, found.nFileSizeLow, found.ftLastWriteTime, found.dwFileAttributes);
    }
    return entry;
}

}  // namespace

bool FolderExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderWritable(const std::string& path) {
    if (!FolderExists(path)) return false;
    std::wstring probe = win32::Widen(path);
    if (!probe.empty() && probe.back() != L'\\' && probe.back() != L'/') probe += L'\\';
    probe += L"pellmar-write-probe-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    UniqueHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.Valid();
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) return false;
    if (CreateDirectoryW(win32::Widen(path).c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && FolderExists(path);
}

bool RemoveEmptyFolder(const std::string& path) {
    return !path.empty() && RemoveDirectoryW(win32::Widen(path).c_str()) != FALSE;
}

bool RemoveFile(const std::string& path) { return !path.empty() && DeleteFileW(win32::Widen(path).c_str()) != FALSE; }

// The listing gives every fact at once, so `facts` saves nothing here.
std::optional<std::vector<FolderEntry>> TryListFolder(const std::string& path, bool /*facts*/) {
    if (path.empty()) return std::nullopt;
    const std::wstring folder = win32::Widen(path);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0);
    std::vector<FolderEntry> entries;
    // A drive's root folder lists neither "." nor "..": empty, it matches nothing.
    if (search == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND && FolderExists(path)) return entries;
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    do {
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
        entries.push_back(EntryOf(folder, found));
    } while (FindNextFileW(search, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    if (!complete) return std::nullopt;
    return entries;
}

std::vector<FolderEntry> ListFolder(const std::string& path) {
    std::optional<std::vector<FolderEntry>> entries = TryListFolder(path);
    return entries ? std::move(*entries) : std::vector<FolderEntry>();
}

PathState ProbePath(const std::string& path) {
    const DWORD attributes = Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathState::NotAFile : PathState::File;
    const DWORD error = path.empty() ? ERROR_FILE_NOT_FOUND : GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathState::Missing : PathState::Unknown;
}

std::optional<FolderIdentity> IdentifyFolderOnly(const std::string& path) {
    if (path.empty()) return std::nullopt;
    UniqueHandle folder(CreateFileW(win32::Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder.Valid() || !GetFileInformationByHandle(folder.Get(), &info)) return std::nullopt;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return std::nullopt;
    return FolderIdentity{{}, info.dwVolumeSerialNumber, (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<FolderIdentity> IdentifyFolder(const std::string& path) {
    std::optional<FolderIdentity> identity = IdentifyFolderOnly(path);
    if (!identity) return std::nullopt;
    wchar_t volume[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(win32::Widen(path).c_str(), volume, MAX_PATH + 1)) return std::nullopt;
    identity->mountPoint = win32::Narrow(volume);
    return identity;
}

bool AppendTextDurably(const std::string& path, const std::string& text) {
    if (path.empty()) return false;
    UniqueHandle file(CreateFileW(win32::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    std::size_t written = 0;
    while (written < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1u << 30));
        DWORD count = 0;
        if (!WriteFile(file.Get(), text.data() + written, chunk, &count, nullptr) || count == 0) return false;
        written += count;
    }
    return FlushFileBuffers(file.Get()) != FALSE;
}

namespace {

// The file's first `limit` bytes (all of it when shorter); empty when it cannot be read.
std::string ReadUpTo(const std::string& path, std::size_t limit) {
    std::string text;
    if (path.empty()) return text;
    UniqueHandle file(CreateFileW(win32::Widen(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return text;
    char buffer[4096];
    DWORD count = 0;
    while (text.size() < limit &&
           ReadFile(file.Get(), buffer, static_cast<DWORD>(std::min(sizeof buffer, limit - text.size())), &count,
                    nullptr) &&
           count > 0)
        text.append(buffer, count);
    return text;
}

}  // namespace

std::string ReadTextFile(const std::string& path) { return ReadUpTo(path, std::string::npos); }

std::string ReadFileStart(const std::string& path, std::size_t limit) { return ReadUpTo(path, limit); }

}  // namespace pellmar::platform
