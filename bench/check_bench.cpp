// Rows per second of the data error check against a plain read of the same selections in the same
// run: the consent mode over the generated timetable of 20,000 trips (400,000 stop rows, 40,000
// periods), and the menu mode over 2,000 trips whose codes are shared in groups of 200.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_check && build-bench/bench/bench_check
//
// share_of_plain is the check's rate over the plain read's (the same rows in both); it must stay at
// 0.5 or more.

#include "BenchTimetable.h"
#include "checks/CompanyHeading.h"
#include "checks/DataErrorCheck.h"
#include "db/DbSelect.h"

#include <benchmark/benchmark.h>
#include <chrono>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Walks one selection reading every column by its kind (a letter a column in `kinds`: T a text, N a
// whole number), as the check reads it; the rows read.
long ReadAll(DbDatabase* db, const char* columns, const char* kinds, const char* table, const char* where = nullptr,
             std::vector<std::string> parameters = {}) {
  DbSelect s(db);
  s.SetStreaming(true);
  s.SetColumns(columns);
  s.SetFrom(table);
  if (where) {
    s.SetWhere(where);
    s.SetParameters(std::move(parameters));
  }
  s.SetOrderBy(std::string(table) == "detcor" ? "id, sub" : "id");
  long rows = 0;
  std::string text;
  long number = 0;
  if (!s.Open()) return 0;
  for (bool more = s.hasRow; more; more = s.MoveNext()) {
    ++rows;
    for (int k = 0; kinds[k]; ++k) {
      if (kinds[k] == 'T')
        s.GetFieldTextAt(k, text);
      else
        s.GetFieldLongAt(k, &number);
    }
    benchmark::DoNotOptimize(text);
    benchmark::DoNotOptimize(number);
  }
  return rows;
}

// The plain read of the check's selections: heads, stops, every period, the periods outside.
long PlainRead(DbDatabase* db) {
  return ReadAll(db, "id, ente, contratt, codcorsa, codlinea, codperc, lung, tempo, ct_lung, ct_tempo, denom, mezzo",
                 "NNNTTTNNNNTT", "tescor") +
         ReadAll(db, "id, sub, fermata, denom, ubicaz, dist, arriva, parte, reglocal", "NNTTTNNNN", "detcor") +
         ReadAll(db, "id", "N", "period") +
         ReadAll(db, "id", "N", "period", "inizio < ?1 OR fine > ?2", {"2024-01-01", "2024-06-30"});
}

void Compare(benchmark::State& state, bench::Timetable& data, const ErrorCheckOptions& options) {
  ScopedNoticeSink quiet([](const Notice&) {});
  DbDatabase* db = data.db.get();
  const CompanyHeading heading = ReadCompanyHeading(db);
  double plain = 0, check = 0, bestPlain = 1e9, bestCheck = 1e9;
  long rows = 0, errors = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    rows = PlainRead(db);
    const double p = Seconds(start);
    start = std::chrono::steady_clock::now();
    const ErrorCheckResult result = RunErrorCheck(db, options, heading.periodStart, heading.periodEnd, nullptr);
    const double c = Seconds(start);
    errors = static_cast<long>(result.rows.size());
    plain += p;
    check += c;
    bestPlain = std::min(bestPlain, p);
    bestCheck = std::min(bestCheck, c);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["error_rows"] = static_cast<double>(errors);
  state.counters["plain_rows_per_s"] = rows * n / plain;
  state.counters["check_rows_per_s"] = rows * n / check;
  state.counters["share_of_plain"] = plain / check;
  state.counters["best_share_of_plain"] = bestPlain / bestCheck;
}

void BM_ConsentMode(benchmark::State& state) {
  static bench::Timetable data;
  Compare(state, data, ErrorCheckOptions::Consent());
}

void BM_MenuModeSharedCodes(benchmark::State& state) {
  static bench::Timetable data(2000, [](int t) { return "G" + std::to_string(t % 10); });
  ErrorCheckOptions options;
  options.tripName = options.stopPlace = true;
  Compare(state, data, options);
}

}  // namespace

BENCHMARK(BM_ConsentMode)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();
BENCHMARK(BM_MenuModeSharedCodes)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

BENCHMARK_MAIN();
