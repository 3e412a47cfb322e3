// Cost of the database layer's unit of work and of the job worker's one-transaction batch,
// on a real file in a temporary folder. Prints figures; asserts nothing.
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace pellmar {
namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

ChangeEvent SampleJob(int i) {
    ChangeEvent job;
    job.jobtype = ChangeModified;
    job.fileid = 3000000000u + static_cast<std::uint32_t>(i);
    job.src = "/home/user/Documents/report " + std::to_string(i) + ".doc";
    job.dest = "/media/backup/Documents/report " + std::to_string(i) + ".doc";
    return job;
}

// One unit of work as every caller runs it: open, busy timeout, one INSERT committed, close.
void UnitsOfWork(const std::string& path, int runs) {
    SQLiteDatabase database(path, false);
    SQLiteSession& session = database.CreateSession(std::string(kJobQueueSessionName));
    SQLiteQuery& query = session.CreateQuery();
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (database.Open(path)) {
            database.SetBusyTimeout(kBusyTimeoutMilliseconds);
            ExecInTransaction(session, query, InsertJobStatement(SampleJob(i), 1733570000));
            query.Clear();
            database.Close();
        }
        times.push_back(Milliseconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    std::printf("unit of work (open, timeout, INSERT in its transaction, close), %d runs:\n", runs);
    std::printf("  median %.3f ms, p95 %.3f ms, max %.3f ms\n", times[times.size() / 2],
                times[times.size() * 95 / 100], times.back());
}

// The job worker's end-of-pass batch: many statements, one transaction.
void DeleteBatch(const std::string& path, int statements) {
    SQLiteDatabase database(path, false);
    SQLiteSession& session = database.CreateSession(std::string(kJobExecSessionName));
    SQLiteQuery& query = session.CreateQuery();
    database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    std::string fill;
    for (int i = 0; i < statements; ++i) {
        fill += InsertJobStatement(SampleJob(i), 1733570000);
    }
    ExecInTransaction(session, query, fill);
    std::string batch;
    for (int id = 1; id <= statements; ++id) {
        batch += DeleteJobStatement(id);
    }
    const auto start = Clock::now();
    const bool committed = ExecInTransaction(session, query, batch);
    const double elapsed = Milliseconds(Clock::now() - start);
    std::printf("batch of %d DELETE statements in one transaction: %.1f ms (%s)\n", statements,
                elapsed, committed ? "committed" : "FAILED");
}

}  // namespace
}  // namespace pellmar

int main() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("pellmar-db-bench-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    const std::string path = (folder / "pellmar.db").string();
    {
        pellmar::SQLiteDatabase database(path, true);
        if (!database.IsOpen()) {
            std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), database.LastError().c_str());
            return 1;
        }
        pellmar::SQLiteSession& session = database.CreateSession("FolderMonitorSession");
        pellmar::ExecInTransaction(session, session.CreateQuery(), std::string(pellmar::kCreationScript));
    }
    std::printf("database file: %s\n", path.c_str());
    pellmar::UnitsOfWork(path, 2000);
    pellmar::DeleteBatch(path, 10000);
    fs::remove_all(folder);
    return 0;
}
