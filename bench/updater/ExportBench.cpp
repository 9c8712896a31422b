// The updater's whole export on a large generated product database, next to
// running the same statements and reading every field without building any
// XML (bench/updater/run.sh makes the database). Prints both times and their
// ratio (target: at most 1.5), and the peak memory of a process that runs
// one export (target: under 64 MiB for 20,000 dishes with 3 units in 5
// projects).
//
//   MENVARO_BENCH_DB=FOLDER export_bench [benchmark options]
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "base/Heap.h"
#include "testsupport/HandheldStatements.h"
#include "testsupport/TempDir.h"
#include "uDM.h"

using namespace menvaro;
using namespace pelgrane;

namespace {

std::string g_folder;
std::map<std::string, double> g_seconds;

std::string ConnectionString() {
    return "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Velkoranth;Data Source=" +
           g_folder;
}

TDM& Module() {
    static TDM* dm = [] {
        TDM* d = Create<TDM>(nullptr);  // lives for the whole run
        d->adoCon->SetConnectionString(ConnectionString());
        d->adoCon->Open();
        return d;
    }();
    return *dm;
}

void Record(benchmark::State& state, const char* name, double seconds) {
    g_seconds[name] = seconds / static_cast<double>(state.iterations());
}

void BM_ExportAll(benchmark::State& state) {
    test::TempDir out("bench");
    TDM& dm = Module();
    dm.OutputFolder = out.path();
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        dm.ExportAll(nullptr);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (dm.Failed) state.SkipWithError(dm.FailReason.c_str());
    }
    Record(state, "export", total);
}
BENCHMARK(BM_ExportAll)->Unit(benchmark::kMillisecond);

void BM_StatementsOnly(benchmark::State& state) {
    TDM& dm = Module();
    TADOQuery& q = *dm.qryPublic;
    double total = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        q.Close();
        q.SQL()->SetText(demo::ProjectsSql());
        q.Open();
        std::vector<std::string> projects;
        for (q.First(); !q.Eof(); q.Next()) projects.push_back(q.FieldByName("ProjectID").AsString());
        for (const demo::HandheldStatement& s : demo::HandheldStatements(projects)) {
            q.Close();
            q.SQL()->SetText(s.sql);
            q.Open();
            const int fields = q.FieldCount();
            for (q.First(); !q.Eof(); q.Next())
                for (int i = 0; i < fields; ++i) bytes += static_cast<std::int64_t>(q.Fields()[i].AsString().size());
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    benchmark::DoNotOptimize(bytes);
    Record(state, "statements", total);
}
BENCHMARK(BM_StatementsOnly)->Unit(benchmark::kMillisecond);

// Peak resident memory of a fresh process that runs one export, in MiB.
double PeakMemoryOfOneExport() {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        test::TempDir out("bench");
        TDM& dm = Module();
        dm.OutputFolder = out.path();
        dm.ExportAll(nullptr);
        rusage ru{};
        getrusage(RUSAGE_SELF, &ru);
        const long kib = dm.Failed ? -1 : ru.ru_maxrss;
        (void)!write(fds[1], &kib, sizeof kib);
        _exit(0);
    }
    close(fds[1]);
    long kib = -1;
    if (read(fds[0], &kib, sizeof kib) != sizeof kib) kib = -1;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return kib < 0 ? -1 : static_cast<double>(kib) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* folder = std::getenv("MENVARO_BENCH_DB");
    if (!folder) {
        std::fprintf(stderr, "export_bench: set MENVARO_BENCH_DB to the folder of Velkoranth.db (see run.sh)\n");
        return 2;
    }
    g_folder = folder;
    KeepFreedHeapMemory();  // as the updater runs
    // Measured before anything else runs in this process.
    const double peak = PeakMemoryOfOneExport();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ratio = g_seconds["export"] / g_seconds["statements"];
    std::printf("\nexport %.1f ms, statements alone %.1f ms: ratio %.2f (target at most 1.5)\n",
                g_seconds["export"] * 1000, g_seconds["statements"] * 1000, ratio);
    std::printf("peak memory of one export: %.1f MiB (target under 64 MiB)\n", peak);
    return 0;
}
