// The cost of a throw and its catch with the logger's raise hook in the
// run-time's slot (the record of the throw with its registers and stack
// copy) next to the same without it, in one run: paired, interleaved
// repetitions at the same stack depth. Target: at most 3 times.
//
//   throw_bench [REPETITIONS] [THROWS PER REPETITION]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "EHook.h"
#include "Paired.h"

using namespace menvaro;
using Clock = std::chrono::steady_clock;

namespace {

__attribute__((noinline)) void Thrower(int i) {
    if (i >= 0) throw std::runtime_error("bench");
}

double Throws(int count, bool hooked) {
    ThrowObserverSlot.store(hooked ? &HookedRaise : nullptr);
    int caught = 0;
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        try {
            Thrower(i);
        } catch (const std::runtime_error&) {
            ++caught;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ThrowObserverSlot.store(nullptr);
    if (caught != count) std::abort();
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 9;
    const int count = argc > 2 ? std::atoi(argv[2]) : 20000;
    const auto seconds = bench::Interleave(repetitions, {[&] { return Throws(count, true); },
                                                         [&] { return Throws(count, false); }});
    auto perThrow = [&](std::vector<double> v) {
        for (double& s : v) s = s / count * 1e6;
        return bench::Summarise(v);
    };
    std::printf("throw and catch, %d a repetition, %d repetitions\n", count, repetitions);
    std::printf("with the raise hook: %s us\n", bench::Shown(perThrow(seconds[0]), "%.2f").c_str());
    std::printf("without it:          %s us\n", bench::Shown(perThrow(seconds[1]), "%.2f").c_str());
    std::printf("ratio hooked / plain: %s (target: at most 3)\n",
                bench::Shown(bench::Summarise(bench::Ratios(seconds[0], seconds[1]))).c_str());
    return 0;
}
