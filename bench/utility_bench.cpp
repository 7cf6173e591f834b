// Rows per second of the batch utilities on the generated timetable (20,000 trips, 400,000 stop
// rows): the stop-code assignment over every stop row, the trip-code assignment over every trip,
// the clean-up of the stop codes over every stop row and the normalisation of a stop of 20,000
// rows, each beside a plain loop of prepared statements doing the same reads and updates in one
// transaction, in the same run; and the duplicate-trip fix on the same set with 2,000 copies.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_utility && build-bench/bench/bench_utility

#include "BenchData.h"
#include "PlainSql.h"
#include "common/Notices.h"
#include "db/DbDatabase.h"
#include "refdata/Seeding.h"
#include "utilities/CleanUps.h"
#include "utilities/CodeAssignment.h"
#include "utilities/DuplicateTrips.h"
#include "utilities/Normalisation.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using bench::Exec;
using bench::kRoutes;
using bench::kStopsPerTrip;
using bench::kTrips;
using bench::OpenPlain;
using bench::PlainLoop;
using bench::Seconds;
constexpr int kDays = bench::kHalfYearDays;
constexpr int kDuplicates = 2000;  // copies of trips 1 to 2,000

// The generated timetable; with `copies`, trips 20,001 to 22,000 copy the heads, stops and periods
// of trips 1 to 2,000.
void Generate(const std::string& path, bool copies) {
  {
    ScopedNoticeSink quiet([](const Notice&) {});
    CreateSeededDatabase(path, CreateMode::Startup);
  }
  sqlite3* db = OpenPlain(path);
  Exec(db,
       "BEGIN;"
       "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) VALUES (0, 17, '2024-01-01', "
       "'2024-06-30', 20001, 0);"
       "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');");
  sqlite3_stmt* calend = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO calend VALUES (date('2024-01-01', '+' || ?1 || ' days'), ?2, ?3, 'nota')", -1,
                     &calend, nullptr);
  for (int d = 0; d < kDays; ++d) {
    sqlite3_bind_int(calend, 1, d);
    sqlite3_bind_text(calend, 2, d % 7 == 6 ? "FES" : "FER", -1, SQLITE_STATIC);
    sqlite3_bind_text(calend, 3, std::to_string(d % 7 + 1).c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(calend);
    sqlite3_reset(calend);
  }
  sqlite3_finalize(calend);
  sqlite3_stmt *head = nullptr, *stop = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo,"
                     " ct_lung, ct_tempo, codperc, denom, gruppo) VALUES (?1, 'C' || ?2, 'L' || ?3, ?4, ?5, ?6, 1,"
                     " ?2 % 50, 16150, 40, 16150, 40, 'P' || ?3, 'Corsa ' || ?2, ?3)",
                     -1, &head, nullptr);
  sqlite3_prepare_v2(db,
                     "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt,"
                     " nonferma, reglocal) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?2 = 1, 0, 0, 0)",
                     -1, &stop, nullptr);
  const int last = copies ? kTrips + kDuplicates : kTrips;
  for (int id = 1; id <= last; ++id) {
    const int t = id > kTrips ? id - kTrips : id;  // the trip a copy copies
    const int start = 300 + (t * 7) % 900;
    sqlite3_bind_int(head, 1, id);
    sqlite3_bind_int(head, 2, t);
    sqlite3_bind_int(head, 3, t % kRoutes);
    sqlite3_bind_text(head, 4, t % 2 ? "A" : "R", -1, SQLITE_STATIC);
    sqlite3_bind_int(head, 5, bench::Hhmm(start));
    sqlite3_bind_int(head, 6, bench::Hhmm(start + 2 * kStopsPerTrip));
    sqlite3_step(head);
    sqlite3_reset(head);
    for (int s = 1; s <= kStopsPerTrip; ++s) {
      const bench::StopTexts texts = bench::Stop(t, s);
      sqlite3_bind_int(stop, 1, id);
      sqlite3_bind_int(stop, 2, s);
      sqlite3_bind_text(stop, 3, texts.code, -1, SQLITE_STATIC);
      sqlite3_bind_text(stop, 4, texts.name, -1, SQLITE_STATIC);
      sqlite3_bind_text(stop, 5, texts.place, -1, SQLITE_STATIC);
      sqlite3_bind_int(stop, 6, (s - 1) * 850);
      sqlite3_bind_int(stop, 7, texts.arrives);
      sqlite3_bind_int(stop, 8, texts.leaves);
      sqlite3_step(stop);
      sqlite3_reset(stop);
    }
  }
  sqlite3_finalize(head);
  sqlite3_finalize(stop);
  // Two periods a trip; a copy runs from March on, so that it shares days with its trip.
  Exec(db,
       "INSERT INTO period SELECT id, CASE WHEN id % 5 THEN 'FER' ELSE 'FES' END, '2024-01-01', '2024-03-31', 0"
       " FROM tescor WHERE id <= 20000;"
       "INSERT INTO period SELECT id, CASE WHEN id % 5 THEN 'FER' ELSE 'FES' END, '2024-04-01', '2024-06-30', 0"
       " FROM tescor WHERE id <= 20000;"
       "INSERT INTO period SELECT id, CASE WHEN (id - 20000) % 5 THEN 'FER' ELSE 'FES' END, '2024-03-01', "
       "'2024-06-30', 0 FROM tescor WHERE id > 20000;"
       "COMMIT;");
  sqlite3_close_v2(db);
}

struct Data {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string plain = dir.path().toStdString() + "/codici.mdb";
  std::string withCopies = dir.path().toStdString() + "/doppie.mdb";
  std::string work = dir.path().toStdString() + "/lavoro.mdb";
  Data() {
    Generate(plain, false);
    Generate(withCopies, true);
  }
};

Data& TheData() {
  static Data d;
  return d;
}

// The plain loop of the stop codes: the same selection, the same counter, one update per row.
long PlainStopCodes(const std::string& path) {
  std::string name, place, thisName, thisPlace;
  int counter = 0;
  char code[32];
  return PlainLoop(path, "SELECT id, sub, denom, ubicaz FROM detcor ORDER BY denom, ubicaz",
                   "UPDATE detcor SET fermata = ?1 WHERE id = ?2 AND sub = ?3",
                   [&](sqlite3_stmt* select, sqlite3_stmt* update) {
                     const auto* n = reinterpret_cast<const char*>(sqlite3_column_text(select, 2));
                     const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(select, 3));
                     thisName = n ? n : "";
                     thisPlace = p ? p : "";
                     while (!thisName.empty() && thisName.back() == ' ') thisName.pop_back();
                     while (!thisPlace.empty() && thisPlace.back() == ' ') thisPlace.pop_back();
                     if (thisName != name || thisPlace != place) {
                       ++counter;
                       name.swap(thisName);
                       place.swap(thisPlace);
                     }
                     std::snprintf(code, sizeof code, "AUTO%05d", counter);
                     sqlite3_bind_text(update, 1, code, -1, SQLITE_STATIC);
                     sqlite3_bind_int(update, 2, sqlite3_column_int(select, 0));
                     sqlite3_bind_int(update, 3, sqlite3_column_int(select, 1));
                   });
}

// The plain loop of the trip codes.
long PlainTripCodes(const std::string& path) {
  long counter = 1;
  char code[32];
  return PlainLoop(path, "SELECT id FROM tescor ORDER BY gruppo, codlinea, id",
                   "UPDATE tescor SET codcorsa = ?1 WHERE id = ?2", [&](sqlite3_stmt* select, sqlite3_stmt* update) {
                     std::snprintf(code, sizeof code, "%06ld", counter++);
                     sqlite3_bind_text(update, 1, code, -1, SQLITE_STATIC);
                     sqlite3_bind_int(update, 2, sqlite3_column_int(select, 0));
                   });
}

// The engine and the plain loop in turn on the same file; the best time of each.
void Compare(benchmark::State& state, const std::function<long(DbDatabase*)>& engine,
             const std::function<long(const std::string&)>& plain) {
  const std::string& path = TheData().plain;
  ScopedNoticeSink quiet([](const Notice&) {});
  double bestEngine = 0, bestPlain = 0;
  long engineRows = 0, plainRows = 0;
  for (auto _ : state) {
    const double e = Seconds([&] {
      DbDatabase db(path);
      engineRows = engine(&db);
    });
    const double p = Seconds([&] { plainRows = plain(path); });
    if (bestEngine == 0 || e < bestEngine) bestEngine = e;
    if (bestPlain == 0 || p < bestPlain) bestPlain = p;
  }
  if (engineRows != plainRows) state.SkipWithError("the engine and the plain loop wrote different row counts");
  state.counters["rows"] = static_cast<double>(engineRows);
  state.counters["engine_rows_per_s"] = engineRows / bestEngine;
  state.counters["plain_rows_per_s"] = plainRows / bestPlain;
  // At least 0.25 is asked.
  state.counters["engine_share_of_plain"] = bestPlain / bestEngine;
}

void BM_StopCodes(benchmark::State& state) {
  Compare(
      state, [](DbDatabase* db) { return static_cast<long>(AssignStopCodes(db, true, nullptr).updated); },
      PlainStopCodes);
}

void BM_TripCodes(benchmark::State& state) {
  Compare(
      state, [](DbDatabase* db) { return static_cast<long>(AssignTripCodes(db, nullptr).updated); }, PlainTripCodes);
}

// The duplicate-trip fix, from a fresh copy of the set each time: the copies found (the report's
// text made) and moved.
void BM_DuplicateTrips(benchmark::State& state) {
  Data& data = TheData();
  ScopedNoticeSink quiet([](const Notice&) {});
  double best = 0;
  DuplicateShiftResult last;
  int found = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(QString::fromStdString(data.work));
    QFile::copy(QString::fromStdString(data.withCopies), QString::fromStdString(data.work));
    state.ResumeTiming();
    const double t = Seconds([&] {
      DbDatabase db(data.work);
      const DuplicateTripSet set = FindDuplicateTrips(&db, nullptr);
      found = set.Duplicates();
      benchmark::DoNotOptimize(DuplicateTripReportText(set, data.work, {}));
      last = ShiftDuplicateTrips(&db, set, nullptr);
    });
    if (best == 0 || t < best) best = t;
  }
  if (found != kDuplicates || last.trips != kDuplicates) state.SkipWithError("not every copy was found and moved");
  state.counters["copies"] = found;
  state.counters["stop_rows_moved"] = last.rows;
  state.counters["best_ms"] = best * 1000;
  state.counters["trips_per_s"] = (kTrips + kDuplicates) / best;
}

// The plain loop of the stop-code clean-up.
long PlainClearStopCodes(const std::string& path) {
  return PlainLoop(path, "SELECT id, sub FROM detcor", "UPDATE detcor SET fermata = NULL WHERE id = ?1 AND sub = ?2",
                   [](sqlite3_stmt* select, sqlite3_stmt* update) {
                     sqlite3_bind_int(update, 1, sqlite3_column_int(select, 0));
                     sqlite3_bind_int(update, 2, sqlite3_column_int(select, 1));
                   });
}

void BM_ClearStopCodes(benchmark::State& state) {
  Compare(
      state, [](DbDatabase* db) { return static_cast<long>(ClearCodes(db, CleanUp::StopCodes, nullptr).updated); },
      PlainClearStopCodes);
}

// The first stop of every trip spelt alike: one stop of 20,000 rows. The engine gives it code
// "PH", the plain loop gives it "PG" back, so that each finds the rows the other wrote.
void BM_NormalizeStop(benchmark::State& state) {
  {
    sqlite3* db = OpenPlain(TheData().plain);
    Exec(db, "UPDATE detcor SET fermata = 'PG', denom = 'Piazza Grande', ubicaz = NULL WHERE sub = 1");
    sqlite3_close_v2(db);
  }
  Compare(
      state,
      [](DbDatabase* db) {
        return static_cast<long>(
            NormalizeStops(db, {"PG", "Piazza Grande", ""}, {"PH", "Piazza Grande", ""}, nullptr).updated);
      },
      [](const std::string& path) {
        return PlainLoop(path,
                         "SELECT id, sub FROM detcor WHERE fermata = 'PH' AND denom = 'Piazza Grande' AND"
                         " (ubicaz IS NULL OR ubicaz = ' ') ORDER BY id, sub",
                         "UPDATE detcor SET fermata = 'PG', denom = 'Piazza Grande', ubicaz = NULL WHERE id = ?1 AND"
                         " sub = ?2",
                         [](sqlite3_stmt* select, sqlite3_stmt* update) {
                           sqlite3_bind_int(update, 1, sqlite3_column_int(select, 0));
                           sqlite3_bind_int(update, 2, sqlite3_column_int(select, 1));
                         });
      });
}

}  // namespace

BENCHMARK(BM_StopCodes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TripCodes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DuplicateTrips)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ClearStopCodes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_NormalizeStop)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
