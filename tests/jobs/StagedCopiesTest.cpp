// Copies made durable together: a staged copy never touches its destination before the commit,
// an abandoned batch leaves the old backups and no temporaries, and the worker writes a job's
// outcome only from its commit, in job order.
#include "platform/CopyBatch.h"
#include "tray/jobs/JobWorker.h"

#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using platform::CopyResult;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;
namespace fs = std::filesystem;

std::size_t EntryCount(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class StagedCopiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root / "src");
        fs::create_directories(root / "bak");
        for (int i = 0; i < 6; ++i) {
            WriteFile(Source(i), "new " + std::to_string(i));
            if (i % 2 == 0) WriteFile(Backup(i), "old " + std::to_string(i));
        }
    }
    std::string Source(int i) { return root / ("src/f" + std::to_string(i)); }
    std::string Backup(int i) { return root / ("bak/f" + std::to_string(i)); }
    TempFolder root;
};

// Six copies: more than a commit flushes one by one, so the file system is flushed as a whole.
TEST_F(StagedCopiesTest, ABatchReplacesEachBackupWholeAtItsCommitAndAnAbandonedOneLeavesThemAsTheyWere) {
    {
        auto abandoned = platform::CopyBatch::Create();
        for (int i = 0; i < 6; ++i) ASSERT_EQ(CopyResult::Copied, abandoned->Stage(Source(i), Backup(i)));
        EXPECT_EQ(CopyResult::Failed, abandoned->Stage(root / "src/missing", root / "bak/missing"));
    }
#ifndef _WIN32  // Windows makes each copy whole at once
    EXPECT_EQ("old 0", ReadFile(Backup(0)));
    EXPECT_EQ(3u, EntryCount(root / "bak")) << "temporaries were left behind";
#endif
    auto batch = platform::CopyBatch::Create();
    for (int i = 0; i < 6; ++i) ASSERT_EQ(CopyResult::Copied, batch->Stage(Source(i), Backup(i)));
    const std::vector<CopyResult> results = batch->Commit();
    ASSERT_EQ(6u, results.size());
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(CopyResult::Copied, results[static_cast<std::size_t>(i)]);
        EXPECT_EQ("new " + std::to_string(i), ReadFile(Backup(i)));
    }
    EXPECT_EQ(6u, EntryCount(root / "bak"));
    EXPECT_TRUE(batch->Commit().empty());
}

// Copies spread over threads by folder: a copy that cannot be staged is told by the commit, in its
// place among the others, and one destination given twice ends with the later copy.
TEST_F(StagedCopiesTest, AConcurrentBatchKeepsTheOrderOfItsCopiesAndReportsAFailedOneAtTheCommit) {
    for (const char* folder : {"bak/a", "bak/b", "bak/c"}) fs::create_directories(root / folder);
    auto batch = platform::CopyBatch::CreateConcurrent(2);
    std::vector<std::string> destinations;
    for (int i = 0; i < 30; ++i) {
        const std::string folder(1, static_cast<char>('a' + i % 3));
        destinations.push_back(root / ("bak/" + folder + "/f" + std::to_string(i)));
        const std::string source = i == 13 ? std::string(root / "src/missing") : Source(i % 6);
        ASSERT_EQ(CopyResult::Copied, batch->Stage(source, destinations.back()));
    }
    ASSERT_EQ(CopyResult::Copied, batch->Stage(Source(5), destinations[0]));
    const std::vector<CopyResult> results = batch->Commit();
    ASSERT_EQ(31u, results.size());
    for (int i = 0; i < 30; ++i) {
        if (i == 13) {
            EXPECT_NE(CopyResult::Copied, results[13]);
            EXPECT_FALSE(fs::exists(destinations[13]));
            continue;
        }
        EXPECT_EQ(CopyResult::Copied, results[static_cast<std::size_t>(i)]) << i;
        if (i > 0) {
            EXPECT_EQ("new " + std::to_string(i % 6), ReadFile(destinations[static_cast<std::size_t>(i)]));
        }
    }
    EXPECT_EQ("new 5", ReadFile(destinations[0]));
    EXPECT_EQ(10u, EntryCount(root / "bak/a")) << "temporaries were left behind";
    EXPECT_EQ(9u, EntryCount(root / "bak/b"));
    {
        auto abandoned = platform::CopyBatch::CreateConcurrent(2);
        for (int i = 0; i < 30; ++i) abandoned->Stage(Source(0), destinations[static_cast<std::size_t>(i)]);
    }
#ifndef _WIN32  // Windows makes each copy whole at once
    EXPECT_EQ("new 1", ReadFile(destinations[1]));
#endif
    EXPECT_EQ(10u, EntryCount(root / "bak/c")) << "an abandoned batch left temporaries";
}

class OneScriptedStore final : public JobWorkerStore {
public:
    std::vector<ChangeEvent> jobs;
    std::vector<std::string> batches;
    std::vector<ChangeEvent> ReadJobs(bool) override { return std::exchange(jobs, {}); }
    void RunBatch(const std::string& batch) override { batches.push_back(batch); }
    std::string LogStatement(const ChangeEvent& job, int code) override {
        return "LOG " + std::to_string(job.id) + " " + std::to_string(code) + ";";
    }
    void PurgeLog(DateTime) override {}
};

class NeverTerminated final : public JobWorkerHost {
public:
    bool WaitForWork(std::chrono::milliseconds) override { return false; }
    bool Terminated() const override { return false; }
};

// Real copies, but the commit reports the second staged one as not on stable storage.
class LosingCommit final : public SystemFileOperations {
public:
    LosingCommit() : SystemFileOperations(true) {}
    std::vector<CopyResult> CommitStagedCopies() override {
        std::vector<CopyResult> results = SystemFileOperations::CommitStagedCopies();
        if (results.size() > 1) results[1] = CopyResult::Failed;
        return results;
    }
};

TEST_F(StagedCopiesTest, AJobEndsOnlyWithWhatItsCommitSaysAndOutcomesKeepTheOrderOfTheJobs) {
    auto job = [&](int id, int jobtype, int file) {
        ChangeEvent event;
        event.id = id;
        event.jobtype = jobtype;
        event.src = Source(file);
        event.dest = Backup(file);
        return event;
    };
    OneScriptedStore store;
    store.jobs = {job(1, ChangeModified, 0), job(2, ChangeModified, 1), job(3, ChangeDeleted, 2),
                  job(4, ChangeModified, 3)};
    NeverTerminated host;
    LosingCommit files;
    const JobPassResult pass = JobWorker(store, host, files, root / "tmp/").RunPass(true);
    // The deletion comes after the copies staged before it are committed; the file it names is
    // still there, so it leaves the backup alone.
    EXPECT_EQ("DELETE FROM jobs WHERE id=1;\r\nLOG 1 8;\r\n"
              "LOG 2 2;\r\nUPDATE jobs SET deferred=1 WHERE id=2;\r\n"
              "DELETE FROM jobs WHERE id=3;\r\nLOG 3 10;\r\n"
              "DELETE FROM jobs WHERE id=4;\r\nLOG 4 8;\r\n",
              pass.batch);
    EXPECT_TRUE(pass.anyDeferred);
    EXPECT_EQ("new 3", ReadFile(Backup(3)));
}

}  // namespace
}  // namespace pellmar
