// The time to capture and resolve a stack 30 calls deep and build the
// report of it, next to glibc's backtrace and backtrace_symbols on the same
// stack, in one run: paired, interleaved repetitions at the same depth.
//
//   stack_bench [REPETITIONS] [CAPTURES PER REPETITION]
#include <execinfo.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ExceptionLog.h"
#include "Paired.h"

using namespace menvaro;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kDepth = 30;

struct TRun {
    int repetitions = 9;
    int captures = 200;
    double reportSeconds = 0;  // of ours, the report's part
    std::size_t ourEntries = 0, ourLines = 0, reportBytes = 0;
    int peerFrames = 0, peerNamed = 0;
    std::vector<std::vector<double>> seconds;
};

// Ours: copy the stack, scan and resolve it, build the whole report.
double Ours(TRun& run) {
    TOstrelModulesList& modules = *OstrelModulesList();
    const std::vector<std::shared_ptr<TOstrelModuleInfo>> listed = modules.Modules();
    const auto start = Clock::now();
    for (int i = 0; i < run.captures; ++i) {
        const TStackSnapshot stack = TakeCurrentStackSnapshot();
        const auto list = GetCallStack(0, stack, [&](std::uintptr_t a) { return modules.GetAddressInfo(a); });
        TOstrelReportContext context;
        context.ExceptionObject = std::make_exception_ptr(EConvertError("bench"));
        context.ExceptionAddress = list->Count() > 0 ? (*list)[0].Address : 0;
        context.ExceptionDate = Now();
        context.Stack = list.get();
        context.Modules.assign(listed.begin(), listed.end());
        const TModulesMemory code;
        const TSnapshotMemory memory(stack, code);
        context.Memory = &memory;
        context.StackPointer = stack.Start;
        const auto reportStart = Clock::now();
        const std::string report = BuildReport(context);
        run.reportSeconds += std::chrono::duration<double>(Clock::now() - reportStart).count();
        if (i == 0) {
            run.ourEntries = static_cast<std::size_t>(list->Count());
            run.ourLines = 0;
            for (const TOstrelDebugInfo& e : list->Entries()) run.ourLines += e.EntryKind == ekLineInfo && e.Line > 0;
            run.reportBytes = report.size();
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// glibc's: the frames by the unwinder, named by the dynamic symbols.
double Peer(TRun& run) {
    const auto start = Clock::now();
    for (int i = 0; i < run.captures; ++i) {
        void* frames[128];
        const int n = ::backtrace(frames, 128);
        char** names = ::backtrace_symbols(frames, n);
        if (i == 0 && names) {
            run.peerFrames = n;
            run.peerNamed = 0;
            // "file(name+offset) [address]"; "file(+offset)" or "file()" has none.
            for (int k = 0; k < n; ++k) {
                const std::string frame = names[k];
                const std::size_t open = frame.find('(');
                run.peerNamed += open != std::string::npos && open + 1 < frame.size() && frame[open + 1] != '+' &&
                                 frame[open + 1] != ')';
            }
        }
        std::free(names);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Down to kDepth calls, then both contenders there.
__attribute__((noipa)) int Frame(int depth, TRun& run) {
    if (depth < kDepth) {
        int r = Frame(depth + 1, run);
        asm volatile("" : "+r"(r));  // so the calls stay calls, not a loop
        return r + 1;
    }
    run.seconds = bench::Interleave(run.repetitions, {[&] { return Ours(run); }, [&] { return Peer(run); }});
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    TRun run;
    if (argc > 1) run.repetitions = std::atoi(argv[1]);
    if (argc > 2) run.captures = std::atoi(argv[2]);
    CreateOstrelModulesList();
    if (Frame(1, run) != kDepth - 1) return 1;
    auto perCapture = [&](std::vector<double> v) {
        for (double& s : v) s = s / run.captures * 1e6;
        return bench::Summarise(v);
    };
    std::printf("stack: %d calls deep, %d captures a repetition, %d repetitions\n", kDepth, run.captures,
                run.repetitions);
    std::printf("ours (copy, scan, resolve, whole report of %zu bytes): %s us; %zu entries, %zu with a line\n",
                run.reportBytes, bench::Shown(perCapture(run.seconds[0]), "%.1f").c_str(), run.ourEntries,
                run.ourLines);
    const double captures = static_cast<double>(run.captures) * run.repetitions;
    std::printf("  of which the report: %.1f us on average\n", run.reportSeconds / captures * 1e6);
    std::printf("glibc backtrace + backtrace_symbols: %s us; %d frames, %d with a name\n",
                bench::Shown(perCapture(run.seconds[1]), "%.1f").c_str(), run.peerFrames, run.peerNamed);
    std::printf("ratio ours / glibc: %s\n",
                bench::Shown(bench::Summarise(bench::Ratios(run.seconds[0], run.seconds[1]))).c_str());
    DestroyOstrelModulesList();
    return 0;
}
