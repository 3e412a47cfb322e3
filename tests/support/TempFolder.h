// A fresh folder under the system temporary folder for one test, removed with everything in it.
#pragma once

#include <string>

namespace pellmar::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + relative
    std::string operator/(const std::string& relative) const;

private:
    std::string path_;
};

// Whole-file helpers for tests.
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

}  // namespace pellmar::test
