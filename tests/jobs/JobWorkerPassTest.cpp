// The worker's pass loop against a scripted store and host: the batch of one pass, when passes
// are full, the retry minute, the purge schedule, and a quick exit in the middle of a backlog.
#include "tray/jobs/JobWorker.h"

#include "tests/support/TempFolder.h"

#include <deque>
#include <filesystem>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using test::TempFolder;
using test::WriteFile;
namespace fs = std::filesystem;

class ScriptedStore final : public JobWorkerStore {
public:
    std::deque<std::vector<ChangeEvent>> reads;  // one entry per expected pass
    std::vector<bool> fullPasses;
    std::vector<std::string> batches;
    std::vector<DateTime> purges;

    std::vector<ChangeEvent> ReadJobs(bool fullPass) override {
        fullPasses.push_back(fullPass);
        if (reads.empty()) return {};
        auto jobs = reads.front();
        reads.pop_front();
        return jobs;
    }
    void RunBatch(const std::string& batch) override { batches.push_back(batch); }
    std::string LogStatement(const ChangeEvent& job, int code) override {
        return "LOG " + std::to_string(job.id) + " " + std::to_string(code) + ";";
    }
    void PurgeLog(DateTime cutoff) override { purges.push_back(cutoff); }
};

// Answers each wait from a script: true = the wait timed out; when the script runs out it
// terminates the worker.
class ScriptedHost final : public JobWorkerHost {
public:
    std::deque<bool> answers;
    std::vector<std::chrono::milliseconds> waits;
    bool terminated = false;

    bool WaitForWork(std::chrono::milliseconds timeout) override {
        waits.push_back(timeout);
        if (answers.empty()) {
            terminated = true;
            return false;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool Terminated() const override { return terminated; }
};

class JobWorkerPassTest : public ::testing::Test {
protected:
    TempFolder root;
    ScriptedStore store;
    ScriptedHost host;
    SystemFileOperations files;

    void SetUp() override {
        fs::create_directories(root / "src");
        fs::create_directories(root / "bak");
        fs::create_directories(root / "tmp");
    }
    ChangeEvent Copy(int id, const std::string& name, const std::string& backup = "bak") {
        ChangeEvent job;
        job.id = id;
        job.jobtype = ChangeModified;
        job.src = root / ("src/" + name);
        job.dest = root / (backup + "/" + name);
        return job;
    }
    JobWorker Worker(JobWorkerTimings timings = {}) { return JobWorker(store, host, files, root / "tmp/", timings); }
};

TEST_F(JobWorkerPassTest, OnePassWritesRemovalsDeferralsAndLogEntriesInOneBatch) {
    WriteFile(root / "src/ok.doc", "ok");
    WriteFile(root / "src/it's.doc", "v");
    WriteFile(root / "src/held.doc", "h");
    ChangeEvent parked = Copy(3, "it's.doc", "offline");
    parked.dest = root / "offline/it's.2.doc";
    parked.currentversion = 2;
    parked.maxversions = 3;
    ChangeEvent unknown = Copy(5, "ok.doc");
    unknown.jobtype = 0;
    store.reads.push_back({Copy(1, "ok.doc"), Copy(2, "gone.doc"), parked, Copy(4, "ok.doc", "offline"), unknown});

    JobPassResult pass = Worker().RunPass(true);

    // The parked copy keeps the source's folders without the drive part ("/" or "C:\\").
    const std::size_t drive = root.Path().size() > 2 && root.Path()[1] == ':' ? 3 : 1;
    const std::string parkedCopy = root.Path().substr(drive) + "/src/it''s.2.doc";
    EXPECT_EQ("DELETE FROM jobs WHERE id=1;\r\nLOG 1 8;\r\n"
              "DELETE FROM jobs WHERE id=2;\r\n"  // gone before its first copy: no entry
              "LOG 3 3;\r\nUPDATE jobs SET deferred=1, src='" + root.Path() + "/tmp/" + parkedCopy + "' WHERE id=3;\r\n"
              "LOG 4 2;\r\nUPDATE jobs SET deferred=1 WHERE id=4;\r\n"
              "LOG 5 0;\r\nUPDATE jobs SET deferred=1 WHERE id=5;\r\n",
              pass.batch);
    EXPECT_TRUE(pass.anyDeferred);
    ASSERT_EQ(1u, store.batches.size());
    EXPECT_EQ(pass.batch, store.batches[0]);
}

// An unpacked archive or a long save: several jobs of one file in one pass. One copy serves them
// all while nothing else touched the backup in between; each job still has its log entry.
TEST_F(JobWorkerPassTest, RepeatedCopiesOfOneFileInAPassCopyOnceButEachIsLogged) {
    class CountingFiles final : public SystemFileOperations {
    public:
        int copies = 0;
        platform::CopyResult CopyFile(const std::string& s, const std::string& d) override {
            ++copies;
            return SystemFileOperations::CopyFile(s, d);
        }
    } counting;
    WriteFile(root / "src/a", "a");
    ChangeEvent deletion = Copy(3, "a");
    deletion.jobtype = ChangeDeleted;
    store.reads.push_back({Copy(1, "a"), Copy(2, "a"), deletion, Copy(4, "a"), Copy(5, "a")});

    JobPassResult pass = JobWorker(store, host, counting, root / "tmp/").RunPass(true);

    EXPECT_EQ(counting.copies, 2);  // the deletion in between asks for a fresh copy
    EXPECT_EQ(pass.attempted, 5);
    EXPECT_EQ("DELETE FROM jobs WHERE id=1;\r\nLOG 1 8;\r\nDELETE FROM jobs WHERE id=2;\r\nLOG 2 8;\r\n"
              "DELETE FROM jobs WHERE id=3;\r\nLOG 3 10;\r\nDELETE FROM jobs WHERE id=4;\r\nLOG 4 8;\r\n"
              "DELETE FROM jobs WHERE id=5;\r\nLOG 5 8;\r\n",
              pass.batch);
}

TEST_F(JobWorkerPassTest, ARefusedHoldIsDeferredWithoutALogEntry) {
    ChangeEvent job = Copy(9, "held.doc");
    job.waitexclusive = true;
    JobOutcome refused{kJobExclusiveRefused, {}};
    EXPECT_EQ("UPDATE jobs SET deferred=1 WHERE id=9;\r\n", JobOutcomeStatements(job, refused, "LOG"));
    JobOutcome deleted{kJobDeleted, {}};
    EXPECT_EQ("DELETE FROM jobs WHERE id=9;\r\nLOG\r\n", JobOutcomeStatements(job, deleted, "LOG"));
}

TEST_F(JobWorkerPassTest, StopsBetweenJobsWhenTerminatedAndCommitsOnlyWhatItDid) {
    class TerminatingFiles final : public SystemFileOperations {
    public:
        explicit TerminatingFiles(ScriptedHost& host) : host_(host) {}
        platform::CopyResult CopyFile(const std::string& s, const std::string& d) override {
            host_.terminated = true;  // the user exits while the first copy runs
            return SystemFileOperations::CopyFile(s, d);
        }
    private:
        ScriptedHost& host_;
    } terminating(host);
    WriteFile(root / "src/a", "a");
    std::vector<ChangeEvent> backlog;
    for (int id = 1; id <= 1000; ++id) backlog.push_back(Copy(id, "a"));
    store.reads.push_back(backlog);

    JobWorker worker(store, host, terminating, root / "tmp/");
    worker.Run();

    ASSERT_EQ(1u, store.batches.size());
    EXPECT_EQ("DELETE FROM jobs WHERE id=1;\r\nLOG 1 8;\r\n", store.batches[0]);
    EXPECT_TRUE(host.waits.empty());  // no wait after the flag was seen
}

// Creates the backup folder when the third pass reads its jobs, so only that pass can deliver.
class FolderAppearsOnThirdRead final : public JobWorkerStore {
public:
    FolderAppearsOnThirdRead(ScriptedStore& inner, std::string folder) : inner_(inner), folder_(std::move(folder)) {}
    std::vector<ChangeEvent> ReadJobs(bool fullPass) override {
        if (inner_.fullPasses.size() == 2) fs::create_directories(folder_);
        return inner_.ReadJobs(fullPass);
    }
    void RunBatch(const std::string& batch) override { inner_.RunBatch(batch); }
    std::string LogStatement(const ChangeEvent& job, int code) override { return inner_.LogStatement(job, code); }
    void PurgeLog(DateTime cutoff) override { inner_.PurgeLog(cutoff); }

private:
    ScriptedStore& inner_;
    std::string folder_;
};

TEST_F(JobWorkerPassTest, RetriesDeferredJobsOnlyAfterAQuietRetryWait) {
    const std::chrono::milliseconds retry(250);
    ChangeEvent late = Copy(1, "late.doc", "offline");
    WriteFile(root / "src/late.doc", "late");
    store.reads = {{late}, {Copy(2, "gone.doc")}, {late}};
    host.answers = {false /* woken by a new job */, true /* a quiet retry wait */};
    FolderAppearsOnThirdRead appearing(store, root / "offline");

    JobWorker(appearing, host, files, root / "tmp/", JobWorkerTimings{retry, std::chrono::hours(8), 30}).Run();

    EXPECT_EQ((std::vector<bool>{true, false, true}), store.fullPasses);
    EXPECT_EQ((std::vector<std::chrono::milliseconds>{retry, retry, std::chrono::milliseconds(-1)}), host.waits);
    ASSERT_EQ(3u, store.batches.size());
    EXPECT_EQ("LOG 1 2;\r\nUPDATE jobs SET deferred=1 WHERE id=1;\r\n", store.batches[0]);
    EXPECT_EQ("DELETE FROM jobs WHERE id=1;\r\nLOG 1 8;\r\n", store.batches[2]);
    EXPECT_EQ("late", test::ReadFile(root / "offline/late.doc"));
}

TEST_F(JobWorkerPassTest, PurgesOnTheFirstPassThenOncePerPeriod) {
    host.answers = {false, false};
    Worker().Run();  // three passes inside the eight hours
    ASSERT_EQ(1u, store.purges.size());
    const DateTime expected = AddDays(-30, DateTimeNow());
    EXPECT_NEAR(expected, store.purges[0], 5.0 / 86400);

    store.purges.clear();
    host.answers = {false, false};
    host.terminated = false;
    Worker(JobWorkerTimings{std::chrono::seconds(60), std::chrono::seconds(0), 7}).Run();
    ASSERT_EQ(3u, store.purges.size());
    EXPECT_NEAR(AddDays(-7, DateTimeNow()), store.purges[2], 5.0 / 86400);
}

}  // namespace
}  // namespace pellmar
