// Copying the handheld files of a large build onto the folder device, through
// the updater's device routines and the remote API library, in paired,
// interleaved repetitions with two peers copying the same files into a
// folder: cp (one process for all the files, as a user would run it) and an
// in-process loop of copy_file_range. Prints the ratios of the times, the
// peer's over the updater's, so 1 means as fast (target: at least 0.8 of
// cp). Every copy writes into an emptied folder, after the disk has taken
// the copy before. bench/updater/copy-run.sh makes the file set of the large
// database.
//
//   copy_bench FILES_FOLDER [PAIRS]
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Paired.h"
#include "base/Files.h"
#include "base/Heap.h"
#include "fileCopy.h"
#include "testsupport/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string g_source;
std::vector<std::string> g_names;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Each copy starts from an empty target and a disk with nothing of the copy
// before still to write, so that none pays for another's files.
void Clear(const std::string& folder) {
    for (const std::string& n : g_names) ::unlink((folder + n).c_str());
    ::sync();
}

std::string g_device;

double UpdaterCopy() {
    Clear(g_device);
    const auto t0 = Clock::now();
    if (pelgrane::ConnectDevice() != pelgrane::TDeviceConnection::dcConnected) return -1;
    bool ok = true;
    for (const std::string& n : g_names)
        ok = pelgrane::CopyFileToDevice(g_source, "\\Program Files\\Menvaro餐点", n, true) && ok;
    pelgrane::DisconnectDevice();
    return ok ? Seconds(t0) : -1;
}

double CopyFileRange(const std::string& target) {
    Clear(target);
    const auto t0 = Clock::now();
    for (const std::string& n : g_names) {
        const int in = ::open((g_source + n).c_str(), O_RDONLY | O_CLOEXEC);
        const int out = ::open((target + n).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        bool ok = in >= 0 && out >= 0;
        while (ok) {
            const ssize_t k = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (k == 0) break;
            ok = k > 0;
        }
        if (in >= 0) ::close(in);
        if (out >= 0 && ::close(out) != 0) ok = false;
        if (!ok) return -1;
    }
    return Seconds(t0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: copy_bench FILES_FOLDER [PAIRS]\n");
        return 2;
    }
    const int pairs = argc > 2 ? std::atoi(argv[2]) : 7;
    menvaro::KeepFreedHeapMemory();  // as the updater runs
    g_source = menvaro::IncludeTrailingPathDelimiter(argv[1]);
    std::int64_t bytes = 0;
    menvaro::TSearchRec rec;
    for (int r = menvaro::FindFirst(g_source + "*", 0, rec); r == 0; r = menvaro::FindNext(rec)) {
        g_names.push_back(rec.Name);
        bytes += rec.Size;
    }
    menvaro::FindClose(rec);
    if (g_names.empty() || pairs < 1) {
        std::fprintf(stderr, "copy_bench: no files in %s\n", g_source.c_str());
        return 1;
    }

    menvaro::test::TempDir root("copybench"), cpTarget("cpbench"), rangeTarget("rangebench");
    g_device = root.path() + "Program Files/Menvaro餐点/";
    menvaro::ForceDirectories(g_device);
    setenv("MENVARO_DEVICE_ROOT", root.path().c_str(), 1);
    std::vector<std::string> cp = {"cp", "-f"};
    for (const std::string& n : g_names) cp.push_back(g_source + n);
    cp.push_back(cpTarget.path());

    bool failed = false;
    auto checked = [&failed](double seconds) {
        failed = failed || seconds < 0;
        return seconds;
    };
    // Once each to warm the caches.
    checked(UpdaterCopy());
    checked(menvaro::bench::RunProcess(cp).ok ? 0 : -1);
    checked(CopyFileRange(rangeTarget.path()));
    const auto seconds = menvaro::bench::Interleave(
        pairs, {[&] { return checked(UpdaterCopy()); },
                [&] {
                    Clear(cpTarget.path());
                    const menvaro::bench::ProcessRun r = menvaro::bench::RunProcess(cp);
                    return checked(r.ok ? r.seconds : -1);
                },
                [&] { return checked(CopyFileRange(rangeTarget.path())); }});
    if (failed) {
        std::fprintf(stderr, "copy_bench: a copy failed\n");
        return 1;
    }
    using menvaro::bench::Shown;
    using menvaro::bench::Summarise;
    const double mb = static_cast<double>(bytes) / 1e6;
    auto ms = [](std::vector<double> v) {
        for (double& x : v) x *= 1000;
        return Summarise(v);
    };
    std::printf("%zu files, %.1f MB, %d repetitions, median (range):\n", g_names.size(), mb, pairs);
    std::printf("  updater to the folder device  %s ms\n", Shown(ms(seconds[0]), "%.1f").c_str());
    std::printf("  cp                            %s ms\n", Shown(ms(seconds[1]), "%.1f").c_str());
    std::printf("  copy_file_range               %s ms\n", Shown(ms(seconds[2]), "%.1f").c_str());
    std::printf("  cp time / updater time        %s (target at least 0.80)\n",
                Shown(Summarise(menvaro::bench::Ratios(seconds[1], seconds[0]))).c_str());
    std::printf("  copy_file_range / updater     %s\n",
                Shown(Summarise(menvaro::bench::Ratios(seconds[2], seconds[0]))).c_str());
    return 0;
}
