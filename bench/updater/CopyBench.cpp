// Copying the demo's handheld files onto the folder device, through the
// updater's device routines and the remote API library, next to cp of the
// same files into a folder in one run (target: at least 0.8 of cp's
// throughput). cp runs as one process for all the files, as a user would.
//
//   copy_bench FILES_FOLDER [benchmark options]
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/Files.h"
#include "fileCopy.h"
#include "testsupport/TempDir.h"

extern char** environ;

namespace {

std::string g_source;
std::vector<std::string> g_names;
std::int64_t g_bytes = 0;
std::map<std::string, double> g_rate;

void BM_UpdaterCopy(benchmark::State& state) {
    menvaro::test::TempDir root("copybench");
    menvaro::ForceDirectories(root.path() + "Program Files/Menvaro餐点");
    setenv("MENVARO_DEVICE_ROOT", root.path().c_str(), 1);
    for (auto _ : state) {
        if (pelgrane::ConnectDevice() != pelgrane::TDeviceConnection::dcConnected) {
            state.SkipWithError("no device");
            break;
        }
        for (const std::string& n : g_names)
            if (!pelgrane::CopyFileToDevice(g_source, "\\Program Files\\Menvaro餐点", n, true))
                state.SkipWithError(("cannot copy " + n).c_str());
        pelgrane::DisconnectDevice();
    }
    state.SetBytesProcessed(state.iterations() * g_bytes);
}
BENCHMARK(BM_UpdaterCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Cp(benchmark::State& state) {
    menvaro::test::TempDir target("cpbench");
    std::vector<std::string> args = {"cp", "-f"};
    for (const std::string& n : g_names) args.push_back(g_source + n);
    args.push_back(target.path());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot run cp");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    state.SetBytesProcessed(state.iterations() * g_bytes);
}
BENCHMARK(BM_Cp)->Unit(benchmark::kMillisecond)->UseRealTime();  // cp works in a child process

class Ratio : public benchmark::ConsoleReporter {
public:
    Ratio() : ConsoleReporter(OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const auto it = r.counters.find("bytes_per_second");
            const std::string name = r.benchmark_name();
            if (it != r.counters.end()) g_rate[name.substr(0, name.find('/'))] = it->second;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: copy_bench FILES_FOLDER [benchmark options]\n");
        return 2;
    }
    g_source = menvaro::IncludeTrailingPathDelimiter(argv[1]);
    menvaro::TSearchRec rec;
    for (int r = menvaro::FindFirst(g_source + "*", 0, rec); r == 0; r = menvaro::FindNext(rec)) {
        g_names.push_back(rec.Name);
        g_bytes += rec.Size;
    }
    menvaro::FindClose(rec);
    --argc, ++argv;
    argv[0] = argv[-1];
    benchmark::Initialize(&argc, argv);
    Ratio reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double ours = g_rate["BM_UpdaterCopy"], cp = g_rate["BM_Cp"];
    std::printf("\n%zu files, %lld bytes: updater %.1f MB/s, cp %.1f MB/s: ratio %.2f (target at least 0.8)\n",
                g_names.size(), static_cast<long long>(g_bytes), ours / 1e6, cp / 1e6, cp > 0 ? ours / cp : 0.0);
    return 0;
}
