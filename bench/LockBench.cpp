// How often a reader polling the jobs (pellmarctl jobs, the log window) and the job worker's
// batches fail with "database is locked", in the rollback journal and in the write-ahead log.
// Two threads on one file for a few seconds each; prints failures and rates, asserts nothing.
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/TableCreation.h"
#include "tray/db/UnitOfWork.h"
#include "platform/ErrorReporter.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace pellmar {
namespace {

// Failures are counted by the caller; the default reporter would print every one.
class SilentReporter final : public platform::ErrorReporter {
public:
    void Report(const std::string&, const std::string&, platform::ErrorIcon) override {}
};

struct Counts {
    std::atomic<int> batches{0}, batchFailures{0}, reads{0}, readFailures{0}, queued{0}, queueFailures{0};
};

std::string Batch(int round) {
    std::string text;
    for (int i = 0; i < 200; ++i) {
        ChangeEvent job;
        job.jobtype = ChangeModified;
        job.src = "/home/user/unpacked/file " + std::to_string(round) + "-" + std::to_string(i);
        job.dest = "/backup/unpacked/file " + std::to_string(round) + "-" + std::to_string(i);
        text += InsertJobStatement(job, 0) + "\r\n";
    }
    return text + "DELETE FROM jobs WHERE id<(SELECT max(id)-400 FROM jobs);\r\n";
}

void Writer(const std::string& path, Counts& counts, const std::atomic<bool>& stop) {
    SQLiteDatabase database(path, false);
    SQLiteSession& session = database.CreateSession(std::string(kJobExecSessionName));
    SQLiteQuery& query = session.CreateQuery();
    for (int round = 0; !stop; ++round) {
        if (!database.Open(path)) continue;
        database.SetBusyTimeout(kBusyTimeoutMilliseconds);
        if (!ExecInTransaction(session, query, Batch(round))) {
            if (counts.batchFailures++ == 0) std::printf("first worker failure: %s\n", session.LastError().c_str());
        }
        ++counts.batches;
        query.Clear();
        database.Close();
    }
}

// The job queue thread's pattern: read (waiting copies, version counters), then insert.
void Queue(const std::string& path, Counts& counts, const std::atomic<bool>& stop) {
    SQLiteDatabase database(path, false);
    SQLiteSession& session = database.CreateSession(std::string(kJobQueueSessionName));
    SQLiteQuery& query = session.CreateQuery();
    for (int round = 0; !stop; ++round) {
        if (!database.Open(path)) continue;
        database.SetBusyTimeout(kBusyTimeoutMilliseconds);
        bool done = session.StartTransaction() == 0;
        query.SetText(SelectWaitingCopiesStatement());
        done = done && query.Execute() == 0;
        query.SetText(Batch(round));
        done = done && query.Execute() == 0 && session.Commit() == 0;
        if (!done) ++counts.queueFailures;
        ++counts.queued;
        query.Clear();
        database.Close();
    }
}

void Reader(const std::string& path, Counts& counts, const std::atomic<bool>& stop) {
    SQLiteDatabase database(path, false);
    SQLiteQuery& query = database.CreateSession("pellmarctl").CreateQuery();
    while (!stop) {
        if (!database.Open(path)) continue;
        database.SetBusyTimeout(kBusyTimeoutMilliseconds);
        if (!ExecQuery(query, SelectAllJobsStatement())) ++counts.readFailures;
        ++counts.reads;
        query.Clear();
        database.Close();
    }
}

void Measure(const std::string& folder, bool writeAheadLog) {
    const std::string path = folder + (writeAheadLog ? "/wal.db" : "/rollback.db");
    {
        SQLiteDatabase database(path, true);
        SQLiteQuery& query = database.CreateSession("setup").CreateQuery();
        if (!writeAheadLog) {
            query.SetText(std::string(kCreationScript));
            query.Execute();
        } else {
            CreateTablesWhenMissing(query);
        }
    }
    Counts counts;
    std::atomic<bool> stop{false};
    std::thread writer(Writer, path, std::ref(counts), std::cref(stop));
    std::thread reader(Reader, path, std::ref(counts), std::cref(stop));
    std::thread queue(Queue, path, std::ref(counts), std::cref(stop));
    std::this_thread::sleep_for(std::chrono::seconds(5));
    stop = true;
    writer.join();
    reader.join();
    queue.join();
    std::printf("%-12s worker batches %5d, failed %4d | queue batches %5d, failed %4d | reads %6d, failed %5d\n",
                writeAheadLog ? "write-ahead" : "rollback", counts.batches.load(), counts.batchFailures.load(),
                counts.queued.load(), counts.queueFailures.load(), counts.reads.load(), counts.readFailures.load());
}

}  // namespace
}  // namespace pellmar

int main() {
    pellmar::SilentReporter reporter;
    pellmar::platform::InstallErrorReporter(&reporter);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "pellmar-lock-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    pellmar::Measure(folder.string(), false);
    pellmar::Measure(folder.string(), true);
    std::filesystem::remove_all(folder);
    pellmar::platform::InstallErrorReporter(nullptr);
}
