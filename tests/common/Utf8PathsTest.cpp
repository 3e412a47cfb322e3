// Names outside the system code page (on Windows) survive the steps that go through
// std::filesystem: the updater's file replacement and pellmarctl's absolute paths.
#include "common/FileReplace.h"
#include "common/Utf8Path.h"
#include "tests/support/TempFolder.h"
#include "tray/ctl/CtlCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace pellmar {
namespace {

const std::string kName = "\xD0\x9F\xD0\xB5\xD0\xBB\xD0\xBB\xD0\xBC\xD0\xB0\xD1\x80 \xE9\xB3\xA5";  // Cyrillic and CJK

void Write(const std::string& path, const std::string& content) {
    std::ofstream(PathFromUtf8(path), std::ios::binary) << content;
}

std::string Read(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Utf8Paths, TheUpdatersReplacementReachesAFolderNamedOutsideTheCodePage) {
    test::TempFolder root;
    const std::string folder = root / kName;
    std::filesystem::create_directories(PathFromUtf8(folder));
    Write(folder + "/" + kName + ".new", "new");
    Write(folder + "/" + kName + ".exe", "old");
    ASSERT_TRUE(ReplaceFileWithCopy(folder + "/" + kName + ".new", folder + "/" + kName + ".exe"));
    EXPECT_EQ(Read(folder + "/" + kName + ".exe"), "new");
}

TEST(Utf8Paths, PellmarctlMakesARelativeFolderAbsoluteUnderAWorkingFolderNamedOutsideTheCodePage) {
    const std::string working = Utf8FromPath(std::filesystem::temp_directory_path() / PathFromUtf8(kName));
    const ctl::ParseResult added = ctl::ParseCommand({"add", kName, "backup"}, working);
    ASSERT_TRUE(added.command) << added.error;
    ASSERT_TRUE(added.command->monitor.folder);
    EXPECT_EQ(PathFromUtf8(*added.command->monitor.folder), PathFromUtf8(working) / PathFromUtf8(kName));
}

}  // namespace
}  // namespace pellmar
