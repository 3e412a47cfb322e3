// Atomic file replacement: what is replaced, what refuses, and that nothing half-written remains.
#include "common/FileReplace.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace pellmar {
namespace {

namespace fs = std::filesystem;

std::size_t EntriesIn(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(FileReplaceTest, ReplacesContentKeepsTargetModeAndLeavesNoTemporary) {
    test::TempFolder folder;
    test::WriteFile(folder / "new", "new content");
    test::WriteFile(folder / "app", "old");
    chmod((folder / "app").c_str(), 0750);
    chmod((folder / "new").c_str(), 0600);
    ASSERT_TRUE(ReplaceFileWithCopy(folder / "new", folder / "app"));
    EXPECT_EQ(test::ReadFile(folder / "app"), "new content");
    EXPECT_EQ(test::ReadFile(folder / "new"), "new content");  // a copy, not a move
    struct stat info {};
    ASSERT_EQ(stat((folder / "app").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0750u);
    EXPECT_EQ(EntriesIn(folder.Path()), 2u);

    ASSERT_TRUE(ReplaceFileWithCopy(folder / "new", folder / "fresh"));
    EXPECT_EQ(test::ReadFile(folder / "fresh"), "new content");
}

TEST(FileReplaceTest, RefusesMissingSourceFolderTargetAndReadOnlyTarget) {
    test::TempFolder folder;
    test::WriteFile(folder / "new", "new");
    EXPECT_FALSE(ReplaceFileWithCopy(folder / "missing", folder / "app"));
    EXPECT_FALSE(fs::exists(folder / "app"));

    fs::create_directory(folder / "dir");
    test::WriteFile(folder / "dir/inside", "x");
    EXPECT_FALSE(ReplaceFileWithCopy(folder / "new", folder / "dir"));
    EXPECT_TRUE(fs::is_directory(folder / "dir"));

    // Refused through the mode bits, so it holds also for root, who may write anything.
    test::WriteFile(folder / "locked", "old");
    chmod((folder / "locked").c_str(), 0444);
    EXPECT_FALSE(ReplaceFileWithCopy(folder / "new", folder / "locked"));
    EXPECT_EQ(test::ReadFile(folder / "locked"), "old");
    EXPECT_EQ(EntriesIn(folder.Path()), 3u);
}

}  // namespace
}  // namespace pellmar
