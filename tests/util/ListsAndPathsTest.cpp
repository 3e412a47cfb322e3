#include "platform/FileSystem.h"
#include "tests/support/NativePath.h"
#include "tests/support/TempFolder.h"
#include "tray/util/Lists.h"
#include "tray/util/Paths.h"
#include "tray/util/TextCase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace pellmar {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Split(std::string_view text) {
    std::vector<std::string> items;
    SplitList(text, &items);
    return items;
}

TEST(SplitList, KeepsLeadingAndMiddleEmptiesButNotATrailingOne) {
    EXPECT_THAT(Split("a;b"), ElementsAre("a", "b"));
    EXPECT_THAT(Split("a;;b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(Split("a;"), ElementsAre("a"));
    EXPECT_THAT(Split(";a"), ElementsAre("", "a"));
    EXPECT_THAT(Split(""), ElementsAre());
    EXPECT_THAT(Split("*.doc; *.xls"), ElementsAre("*.doc", " *.xls"));  // blanks are part of the item
    SplitList("a;b", nullptr);  // no list: nothing happens
}

TEST(SplitList, AppendsWithoutClearing) {
    std::vector<std::string> items{"first"};
    SplitList("*.doc;*.xls", &items);
    EXPECT_THAT(items, ElementsAre("first", "*.doc", "*.xls"));
}

TEST(JoinList, JoinsWithSemicolonsAndKeepsEmptyItems) {
    EXPECT_EQ(JoinList({"a", "b"}), "a;b");
    EXPECT_EQ(JoinList({}), "");
    EXPECT_EQ(JoinList({""}), "");
    EXPECT_EQ(JoinList({"a", ""}), "a;");
    EXPECT_THAT(Split(JoinList({"x", "", "y"})), ElementsAre("x", "", "y"));
}

TEST(ChoiceHelpers, PickTheRightSide) {
    EXPECT_EQ(IfThenText(true, "a", "b"), "a");
    EXPECT_EQ(IfThenText(false, "a", "b"), "b");
    EXPECT_EQ(IfThenInt(false, 1, 2), 2);
    EXPECT_EQ(ActiveText(true), "Active");
    EXPECT_EQ(ActiveText(false), "Disabled");
}

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
