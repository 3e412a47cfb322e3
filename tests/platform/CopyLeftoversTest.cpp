// Temporaries that a crashed copy left in a backup folder are removed by the next copy into that
// folder, but only those whose process has ended: a live owner may still be writing its copy.
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "tests/support/TempFolder.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace pellmar {
namespace {

using platform::CopyResult;

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The id of a process that has ended and been reaped, so nothing owns it now.
pid_t EndedProcessId() {
    pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    EXPECT_EQ(child, waitpid(child, &status, 0));
    return child;
}

std::string Leftover(pid_t pid, const std::string& rest = ".0.tmp") {
    return ".pellmar-copy." + std::to_string(pid) + rest;
}

class CopyLeftoversTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::CreateFolder(backup));
        test::WriteFile(dir / "src.txt", "content");
    }
    void Plant(const std::string& name) { test::WriteFile(backup + "/" + name, "partial"); }
    CopyResult CopyInto(const std::string& name) {
        return platform::CopyFileReplacing(dir / "src.txt", backup + "/" + name);
    }

    test::TempFolder dir;
    std::string backup = dir / "backup";
    pid_t ended = EndedProcessId();
};

TEST_F(CopyLeftoversTest, RemovesOnlyTemporariesOfEndedProcesses) {
    const std::vector<std::string> kept = {
        Leftover(getpid(), ".7.tmp"),   // this process: a copy in flight
        Leftover(getppid(), ".3.tmp"),  // a live process
        Leftover(1, ".0.tmp"),          // alive, and not ours to probe unless root
        Leftover(ended, ".tmp"),        // not the temporaries' pattern
        Leftover(ended, ".1.tmp.keep"),
        Leftover(ended, ".1x.tmp"),
        "x" + Leftover(ended, ".1.tmp"),
        "report.doc",
    };
    for (const std::string& name : kept) Plant(name);
    Plant(Leftover(ended, ".0.tmp"));
    Plant(Leftover(ended, ".12.tmp"));

    EXPECT_EQ(CopyResult::Copied, CopyInto("new.doc"));

    std::vector<std::string> expected = kept;
    expected.push_back("new.doc");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, Entries(backup));
}

TEST_F(CopyLeftoversTest, AFolderMissingAtTheFirstCopyIsCleanedWhenItIsBack) {
    const std::string offline = dir / "offline";
    EXPECT_EQ(CopyResult::Failed, platform::CopyFileReplacing(dir / "src.txt", offline + "/a.doc"));

    ASSERT_TRUE(platform::CreateFolder(offline));
    test::WriteFile(offline + "/" + Leftover(ended), "partial");
    EXPECT_EQ(CopyResult::Copied, platform::CopyFileReplacing(dir / "src.txt", offline + "/a.doc"));
    EXPECT_EQ(std::vector<std::string>{"a.doc"}, Entries(offline));
}

}  // namespace
}  // namespace pellmar
