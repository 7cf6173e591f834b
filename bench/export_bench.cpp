// Lines per second of the export of the regional files: a generated timetable of 20,000 trips
// with 400,000 stop rows and their periods, written out as the seven files by each variant.
//
// Beside it, a plain select of the stop rows (the same columns and order as RT_DTORA, every value
// fetched once through the SQLite C API, nothing formatted or written): the floor the export's
// stop pass stands on, so that the cost of reading values through the database layer and of
// making the lines shows as the ratio of the two.
//
// BM_ExportAgainstSelectLarge: the plain export of a timetable of 120,000 trips (2,400,000 stop
// rows) against the plain select of its stop rows, best of five runs each: the whole export, every
// file written, as a multiple of the select (export_to_select).
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_TESTS=OFF -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_export && build-bench/bench/bench_export

#include "BenchTimetable.h"
#include "PlainSql.h"
#include "common/Notices.h"
#include "common/WorkProgress.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "exchange/ExportEngine.h"
#include "refdata/Seeding.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

using Data = bench::Timetable;

Data& TheData() {
  static Data d;
  return d;
}

// The time of each file's pass, from the export's own progress reports.
class PassClock : public WorkProgress {
 public:
  void Begin(const std::string& caption) override {
    caption_ = caption;
    start_ = std::chrono::steady_clock::now();
  }
  void Step(long, long) override {}
  void End() override {
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    seconds[caption_] += t;
    auto [it, fresh] = best.emplace(caption_, t);
    if (!fresh && t < it->second) it->second = t;
  }
  std::map<std::string, double> seconds;
  std::map<std::string, double> best;  // the fastest run of each pass: the least disturbed by the machine

 private:
  std::string caption_;
  std::chrono::steady_clock::time_point start_;
};

void Run(benchmark::State& state, ExportOptions options) {
  Data& data = TheData();
  ScopedNoticeSink quiet([](const Notice&) {});
  PassClock clock;
  options.db = data.db.get();
  options.folder = data.out;
  options.progress = &clock;
  ExportResult last;
  double fastest = 0;  // the whole export's best run
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    last = RunExport(options);
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (fastest == 0 || t < fastest) fastest = t;
    if (!last.ok) state.SkipWithError("the export failed");
  }
  // The RT_DTORA pass alone: its selection read, its lines formatted and written.
  const double stopsPass = clock.seconds["Esportazione dati orari: RT_DTORA.TXT"];
  if (stopsPass > 0) {
    const double written = static_cast<double>(last.counts[kTripStopsFile].written);
    state.counters["dtora_pass_lines_per_s"] = written * static_cast<double>(state.iterations()) / stopsPass;
    state.counters["dtora_pass_best_lines_per_s"] = written / clock.best["Esportazione dati orari: RT_DTORA.TXT"];
  }
  // Each pass's best time, to see where the whole export spends it.
  for (const auto& [caption, seconds] : clock.best) {
    const std::string file = caption.substr(caption.rfind(' ') + 1);
    state.counters["ms_" + file.substr(0, file.find('.'))] = seconds * 1000;
  }
  long long lines = 0;
  for (const ExportCount& c : last.counts) lines += c.written;
  const double n = static_cast<double>(state.iterations());
  state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(lines) * n, benchmark::Counter::kIsRate);
  state.counters["dtora_lines"] = static_cast<double>(last.counts[kTripStopsFile].written);
  // The figure that counts: RT_DTORA lines per second of the whole export, every pass included.
  state.counters["dtora_lines_per_s"] =
      benchmark::Counter(static_cast<double>(last.counts[kTripStopsFile].written) * n, benchmark::Counter::kIsRate);
  if (fastest > 0) state.counters["dtora_best_lines_per_s"] = last.counts[kTripStopsFile].written / fastest;
}

void BM_ExportPlain(benchmark::State& state) { Run(state, {}); }

void BM_ExportRenumbered(benchmark::State& state) {
  ExportOptions o;
  o.kind = ExportKind::Renumbered;
  o.firstId = 100000;
  Run(state, o);
}

void BM_ExportDateRange(benchmark::State& state) {
  ExportOptions o;
  o.kind = ExportKind::DateRange;
  o.rangeStart = {2024, 3, 1};
  o.rangeEnd = {2024, 4, 30};
  Run(state, o);
}

// The stop rows of RT_DTORA read once with plain SQLite, each cell fetched once by its column's
// kind; the rows read.
long long PlainStopSelect(sqlite3_stmt* st, long long& sum) {
  long long rows = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    for (int c : {0, 1, 5, 6, 7, 8, 9, 10, 11}) sum += sqlite3_column_int64(st, c);
    for (int c : {2, 3, 4}) sum += sqlite3_column_bytes(st, c) + (sqlite3_column_text(st, c) != nullptr);
    ++rows;
  }
  sqlite3_reset(st);
  return rows;
}

sqlite3_stmt* PrepareStopSelect(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, "
                     "reglocal FROM detcor ORDER BY id, sub",
                     -1, &st, nullptr);
  return st;
}

void BM_PlainStopSelect(benchmark::State& state) {
  Data& data = TheData();
  sqlite3* db = bench::OpenPlain(data.database);
  sqlite3_stmt* st = PrepareStopSelect(db);
  long long rows = 0, sum = 0;
  for (auto _ : state) rows = PlainStopSelect(st, sum);
  benchmark::DoNotOptimize(sum);
  sqlite3_finalize(st);
  sqlite3_close_v2(db);
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(rows) * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

void BM_ExportAgainstSelectLarge(benchmark::State& state) {
  static Data large(120000);
  ScopedNoticeSink quiet([](const Notice&) {});
  ExportOptions options;
  options.db = large.db.get();
  options.folder = large.out;
  double select = 0, exported = 0;
  long long rows = 0, sum = 0;
  long written = 0;
  for (auto _ : state) {
    sqlite3* db = bench::OpenPlain(large.database);
    sqlite3_stmt* st = PrepareStopSelect(db);
    for (int run = 0; run < 5; ++run) {
      const double t = bench::Seconds([&] { rows = PlainStopSelect(st, sum); });
      if (select == 0 || t < select) select = t;
    }
    sqlite3_finalize(st);
    sqlite3_close_v2(db);
    for (int run = 0; run < 5; ++run) {
      ExportResult r;
      const double t = bench::Seconds([&] { r = RunExport(options); });
      if (!r.ok) state.SkipWithError("the export failed");
      written = r.counts[kTripStopsFile].written;
      if (exported == 0 || t < exported) exported = t;
    }
  }
  benchmark::DoNotOptimize(sum);
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["dtora_lines"] = static_cast<double>(written);
  state.counters["select_s"] = select;
  state.counters["export_s"] = exported;
  state.counters["export_to_select"] = exported / select;
}

}  // namespace

BENCHMARK(BM_PlainStopSelect)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();
BENCHMARK(BM_ExportPlain)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();
BENCHMARK(BM_ExportRenumbered)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();
BENCHMARK(BM_ExportDateRange)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();
BENCHMARK(BM_ExportAgainstSelectLarge)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
