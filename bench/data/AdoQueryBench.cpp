// Reading every field of the updater's statements through TADOQuery, next to
// the same statements through the sqlite3 C API, on a large generated
// product database (bench/data/run.sh makes it). Prints rows per second of
// both and their ratio; the target is at least 0.8.
//
//   MENVARO_BENCH_DB=FOLDER data_bench [benchmark options]
//
// FOLDER holds Velkoranth.db.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "data/ADODB.h"
#include "testsupport/HandheldStatements.h"

using namespace menvaro;

namespace {

std::string g_folder;

TADOConnection& Connection() {
    static TADOConnection* con = Create<TADOConnection>(nullptr);  // lives for the whole run
    if (!con->Connected()) {
        con->SetLoginPrompt(false);
        con->SetConnectionString(
            "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;"
            "Initial Catalog=Velkoranth;Data Source=" +
            g_folder);
        con->Open();
    }
    return *con;
}

void ReadWithQuery(benchmark::State& state, const std::string& sql) {
    TOwned<TADOQuery> owned(Create<TADOQuery>(nullptr));
    TADOQuery& q = *owned;
    q.SetConnection(&Connection());
    std::int64_t rows = 0, bytes = 0;
    for (auto _ : state) {
        q.Close();
        q.SQL()->SetText(sql);
        q.Open();
        const int fields = q.FieldCount();
        for (q.First(); !q.Eof(); q.Next()) {
            for (int i = 0; i < fields; ++i) bytes += static_cast<std::int64_t>(q.Fields()[i].AsString().size());
            ++rows;
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(rows);
}

void ReadWithCApi(benchmark::State& state, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((g_folder + "/Velkoranth.db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_close(db);
        return;
    }
    std::int64_t rows = 0, bytes = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                const std::string value(text ? text : "",
                                        text ? static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)) : 0);
                bytes += static_cast<std::int64_t>(value.size());
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(rows);
}

// Keeps the rows per second of every run for the table at the end.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred || r.run_type != Run::RT_Iteration) continue;
            const auto it = r.counters.find("items_per_second");
            if (it != r.counters.end()) rates[r.benchmark_name()] = it->second.value;
        }
    }
    std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char** argv) {
    const char* folder = std::getenv("MENVARO_BENCH_DB");
    if (!folder || !*folder) {
        std::fprintf(stderr, "data_bench: set MENVARO_BENCH_DB to the folder of a Velkoranth.db (bench/data/run.sh)\n");
        return 1;
    }
    g_folder = folder;

    std::vector<std::string> projects;
    try {
        TOwned<TADOQuery> q(Create<TADOQuery>(nullptr));
        q->SetConnection(&Connection());
        q->SQL()->SetText(demo::ProjectsSql());
        q->Open();
        for (q->First(); !q->Eof(); q->Next()) projects.push_back(q->Fields()[0].AsString());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "data_bench: %s\n", e.what());
        return 1;
    }
    const auto statements = demo::HandheldStatements(projects);
    for (const auto& s : statements) {
        benchmark::RegisterBenchmark(("TADOQuery/" + s.file).c_str(), ReadWithQuery, s.sql)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("sqlite3/" + s.file).c_str(), ReadWithCApi, s.sql)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Side by side; "all" weighs each statement by its rows, as one build reads them.
    std::printf("\n%-22s %16s %16s %7s\n", "statement", "TADOQuery rows/s", "sqlite3 rows/s", "ratio");
    double adoSeconds = 0, apiSeconds = 0, rowsAll = 0;
    for (const auto& s : statements) {
        const auto a = reporter.rates.find("TADOQuery/" + s.file);
        const auto b = reporter.rates.find("sqlite3/" + s.file);
        if (a == reporter.rates.end() || b == reporter.rates.end() || a->second <= 0 || b->second <= 0) continue;
        std::printf("%-22s %16.0f %16.0f %7.2f\n", s.file.c_str(), a->second, b->second, a->second / b->second);
        // Rows of one pass, counted the C API's way.
        TOwned<TADOQuery> q(Create<TADOQuery>(nullptr));
        q->SetConnection(&Connection());
        q->SQL()->SetText(s.sql);
        q->Open();
        const double rows = q->RecordCount();
        rowsAll += rows;
        adoSeconds += rows / a->second;
        apiSeconds += rows / b->second;
    }
    if (adoSeconds > 0 && apiSeconds > 0)
        std::printf("%-22s %16.0f %16.0f %7.2f  (target 0.80)\n", "all statements", rowsAll / adoSeconds,
                    rowsAll / apiSeconds, apiSeconds / adoSeconds);
    benchmark::Shutdown();
    return 0;
}
