// The kept files are hard links where the file system has them: keeping costs no space (a full
// disk cannot stop the undo) and putting back is one rename.
#include "updater/InstallTransaction.h"

#include "common/FileReplace.h"
#include "common/Utf8Path.h"
#include "platform/Environment.h"

#include <filesystem>

namespace pellmar {

namespace fs = std::filesystem;

InstallTransaction::InstallTransaction(std::string programFolder, std::string keptFolder)
    : programFolder_(std::move(programFolder)), keptFolder_(std::move(keptFolder)) {}

InstallTransaction::~InstallTransaction() {
    if (!finished_) Undo();
}

bool InstallTransaction::KeepAside(const std::string& target, const std::string& kept) {
    std::error_code error;
    const fs::path keptPath = PathFromUtf8(kept);
    fs::create_directories(PathFromUtf8(keptFolder_), error);
    fs::remove(keptPath, error);
    error.clear();
    fs::create_hard_link(PathFromUtf8(target), keptPath, error);
    if (!error) return true;
    error.clear();
    return fs::copy_file(PathFromUtf8(target), keptPath, fs::copy_options::overwrite_existing, error) && !error;
}

bool InstallTransaction::Install(const std::string& downloaded, const std::string& name) {
    std::string target = programFolder_ + name;
    std::string kept;
    std::error_code error;
    if (fs::exists(fs::symlink_status(PathFromUtf8(target), error))) {
        kept = keptFolder_ + platform::PathDelimiter() + name;
        if (!KeepAside(target, kept)) return false;
    }
    if (!ReplaceFileWithCopy(downloaded, target)) {
        if (!kept.empty()) fs::remove(PathFromUtf8(kept), error);
        return false;
    }
    steps_.push_back(Step{target, kept});
    return true;
}

bool InstallTransaction::Undo() {
    finished_ = true;
    bool restored = true;
    for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
        std::error_code error;
        if (step->kept.empty()) {
            fs::remove(PathFromUtf8(step->target), error);
        } else {
            fs::rename(PathFromUtf8(step->kept), PathFromUtf8(step->target), error);
            // Kept on another file system (a mount inside the program folder): a copy puts it back.
            if (error) restored = ReplaceFileWithCopy(step->kept, step->target) && restored;
        }
        if (error && step->kept.empty()) restored = false;
    }
    steps_.clear();
    // An old file that could not be put back is still only there: it stays for a later repair.
    if (restored) DropKept();
    return restored;
}

void InstallTransaction::Commit() {
    finished_ = true;
    steps_.clear();
    DropKept();
}

void InstallTransaction::DropKept() {
    std::error_code error;
    fs::remove_all(PathFromUtf8(keptFolder_), error);
}

}  // namespace pellmar
