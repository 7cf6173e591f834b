#pragma once
// Timetables for the route-drawing benchmarks: `trips` trips of company 17, one route per 20 trips
// in two variants (the second without the last stop), and the stops and consecutive stop pairs of
// any timetable's trips, from which the benchmarks draw their stop and arc maps.

#include "BenchTimetable.h"
#include "db/DbSelect.h"

#include <benchmark/benchmark.h>

#include <set>
#include <string>
#include <utility>

namespace bench {

struct RouteTimetable {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string folder = dir.path().toStdString();
  std::unique_ptr<DbDatabase> db;

  explicit RouteTimetable(int trips) {
    ScopedNoticeSink quiet([](const Notice&) {});
    const std::string path = folder + "/percorsi.mdb";
    CreateSeededDatabase(path, CreateMode::Startup);
    db = std::make_unique<DbDatabase>(path);
    DbBatch batch(db.get());
    DbTable master(db.get(), "master"), tescor(db.get(), "tescor"), detcor(db.get(), "detcor");
    Add(master, {{"codice", "0"},
                 {"azienda", "17"},
                 {"datini", "01/01/2024"},
                 {"datfin", "30/06/2024"},
                 {"id_corsa", "0"},
                 {"gruppo", "0"}});
    for (int t = 1; t <= trips; ++t) {
      const std::string id = std::to_string(t), route = std::to_string(t / 20);
      Add(tescor, {{"id", id},
                   {"codcorsa", "C" + id},
                   {"codlinea", "L"},
                   {"verso", "A"},
                   {"parte", "800"},
                   {"arriva", "900"},
                   {"ente", "1"},
                   {"contratt", "1"},
                   {"lung", "1000"},
                   {"tempo", "60"},
                   {"ct_lung", "0"},
                   {"ct_tempo", "0"},
                   {"codperc", "P" + route},
                   {"gruppo", "0"}});
      const int last = t % 2 ? kStopsPerTrip : kStopsPerTrip - 1;
      for (int s = 1; s <= last; ++s)
        Add(detcor, {{"id", id},
                     {"sub", std::to_string(s)},
                     {"fermata", "S" + route + "_" + std::to_string(s)},
                     {"denom", "Fermata"},
                     {"dist", "0"},
                     {"arriva", "800"},
                     {"parte", "800"},
                     {"primaria", "0"},
                     {"facolt", "0"},
                     {"nonferma", "0"},
                     {"reglocal", "0"}});
    }
  }
};

// Every stop code of `detcor` and every ordered pair of consecutive stops of a trip.
struct TripStops {
  std::set<std::string> stops;
  std::set<std::pair<std::string, std::string>> pairs;
};

inline TripStops ReadTripStops(DbDatabase* db) {
  DbSelect select(db);
  select.SetColumns("ID, fermata");
  select.SetFrom("detcor");
  select.SetOrderBy("ID, sub");
  select.SetStreaming(true);
  select.Open();
  TripStops result;
  long current = -1;
  std::string previous;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    const long id = select.LongAt(0);
    const std::string code = select.TrimmedAt(1);
    result.stops.insert(code);
    if (id == current) result.pairs.insert({previous, code});
    current = id;
    previous = code;
  }
  return result;
}

// Times `run(db, folder)` on a RouteTimetable of state.range(0) trips whose maps `maps(db, folder)`
// wrote outside the timing; reports the time per trip and gives the complexity fit its N.
template <class Maps, class Run>
void MeasureRouteDrawing(benchmark::State& state, Maps maps, Run run) {
  const int trips = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    RouteTimetable t(trips);
    maps(t.db.get(), t.folder);
    state.ResumeTiming();
    run(t.db.get(), t.folder);
    state.PauseTiming();
    t.db.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(trips);
  state.counters["per_trip"] =
      benchmark::Counter(trips, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 2,500 to 40,000 trips, doubling, one run each, with a linear fit.
inline void DoublingTrips(benchmark::internal::Benchmark* b) {
  for (int trips = 2500; trips <= 40000; trips *= 2) b->Arg(trips);
  b->Unit(benchmark::kMillisecond)->Iterations(1)->Complexity(benchmark::oN);
}

}  // namespace bench
