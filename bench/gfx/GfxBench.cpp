// Canvas speed against its plain-memory peers, in one run: BitBlt SRCCOPY
// and FillRect of a 1024x768 surface against memcpy and memset of the same
// bytes (target: at least half their speed), and text drawing in glyphs per
// second with a warm cache (target: 1,000,000 16-pixel Chinese glyphs a
// second on one core). A summary with the ratios follows the table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"

using namespace menvaro;

namespace {

constexpr int W = 1024, H = 768;
constexpr std::size_t kBytes = std::size_t(W) * H * 4;

void BM_memcpy(benchmark::State& st) {
    std::vector<std::uint32_t> a(std::size_t(W) * H, 1), b(std::size_t(W) * H, 2);
    for (auto _ : st) {
        std::memcpy(b.data(), a.data(), kBytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(std::int64_t(st.iterations()) * std::int64_t(kBytes));
}

void BM_BitBlt_SRCCOPY(benchmark::State& st) {
    TBitmap a(W, H), b(W, H);
    a.Fill(clRed);
    for (auto _ : st) {
        b.Canvas().BitBlt(0, 0, W, H, a.Canvas(), 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(std::int64_t(st.iterations()) * std::int64_t(kBytes));
}

void BM_memset(benchmark::State& st) {
    std::vector<std::uint32_t> a(std::size_t(W) * H, 1);
    for (auto _ : st) {
        std::memset(a.data(), 0x7F, kBytes);
        benchmark::DoNotOptimize(a.data());
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(std::int64_t(st.iterations()) * std::int64_t(kBytes));
}

void BM_FillRect(benchmark::State& st) {
    TBitmap a(W, H);
    a.Canvas().Brush().SetColor(clBlue);
    for (auto _ : st) {
        a.Canvas().FillRect(Rect(0, 0, W, H));
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(std::int64_t(st.iterations()) * std::int64_t(kBytes));
}

void BM_TextOut_Chinese16(benchmark::State& st) {
    TBitmap a(W, 64);
    TCanvas& c = a.Canvas();
    c.Font().SetName("宋体");
    c.Font().SetHeight(-16);
    c.Brush().SetStyle(bsClear);
    const std::string line = "数据库备份与恢复工具餐点资料更新程序服务器连接用户名密码确定取消天数目录";
    const int glyphs = 36;
    c.TextOut(0, 0, line);  // warm the cache
    for (auto _ : st) {
        c.TextOut(0, 20, line);
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(std::int64_t(st.iterations()) * glyphs);
}

BENCHMARK(BM_memcpy);
BENCHMARK(BM_BitBlt_SRCCOPY);
BENCHMARK(BM_memset);
BENCHMARK(BM_FillRect);
BENCHMARK(BM_TextOut_Chinese16);

// Collects the times so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const std::string name = r.benchmark_name();
            seconds[name] = r.GetAdjustedRealTime() * 1e-9;  // default unit ns
            if (r.counters.count("items_per_second")) items[name] = r.counters.at("items_per_second");
        }
    }
    std::map<std::string, double> seconds, items;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    auto ratio = [&](const char* ours, const char* peer) {
        if (!rep.seconds.count(ours) || !rep.seconds.count(peer)) return;
        const double r = rep.seconds[peer] / rep.seconds[ours];
        std::printf("%-22s %8.3f ms   %-10s %8.3f ms   speed ratio %.2f (target >= 0.50) %s\n", ours,
                    rep.seconds[ours] * 1e3, peer, rep.seconds[peer] * 1e3, r, r >= 0.5 ? "ok" : "BELOW TARGET");
    };
    std::printf("\n1024x768 surface, 32-bit pixels (%zu bytes):\n", kBytes);
    ratio("BM_BitBlt_SRCCOPY", "BM_memcpy");
    ratio("BM_FillRect", "BM_memset");
    if (rep.items.count("BM_TextOut_Chinese16")) {
        const double g = rep.items["BM_TextOut_Chinese16"];
        std::printf("TextOut, 16-pixel Chinese glyphs, warm cache: %.0f glyphs/s (target >= 1000000) %s\n", g,
                    g >= 1e6 ? "ok" : "BELOW TARGET");
    }
    benchmark::Shutdown();
    return 0;
}
