// The job queue thread against a real database file: rows written in order, copies of one file
// merged while they settle, versions numbered with the rows, failed writes retried, and
// everything held written at Stop. Pauses are shrunk unless a test needs them long.
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
    std::unique_ptr<JobQueueThread> MakeThread(std::chrono::milliseconds settle = std::chrono::milliseconds(0),
                                               ChangeEventQueue* from = nullptr) {
        return std::make_unique<JobQueueThread>(from ? *from : queue, db.Path(), [this] { ++wakes; },
                                                JobQueueTimings{settle, std::chrono::milliseconds(20)});
    }
    std::vector<std::string> Jobs(const std::string& column) {
        return db.Column("SELECT " + column + " FROM jobs ORDER BY id;", column);
    }

    LogTestDatabase db;
    ChangeEventQueue queue{kChangeEventQueueCapacity};
    std::atomic<int> wakes{0};
    test::RecordingErrorReporter errors;
};

TEST_F(JobQueueThreadTest, ARecordBecomesANumberedJobRowWithEveryFieldAndItsPathsQuotedExactly) {
    auto record = Record(0, "/data/o'neil's 'quoted'.doc");
    record->jobtype = ChangeCreated;
    record->fileid = 4000000000u;
    record->createfolder = true;
    record->waitexclusive = true;
    record->maxversions = 3;
    record->dest = "/backup/o'neil's 'quoted'.doc";
    std::int64_t before = DateTimeToUnixTime(DateTimeNow());
    auto thread = MakeThread();
    thread->Start();
    PutRecord(queue, std::move(record));
    ASSERT_TRUE(WaitUntil([&] { return wakes == 1; }));
    std::int64_t after = DateTimeToUnixTime(DateTimeNow());

    auto field = [&](const std::string& column) { return db.Column("SELECT * FROM jobs;", column); };
    EXPECT_EQ(field("src"), std::vector<std::string>{"/data/o'neil's 'quoted'.doc"});
    EXPECT_EQ(field("dest"), std::vector<std::string>{"/backup/o'neil's 'quoted'.1.doc"});
    EXPECT_EQ(field("jobtype"), std::vector<std::string>{"1"});
    EXPECT_EQ(field("fileid"), std::vector<std::string>{"4000000000"});
    EXPECT_EQ(field("createfolder"), std::vector<std::string>{"1"});
    EXPECT_EQ(field("waitexclusive"), std::vector<std::string>{"1"});
    EXPECT_EQ(field("currentversion"), std::vector<std::string>{"1"});
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
    ASSERT_TRUE(WaitUntil([&] { return db.Count("jobs") == 1001; }, std::chrono::seconds(120)));
    producer.join();
    std::vector<std::string> order = db.Column("SELECT fileid FROM jobs ORDER BY id;", "fileid");
    ASSERT_EQ(order.size(), 1001u);
    for (int i = 0; i < 1001; ++i) ASSERT_EQ(order[static_cast<std::size_t>(i)], std::to_string(i));
}

TEST_F(JobQueueThreadTest, StopWritesEverythingHeldAndQueuedAtOnceInOrder) {
    auto thread = MakeThread(std::chrono::hours(1));  // nothing would be due before the test ends
    thread->Start();
    for (int i = 1; i <= 3; ++i) PutRecord(queue, Record(i));
    ASSERT_TRUE(WaitUntil([&] { return queue.Count() == 0; }));
    for (int i = 4; i <= 6; ++i) PutRecord(queue, Record(i));
    thread->Stop();
    EXPECT_EQ(Jobs("fileid"), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_GE(wakes, 1);
    EXPECT_TRUE(errors.Reports().empty());
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

// A new file is reported created and then closed after writing; a versioned monitor must keep one
// version of it, not two identical ones. A deletion in between keeps the order of the three.
TEST_F(JobQueueThreadTest, CopiesOfOneFileSettlingTogetherBecomeOneVersionedJob) {
    auto versioned = [](int type, const std::string& name) {
        auto record = Record(7, "/data/" + name);
        record->jobtype = type;
        record->maxversions = 3;
        record->dest = "/backup/" + name;
        return record;
    };
    auto thread = MakeThread(std::chrono::hours(1));
    thread->Start();
    PutRecord(queue, versioned(ChangeCreated, "r.txt"));
    PutRecord(queue, versioned(ChangeModified, "r.txt"));
    auto plain = Record(8, "/data/p.txt");
    PutRecord(queue, Record(8, "/data/p.txt"));
    plain->jobtype = ChangeDeleted;
    PutRecord(queue, std::move(plain));
    PutRecord(queue, Record(8, "/data/p.txt"));
    thread->Stop();
    EXPECT_EQ(Jobs("dest"), (std::vector<std::string>{"/backup/r.1.txt", "/backup/8", "/backup/8", "/backup/8"}));
    EXPECT_EQ(Jobs("jobtype"), (std::vector<std::string>{"1", "2", "3", "2"}));
    EXPECT_EQ(db.Column("SELECT currentversion FROM fileinfo;", "currentversion"), std::vector<std::string>{"1"});

    // The next change counts on, within one batch too.
    ChangeEventQueue next(kChangeEventQueueCapacity);
    thread = MakeThread(std::chrono::hours(1), &next);
    thread->Start();
    auto other = versioned(ChangeModified, "r.txt");
    other->dest = "/elsewhere/r.txt";  // a second monitor of the same file: its own job, its own number
    PutRecord(next, versioned(ChangeModified, "r.txt"));
    PutRecord(next, std::move(other));
    thread->Stop();
    EXPECT_EQ(Jobs("currentversion"), (std::vector<std::string>{"1", "0", "0", "0", "2", "3"}));
    EXPECT_EQ(Jobs("dest").back(), "/elsewhere/r.3.txt");
}

// The database locked beyond its busy timeout, or a broken table: the rows are written once the
// database can take them again, and the user is told once, not once per attempt.
TEST_F(JobQueueThreadTest, AFailedWriteIsReportedOnceAndRetriedUntilItSucceeds) {
    ASSERT_TRUE(db.Change("ALTER TABLE jobs RENAME TO jobs_away;"));
    auto thread = MakeThread();
    thread->Start();
    PutRecord(queue, Record(1));
    PutRecord(queue, Record(2));
    ASSERT_TRUE(WaitUntil([&] { return errors.Reports().size() == 1; }));
    ASSERT_TRUE(db.Change("ALTER TABLE jobs_away RENAME TO jobs;"));
    ASSERT_TRUE(WaitUntil([&] { return db.Count("jobs") == 2; }));
    thread->Stop();
    EXPECT_EQ(Jobs("fileid"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(errors.Reports().size(), 1u);
}

TEST(JobQueueThreadWithoutDatabase, RecordsAreDroppedWithoutAStatementButTheWorkerIsWoken) {
    test::TempFolder folder;
    ChangeEventQueue queue(kChangeEventQueueCapacity);
    std::atomic<int> wakes{0};
    test::RecordingErrorReporter errors;
    JobQueueThread thread(queue, folder / "missing.db", [&] { ++wakes; }, JobQueueTimings{{}, {}});
    thread.Start();
    for (int i = 0; i < 3; ++i) PutRecord(queue, Record(i));
    ASSERT_TRUE(WaitUntil([&] { return wakes >= 1 && queue.Count() == 0; }));
    thread.Stop();
    EXPECT_TRUE(errors.Reports().empty());
    EXPECT_FALSE(platform::FileExists(folder / "missing.db"));
}

}  // namespace
}  // namespace pellmar
