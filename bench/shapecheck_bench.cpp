// Seconds of the shapefile checks 5168 and 5169 as the commands run them (reading the set, the
// timetable's grouped selection, the lookups, the verdict and the report's text) on the generated
// timetable of the import benchmark (20,000 trips of 20 stops on 1,000 routes, BenchTimetable.h)
// against an RT_NODI of its 20,000 stops and an RT_ITIN of its 1,000 routes.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_shapecheck && build-bench/bench/bench_shapecheck

#include "BenchTimetable.h"
#include "conversions/shapechecks/ShapeCheck.h"
#include "conversions/shapefiles/ShapeSetWriter.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

const ClockTime kToday{2024, 3, 1, 8, 0, 0};

void Check(bench::Timetable& t, ShapeCheckKind kind, const std::string& path, const char* what) {
  const auto start = std::chrono::steady_clock::now();
  ShapeCheckReading reading = ReadShapeCheckSet(kind, path, 17, nullptr);
  CompareWithTimetable(t.db.get(), reading.check);
  const ShapeVerdict verdict = JudgeShapeCheck(reading.check);
  const std::string report = ShapeCheckReportText(reading.check, t.database, path, kToday);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %zu entries, %zu missing, %zu names differ, verdict %c, report %zu bytes, %.2f s\n", what,
              reading.check.Matches().size(), reading.check.Missing().size(), reading.check.Mismatched().size(),
              verdict.letter, report.size(), seconds);
}

}  // namespace

int main() {
  bench::Timetable t;
  ShapeSetWriter stops(StopsLayout()), routes(RoutesLayout());
  for (int r = 0; r < bench::kRoutes; ++r) {
    for (int s = 1; s <= bench::kStopsPerTrip; ++s) {
      const bench::StopTexts stop = bench::Stop(r, s);
      stops.AddPoint(r, s, {"17", stop.code, stop.name});
    }
    routes.AddPolyline(std::vector<Vertex>{{0.0, 0.0}, {1.0, r * 1.0}}, {"17", "P" + std::to_string(r), "Percorso"});
  }
  std::string failed;
  if (!stops.WriteTo(t.out + "/RT_NODI", kToday, failed) || !routes.WriteTo(t.out + "/RT_ITIN", kToday, failed)) {
    std::fprintf(stderr, "cannot write %s\n", failed.c_str());
    return 1;
  }
  Check(t, ShapeCheckKind::Stops, t.out + "/RT_NODI.SHP", "stops (5168)");
  Check(t, ShapeCheckKind::Routes, t.out + "/RT_ITIN.SHP", "routes (5169)");
  return 0;
}
