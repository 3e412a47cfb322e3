// Folders compared as the system resolves them, on real folders: a link, "..", a trailing
// delimiter, a folder that does not exist yet; monitors that back up into each other.
#include "tray/monitor/SetupConflicts.h"

#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

namespace fs = std::filesystem;

ScannerValues Monitor(const std::string& root, const std::string& backup) {
    ScannerValues values;
    values.root = root;
    values.backuppath = backup;
    values.filters = {"*"};
    return values;
}

std::vector<std::string> Texts(const ScannerValues& values, const std::vector<ScannerValues>& others = {}) {
    std::vector<std::string> texts;
    for (const SetupConflict& conflict : CheckSetupConflicts(values, others)) texts.push_back(conflict.text);
    return texts;
}

TEST(SetupConflictsTest, FoldersAreComparedAsTheSystemResolvesThem) {
    test::TempFolder root;
    fs::create_directories(root / "data/sub");
    fs::create_directories(root / "drive");
    const std::vector<std::string> same{"The backup folder must not be the monitored folder."};
    EXPECT_EQ(Texts(Monitor(root / "data", root / "data/sub/..")), same);
    EXPECT_EQ(Texts(Monitor(root / "data", root / "data/sub/later")),
              (std::vector<std::string>{"The backup folder must not lie inside the monitored folder."}));
    std::error_code noLinks;  // Windows without the right to make links
    fs::create_directory_symlink(root / "data", root / "link", noLinks);
    if (!noLinks) {
        EXPECT_EQ(Texts(Monitor(root / "data", root / "link/")), same);
        EXPECT_EQ(Texts(Monitor(root / "data", root / "link/sub/later")),
                  (std::vector<std::string>{"The backup folder must not lie inside the monitored folder."}));
    }
    EXPECT_EQ(Texts(Monitor(root / "data/sub", root / "data")),
              (std::vector<std::string>{"The monitored folder must not lie inside the backup folder."}));
    // A sibling whose name starts the same is another folder.
    EXPECT_TRUE(Texts(Monitor(root / "data", root / "data-backup")).empty());
    EXPECT_TRUE(Texts(Monitor(root / "data", root / "drive/data")).empty());
}

TEST(SetupConflictsTest, MonitorsThatBackUpIntoEachOtherOrOneAfterAnotherAreRefused) {
    const ScannerValues first = Monitor("/home/a", "/backup/a");
    EXPECT_EQ(Texts(Monitor("/backup/a", "/backup/b"), {first}),
              (std::vector<std::string>{"The monitored folder must not lie in or around the backup folder of another "
                                        "monitor (/backup/a)."}));
    EXPECT_EQ(Texts(Monitor("/home/b", "/home/a/copies"), {first}),
              (std::vector<std::string>{"The backup folder must not lie in or around the folder another monitor "
                                        "watches (/home/a)."}));
    // Two monitors may share a backup drive, each in a folder of its own.
    EXPECT_TRUE(Texts(Monitor("/home/b", "/backup/b"), {first}).empty());
}

}  // namespace
}  // namespace pellmar
