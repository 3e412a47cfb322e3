// The job queue thread against a real database file: rows written per record in order, the
// worker woken every time, and what stopping leaves behind. Pauses are shrunk to 0.
#include "tray/jobs/JobQueueThread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/FileSystem.h"
#include "tests/log/LogTestDatabase.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tests/support/TestEnvironment.h"
#include "tray/util/DateTime.h"

namespace pellmar {
namespace {

using test::LogTestDatabase;
using test::WaitUntil;

std::unique_ptr<ChangeEvent> Record(int n, const std::string& src = {}) {
    auto record = std::make_unique<ChangeEvent>();
    record->jobtype = ChangeModified;
    record->fileid = static_cast<std::uint32_t>(n);
    record->src = src.empty() ? "/data/" + std::to_string(n) : src;
    record->dest = "/backup/" + std::to_string(n);
    return record;
}

void PutRecord(ChangeEventQueue& queue, std::unique_ptr<ChangeEvent> record) {
    ASSERT_EQ(queue.Put(record, static_cast<std::int32_t>(sizeof(ChangeEvent)), platform::kInfinite), kQueueDone);
}

class JobQueueThreadTest : public testing::Test {
protected:
    std::unique_ptr<JobQueueThread> MakeThread(const std::string& library = {}) {
        return std::make_unique<JobQueueThread>(queue, db.Path(), [this] { ++wakes; },
                                                std::chrono::milliseconds(0), library);
    }

    LogTestDatabase db;
    ChangeEventQueue queue{kChangeEventQueueCapacity};
    std::atomic<int> wakes{0};
    test::RecordingErrorReporter errors;
};

TEST_F(JobQueueThreadTest, ARecordBecomesAJobRowWithEveryFieldAndItsPathsUnchanged) {
    auto record = Record(0, "/data/o'neil's 'quoted'.doc");
    record->jobtype = ChangeCreated;
    record->fileid = 4000000000u;
    record->createfolder = 1;
    record->waitexclusive = 1;
    record->currentversion = 4;
    record->maxversions = 3;
    record->dest = "/backup/o'neil's 'quoted'.4.doc";
    std::int64_t before = DateTimeToUnixTime(DateTimeNow());
    auto thread = MakeThread();
    thread->Start();
    PutRecord(queue, std::move(record));
    ASSERT_TRUE(WaitUntil([&] { return wakes == 1; }));
    std::int64_t after = DateTimeToUnixTime(DateTimeNow());

    auto field = [&](const std::string& column) { return db.Column("SELECT * FROM jobs;", column); };
    EXPECT_EQ(field("src"), std::vector<std::string>{"/data/o'neil's 'quoted'.doc"});
    EXPECT_EQ(field("dest"), std::vector<std::string>{"/backup/o'neil's 'quoted'.4.doc"});
    EXPECT_EQ(field("jobtype"), std::vector<std::string>{"1"});
    EXPECT_EQ(field("fileid"), std::vector<std::string>{"4000000000"});
    EXPECT_EQ(field("createfolder"), std::vector<std::string>{"1"});
    EXPECT_EQ(field("waitexclusive"), std::vector<std::string>{"1"});
    EXPECT_EQ(field("currentversion"), std::vector<std::string>{"4"});
    EXPECT_EQ(field("maxversions"), std::vector<std::string>{"3"});
    EXPECT_EQ(field("retries"), std::vector<std::string>{"0"});
    EXPECT_EQ(field("deferred"), std::vector<std::string>{"0"});
    std::int64_t scheduled = std::stoll(field("scheduled").at(0));
    EXPECT_GE(scheduled, before);
    EXPECT_LE(scheduled, after);
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(JobQueueThreadTest, ThousandAndOneRecordsFromAFullQueueReachTheTableInArrivalOrder) {
    std::atomic<int> putsDone{0};
    std::jthread producer([&] {
        for (int i = 0; i < 1001; ++i) {
            PutRecord(queue, Record(i));
            ++putsDone;
        }
    });
    // The thread is still "suspended": the queue fills and the 1001st delivery waits.
    ASSERT_TRUE(WaitUntil([&] { return queue.WaitingPutters() == 1; }));
    EXPECT_EQ(putsDone, 1000);
    auto thread = MakeThread();
    thread->Start();
    ASSERT_TRUE(WaitUntil([&] { return wakes == 1001; }, std::chrono::seconds(120)));
    producer.join();
    std::vector<std::string> order = db.Column("SELECT fileid FROM jobs ORDER BY id;", "fileid");
    ASSERT_EQ(order.size(), 1001u);
    for (int i = 0; i < 1001; ++i) ASSERT_EQ(order[static_cast<std::size_t>(i)], std::to_string(i));
}

TEST_F(JobQueueThreadTest, StopLeavesQueuedRecordsUnwrittenInTheQueue) {
    std::atomic<bool> inFirstWake{false};
    std::unique_ptr<JobQueueThread> thread;
    thread = std::make_unique<JobQueueThread>(
        queue, db.Path(),
        [&] {
            // Holds the thread after its first record until the stop has begun.
            inFirstWake = true;
            WaitUntil([&] { return thread->StopRequested(); });
        },
        std::chrono::milliseconds(0));
    thread->Start();
    PutRecord(queue, Record(1));
    ASSERT_TRUE(WaitUntil([&] { return inFirstWake.load(); }));
    for (int i = 2; i <= 6; ++i) PutRecord(queue, Record(i));
    thread->Stop();
    EXPECT_EQ(db.Column("SELECT fileid FROM jobs;", "fileid"), std::vector<std::string>{"1"});
    EXPECT_EQ(queue.Count(), 5) << "left for the queue's destruction to free";
}

TEST_F(JobQueueThreadTest, StopEndsAThreadWaitingOnAnEmptyQueueAndAStoppedThreadStaysStopped) {
    auto thread = MakeThread();
    thread->Start();
    thread->Stop();
    thread->Start();
    PutRecord(queue, Record(1));
    thread.reset();
    EXPECT_EQ(db.Count("jobs"), 0);
    EXPECT_EQ(wakes, 0);
}

TEST_F(JobQueueThreadTest, AFailedInsertIsReportedAndTheWorkerIsStillWokenForEveryRecord) {
    ASSERT_TRUE(db.Change("DROP TABLE jobs;"));
    auto thread = MakeThread();
    thread->Start();
    PutRecord(queue, Record(1));
    PutRecord(queue, Record(2));
    ASSERT_TRUE(WaitUntil([&] { return wakes == 2; }));
    thread->Stop();
    EXPECT_EQ(errors.Reports().size(), 2u);
}

TEST(JobQueueThreadWithoutDatabase, RecordsAreDroppedWithoutAStatementButTheWorkerIsWoken) {
    test::TempFolder folder;
    ChangeEventQueue queue(kChangeEventQueueCapacity);
    std::atomic<int> wakes{0};
    test::RecordingErrorReporter errors;
    JobQueueThread thread(queue, folder / "missing.db", [&] { ++wakes; }, std::chrono::milliseconds(0));
    thread.Start();
    for (int i = 0; i < 3; ++i) PutRecord(queue, Record(i));
    ASSERT_TRUE(WaitUntil([&] { return wakes == 3; }));
    thread.Stop();
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_TRUE(errors.Reports().empty());
    EXPECT_FALSE(platform::FileExists(folder / "missing.db"));
}

}  // namespace
}  // namespace pellmar
