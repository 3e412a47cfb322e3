// The worker's file steps on real files: whole-or-nothing copies, kept metadata, the exclusive
// hold against writers, and the lease-break signal that must not end the process.
#include "platform/FileCopy.h"
#include "tests/support/TempFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
    return text;
}

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(0, stat(path.c_str(), &info)) << path;
    return info;
}

TEST(CopyFileReplacing, CopiesBytesModeAndModificationTimeOverAnExistingFile) {
    TempFolder dir;
    const std::string content = Pattern(3 * 1024 * 1024 + 17);
    WriteFile(dir / "src.bin", content);
    ASSERT_EQ(0, chmod((dir / "src.bin").c_str(), 0640));
    const struct timespec times[2] = {{1600000000, 0}, {1600000123, 456000000}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, (dir / "src.bin").c_str(), times, 0));
    WriteFile(dir / "dst.bin", "older and longer backup text that must be replaced entirely");

    ASSERT_EQ(platform::CopyResult::Copied, platform::CopyFileReplacing(dir / "src.bin", dir / "dst.bin"));

    EXPECT_EQ(content, ReadFile(dir / "dst.bin"));
    struct stat copy = StatOf(dir / "dst.bin");
    EXPECT_EQ(0640u, copy.st_mode & 07777);
    EXPECT_EQ(1600000123, copy.st_mtim.tv_sec);
    EXPECT_EQ(456000000, copy.st_mtim.tv_nsec);
    EXPECT_EQ((std::vector<std::string>{"dst.bin", "src.bin"}), Entries(dir.Path()));

    WriteFile(dir / "empty", "");
    ASSERT_EQ(platform::CopyResult::Copied, platform::CopyFileReplacing(dir / "empty", dir / "dst.bin"));
    EXPECT_EQ("", ReadFile(dir / "dst.bin"));
}

TEST(CopyFileReplacing, CopiesAcrossFileSystems) {
    // /dev/shm is a different file system on Linux hosts, which exercises the read/write path.
    if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
    TempFolder dir;
    const std::string shm = "/dev/shm/pellmar-copy-test-" + std::to_string(getpid());
    const std::string content = Pattern(2 * 1024 * 1024 + 3);
    WriteFile(shm, content);
    const bool copied = platform::CopyFileReplacing(shm, dir / "copy") == platform::CopyResult::Copied;
    unlink(shm.c_str());
    ASSERT_TRUE(copied);
    EXPECT_EQ(content, ReadFile(dir / "copy"));
}

TEST(CopyFileReplacing, AFailureLeavesThePreviousBackupByteIdenticalAndNoLeftovers) {
    TempFolder dir;
    WriteFile(dir / "src.bin", Pattern(20 * 1024 * 1024));
    WriteFile(dir / "dst.bin", "previous backup");
    std::uint64_t seen = 0;
    auto failHalfWay = [&seen](std::uint64_t done) {
        seen = done;
        return false;
    };
    EXPECT_EQ(platform::CopyResult::Failed, platform::CopyFileReplacing(dir / "src.bin", dir / "dst.bin", failHalfWay));
    EXPECT_GT(seen, 0u);  // bytes had been written when it failed
    EXPECT_LT(seen, 20u * 1024 * 1024);
    EXPECT_EQ("previous backup", ReadFile(dir / "dst.bin"));
    EXPECT_EQ((std::vector<std::string>{"dst.bin", "src.bin"}), Entries(dir.Path()));

    EXPECT_EQ(platform::CopyResult::Failed, platform::CopyFileReplacing(dir / "missing", dir / "dst.bin"));
    EXPECT_EQ(platform::CopyResult::Failed, platform::CopyFileReplacing(dir / "src.bin", dir / "no-folder/dst.bin"));
    std::filesystem::create_directory(dir / "a-folder");
    EXPECT_EQ(platform::CopyResult::Failed, platform::CopyFileReplacing(dir / "src.bin", dir / "a-folder"));  // cannot replace a folder
    EXPECT_EQ(platform::CopyResult::Failed, platform::CopyFileReplacing(dir / "a-folder", dir / "x"));         // nor copy one
    EXPECT_EQ("previous backup", ReadFile(dir / "dst.bin"));
    EXPECT_EQ((std::vector<std::string>{"a-folder", "dst.bin", "src.bin"}), Entries(dir.Path()));
}

class FdCloser {
public:
    explicit FdCloser(int fd) : fd_(fd) {}
    ~FdCloser() {
        if (fd_ >= 0) close(fd_);
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

TEST(ExclusiveHold, IsRefusedWhileAWriterHasTheFileOpen) {
    TempFolder dir;
    WriteFile(dir / "doc", "text");
    {
        FdCloser writer(open((dir / "doc").c_str(), O_WRONLY));
        ASSERT_GE(writer.fd(), 0);
        EXPECT_EQ(nullptr, platform::TakeExclusiveHold(dir / "doc"));
    }
    EXPECT_NE(nullptr, platform::TakeExclusiveHold(dir / "doc"));
    EXPECT_EQ(nullptr, platform::TakeExclusiveHold(dir / "missing"));
}

TEST(ExclusiveHold, HoldsWritersOffWithoutEndingTheProcessAndLetsTheHolderCopy) {
    TempFolder dir;
    WriteFile(dir / "doc", "content under hold");
    auto hold = platform::TakeExclusiveHold(dir / "doc");
    ASSERT_NE(nullptr, hold);

    // The writer's open starts a lease break, which signals this process; it must survive that.
    errno = 0;
    FdCloser refused(open((dir / "doc").c_str(), O_WRONLY | O_NONBLOCK));
    EXPECT_LT(refused.fd(), 0);
    EXPECT_EQ(EWOULDBLOCK, errno);

    EXPECT_EQ(platform::CopyResult::Copied, platform::CopyFileReplacing(dir / "doc", dir / "copy"));
    EXPECT_EQ("content under hold", ReadFile(dir / "copy"));

    hold.reset();
    FdCloser writer(open((dir / "doc").c_str(), O_WRONLY | O_NONBLOCK));
    EXPECT_GE(writer.fd(), 0);
}

TEST(ExclusiveHold, LockFallbackExcludesASecondHolderUntilReleased) {
    TempFolder dir;
    WriteFile(dir / "doc", "x");
    auto first = platform::TakeLockHold(dir / "doc");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(nullptr, platform::TakeLockHold(dir / "doc"));
    first.reset();
    EXPECT_NE(nullptr, platform::TakeLockHold(dir / "doc"));
}

}  // namespace
}  // namespace pellmar
