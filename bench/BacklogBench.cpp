// Benchmark: one worker pass over a backlog of N jobs (default 10,000 small copies), split into the
// time spent on the database (read, batch, log statements) and on the files.
// Usage: bench_backlog [jobs]
#include <cstdio>
#include <fstream>

#include "bench/BenchSession.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/jobs/JobWorker.h"
#include "tray/jobs/JobWorkerSqliteStore.h"

using namespace pellmar;
using Clock = std::chrono::steady_clock;

namespace {

class TimedStore final : public JobWorkerStore {
public:
    explicit TimedStore(JobWorkerStore& inner) : inner_(inner) {}
    double ms = 0;
    std::vector<ChangeEvent> ReadJobs(bool full) override {
        Stopwatch watch(ms);
        return inner_.ReadJobs(full);
    }
    void RunBatch(const std::string& batch) override {
        Stopwatch watch(ms);
        inner_.RunBatch(batch);
    }
    std::string LogStatement(const ChangeEvent& job, int code) override {
        Stopwatch watch(ms);
        return inner_.LogStatement(job, code);
    }
    void PurgeLog(DateTime cutoff) override {
        Stopwatch watch(ms);
        inner_.PurgeLog(cutoff);
    }

private:
    struct Stopwatch {
        explicit Stopwatch(double& total) : total_(total), start_(Clock::now()) {}
        ~Stopwatch() { total_ += bench::MillisecondsSince(start_); }
        double& total_;
        Clock::time_point start_;
    };
    JobWorkerStore& inner_;
};

class NoHost final : public JobWorkerHost {
public:
    bool WaitForWork(std::chrono::milliseconds) override { return false; }
    bool Terminated() const override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    const int jobs = argc > 1 ? std::atoi(argv[1]) : 10000;
    bench::BenchHome home("backlog");
    std::filesystem::create_directories(std::filesystem::path(home.DatabasePath()).parent_path());
    {
        SQLiteDatabase database(home.DatabasePath(), true);
        SQLiteSession& session = database.CreateSession("BenchSession");
        SQLiteQuery& query = session.CreateQuery();
        std::string script(kCreationScript);
        for (int i = 0; i < jobs; ++i) {
            ChangeEvent job;
            job.jobtype = ChangeModified;
            job.src = home.Path("watched") + "/j" + std::to_string(i) + ".txt";
            job.dest = home.Path("backup") + "/j" + std::to_string(i) + ".txt";
            std::ofstream(job.src) << "job " << i;
            script += InsertJobStatement(job, 0);
        }
        if (!ExecInTransaction(session, query, script)) return 1;
    }
    JobWorkerSqliteStore sqlite(home.DatabasePath());
    TimedStore store(sqlite);
    NoHost host;
    SystemFileOperations files;
    JobWorker worker(store, host, files, home.Path("temp/"));
    const auto start = Clock::now();
    const JobPassResult pass = worker.RunPass(true);
    const double total = bench::MillisecondsSince(start);
    std::printf("one pass over %d jobs (%d attempted): %.0f ms\n", jobs, pass.attempted, total);
    std::printf("  database (read, log statements, batch): %.0f ms\n", store.ms);
    std::printf("  files and the rest:                     %.0f ms\n", total - store.ms);
    return 0;
}
