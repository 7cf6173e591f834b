// The railway commands' engines on generated data:
// - the itinerary generation (5199: the routes from the database, the stations and the arcs read,
//   the polylines, RT_ITIN written, the report's text) over the 20,000 trips of the import
//   benchmark's timetable, with a station for every stop and an arc between every two consecutive
//   stops;
// - the same over 2,500 to 40,000 trips, doubling, one route per 20 trips in two variants: the
//   time per trip and the complexity fit;
// - the arc generation (5198: the stations and the sections read, both identification passes,
//   ARCHI_FS written) with 2,000 stations and 10,000 sections, a third of them with both ends on
//   stations, a third with one, a third with none.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_railway && build-bench/bench/bench_railway

#include "BenchRoutes.h"
#include "conversions/railway/ItineraryReport.h"
#include "conversions/railway/RailArcs.h"
#include "conversions/railway/RailItineraries.h"
#include "conversions/railway/RailStations.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetWriter.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <map>
#include <stdexcept>

namespace {

const ClockTime kToday{2024, 3, 1, 8, 0, 0};
constexpr int kCompany = 17;

// The station set and the arc set of a timetable: every stop as a station, an arc of three vertices
// between every two consecutive stops of a trip.
void WriteRailMaps(DbDatabase* db, const std::string& folder) {
  const bench::TripStops trips = bench::ReadTripStops(db);
  std::map<std::string, Vertex> at;
  ShapeSetWriter stations(StopsLayout());
  double k = 0;
  for (const std::string& s : trips.stops) {
    at[s] = {k * 100.0, static_cast<double>(static_cast<long>(k) % 97) * 50.0};
    stations.AddPoint(at[s].x, at[s].y, {"17", s, "Stazione"});
    ++k;
  }
  std::string failed;
  stations.WriteTo(folder + "/RT_NODI", kToday, failed);
  ShapeSetWriter arcs(RailArcsLayout());
  for (const auto& [a, b] : trips.pairs) {
    const Vertex p = at[a], q = at[b];
    arcs.AddPolyline(std::vector<Vertex>{p, {(p.x + q.x) / 2, p.y + 30}, q}, {a, b});
  }
  arcs.WriteTo(folder + "/ARCHI_FS", kToday, failed);
}

// Every step of command 5199 but the dialogs and the report's file.
void GenerateItineraries(DbDatabase* db, const std::string& folder) {
  std::string refusal;
  std::vector<ItineraryRoute> routes = ExtractItineraryRoutes(db, nullptr, refusal);
  if (!refusal.empty()) throw std::runtime_error(refusal);
  const StationReading stations = ReadStationSet(folder + "/RT_NODI.SHP", kCompany, nullptr);
  const RailArcReading arcs = ReadArcSet(folder + "/ARCHI_FS.SHP", nullptr);
  ItineraryReport report;
  DrawItineraries(routes, stations.stations, arcs.arcs, report, nullptr);
  const ItineraryWriting writing = WriteItinerarySet(folder + "/RT_ITIN", routes, kCompany, nullptr, kToday);
  benchmark::DoNotOptimize(writing.ok);
  benchmark::DoNotOptimize(report.Text(kToday));
}

void BM_ItineraryScaling(benchmark::State& state) {
  bench::MeasureRouteDrawing(state, WriteRailMaps, GenerateItineraries);
}

void BM_Itineraries20000(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    bench::Timetable t;
    WriteRailMaps(t.db.get(), t.folder);
    state.ResumeTiming();
    GenerateItineraries(t.db.get(), t.folder);
  }
}

constexpr int kStations = 2000;
constexpr int kSections = 10000;

// A fixed pseudo-random sequence, so that every run measures the same sets.
struct Lcg {
  std::uint64_t state = 0x2545F4914F6CDD1DULL;
  double Next(double range) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0 * range;
  }
};

// The stations spread over a 100 km square; every section joins a station to one of its
// neighbours in file order through three inner vertices, its ends on the stations or 30 m off.
struct SectionSets {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string folder = dir.path().toStdString();

  SectionSets() {
    Lcg random;
    std::vector<Vertex> at;
    ShapeSetWriter stations(StopsLayout());
    for (int k = 0; k < kStations; ++k) {
      at.push_back({random.Next(100000.0), random.Next(100000.0)});
      stations.AddPoint(at.back().x, at.back().y, {"17", "ST" + std::to_string(k), "Stazione"});
    }
    std::string failed;
    stations.WriteTo(folder + "/RT_NODI", kToday, failed);
    static const ShapeLayout sectionLayout{"TRATTE", kPolylineShape, {{"ID", 'N', 5}}};
    ShapeSetWriter sections(sectionLayout);
    for (int k = 0; k < kSections; ++k) {
      const Vertex p = at[static_cast<std::size_t>(k % kStations)];
      const Vertex q = at[static_cast<std::size_t>((k % kStations + 1 + k / kStations) % kStations)];
      const double startOff = k % 3 == 2 ? 30.0 : 0.0, endOff = k % 3 == 0 ? 0.0 : 30.0;
      std::vector<Vertex> line{{p.x + startOff, p.y}};
      for (int v = 1; v <= 3; ++v)
        line.push_back({p.x + (q.x - p.x) * v / 4 + random.Next(50.0), p.y + (q.y - p.y) * v / 4});
      line.push_back({q.x, q.y + endOff});
      sections.AddPolyline(line, {std::to_string(k)});
    }
    sections.WriteTo(folder + "/TRATTE", kToday, failed);
  }
};

// Every step of command 5198 but the dialogs.
void BM_ArcGeneration(benchmark::State& state) {
  SectionSets sets;
  for (auto _ : state) {
    const StationReading stations = ReadStationSet(sets.folder + "/RT_NODI.SHP", kCompany, nullptr);
    RailArcReading sections = ReadSectionSet(sets.folder + "/TRATTE.SHP", nullptr);
    IdentifyRailArcs(sections.arcs, stations.stations, nullptr);
    const RailArcWriting writing = WriteRailArcSet(sets.folder + "/ARCHI_FS", sections.arcs, nullptr, kToday);
    benchmark::DoNotOptimize(writing.ok);
    int coded = 0;
    for (const RailArc& arc : sections.arcs.Arcs()) coded += !arc.start.empty() && !arc.end.empty();
    state.counters["arcs"] = sections.arcs.Count();
    state.counters["coded"] = coded;
  }
}

}  // namespace

BENCHMARK(BM_Itineraries20000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ItineraryScaling)->Apply(bench::DoublingTrips);
BENCHMARK(BM_ArcGeneration)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
