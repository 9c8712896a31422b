// The effects of TfxBitmap on a 1024x768 picture against the physical limit
// of their kind, in one run: the table effects against a plain lookup-table
// loop over the same bytes (target: at least 0.7 of its speed), flip and
// invert against memcpy of the same bytes; the other effects are shown
// against memcpy too, without a target. A summary with the ratios follows
// the table.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "decorated/fxBitmap.h"

using namespace menvaro;

namespace {

constexpr int W = 1024, H = 768;
using Clock = std::chrono::steady_clock;

TOwned<TfxBitmap> Noise() {
    TOwned<TfxBitmap> b(Create<TfxBitmap>());
    b->SetSize(W, H);
    std::mt19937 rng(1);
    std::uint8_t* p = b->Bits();
    for (int i = 0; i < b->ImageSize(); ++i) p[i] = std::uint8_t(rng());
    return b;
}

std::int64_t Bytes() { return std::int64_t(3 * W + W % 4) * H; }

// The physical limits: a plain lookup-table loop over the picture's bytes,
// and a copy of them.
// Out of line and at the start of a 64-byte block, as the effects' own
// table loop is: the speed of a loop this short swings by half with where
// it falls in the code.
[[gnu::noinline, gnu::aligned(64)]] void TableLoop(std::uint8_t* p, std::size_t n, const std::uint8_t* t) {
    for (std::size_t i = 0; i < n; ++i) p[i] = t[p[i]];
}

void LookupTableLoop(std::uint8_t* p, std::size_t n) {
    std::uint8_t t[256];
    for (int i = 0; i < 256; ++i) t[i] = std::uint8_t(255 - i / 2);
    TableLoop(p, n, t);
    benchmark::DoNotOptimize(p);
    benchmark::ClobberMemory();
}

void Copy(std::uint8_t* p, std::size_t n) {
    static std::vector<std::uint8_t> copy;
    copy.resize(n);
    std::memcpy(copy.data(), p, n);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
}

struct Kind {
    const char* name;
    bool table;     // measured against the lookup-table loop, else against the copy
    double target;  // 0: none
    std::function<void(TfxBitmap&)> run;
};

TfxBitmap& Blend() {
    static TOwned<TfxBitmap> blend = Noise();
    return *blend;
}

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        {"Lightness", true, 0.7, [](TfxBitmap& b) { b.Lightness(40); }},
        {"Contrast", true, 0.7, [](TfxBitmap& b) { b.Contrast(60); }},
        {"Colorize", true, 0.7, [](TfxBitmap& b) { b.Colorize(10, -20, 30); }},
        {"ColorTint", true, 0.7, [](TfxBitmap& b) { b.ColorTint(200, 180, 160); }},
        {"GrayScale", true, 0.7, [](TfxBitmap& b) { b.GrayScale(); }},
        {"Saturation", true, 0.7, [](TfxBitmap& b) { b.Saturation(300); }},
        {"Invert", false, 0, [](TfxBitmap& b) { b.Invert(); }},
        {"FlipHorizontal", false, 0, [](TfxBitmap& b) { b.Flip(true); }},
        {"FlipVertical", false, 0, [](TfxBitmap& b) { b.Flip(false); }},
        {"MakeMask", false, 0, [](TfxBitmap& b) { b.MakeMask(0x808080); }},
        {"AlphaBlend", false, 0, [](TfxBitmap& b) { b.AlphaBlend(Blend(), 100, false); }},
        {"BlurPass", false, 0, [](TfxBitmap& b) { b.BlurPass(2); }},
        {"Sharpen", false, 0, [](TfxBitmap& b) { b.Sharpen(1); }},
        {"Emboss", false, 0, [](TfxBitmap& b) { b.Emboss(); }},
        {"Sponge", false, 0, [](TfxBitmap& b) { b.Sponge(3); }},
        {"Wave", false, 0, [](TfxBitmap& b) { b.Wave(true, 20, 20, 5); }},
        {"Rotate", false, 0,
         [](TfxBitmap& b) {
             b.Rotate({-1, -1}, 30);
         }},
    };
    return kinds;
}

// Each pass of the effect follows a pass of its limit over the same
// picture, so that a busy machine slows both alike; the benchmark's time is
// the effect's, the counters hold both speeds and their ratio.
void Effect(benchmark::State& st, const Kind& k) {
    auto b = Noise();
    const std::size_t n = std::size_t(b->ImageSize());
    double limit = 0, ours = 0;
    for (auto _ : st) {
        const auto t0 = Clock::now();
        (k.table ? LookupTableLoop : Copy)(b->Bits(), n);
        const auto t1 = Clock::now();
        k.run(*b);
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        limit += std::chrono::duration<double>(t1 - t0).count();
        ours += std::chrono::duration<double>(t2 - t1).count();
        st.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
    }
    const double mb = double(Bytes()) * double(st.iterations()) / 1e6;
    st.counters["MBps"] = mb / ours;
    st.counters["limit_MBps"] = mb / limit;
    st.counters["ratio"] = limit / ours;
    st.SetBytesProcessed(st.iterations() * Bytes());
}

// Keeps the counters so that the summary can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            for (const char* c : {"MBps", "limit_MBps", "ratio"})
                if (r.counters.count(c)) values[r.run_name.function_name][c] = r.counters.at(c);
    }
    std::map<std::string, std::map<std::string, double>> values;
};

}  // namespace

int main(int argc, char** argv) {
    for (const Kind& k : Kinds())
        benchmark::RegisterBenchmark((std::string("BM_") + k.name).c_str(), [&k](benchmark::State& st) {
            Effect(st, k);
        })->UseManualTime();
    benchmark::Initialize(&argc, argv);
    RatioReporter rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    std::printf("\n1024x768 picture, 24-bit pixels (%.2f MB a pass):\n", double(Bytes()) / 1e6);
    std::printf("%-16s %10s   %-18s %10s   %s\n", "effect", "MB/s", "limit", "MB/s", "ratio");
    for (const Kind& k : Kinds()) {
        auto it = rep.values.find(std::string("BM_") + k.name);
        if (it == rep.values.end()) continue;
        auto& v = it->second;
        std::printf("%-16s %10.0f   %-18s %10.0f   %.2f", k.name, v["MBps"], k.table ? "lookup-table loop" : "memcpy",
                    v["limit_MBps"], v["ratio"]);
        if (k.target > 0) std::printf(" (target >= %.2f) %s", k.target, v["ratio"] >= k.target ? "ok" : "BELOW TARGET");
        std::printf("\n");
    }
    benchmark::Shutdown();
    return 0;
}
