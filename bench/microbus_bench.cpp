// The MicroBus commands' engines on generated timetables:
// - the route generation (routes and variants from the database, both maps read, the polylines,
//   RT_ITIN written, the trips' codes assigned) over 2,500 to 40,000 trips, doubling: one route
//   per 20 trips in two variants of 20 stops, an arc between every two consecutive stops; the time
//   per trip and the complexity fit;
// - the route generation, the normalisation and the cadence rebuilding over the 20,000 trips of
//   the import benchmark's timetable, given single-day "UNICA" periods for the last two.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_microbus && build-bench/bench/bench_microbus

#include "BenchRoutes.h"
#include "conversions/microbus/MicroBusCadences.h"
#include "conversions/microbus/MicroBusMaps.h"
#include "conversions/microbus/MicroBusNormalisation.h"
#include "conversions/microbus/MicroBusRoutes.h"
#include "conversions/microbus/RouteFile.h"
#include "conversions/microbus/RoutePolylines.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"

#include <benchmark/benchmark.h>
#include <set>
#include <utility>

namespace {

const ClockTime kToday{2024, 3, 1, 8, 0, 0};

// The two maps of a timetable: every stop code of `detcor` as a point, and an arc of three
// vertices between every two consecutive stops of a trip.
void WriteMaps(DbDatabase* db, const std::string& folder) {
  const bench::TripStops trips = bench::ReadTripStops(db);
  const std::set<std::string>& stops = trips.stops;
  const std::set<std::pair<std::string, std::string>>& arcs = trips.pairs;
  std::map<std::string, Vertex> at;
  ShapeSetWriter nodes(StopsLayout());
  double k = 0;
  for (const std::string& s : stops) {
    at[s] = {k * 100.0, static_cast<double>(static_cast<long>(k) % 97) * 50.0};
    nodes.AddPoint(at[s].x, at[s].y, {"17", s, "Fermata"});
    ++k;
  }
  std::string failed;
  nodes.WriteTo(folder + "/RT_NODI", kToday, failed);
  const ShapeColumn from{"ABBREVIAZI", 'X', 10}, to{"ABBREVIA0", 'X', 10};
  static const ShapeLayout arcLayout{"ARCHI", kPolylineShape, {from, to}};
  ShapeSetWriter lines(arcLayout);
  for (const auto& [a, b] : arcs) {
    const Vertex p = at[a], q = at[b];
    lines.AddPolyline(std::vector<Vertex>{p, {(p.x + q.x) / 2, p.y + 30}, q}, {a, b});
  }
  lines.WriteTo(folder + "/ARCHI", kToday, failed);
}

// Every step of command 5195 but the dialogs and the report's file.
void GenerateRoutes(DbDatabase* db, const std::string& folder) {
  RouteTable routes;
  LoadRoutes(db, routes, nullptr);
  MapStopTable stops;
  MapArcTable arcs;
  ReadMicroBusStops(folder + "/RT_NODI.SHP", 17, stops, nullptr);
  ReadMicroBusArcs(folder + "/ARCHI.SHP", arcs, nullptr);
  RouteReport report;
  BuildRoutePolylines(routes, stops, arcs, report, nullptr);
  DbBatch batch(db);
  CheckRoutesUnchanged(db, routes);
  WriteMicroBusRoutes(folder + "/RT_ITIN", routes, 17, kToday);
  AssignVariantCodes(batch, db, routes, nullptr);
  benchmark::DoNotOptimize(RouteReportText(report, kToday));
}

void BM_RouteGenerationScaling(benchmark::State& state) {
  bench::MeasureRouteDrawing(state, WriteMaps, GenerateRoutes);
}

void BM_RouteGeneration20000(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    bench::Timetable t;
    WriteMaps(t.db.get(), t.folder);
    state.ResumeTiming();
    GenerateRoutes(t.db.get(), t.folder);
  }
}

// The import benchmark's timetable with its periods made single days of "UNICA": each trip runs
// on three days, the same for every trip of a route and direction, so that most trips merge.
void MakeMicroBusPeriods(DbDatabase* db, int trips) {
  DbBatch batch(db);
  DbTable cadenz(db, "cadenz"), period(db, "period");
  period.SetIndex("codice");
  bench::Add(cadenz, {{"codice", "UNICA"}, {"denom", "Unica"}});
  for (int t = 1; t <= trips; ++t) {
    const std::string id = std::to_string(t);
    for (const char* from : {"01/01/2024", "01/04/2024"}) {
      const char* to = from[3] == '0' && from[4] == '1' ? "31/03/2024" : "30/06/2024";
      if (period.SeekEqual({id.c_str(), from, to})) period.Delete();
    }
    for (int k = 0; k < 3; ++k)
      bench::Add(period, {{"id", id},
                          {"caden", "UNICA"},
                          {"inizio", bench::Date((t / 1000 + k * 60) % bench::kHalfYearDays)},
                          {"fine", bench::Date((t / 1000 + k * 60) % bench::kHalfYearDays)},
                          {"escluso", "0"}});
  }
}

void BM_Normalisation20000(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    bench::Timetable t(bench::kTrips, [](int) { return std::string("C"); });
    MakeMicroBusPeriods(t.db.get(), bench::kTrips);
    state.ResumeTiming();
    const NormalisationResult r = MergeMicroBusTrips(t.db.get(), nullptr);
    state.counters["deleted"] = r.deleted;
  }
}

void BM_Cadences20000(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    bench::Timetable t;
    MakeMicroBusPeriods(t.db.get(), bench::kTrips);
    state.ResumeTiming();
    const CadencePlan plan = PlanMicroBusCadences(t.db.get());
    RebuildMicroBusCadences(t.db.get(), plan, nullptr);
    state.counters["patterns"] = static_cast<double>(plan.patterns.size());
  }
}

}  // namespace

BENCHMARK(BM_RouteGenerationScaling)->Apply(bench::DoublingTrips);
BENCHMARK(BM_RouteGeneration20000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Normalisation20000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Cadences20000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
