// The updater's export as a user runs it: the shipped Pelgrane, headless,
// with a UI script that builds the files and closes the window, a whole
// process from exec to exit, on a large generated product database
// (bench/updater/run.sh makes it). Beside it in paired, interleaved
// repetitions:
//   - the floor: export_floor, a small C program stepping the same
//     statements through the SQLite C API, every column read as text;
//   - the everyday peer: export_peer.py, the same files from the same
//     statements with Python's sqlite3 and string building; its files must
//     be byte-identical to Pelgrane's, which this program checks first.
// Prints the time ratios (median and range; targets: at most 1.3 of the
// floor, at most 0.6 of the peer) and Pelgrane's peak resident memory
// (target: under 64 MiB).
//
// Then Pelgrane's start to close with nothing built (a script that only
// closes the window; target: under 100 ms), paired with the same program
// linked without the crash logger, so that the logger's own cost at
// start-up shows as a ratio.
//
//   MENVARO_BENCH_DB=FOLDER export_bench [PAIRS]
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "Paired.h"
#include "base/Files.h"
#include "testsupport/HandheldStatements.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

std::map<std::string, std::string> FilesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    TSearchRec rec;
    for (int r = FindFirst(folder + "*.xml", 0, rec); r == 0; r = FindNext(rec))
        files[rec.Name] = ReadFileBytes(folder + rec.Name);
    FindClose(rec);
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    const char* folder = std::getenv("MENVARO_BENCH_DB");
    if (!folder || !*folder) {
        std::fprintf(stderr, "export_bench: set MENVARO_BENCH_DB to the folder of Velkoranth.db (see run.sh)\n");
        return 2;
    }
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (pairs < 1) {
        std::fprintf(stderr, "usage: export_bench [PAIRS]\n");
        return 2;
    }
    const std::string db = IncludeTrailingPathDelimiter(folder) + "Velkoranth.db";

    // The program from a folder of its own: it builds into "xml" beside it.
    test::TempDir dir("exportbench");
    const std::string bin = dir.path() + "bin/";
    ForceDirectories(bin);
    const std::string pelgrane = test::CopyProgram(MENVARO_PELGRANE, bin);
    test::CopyProgram(MENVARO_RAPI, bin, "librapi.so");
    WriteFileAtomic(dir.path() + "registry.reg",
                    "Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]\r\n"
                    "\"ServerName\"=\"" +
                        ExcludeTrailingPathDelimiter(folder) + "\"\r\n");
    WriteFileAtomic(dir.path() + "build.script",
                    "click btnBuildData\n"
                    "expect lblHint text \"生成PDA资料完成,请更新到PDA上... \"\n"
                    "close UpdateForm\n");
    const std::vector<std::string> pelgraneEnv = {"MENVARO_UI=headless",
                                                  "MENVARO_REGISTRY=" + dir.path() + "registry.reg",
                                                  "MENVARO_UI_SCRIPT=" + dir.path() + "build.script"};
    // The floor's statements: the per-project ones with the mark in place of the project.
    std::string statements;
    for (const demo::HandheldStatement& s : demo::HandheldStatements({"{project}"})) statements += s.sql + "\n";
    WriteFileAtomic(dir.path() + "statements.sql", statements);
    const std::string peerOut = dir.path() + "peer/";
    ForceDirectories(peerOut);

    const std::vector<std::string> runPelgrane = {pelgrane};
    const std::vector<std::string> runFloor = {MENVARO_EXPORT_FLOOR, db, dir.path() + "statements.sql"};
    const std::vector<std::string> runPeer = {"python3", MENVARO_EXPORT_PEER, db, peerOut};

    // Once each to warm the caches, and to see that the peer writes what Pelgrane does.
    if (!bench::RunProcess(runPelgrane, pelgraneEnv).ok || !bench::RunProcess(runFloor).ok ||
        !bench::RunProcess(runPeer).ok) {
        std::fprintf(stderr, "export_bench: a program failed on %s\n", db.c_str());
        return 1;
    }
    {
        const auto ours = FilesIn(bin + "xml/"), theirs = FilesIn(peerOut);
        std::int64_t bytes = 0;
        for (const auto& [name, content] : ours) bytes += static_cast<std::int64_t>(content.size());
        if (ours != theirs) {
            for (const auto& [name, content] : ours)
                if (!theirs.count(name) || theirs.at(name) != content)
                    std::fprintf(stderr, "export_bench: the peer's %s differs\n", name.c_str());
            for (const auto& [name, content] : theirs)
                if (!ours.count(name)) std::fprintf(stderr, "export_bench: only the peer writes %s\n", name.c_str());
            return 1;
        }
        std::printf("%zu files, %.1f MB, byte-identical from Pelgrane and the Python peer\n", ours.size(),
                    static_cast<double>(bytes) / 1e6);
    }
    // The files are gone from this process; its memory goes back too, so
    // that the children's peaks are their own (see RunProcess).
    malloc_trim(0);

    std::vector<double> pelgraneMiB, peerMiB;
    bool failed = false;
    auto timed = [&](const std::vector<std::string>& args, const std::vector<std::string>& env,
                     std::vector<double>* peak) {
        return [&, args, env, peak] {
            const bench::ProcessRun r = bench::RunProcess(args, env);
            failed = failed || !r.ok;
            if (peak) peak->push_back(r.peakMiB);
            return r.seconds;
        };
    };
    const auto seconds = bench::Interleave(pairs, {timed(runPelgrane, pelgraneEnv, &pelgraneMiB),
                                                   timed(runFloor, {}, nullptr), timed(runPeer, {}, &peerMiB)});
    if (failed) {
        std::fprintf(stderr, "export_bench: a program failed during the repetitions\n");
        return 1;
    }
    const bench::Summary vsFloor = bench::Summarise(bench::Ratios(seconds[0], seconds[1]));
    const bench::Summary vsPeer = bench::Summarise(bench::Ratios(seconds[0], seconds[2]));
    std::printf("%d repetitions, median (range):\n", pairs);
    std::printf("  Pelgrane           %s s\n", bench::Shown(bench::Summarise(seconds[0]), "%.3f").c_str());
    std::printf("  C floor            %s s\n", bench::Shown(bench::Summarise(seconds[1]), "%.3f").c_str());
    std::printf("  Python peer        %s s\n", bench::Shown(bench::Summarise(seconds[2]), "%.3f").c_str());
    std::printf("  Pelgrane / floor   %s (target at most 1.30)\n", bench::Shown(vsFloor).c_str());
    std::printf("  Pelgrane / peer    %s (target at most 0.60)\n", bench::Shown(vsPeer).c_str());
    std::printf("  Pelgrane peak RSS  %s MiB (target under 64)\n",
                bench::Shown(bench::Summarise(pelgraneMiB), "%.1f").c_str());
    std::printf("  peer peak RSS      %s MiB\n", bench::Shown(bench::Summarise(peerMiB), "%.1f").c_str());

    // Start to close, each program from a folder of its own; a start-up is
    // short, so it is repeated more often than the export.
    const std::string plain = dir.path() + "plain/";
    ForceDirectories(plain);
    const std::vector<std::string> runPlain = {test::CopyProgram(MENVARO_PELGRANE_WITHOUT_LOGGER, plain)};
    test::CopyProgram(MENVARO_RAPI, plain, "librapi.so");
    WriteFileAtomic(dir.path() + "close.script", "close UpdateForm\n");
    const std::vector<std::string> closeEnv = {"MENVARO_UI=headless",
                                               "MENVARO_REGISTRY=" + dir.path() + "registry.reg",
                                               "MENVARO_UI_SCRIPT=" + dir.path() + "close.script"};
    if (!bench::RunProcess(runPelgrane, closeEnv).ok || !bench::RunProcess(runPlain, closeEnv).ok) {
        std::fprintf(stderr, "export_bench: a program did not start and close cleanly\n");
        return 1;
    }
    const int startups = 4 * pairs;
    const auto startSeconds =
        bench::Interleave(startups, {timed(runPelgrane, closeEnv, nullptr), timed(runPlain, closeEnv, nullptr)});
    if (failed) {
        std::fprintf(stderr, "export_bench: a program failed during the start-up repetitions\n");
        return 1;
    }
    std::vector<double> pelgraneMs, plainMs;
    for (double t : startSeconds[0]) pelgraneMs.push_back(t * 1000);
    for (double t : startSeconds[1]) plainMs.push_back(t * 1000);
    std::printf("start to close, nothing built, %d repetitions, median (range):\n", startups);
    std::printf("  Pelgrane                %s ms (target under 100)\n",
                bench::Shown(bench::Summarise(pelgraneMs), "%.0f").c_str());
    std::printf("  without the logger      %s ms\n", bench::Shown(bench::Summarise(plainMs), "%.0f").c_str());
    std::printf("  Pelgrane / without      %s (the logger's cost at start-up)\n",
                bench::Shown(bench::Summarise(bench::Ratios(startSeconds[0], startSeconds[1]))).c_str());
    return 0;
}
