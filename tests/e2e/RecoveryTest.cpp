// What happens around the happy path: monitors that cannot start, jobs left from the last run,
// offline backup folders, parked versions, vanished sources, refused holds, failed copies and an
// exit in the middle of a backlog.
#include "common/TextCase.h"
#include "tests/e2e/E2eFixture.h"
#include "tray/util/Checksums.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

class RecoveryTest : public test::E2eTest {
protected:
    ChangeEvent CopyJob(const std::string& src, const std::string& dest) {
        ChangeEvent job;
        job.jobtype = ChangeModified;
        job.src = src;
        job.dest = dest;
        return job;
    }
    int LogCount(const std::string& message) {
        int count = 0;
        for (const auto& entry : Log()) count += entry.at("message") == message;
        return count;
    }
};

// The first start ended between making the file and committing its tables (a kill, a power cut).
TEST_F(RecoveryTest, ADatabaseFileLeftWithoutTablesGetsThemAndReplicates) {
    fs::create_directories(fs::path(DatabasePath()).parent_path());
    { std::ofstream emptyFile(DatabasePath()); }
    StartSession();
    AddMonitor(Monitor(watched, backup));
    WriteFile(watched + "/f.txt", "f");
    EXPECT_TRUE(RunUntilFile(backup + "/f.txt", "f"));
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(RecoveryTest, AMissingMonitoredFolderLogsOneErrorPerStartAndTheOthersStillRun) {
    StartSession();
    // Upper-case letters: the entry's jobid is the checksum of the folder with A-Z lower-cased.
    AddMonitor(Monitor(root / "Absent", backup + "/a"));  // logged once at save
    AddMonitor(Monitor(watched, backup + "/w"));
    StopSession();
    test::ExecStatements(DatabasePath(), "DELETE FROM log;");

    StartSession();
    WriteFile(watched + "/f.txt", "f");
    ASSERT_TRUE(RunUntilFile(backup + "/w/f.txt", "f"));
    const auto log = Log();
    int failures = 0;
    for (const auto& entry : log) {
        if (entry.at("operation") != "2" || entry.at("status") == "0") continue;  // not a catch-up's count
        ++failures;
        EXPECT_EQ("2", entry.at("status"));
        EXPECT_EQ(root / "Absent", entry.at("src"));
        EXPECT_EQ(std::to_string(static_cast<std::int32_t>(Crc32OfText(LowerCaseAscii(root / "Absent")))),
                  entry.at("jobid"));
        EXPECT_EQ("", entry.at("dest"));
        EXPECT_EQ("Could not start folder scanner because Monitor Path is not available.", entry.at("message"));
    }
    EXPECT_EQ(1, failures);
}

TEST_F(RecoveryTest, JobsLeftInTheTableRunRightAfterStartIncludingAVanishedSource) {
    test::CreateDatabase(DatabasePath());
    WriteFile(watched + "/left.txt", "left over");
    WriteFile(backup + "/gone.txt", "its last backup");  // a file that had a backup is missed aloud
    InsertJob(CopyJob(watched + "/left.txt", backup + "/left.txt"));
    InsertJob(CopyJob(watched + "/gone.txt", backup + "/gone.txt"));
    test::ExecStatements(DatabasePath(), "UPDATE jobs SET deferred=1;");  // deferred ones too

    StartSession();
    ASSERT_TRUE(RunUntilFile(backup + "/left.txt", "left over"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    EXPECT_EQ(1, LogCount("Could not copy the file because it no longer exists."));
    EXPECT_EQ(1, LogCount("File was copied successfully."));
}

TEST_F(RecoveryTest, AnOfflineBackupFolderDefersTheJobUntilARetryPassFindsItBack) {
    StartSession();
    auto values = Monitor(watched, root / "offline");
    values.subfolders = false;  // otherwise the worker would create the backup folder itself
    AddMonitor(values);
    WriteFile(watched + "/d.txt", "deferred");
    ASSERT_TRUE(RunUntil([&] {
        auto jobs = Jobs();
        return !jobs.empty() && jobs[0].at("deferred") == "1";
    }));
    EXPECT_GE(LogCount("Could not execute the operation because the destination is unavailable, will try again in a minute."), 1);
    fs::create_directories(root / "offline");
    ASSERT_TRUE(RunUntilFile(root / "offline/d.txt", "deferred"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
}

TEST_F(RecoveryTest, AnOfflineVersionIsParkedAndTheParkedCopyGoesAfterDelivery) {
    StartSession();
    auto values = Monitor(watched, root / "offline");
    values.subfolders = false;
    values.hasversions = true;
    values.maxversions = 3;
    AddMonitor(values);
    WriteFile(watched + "/p.doc", "parked");
    const std::string parkedFolder = TempFilePath() + watched.substr(1) + "/";
    std::string parked;
    ASSERT_TRUE(RunUntil([&] {
        for (const auto& job : Jobs()) {
            if (job.at("src").rfind(parkedFolder, 0) == 0) parked = job.at("src");
        }
        return !parked.empty();
    }));
    EXPECT_EQ("parked", ReadFile(parked));
    EXPECT_EQ("p.", fs::path(parked).filename().string().substr(0, 2));
    fs::create_directories(root / "offline");
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    EXPECT_FALSE(fs::exists(parked));
    EXPECT_TRUE(fs::is_directory(parkedFolder));
    // One save may be heard as two changes, each a version of its own: the second either takes
    // over the first one's number or, finding the folder back before the first is retried,
    // stands beside it with the same content.
    std::vector<fs::path> delivered;
    for (const auto& entry : fs::directory_iterator(root / "offline")) delivered.push_back(entry.path());
    ASSERT_FALSE(delivered.empty());
    for (const fs::path& version : delivered) EXPECT_EQ("parked", ReadFile(version.string())) << version;
}

TEST_F(RecoveryTest, ATemporaryFolderInsideAWatchedTreeNeverFeedsItsParkedCopiesBack) {
    const std::string parking = watched + "/parking";
    fs::create_directories(root / "config/Quenmarsh");
    WriteFile(root / "config/Quenmarsh/Pellmar.conf", "TempFilePath=" + parking + "\n");
    WriteFile(root / "not-a-folder", "");  // the backup folder below it can never be made
    StartSession();
    auto values = Monitor(watched, root / "not-a-folder/offline");
    values.hasversions = true;
    values.maxversions = 3;
    AddMonitor(values);
    WriteFile(watched + "/p.doc", "parked");
    ASSERT_TRUE(RunUntil([&] {
        const auto jobs = Jobs();
        return !jobs.empty() && jobs.front().at("src").starts_with(parking + "/");
    }));
    // Changes are handled in order: once a later one in another monitor has landed, the parked
    // copy's own creation has been seen too.
    test::TempFolder elsewhere;
    fs::create_directories(elsewhere / "w");
    AddMonitor(Monitor(elsewhere / "w", elsewhere / "b"));
    WriteFile(elsewhere / "w/sentinel.txt", "s");
    ASSERT_TRUE(RunUntilFile(elsewhere / "b/sentinel.txt", "s"));
    const std::string parkedFolder = parking + "/" + watched.substr(1) + "/";
    ASSERT_TRUE(RunUntil([&] {
        const auto jobs = Jobs();
        return std::all_of(jobs.begin(), jobs.end(), [&](const test::Row& job) { return job.at("src").starts_with(parkedFolder); });
    }));
    for (const auto& job : Jobs()) {
        EXPECT_EQ(std::string::npos, job.at("src").find("/parking/", parkedFolder.size())) << job.at("src");
        EXPECT_EQ("parked", ReadFile(job.at("src")));
    }
    EXPECT_FALSE(fs::exists(parkedFolder + "parking"));
}

TEST_F(RecoveryTest, ARefusedExclusiveHoldIsDeferredSilentlyAndCopiedOnceReleased) {
    test::CreateDatabase(DatabasePath());
    WriteFile(watched + "/held.txt", "held");
    ChangeEvent job = CopyJob(watched + "/held.txt", backup + "/held.txt");
    job.waitexclusive = true;
    InsertJob(job);
    const int writer = open((watched + "/held.txt").c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);

    StartSession();
    ASSERT_TRUE(RunUntil([&] {
        auto jobs = Jobs();
        return !jobs.empty() && jobs[0].at("deferred") == "1";
    }));
    EXPECT_TRUE(Log().empty());
    EXPECT_FALSE(fs::exists(backup + "/held.txt"));
    close(writer);
    ASSERT_TRUE(RunUntilFile(backup + "/held.txt", "held"));
}

TEST_F(RecoveryTest, ACopyThatFailsHalfWayLeavesTheOldBackupByteIdentical) {
    test::CreateDatabase(DatabasePath());
    const std::string big(4 << 20, 'n');
    WriteFile(watched + "/big.bin", big);
    WriteFile(backup + "/big.bin", "old backup");
    InsertJob(CopyJob(watched + "/big.bin", backup + "/big.bin"));

    // A file-size limit makes the kernel refuse the copy's writes after 1 MiB: a real I/O error.
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 1 << 20;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limited));
    StartSession();
    const bool deferred = RunUntil([&] {
        auto jobs = Jobs();
        return !jobs.empty() && jobs[0].at("deferred") == "1";
    });
    StopSession();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(deferred);
    EXPECT_EQ("old backup", ReadFile(backup + "/big.bin"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(backup)) names.push_back(entry.path().filename());
    EXPECT_EQ(std::vector<std::string>{"big.bin"}, names);
}

TEST_F(RecoveryTest, ExitDuringABacklogLeavesTheUnreachedJobsUntouched) {
    test::CreateDatabase(DatabasePath());
    WriteFile(watched + "/s.txt", "s");
    std::string batch;
    constexpr int kJobs = 20000;  // far more than the worker gets through before the exit lands
    for (int i = 0; i < kJobs; ++i) {
        batch += "INSERT INTO jobs VALUES(NULL,2,1,0,0,'" + watched + "/s.txt','" + backup + "/s" +
                 std::to_string(i) + ".txt',0,0,0,0,0);";
    }
    test::ExecStatements(DatabasePath(), batch);

    StartSession();
    ASSERT_TRUE(RunUntil([&] { return fs::exists(backup + "/s0.txt"); }));
    StopSession();  // must come back without working through the backlog

    const auto jobs = Jobs();
    EXPECT_GT(jobs.size(), 0u);
    std::size_t copies = 0;
    for (const auto& entry : fs::directory_iterator(backup)) copies += entry.is_regular_file();
    EXPECT_EQ(static_cast<std::size_t>(kJobs), jobs.size() + copies);
    for (const auto& job : jobs) EXPECT_EQ("0", job.at("deferred"));
}

}  // namespace
}  // namespace pellmar
