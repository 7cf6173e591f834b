// Seconds of the HyperPlan route-code assignment and of the MTram day-type merge, each as the
// command runs it (one batch transaction, rows found by key):
// - the route codes on the generated timetable of the import benchmark (20,000 trips of 20 stops,
//   BenchTimetable.h) grouped into its 1,000 quadri, with a descriptor of its 1,000 routes;
// - the merge of 500 day types over the year 2024 (250 pairs of equal ones, about 240 dates
//   each), each with ten validity periods.
// Each figure is one run on a fresh copy of its database.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_hyperplan && build-bench/bench/bench_hyperplan

#include "BenchTimetable.h"
#include "conversions/hyperplan/MTramCadences.h"
#include "conversions/hyperplan/RouteCodeAssignment.h"
#include "conversions/hyperplan/RouteDescriptor.h"

#include <sqlite3.h>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Exec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) std::fprintf(stderr, "%s\n", error);
  sqlite3_free(error);
  sqlite3_close(db);
}

void RouteCodes() {
  bench::Timetable t;
  t.db.reset();
  Exec(t.database, "UPDATE tescor SET gruppo = id % " + std::to_string(bench::kRoutes));
  std::string text;
  for (int r = 0; r < bench::kRoutes; ++r)
    for (int s = 1; s <= bench::kStopsPerTrip; ++s)
      text += "0;R" + std::to_string(r) + ";" + bench::Stop(r, s).code + "#F;" + std::to_string(s) + ";\r\n";
  const DescriptorReading descriptor = ParseDescriptor(text);
  DbDatabase db(t.database);
  RouteCodeResult result;
  const double seconds = Seconds([&] { result = AssignRouteCodesFromDescriptor(&db, descriptor.routes, nullptr); });
  std::printf("route codes: %d trips, %d matched a descriptor route, %.2f s\n", result.trips, result.matched, seconds);
}

void DayTypes() {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/mtram.mdb";
  {
    ScopedNoticeSink quiet([](const Notice&) {});
    CreateSeededDatabase(path, CreateMode::Startup);
  }
  Exec(path,
       "WITH RECURSIVE k(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM k WHERE n < 499)"
       " INSERT INTO cadenz (codice, denom) SELECT printf('C%03d', n), printf('Cadenza %d', n % 250) FROM k;"
       "WITH RECURSIVE k(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM k WHERE n < 499),"
       " d(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM d WHERE n < 365)"
       " INSERT INTO calend (data, caden, giorno, note) SELECT date('2024-01-01', '+' || d.n || ' days'),"
       " printf('C%03d', k.n), '1', ' ' FROM k, d WHERE (d.n + k.n % 250) % 3 <> 0;"
       "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 5000)"
       " INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
       " ct_tempo, gruppo) SELECT n, 'C' || n, 'L1', 'A', 700, 800, 1, 2, 0, 0, 0, 0, 0 FROM k;"
       "INSERT INTO period (id, caden, inizio, fine, escluso) SELECT id, printf('C%03d', (id - 1) % 500),"
       " '2024-01-01', '2024-12-31', 0 FROM tescor;");
  DbDatabase db(path);
  CadenceRebuildResult result;
  const double seconds = Seconds([&] { result = RebuildMTramCadences(&db, nullptr); });
  std::printf("MTram day types: %d merged, %d periods moved, %d calendar rows deleted, %.2f s\n", result.merged,
              result.periods, result.dates, seconds);
}

}  // namespace

int main() {
  RouteCodes();
  DayTypes();
  return 0;
}
