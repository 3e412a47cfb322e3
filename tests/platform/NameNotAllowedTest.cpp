// A name the backup's file system cannot store is told apart from every other failure, for the
// copy's final name and for the folders created on the way; ordinary Linux folders take any name.
#include "common/Paths.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "tests/platform/RefusingFileSystem.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using platform::CopyResult;

std::size_t EntryCount(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

class NameNotAllowedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::CreateFolder(backup));
        test::WriteFile(dir / "src.txt", "new content");
    }
    test::TempFolder dir;
    std::string backup = dir / "fat";
};

TEST_F(NameNotAllowedTest, CopyToARefusedNameLeavesNothingBehindAndOtherFailuresStayFailed) {
    test::WriteFile(backup + "/kept.txt", "previous");
    test::RefusingFileSystem fat(backup);
    for (char refused : std::string(":?*\"<>|\\")) {
        const std::string name = std::string("a") + refused + "b.txt";
        EXPECT_EQ(CopyResult::NameNotAllowed, platform::CopyFileReplacing(dir / "src.txt", backup + "/" + name)) << name;
    }
    EXPECT_EQ(1u, EntryCount(backup));  // no temporary left over
    EXPECT_EQ("previous", test::ReadFile(backup + "/kept.txt"));

    EXPECT_EQ(CopyResult::Failed, platform::CopyFileReplacing(dir / "missing.txt", backup + "/kept.txt"));
    EXPECT_EQ(CopyResult::Failed, platform::CopyFileReplacing(dir / "src.txt", backup + "/no-folder/x.txt"));
    EXPECT_EQ(CopyResult::Copied, platform::CopyFileReplacing(dir / "src.txt", backup + "/kept.txt"));
    EXPECT_EQ("new content", test::ReadFile(backup + "/kept.txt"));
    // Outside that file system the same name is an ordinary Linux name.
    EXPECT_EQ(CopyResult::Copied, platform::CopyFileReplacing(dir / "src.txt", dir / "a:b.txt"));
}

TEST_F(NameNotAllowedTest, AFolderLevelWithARefusedNameIsReportedAsSuchHoweverDeepTheTarget) {
    test::RefusingFileSystem fat(backup);
    EXPECT_EQ(CopyResult::NameNotAllowed, ForceCopyFolders(backup + "/x?y/deeper/still"));
    EXPECT_EQ(CopyResult::NameNotAllowed, ForceCopyFolders(backup + "/ok/a|b/"));
    EXPECT_FALSE(ForceFolders(backup + "/x?y"));
    EXPECT_TRUE(platform::FolderExists(backup + "/ok"));  // the storable levels above were made

    EXPECT_EQ(CopyResult::Copied, ForceCopyFolders(backup + "/plain/sub"));
    EXPECT_TRUE(platform::FolderExists(backup + "/plain/sub"));
    test::WriteFile(backup + "/file", "x");
    EXPECT_EQ(CopyResult::Failed, ForceCopyFolders(backup + "/file/sub"));
}

}  // namespace
}  // namespace pellmar
