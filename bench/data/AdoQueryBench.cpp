// Reading every field of the updater's statements as text through
// TADOQuery, next to the same statements through the sqlite3 C API reading
// every column as text, on a large generated product database
// (bench/data/run.sh makes it). For each statement, paired and interleaved
// repetitions of one pass of each (a small statement is passed several
// times a repetition, so that a repetition lasts some milliseconds); the
// ratio is the C API's time over TADOQuery's, so 1 means as fast and the
// target is at least 0.8 for every statement. "all" weighs the statements
// by their time, one pass of each as one build reads them; the worst
// statement stands beside it.
//
//   MENVARO_BENCH_DB=FOLDER data_bench [PAIRS [FILE]]
//
// FILE runs only the statement of that handheld file ("request.xml").
#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Paired.h"
#include "data/ADODB.h"
#include "testsupport/HandheldStatements.h"

using namespace menvaro;

namespace {

using Clock = std::chrono::steady_clock;

struct Pass {
    std::int64_t rows = 0, bytes = 0;
};

Pass ReadWithQuery(TADOQuery& q, const std::string& sql) {
    Pass p;
    q.Close();
    q.SQL()->SetText(sql);
    q.Open();
    const int fields = q.FieldCount();
    for (q.First(); !q.Eof(); q.Next()) {
        for (int i = 0; i < fields; ++i) p.bytes += static_cast<std::int64_t>(q.Fields()[i].AsString().size());
        ++p.rows;
    }
    return p;
}

// As a caller of the C API keeps a value: a string of its own.
Pass ReadWithCApi(sqlite3* db, const std::string& sql) {
    Pass p;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "data_bench: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            const std::string value(text ? text : "",
                                    text ? static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)) : 0);
            p.bytes += static_cast<std::int64_t>(value.size());
        }
        ++p.rows;
    }
    sqlite3_finalize(stmt);
    return p;
}

// Seconds of one pass, from `times` passes in a row.
double Timed(int times, const std::function<void()>& pass) {
    const auto t0 = Clock::now();
    for (int k = 0; k < times; ++k) pass();
    return std::chrono::duration<double>(Clock::now() - t0).count() / times;
}

}  // namespace

int main(int argc, char** argv) {
    const char* folder = std::getenv("MENVARO_BENCH_DB");
    if (!folder || !*folder) {
        std::fprintf(stderr, "data_bench: set MENVARO_BENCH_DB to the folder of a Velkoranth.db (bench/data/run.sh)\n");
        return 1;
    }
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (pairs < 1) {
        std::fprintf(stderr, "usage: data_bench [PAIRS]\n");
        return 2;
    }
    std::vector<demo::HandheldStatement> statements;
    TOwned<TADOConnection> con(Create<TADOConnection>(nullptr));
    TOwned<TADOQuery> q(Create<TADOQuery>(nullptr));
    sqlite3* db = nullptr;
    try {
        con->SetLoginPrompt(false);
        con->SetConnectionString(
            "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Velkoranth;Data Source=" +
            std::string(folder));
        con->Open();
        q->SetConnection(con.get());
        q->SQL()->SetText(demo::ProjectsSql());
        q->Open();
        std::vector<std::string> projects;
        for (q->First(); !q->Eof(); q->Next()) projects.push_back(q->Fields()[0].AsString());
        statements = demo::HandheldStatements(projects);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "data_bench: %s\n", e.what());
        return 1;
    }
    if (sqlite3_open_v2((std::string(folder) + "/Velkoranth.db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "data_bench: %s\n", sqlite3_errmsg(db));
        return 1;
    }

    std::printf("%d repetitions; ratio = C API time / TADOQuery time, median (range)\n", pairs);
    std::printf("%-22s %8s %12s %12s  %s\n", "statement", "rows", "TADOQuery ms", "C API ms", "ratio");
    std::vector<double> adoAll(static_cast<std::size_t>(pairs), 0), apiAll(static_cast<std::size_t>(pairs), 0);
    std::string worst;
    bench::Summary worstRatio{1e9, 0, 0};
    const std::string only = argc > 2 ? argv[2] : "";
    for (const demo::HandheldStatement& s : statements) {
        if (!only.empty() && s.file != only) continue;
        // One pass of each to warm the caches, one more to see how long a pass takes.
        const Pass rows = ReadWithQuery(*q, s.sql);
        ReadWithCApi(db, s.sql);
        const auto t0 = Clock::now();
        ReadWithQuery(*q, s.sql);
        ReadWithCApi(db, s.sql);
        const double warm = std::chrono::duration<double>(Clock::now() - t0).count() / 2;
        const int times =
            static_cast<int>(std::min(10000.0, std::max(1.0, std::ceil(0.01 / std::max(warm, 1e-7)))));
        const auto seconds = bench::Interleave(pairs, {[&] { return Timed(times, [&] { ReadWithQuery(*q, s.sql); }); },
                                                       [&] { return Timed(times, [&] { ReadWithCApi(db, s.sql); }); }});
        for (int r = 0; r < pairs; ++r) {
            adoAll[static_cast<std::size_t>(r)] += seconds[0][static_cast<std::size_t>(r)];
            apiAll[static_cast<std::size_t>(r)] += seconds[1][static_cast<std::size_t>(r)];
        }
        const bench::Summary ratio = bench::Summarise(bench::Ratios(seconds[1], seconds[0]));
        std::printf("%-22s %8lld %12.3f %12.3f  %s\n", s.file.c_str(), static_cast<long long>(rows.rows),
                    bench::Summarise(seconds[0]).median * 1000, bench::Summarise(seconds[1]).median * 1000,
                    bench::Shown(ratio).c_str());
        if (ratio.median < worstRatio.median) {
            worstRatio = ratio;
            worst = s.file;
        }
    }
    sqlite3_close(db);
    std::printf("\nall statements, by time   %s (target at least 0.80)\n",
                bench::Shown(bench::Summarise(bench::Ratios(apiAll, adoAll))).c_str());
    std::printf("worst statement           %s %s (target at least 0.80)\n", bench::Shown(worstRatio).c_str(),
                worst.c_str());
    return 0;
}
