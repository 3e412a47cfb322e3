// Outcomes that must say what really happened, through the real session and worker on real
// folders: a backup drive that is unmounted and mounted again, cancels after the queue emptied,
// duplicate versions, names that can never be stored, special files, links, sparse and set-uid
// files, and temporary files that vanish before their copy.
#include "tests/e2e/E2eFixture.h"
#include "tray/db/Statements.h"
#include "tray/model/JobResults.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

// Unmounts in reverse order even when an assertion ends the test early.
struct Mounts {
    std::vector<std::string> points;
    ~Mounts() {
        for (auto point = points.rbegin(); point != points.rend(); ++point) umount2(point->c_str(), MNT_DETACH);
    }
};

class HonestOutcomesTest : public test::E2eTest {
protected:
    // A real host's settle time: a file's creation and its close make one job, as the counts
    // of jobs and entries below expect.
    HonestOutcomesTest() { timings.changePause = timings.queuePause = std::chrono::milliseconds(50); }
    ChangeEvent VersionJob(const std::string& name, int version, int max) {
        ChangeEvent job;
        job.jobtype = ChangeModified;
        job.src = watched + "/" + name;
        const std::size_t dot = name.rfind('.');
        job.dest = backup + "/" + name.substr(0, dot) + "." + std::to_string(version) + name.substr(dot);
        job.currentversion = version;
        job.maxversions = max;
        return job;
    }
};

// The drive is a bind mount of a folder on a tmpfs, so that mounting it again brings back the
// same file system with its content, as re-plugging a drive does.
TEST_F(HonestOutcomesTest, ABackupDriveUnmountedTakesNothingUnderneathAndGetsEveryChangeWhenBack) {
    const std::string store = root / "store", drive = root / "drive";
    fs::create_directories(store);
    fs::create_directories(drive);
    Mounts mounts;
    if (mount("pellmar-test", store.c_str(), "tmpfs", 0, "size=16m") != 0) GTEST_SKIP() << "mount refused: " << errno;
    mounts.points.push_back(store);
    fs::create_directories(store + "/disk");
    auto plug = [&] { return mount((store + "/disk").c_str(), drive.c_str(), nullptr, MS_BIND, nullptr) == 0; };
    ASSERT_TRUE(plug());
    mounts.points.push_back(drive);
    StartSession();
    AddMonitor(Monitor(watched, drive + "/Docs"));  // the first copy creates Docs on the drive
    WriteFile(watched + "/a.txt", "a1");
    ASSERT_TRUE(RunUntilFile(drive + "/Docs/a.txt", "a1"));
    ASSERT_TRUE(AllJobsDone());

    ASSERT_EQ(0, umount(drive.c_str()));
    WriteFile(watched + "/a.txt", "a2");
    WriteFile(watched + "/b.txt", "b1");
    ASSERT_TRUE(RunUntil([&] { return LogCount(kJobDestinationUnavailable) >= 2; }));
    EXPECT_TRUE(fs::is_empty(drive)) << "the copy re-created the backup folder on the disk underneath";
    // The mount point's own folder made by someone else is still not the drive.
    fs::create_directories(drive + "/Docs");
    const std::size_t warnings = Log().size();
    ASSERT_TRUE(RunUntil([&] { return Log().size() >= warnings + 2; }));
    EXPECT_TRUE(fs::is_empty(drive + "/Docs"));
    fs::remove(drive + "/Docs");

    ASSERT_TRUE(plug());
    EXPECT_TRUE(RunUntilFile(drive + "/Docs/a.txt", "a2"));
    EXPECT_TRUE(RunUntilFile(drive + "/Docs/b.txt", "b1"));
    EXPECT_TRUE(AllJobsDone());
    StopSession();
}

TEST_F(HonestOutcomesTest, CancellingAnOldEntryAfterTheQueueEmptiedLeavesTheNewJobAlone) {
    StartSession();
    auto values = Monitor(watched, root / "offline");
    values.subfolders = false;  // the backup folder comes and goes by hand
    AddMonitor(values);
    WriteFile(watched + "/d.txt", "d");
    ASSERT_TRUE(RunUntil([&] { return LogCount(kJobDestinationUnavailable) >= 1; }));
    const std::string oldId = Log().front().at("jobid");
    fs::create_directories(root / "offline");
    ASSERT_TRUE(RunUntilFile(root / "offline/d.txt", "d"));
    ASSERT_TRUE(AllJobsDone());

    fs::remove_all(root / "offline");
    WriteFile(watched + "/important.txt", "keep me");
    ASSERT_TRUE(RunUntil([&] { return !Jobs().empty() && Jobs().front().at("deferred") == "1"; }));
    const std::string newId = Jobs().front().at("id");
    EXPECT_NE(oldId, newId);
    test::ExecStatements(DatabasePath(), CancelJobStatement(std::stoi(oldId)));
    ASSERT_EQ(1u, Jobs().size());
    fs::create_directories(root / "offline");
    EXPECT_TRUE(RunUntilFile(root / "offline/important.txt", "keep me"));
    bool newEntries = false;
    for (const auto& entry : Log()) newEntries |= entry.at("jobid") == newId;
    EXPECT_TRUE(newEntries);
}

TEST_F(HonestOutcomesTest, QuickSavesOfOneContentKeepOneVersionAndPruningStillCounts) {
    test::CreateDatabase(DatabasePath());
    WriteFile(watched + "/r.doc", "same");
    for (int version = 1; version <= 3; ++version) InsertJob(VersionJob("r.doc", version, 2));
    StartSession();
    ASSERT_TRUE(AllJobsDone());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(backup)) names.push_back(entry.path().filename());
    EXPECT_EQ(std::vector<std::string>{"r.3.doc"}, names);
    EXPECT_EQ("same", ReadFile(backup + "/r.3.doc"));
    EXPECT_EQ(2, LogCount(kJobVersionUnchanged));

    StopSession();
    WriteFile(watched + "/r.doc", "changed");
    InsertJob(VersionJob("r.doc", 4, 2));
    InsertJob(VersionJob("r.doc", 5, 2));
    StartSession();
    ASSERT_TRUE(AllJobsDone());
    EXPECT_FALSE(fs::exists(backup + "/r.3.doc"));
    EXPECT_EQ("changed", ReadFile(backup + "/r.5.doc"));
    EXPECT_FALSE(fs::exists(backup + "/r.4.doc"));
}

TEST_F(HonestOutcomesTest, NamesThatCanNeverBeStoredEndOnceWithTheirPath) {
    StartSession();
    auto values = Monitor(watched, backup);
    values.hasversions = true;
    values.maxversions = 3;
    AddMonitor(values);
    const std::string name = std::string(251, 'n') + ".doc";  // 255 bytes; its version name is longer
    WriteFile(watched + "/" + name, "long");
    ASSERT_TRUE(RunUntil([&] { return LogCount(kJobNameTooLong) == 1; }));
    EXPECT_TRUE(AllJobsDone());
    StopSession();
    EXPECT_EQ(1, LogCount(kJobNameTooLong));
    EXPECT_EQ(watched + "/" + name, Log().back().at("src"));
    EXPECT_EQ(0, LogCount(kJobDestinationUnavailable));
    EXPECT_TRUE(fs::is_empty(TempFilePath()) || !fs::exists(TempFilePath()));
}

TEST_F(HonestOutcomesTest, SpecialFilesAreNamedAndLinksAreBackedUpAsLinks) {
    test::CreateDatabase(DatabasePath());
    ASSERT_EQ(0, mkfifo((watched + "/pipe").c_str(), 0600));
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = watched + "/sock";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
    // A link made before its target, and one that leads out of the tree.
    fs::create_symlink("later.txt", watched + "/early");
    fs::create_symlink("/etc/hostname", watched + "/outside");
    for (const char* name : {"pipe", "sock", "early", "outside"}) {
        ChangeEvent job;
        job.jobtype = ChangeCreated;
        job.src = watched + "/" + name;
        job.dest = backup + "/" + name;
        InsertJob(job);
    }
    StartSession();
    ASSERT_TRUE(AllJobsDone());
    close(listener);
    EXPECT_EQ(2, LogCount(kJobSpecialFile));
    EXPECT_EQ(2, LogCount(kJobCopied));
    EXPECT_FALSE(fs::exists(fs::symlink_status(backup + "/pipe")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(backup + "/sock")));
    EXPECT_EQ("later.txt", fs::read_symlink(backup + "/early"));
    EXPECT_EQ("/etc/hostname", fs::read_symlink(backup + "/outside"));
}

TEST_F(HonestOutcomesTest, SparseAndSetUidFilesKeepTheirHolesButNeverBecomeSetUidRoot) {
    StartSession();
    AddMonitor(Monitor(watched, backup));
    const std::string sparse = watched + "/sparse.img";
    {
        const int fd = open(sparse.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(0, ftruncate(fd, off_t(1) << 30));
        ASSERT_EQ(1, pwrite(fd, "x", 1, (off_t(1) << 30) - 1));
        close(fd);
    }
    ASSERT_TRUE(RunUntil([&] {
        struct stat info {};
        return stat((backup + "/sparse.img").c_str(), &info) == 0 && info.st_size == (off_t(1) << 30);
    }, std::chrono::seconds(60)));
    struct stat copy {};
    ASSERT_EQ(0, stat((backup + "/sparse.img").c_str(), &copy));
    EXPECT_LT(copy.st_blocks * 512, 16 << 20) << "the holes were filled";

    if (geteuid() != 0) GTEST_SKIP() << "only root can make another user's set-uid file";
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nullptr, nobody);
    const std::string program = watched + "/tool";
    WriteFile(root / "tool", "#!/bin/sh\n");
    ASSERT_EQ(0, chown((root / "tool").c_str(), nobody->pw_uid, nobody->pw_gid));
    ASSERT_EQ(0, chmod((root / "tool").c_str(), 06755));
    fs::rename(root / "tool", program);
    ASSERT_TRUE(RunUntilFile(backup + "/tool", "#!/bin/sh\n"));
    struct stat tool {};
    ASSERT_EQ(0, stat((backup + "/tool").c_str(), &tool));
    EXPECT_EQ(0755u, tool.st_mode & 07777);
}

TEST_F(HonestOutcomesTest, AFullBackupDiskIsNamedKeepsThePreviousBackupAndIsRetried) {
    const std::string small = root / "small";
    fs::create_directories(small);
    Mounts mounts;
    if (mount("pellmar-test", small.c_str(), "tmpfs", 0, "size=256k") != 0) GTEST_SKIP() << "mount refused: " << errno;
    mounts.points.push_back(small);
    test::CreateDatabase(DatabasePath());
    WriteFile(small + "/big.bin", "previous backup");
    WriteFile(watched + "/big.bin", std::string(1 << 20, 'b'));
    ChangeEvent job;
    job.jobtype = ChangeModified;
    job.src = watched + "/big.bin";
    job.dest = small + "/big.bin";
    InsertJob(job);
    StartSession();
    ASSERT_TRUE(RunUntil([&] { return LogCount(kJobBackupFull) >= 2; }));
    EXPECT_EQ("1", Jobs().at(0).at("deferred"));
    EXPECT_EQ("previous backup", ReadFile(small + "/big.bin"));
    EXPECT_EQ(0, LogCount(kJobDestinationUnavailable));
}

TEST_F(HonestOutcomesTest, TemporaryFilesThatVanishBeforeTheirCopyLeaveNoWarning) {
    test::CreateDatabase(DatabasePath());
    WriteFile(backup + "/had-backup.txt", "old");
    for (const char* name : {"tmp1.swp", "tmp2.swp", "had-backup.txt"}) {
        ChangeEvent job;
        job.jobtype = ChangeModified;
        job.src = watched + "/" + name;
        job.dest = backup + "/" + name;
        InsertJob(job);
    }
    StartSession();
    ASSERT_TRUE(AllJobsDone());
    const auto log = Log();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(JobResultMessage(kJobSourceGone), log[0].at("message"));
}

}  // namespace
}  // namespace pellmar
