// The backup of a large generated product database through the server
// objects' SQLite engine, next to sqlite3's own `sqlite3 DB ".backup FILE"`,
// in one run (bench/dbadmin/run.sh makes the database). Prints the time of
// the copy, of the check and of the sync, and the copy's time against
// sqlite3's; the target is at most 1.2.
//
//   MENVARO_BENCH_DB=FOLDER dbadmin_bench [benchmark options]
//
// FOLDER holds Velkoranth.db; the backups are written into FOLDER/backups.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/Files.h"
#include "dbadmin/SqliteAdmin.h"

extern char** environ;

using namespace menvaro;

namespace {

std::string g_catalog, g_backups;

void ServerObjects(benchmark::State& state) {
    const std::string file = g_backups + "database20240510";
    dbadmin::TBackupTimes sum;
    for (auto _ : state) {
        dbadmin::TBackupTimes t;
        try {
            dbadmin::BackupSqliteCatalog(g_catalog, file, dbadmin::DefaultBusyTimeoutMs, &t);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        sum.Copy += t.Copy;
        sum.Check += t.Check;
        sum.Sync += t.Sync;
        state.SetIterationTime(t.Copy + t.Check + t.Sync);
        state.PauseTiming();
        DeleteFile(file);
        state.ResumeTiming();
    }
    using benchmark::Counter;
    state.counters["copy_s"] = Counter(sum.Copy, Counter::kAvgIterations);
    state.counters["check_s"] = Counter(sum.Check, Counter::kAvgIterations);
    state.counters["sync_s"] = Counter(sum.Sync, Counter::kAvgIterations);
}

void Sqlite3Cli(benchmark::State& state) {
    const std::string file = g_backups + "sqlite3-backup";
    const std::string command = ".backup '" + file + "'";
    std::vector<char*> argv = {const_cast<char*>("sqlite3"), const_cast<char*>(g_catalog.c_str()),
                               const_cast<char*>(command.c_str()), nullptr};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid;
        int status = 0;
        if (posix_spawnp(&pid, "sqlite3", nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("sqlite3 .backup failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.PauseTiming();
        DeleteFile(file);
        state.ResumeTiming();
    }
}

// Keeps each benchmark's mean seconds and counters for the table at the end.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred || r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
            Result& out = results[r.run_name.function_name];
            out.seconds = r.real_accumulated_time / static_cast<double>(r.iterations);
            for (const auto& [name, counter] : r.counters) out.counters[name] = counter.value;
        }
    }
    struct Result {
        double seconds = 0;
        std::map<std::string, double> counters;
    };
    std::map<std::string, Result> results;
};

}  // namespace

int main(int argc, char** argv) {
    const char* folder = std::getenv("MENVARO_BENCH_DB");
    if (!folder || !*folder) {
        std::fprintf(stderr,
                     "dbadmin_bench: set MENVARO_BENCH_DB to the folder of a Velkoranth.db (bench/dbadmin/run.sh)\n");
        return 1;
    }
    g_catalog = IncludeTrailingPathDelimiter(folder) + "Velkoranth.db";
    g_backups = IncludeTrailingPathDelimiter(folder) + "backups/";
    if (!FileExists(g_catalog) || !ForceDirectories(g_backups)) {
        std::fprintf(stderr, "dbadmin_bench: no %s, or cannot make %s\n", g_catalog.c_str(), g_backups.c_str());
        return 1;
    }
    benchmark::RegisterBenchmark("SQLBackup", ServerObjects)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("sqlite3_backup_cli", Sqlite3Cli)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto ours = reporter.results.find("SQLBackup");
    const auto peer = reporter.results.find("sqlite3_backup_cli");
    if (ours != reporter.results.end() && peer != reporter.results.end() && peer->second.seconds > 0) {
        auto& c = ours->second.counters;
        std::printf("\nbackup of %s (%.1f MB)\n", g_catalog.c_str(), static_cast<double>(FileSize(g_catalog)) / 1e6);
        std::printf("  %-40s %8.3f s\n", "SQLBackup: online copy", c["copy_s"]);
        std::printf("  %-40s %8.3f s\n", "           check (integrity, product)", c["check_s"]);
        std::printf("  %-40s %8.3f s\n", "           sync and rename", c["sync_s"]);
        std::printf("  %-40s %8.3f s\n", "           all", ours->second.seconds);
        std::printf("  %-40s %8.3f s\n", "sqlite3 DB \".backup FILE\"", peer->second.seconds);
        std::printf("  %-40s %8.2f   (target at most 1.20)\n", "copy / sqlite3", c["copy_s"] / peer->second.seconds);
    }
    benchmark::Shutdown();
    return 0;
}
