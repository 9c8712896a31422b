// Pelgrane from its start to its first painted main window, headless: the
// program is started with a UI script whose one line closes the window,
// which runs only once the window is shown and painted. Each run is a whole
// process from exec to exit, so the time is an upper bound (target: under
// 100 ms).
//
//   startup_bench PELGRANE [benchmark options]
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/Files.h"
#include "testsupport/TempDir.h"

extern char** environ;

namespace {

std::string g_program;

void BM_StartToFirstPaint(benchmark::State& state) {
    menvaro::test::TempDir dir("startup");
    menvaro::WriteFileAtomic(dir.path() + "close.script", "close UpdateForm\n");
    std::vector<std::string> env = {"MENVARO_UI=headless", "MENVARO_UI_SCRIPT=" + dir.path() + "close.script",
                                    "MENVARO_REGISTRY=" + dir.path() + "registry.reg"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {g_program.data(), nullptr};
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawn(&pid, g_program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError("cannot start the program");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program did not end cleanly");
            break;
        }
    }
}
BENCHMARK(BM_StartToFirstPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench PELGRANE [benchmark options]\n");
        return 2;
    }
    g_program = argv[1];
    --argc, ++argv;
    argv[0] = argv[-1];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
