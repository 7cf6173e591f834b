// The two files for the Olvi GIS against the export of the regional files, on the generated
// timetable of 20,000 trips (400,000 stop rows, 1,000 routes) in the same run: FERMATE_OLVI (20,000
// stops) and PERCORSI_OLVI (1,000 routes of 20 stops) each made from the database and written whole,
// then the region's seven files. Lines per second are given for all three; they do not compare:
// the export writes one line for each row it reads, while an Olvi file goes through every stop row
// (and PERCORSI_OLVI every trip too) to write one line for some twenty of them. What compares is
// the rows of the timetable gone through per second (for the export, one per line written, the
// least it reads): each Olvi file must go through them at least half as fast as the export. The
// trips of a route take its name, as Olvi needs.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_TESTS=OFF -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_olvi && build-bench/bench/bench_olvi

#include "BenchExport.h"
#include "BenchTimetable.h"
#include "common/WholeFile.h"
#include "db/DbSelect.h"
#include "exchange/OlviExport.h"

#include <chrono>
#include <cstdio>

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every trip named after its route.
void NameTripsAfterRoutes(bench::Timetable& data) {
  DbBatch batch(data.db.get());
  DbTable tescor(data.db.get(), "tescor");
  tescor.SetIndex("codice");
  for (int t = 1; t <= bench::kTrips; ++t) {
    const std::string id = std::to_string(t);
    if (tescor.SeekEqual({id.c_str()}) && tescor.Edit()) {
      tescor.SetFieldText("denom", "Percorso P" + std::to_string(t % bench::kRoutes));
      tescor.Update();
    }
  }
}

long RowsOf(bench::Timetable& data, const char* table) {
  DbSelect count(data.db.get());
  count.SetColumns("count(*)");
  count.SetFrom(table);
  return count.Open() ? count.LongAt(0) : 0;
}

// The lines of a file's bytes.
long LinesOf(const std::string& bytes) {
  long lines = 0;
  for (const char c : bytes) lines += c == '\n';
  return lines;
}

long Olvi(bench::Timetable& data, OlviFile file) {
  const int company = OlviCompany(data.db.get());
  const OlviExportText text =
      file == OlviFile::Stops ? MakeOlviStops(data.db.get(), company) : MakeOlviRoutes(data.db.get(), company);
  if (text.refusal != OlviRefusal::None) std::fprintf(stderr, "%s refused\n", OlviFileName(file));
  if (!WriteWholeFile(data.out + "/" + OlviFileName(file) + ".TXT", text.bytes))
    std::fprintf(stderr, "%s not written\n", OlviFileName(file));
  return LinesOf(text.bytes);
}

}  // namespace

int main() {
  ScopedNoticeSink quiet([](const Notice&) {});
  bench::Timetable data;
  NameTripsAfterRoutes(data);
  double best[3] = {0, 0, 0};
  long lines[3] = {0, 0, 0};
  for (int run = 0; run < 5; ++run) {
    auto start = std::chrono::steady_clock::now();
    lines[0] = Olvi(data, OlviFile::Stops);
    const double s = Seconds(start);
    start = std::chrono::steady_clock::now();
    lines[1] = Olvi(data, OlviFile::Routes);
    const double r = Seconds(start);
    start = std::chrono::steady_clock::now();
    lines[2] = bench::ExportRegionFiles(data);
    const double e = Seconds(start);
    if (best[0] == 0 || s < best[0]) best[0] = s;
    if (best[1] == 0 || r < best[1]) best[1] = r;
    if (best[2] == 0 || e < best[2]) best[2] = e;
  }
  const double stops = lines[0] / best[0], routes = lines[1] / best[1], exported = lines[2] / best[2];
  std::printf("FERMATE_OLVI:  %ld lines in %.3f s, %.0f lines/s\n", lines[0], best[0], stops);
  std::printf("PERCORSI_OLVI: %ld lines in %.3f s, %.0f lines/s\n", lines[1], best[1], routes);
  std::printf("export:        %ld lines in %.3f s, %.0f lines/s\n", lines[2], best[2], exported);
  const long stopRows = RowsOf(data, "detcor"), tripRows = RowsOf(data, "tescor");
  const double stopsRate = stopRows / best[0], routesRate = (stopRows + tripRows) / best[1];
  std::printf("rows gone through: FERMATE_OLVI %ld, %.0f/s; PERCORSI_OLVI %ld, %.0f/s; export %.0f/s\n", stopRows,
              stopsRate, stopRows + tripRows, routesRate, exported);
  std::printf("ratios of rows/s: %.2f and %.2f (at least 0.5); of lines/s: %.2f and %.2f\n", stopsRate / exported,
              routesRate / exported, stops / exported, routes / exported);
  return stopsRate >= exported / 2 && routesRate >= exported / 2 ? 0 : 1;
}
