// The ASCII-only case rules and the path helpers shared by the programs: one delimiter at the end,
// every missing level of a folder made, and the reason a copy's folder could not be made.
#include "common/Paths.h"
#include "common/TextCase.h"
#include "platform/FileSystem.h"
#include "tests/support/NativePath.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pellmar {
namespace {

TEST(TextCase, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(LowerCaseAscii("AbC-\xC3\x89"), "abc-\xC3\x89");
    EXPECT_EQ(UpperCaseAscii("abz\xC3\xA9"), "ABZ\xC3\xA9");
    EXPECT_TRUE(EqualIgnoringAsciiCase("Pellmar", "pELLMAR"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xC3\x89", "\xC3\xA9"));
}

TEST(IncludeTrailingPathDelimiter, AddsExactlyOne) {
    EXPECT_EQ(IncludeTrailingPathDelimiter("/data"), "/data" + test::Native("/"));
    EXPECT_EQ(IncludeTrailingPathDelimiter("/data/"), "/data/");
    EXPECT_EQ(IncludeTrailingPathDelimiter(test::Native("/data/")), test::Native("/data/"));
    EXPECT_EQ(IncludeTrailingPathDelimiter(""), test::Native("/"));
}

TEST(ForceFolders, CreatesEveryMissingLevelAndToleratesTrailingDelimiter) {
    test::TempFolder temp;
    EXPECT_TRUE(ForceFolders(temp / "a/b/c/"));
    EXPECT_TRUE(platform::FolderExists(temp / "a/b/c"));
    EXPECT_TRUE(ForceFolders(temp / "a/b/c"));  // existing: fine
    test::WriteFile(temp / "file", "x");
    EXPECT_FALSE(ForceFolders(temp / "file/sub"));  // a file in the way: silent failure
}

// Restores the working folder when the test ends, however it ends.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const std::string& folder) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedWorkingFolder() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

// Only a root or a drive ends the walk up: a top level with a one- or two-letter name ("/d", or
// "ab" relative to the working folder) is created like any other.
TEST(ForceFolders, CreatesShortTopLevelsAndStopsOnlyAtTheRoot) {
    test::TempFolder temp;
    ScopedWorkingFolder inside(temp.Path());
    EXPECT_TRUE(ForceFolders("ab/c"));
    EXPECT_TRUE(platform::FolderExists(temp / "ab/c"));
    EXPECT_TRUE(ForceFolders("d/"));
    EXPECT_TRUE(platform::FolderExists(temp / "d"));

    EXPECT_TRUE(ForceFolders("/"));
    // On Windows "//" opens a share name, which is no root of its own.
    if (test::PosixNames()) {
        EXPECT_TRUE(ForceFolders("//"));
    }
    EXPECT_EQ(ForceCopyFolders("/"), platform::CopyResult::Copied);
}

}  // namespace
}  // namespace pellmar
