// Lines per second of the export of the regional files: a generated timetable of 20,000 trips
// with 400,000 stop rows and their periods, written out as the seven files by each variant.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_export && build-bench/bench/bench_export

#include "BenchData.h"
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

using bench::kRoutes;
using bench::kStopsPerTrip;
using bench::kTrips;

using bench::Hhmm;

// Adds one row: the fields as (name, text) pairs.
constexpr auto Add = &bench::AddRow;

struct Data {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string folder = dir.path().toStdString();
  std::string database = folder + "/export.mdb";
  std::string out = folder + "/uscita";
  std::unique_ptr<DbDatabase> db;

  Data() {
    ScopedNoticeSink quiet([](const Notice&) {});
    CreateSeededDatabase(database, CreateMode::Startup);
    QDir().mkpath(QString::fromStdString(out));
    db = std::make_unique<DbDatabase>(database);
    DbBatch batch(db.get());
    DbTable master(db.get(), "master"), cadenz(db.get(), "cadenz"), calend(db.get(), "calend"),
        tescor(db.get(), "tescor"), detcor(db.get(), "detcor"), period(db.get(), "period");
    bench::AddHalfYear(master, cadenz, calend);
    for (int t = 1; t <= kTrips; ++t) {
      const std::string id = std::to_string(t), route = std::to_string(t % kRoutes);
      Add(tescor, {{"id", id},
                   {"codcorsa", "C" + id},
                   {"codlinea", "L" + route},
                   {"verso", t % 2 ? "A" : "R"},
                   {"parte", "0"},
                   {"arriva", "2359"},
                   {"ente", "1"},
                   {"contratt", std::to_string(t % 50)},
                   {"lung", "16150"},
                   {"tempo", "40"},
                   {"ct_lung", "16150"},
                   {"ct_tempo", "40"},
                   {"codperc", "P" + route},
                   {"denom", "Corsa " + id},
                   {"gruppo", "-1"}});
      for (int s = 1; s <= kStopsPerTrip; ++s) {
        const bench::StopTexts stop = bench::Stop(t, s);
        Add(detcor, {{"id", id},
                     {"sub", std::to_string(s)},
                     {"fermata", stop.code},
                     {"denom", stop.name},
                     {"ubicaz", stop.place},
                     {"dist", std::to_string((s - 1) * 850)},
                     {"arriva", std::to_string(stop.arrives)},
                     {"parte", std::to_string(stop.leaves)},
                     {"primaria", s == 1 ? "1" : "0"},
                     {"facolt", "0"},
                     {"nonferma", "0"},
                     {"reglocal", std::to_string(s % 3 == 0 ? t % 200 + 1 : 0)}});
      }
      Add(period, {{"id", id},
                   {"caden", t % 5 ? "FER" : "FES"},
                   {"inizio", "01/01/2024"},
                   {"fine", "31/03/2024"},
                   {"escluso", "0"}});
      Add(period, {{"id", id},
                   {"caden", t % 5 ? "FER" : "FES"},
                   {"inizio", "01/04/2024"},
                   {"fine", "30/06/2024"},
                   {"escluso", "0"}});
    }
  }
};

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
    if (!last.complete) state.SkipWithError("the export failed");
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

}  // namespace

BENCHMARK(BM_ExportPlain)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();
BENCHMARK(BM_ExportRenumbered)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();
BENCHMARK(BM_ExportDateRange)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();

BENCHMARK_MAIN();
