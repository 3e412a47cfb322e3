// Putting a set of downloaded files in place so that the set can be undone as a whole: before a
// file is replaced, the old one is kept aside (a hard link, else a copy, in a folder beside the
// downloads); Undo puts every kept file back and removes the files that were new; Commit drops
// what was kept. An object left without either undoes itself. Runs on the updater's one thread.
#pragma once

#include <string>
#include <vector>

namespace pellmar {

class InstallTransaction {
public:
    // `programFolder` ends in a delimiter; `keptFolder` is made when the first old file is kept.
    InstallTransaction(std::string programFolder, std::string keptFolder);
    ~InstallTransaction();
    InstallTransaction(const InstallTransaction&) = delete;
    InstallTransaction& operator=(const InstallTransaction&) = delete;

    // Replaces programFolder + name by a copy of `downloaded` (see ReplaceFileWithCopy); false,
    // with nothing changed, when the old file cannot be kept or the replacement fails.
    bool Install(const std::string& downloaded, const std::string& name);
    // True when every file installed so far is as it was before.
    bool Undo();
    void Commit();

private:
    struct Step {
        std::string target;
        std::string kept;  // empty: the target did not exist before
    };
    bool KeepAside(const std::string& target, const std::string& kept);
    void DropKept();

    std::string programFolder_;
    std::string keptFolder_;
    std::vector<Step> steps_;
    bool finished_ = false;
};

}  // namespace pellmar
