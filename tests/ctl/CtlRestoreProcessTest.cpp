// pellmarctl versions and restore as processes: on the files directly with no host, and through
// a running pellmard, whose session must not back the restored file up as one more version.
#include "tests/ctl/CtlProcessFixture.h"

#include <spawn.h>  // a POSIX process test: the Windows build leaves it out

#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>

namespace pellmar {
namespace {

using test::CtlProcessTest;
using test::CtlRun;
using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

// A kept file with its modification time at the local time given.
void Kept(const std::string& path, const std::string& content, int day, int hour) {
    WriteFile(path, content);
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
    fs::last_write_time(path, std::chrono::file_clock::from_sys(when));
}

// Every file below the folder with its content.
std::map<std::string, std::string> Tree(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path().string()] = ReadFile(entry.path().string());
    return files;
}

TEST_F(CtlProcessTest, WithoutAHostVersionsListsAndRestoreGoesBackInTimeWhileADryRunAndBadRequestsChangeNothing) {
    ASSERT_EQ(0, Ctl({"add", watched, backup, "--versions", "5"}).code);
    const std::string name = "it's a \"plan\" \xC3\xA9t\xC3\xA9.txt";
    const std::string file = watched + "/" + name;
    WriteFile(file, "now");
    Kept(backup + "/it's a \"plan\" \xC3\xA9t\xC3\xA9.1.txt", "first", 1, 10);
    Kept(backup + "/it's a \"plan\" \xC3\xA9t\xC3\xA9.2.txt", "second", 5, 10);

    CtlRun versions = Ctl({"versions", file});
    ASSERT_EQ(0, versions.code) << versions.err;
    EXPECT_EQ(file + "\t1\t5\t2026-12-01T10:00:00\t\t\n" + file + "\t2\t6\t2026-12-05T10:00:00\tcurrent\t\n",
              versions.out);
    EXPECT_NE(std::string::npos, Ctl({"versions", watched, "--json"}).out.find(
                                     "{\"version\":2,\"size\":6,\"time\":\"2026-12-05T10:00:00\",\"current\":true"));

    const auto before = Tree(watched), backupBefore = Tree(backup);
    CtlRun both = Ctl({"restore", file, "--version", "1", "--at", "2026-12-03T12:00"});
    EXPECT_EQ(1, both.code);
    EXPECT_NE(std::string::npos, both.err.find("cannot be combined"));
    EXPECT_EQ(1, Ctl({"restore", watched + "/never.txt"}).code);
    EXPECT_EQ(1, Ctl({"restore", root / "outside.txt"}).code);
    CtlRun missing = Ctl({"restore", file, "--version", "7"});
    EXPECT_EQ(1, missing.code);
    EXPECT_EQ("pellmarctl: the backup holds no version 7 of " + file + "; see pellmarctl versions\n", missing.err);
    EXPECT_EQ(1, Ctl({"restore", file, "--at", "2026-11-30T09:00"}).code);
    EXPECT_EQ(1, Ctl({"restore", file, "--at", "yesterday"}).code);
    CtlRun dry = Ctl({"restore", watched, "--at", "2026-12-03T12:00:30", "--dry-run"});
    EXPECT_EQ(0, dry.code) << dry.err;
    EXPECT_EQ("would restore " + file + " from version 1 of 2026-12-01T10:00:00\n", dry.out);
    EXPECT_EQ(before, Tree(watched));
    EXPECT_EQ(backupBefore, Tree(backup));

    CtlRun restored = Ctl({"restore", file, "--at", "2026-12-03T12:00"});
    ASSERT_EQ(0, restored.code) << restored.err;
    EXPECT_EQ("first", ReadFile(file));
    EXPECT_EQ("now", ReadFile(backup + "/it's a \"plan\" \xC3\xA9t\xC3\xA9.3.txt"));
    EXPECT_EQ(1, LogCount("Restored 1 file from the backup."));

    // The number the restore took is the counter's: the host's next version of the file is 4.
    StartHost();
    WriteFile(file, "edited after the restore");
    EXPECT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/it's a \"plan\" \xC3\xA9t\xC3\xA9.4.txt"); }));
    EXPECT_EQ("now", ReadFile(backup + "/it's a \"plan\" \xC3\xA9t\xC3\xA9.3.txt"));
}

TEST_F(CtlProcessTest, WithAHostARestoreIsCarriedOutByItAndMakesNoExtraVersion) {
    StartHost();
    ASSERT_EQ(0, Ctl({"add", watched, backup, "--versions", "5"}).code);
    WriteFile(watched + "/r.txt", "one");
    ASSERT_TRUE(test::WaitUntil([&] { return ReadFile(backup + "/r.1.txt") == "one"; }));
    WriteFile(watched + "/r.txt", "two");
    ASSERT_TRUE(test::WaitUntil([&] { return ReadFile(backup + "/r.2.txt") == "two"; }));

    CtlRun restored = Ctl({"restore", watched + "/r.txt", "--version", "1"});
    ASSERT_EQ(0, restored.code) << restored.err;
    EXPECT_EQ("restored " + watched + "/r.txt from version 1 of ", restored.out.substr(0, watched.size() + 34));
    EXPECT_EQ("one", ReadFile(watched + "/r.txt"));
    EXPECT_EQ("two", ReadFile(backup + "/r.3.txt"));
    // A later change is the barrier: the restore's own write was heard before it.
    WriteFile(watched + "/mark.txt", "mark");
    EXPECT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/mark.1.txt"); }));
    EXPECT_TRUE(AllJobsDone());
    EXPECT_FALSE(fs::exists(backup + "/r.4.txt"));
    EXPECT_EQ(1, LogCount("Restored 1 file from the backup."));
}

}  // namespace
}  // namespace pellmar
