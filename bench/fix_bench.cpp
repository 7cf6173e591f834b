// Rows per second of the trip fixes and of the communication quality check on the generated
// timetable (20,000 trips, 400,000 stop rows), in the same run as their plain counterparts:
// - the trip times (every stop row read, each trip's first and last stop row and its head
//   written) and the contract values (every trip read and written) against a plain loop of
//   prepared statements doing the same reads and updates in one transaction; at least 0.25 of the
//   plain loop's rate is asked;
// - the quality check against a plain read of its three selections; at least 0.5 is asked.
// Each fix and its plain loop start from the same copy of the set, and must leave the same rows.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_fix && build-bench/bench/bench_fix

#include "BenchTimetable.h"
#include "PlainSql.h"
#include "utilities/QualityCheck.h"
#include "utilities/TripFixes.h"

#include <benchmark/benchmark.h>
#include <QFile>

namespace {

using bench::Exec;
using bench::OpenPlain;
using bench::Seconds;

// The generated set, closed so that its file can be copied whole.
struct Data {
  bench::Timetable set;
  std::string work = set.folder + "/lavoro.mdb";
  Data() { set.db.reset(); }
  // A fresh copy of the set to work on.
  const std::string& Fresh() {
    QFile::remove(QString::fromStdString(work));
    QFile::copy(QString::fromStdString(set.database), QString::fromStdString(work));
    return work;
  }
};

Data& TheData() {
  static Data d;
  return d;
}

// One text of every value the fixes write, to tell the engine's rows from the plain loop's.
std::string Written(const std::string& path) {
  sqlite3* db = OpenPlain(path);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT (SELECT sum(parte) || '/' || sum(arriva) || '/' || sum(tempo) || '/' || sum(ct_tempo) "
                     "|| '/' || sum(ct_lung) FROM tescor) || '/' || (SELECT sum(arriva) || '/' || sum(parte) FROM "
                     "detcor)",
                     -1, &s, nullptr);
  std::string text = sqlite3_step(s) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0)) : "";
  sqlite3_finalize(s);
  sqlite3_close_v2(db);
  return text;
}

// The fix and the plain loop in turn, each on a fresh copy; the best time of each.
void Compare(benchmark::State& state, AssignmentResult (*fix)(DbDatabase*, WorkProgress*),
             const std::function<long(const std::string&)>& plain) {
  Data& data = TheData();
  ScopedNoticeSink quiet([](const Notice&) {});
  double bestEngine = 0, bestPlain = 0;
  long engineRows = 0, plainRows = 0;
  std::string engineWrote, plainWrote;
  for (auto _ : state) {
    state.PauseTiming();
    auto db = std::make_unique<DbDatabase>(data.Fresh());
    state.ResumeTiming();
    const double e = Seconds([&] { engineRows = fix(db.get(), nullptr).read; });
    db.reset();
    engineWrote = Written(data.work);
    const std::string& path = data.Fresh();
    const double p = Seconds([&] { plainRows = plain(path); });
    plainWrote = Written(path);
    if (bestEngine == 0 || e < bestEngine) bestEngine = e;
    if (bestPlain == 0 || p < bestPlain) bestPlain = p;
  }
  if (engineRows != plainRows) state.SkipWithError("the fix and the plain loop read different row counts");
  if (engineWrote != plainWrote) state.SkipWithError("the fix and the plain loop wrote different values");
  state.counters["rows"] = static_cast<double>(engineRows);
  state.counters["engine_rows_per_s"] = engineRows / bestEngine;
  state.counters["plain_rows_per_s"] = plainRows / bestPlain;
  state.counters["engine_share_of_plain"] = bestPlain / bestEngine;
}

// The trip times by hand: the stop rows of each trip in order, the clock stepped over every time
// given (a day added when it goes back), then the first arrival and the last departure made 9999
// and the head given its departure, arrival and running time. The stop rows read.
long PlainTripTimes(const std::string& path) {
  sqlite3* db = OpenPlain(path);
  Exec(db, "BEGIN");
  sqlite3_stmt *rows = nullptr, *first = nullptr, *last = nullptr, *head = nullptr;
  sqlite3_prepare_v2(db, "SELECT id, sub, arriva, parte FROM detcor ORDER BY id, sub", -1, &rows, nullptr);
  sqlite3_prepare_v2(db, "UPDATE detcor SET arriva = 9999 WHERE id = ?1 AND sub = ?2", -1, &first, nullptr);
  sqlite3_prepare_v2(db, "UPDATE detcor SET parte = 9999 WHERE id = ?1 AND sub = ?2", -1, &last, nullptr);
  sqlite3_prepare_v2(db, "UPDATE tescor SET parte = ?2, arriva = ?3, tempo = ?4, ct_tempo = ?4 WHERE id = ?1", -1,
                     &head, nullptr);
  auto run = [](sqlite3_stmt* s, std::initializer_list<int> values) {
    int at = 0;
    for (int v : values) sqlite3_bind_int(s, ++at, v);
    sqlite3_step(s);
    sqlite3_reset(s);
  };
  long read = 0;
  int id = -1, firstSub = 0, lastSub = 0, departure = 0, arrival = 0, clock = -1, running = 0;
  auto step = [&](int hhmm) {
    if (hhmm == 9999 || hhmm < 0) return;
    const int now = Minutes(hhmm);
    if (clock >= 0) running += now - clock + (now < clock ? 1440 : 0);
    clock = now;
  };
  auto close = [&] {
    if (id < 0) return;
    run(first, {id, firstSub});
    run(last, {id, lastSub});
    run(head, {id, departure, arrival, running});
  };
  while (sqlite3_step(rows) == SQLITE_ROW) {
    ++read;
    const int rowId = sqlite3_column_int(rows, 0), sub = sqlite3_column_int(rows, 1);
    const int arriva = sqlite3_column_int(rows, 2), parte = sqlite3_column_int(rows, 3);
    if (rowId != id) {
      close();
      id = rowId;
      firstSub = sub;
      departure = parte;
      clock = -1;
      running = 0;
    } else {
      step(arriva);
    }
    step(parte);
    lastSub = sub;
    arrival = arriva;
  }
  close();
  for (sqlite3_stmt* s : {rows, first, last, head}) sqlite3_finalize(s);
  Exec(db, "COMMIT");
  sqlite3_close_v2(db);
  return read;
}

// The contract values by hand: each trip's length and running time copied; the trips read.
long PlainContractValues(const std::string& path) {
  return bench::PlainLoop(path, "SELECT id, lung, tempo FROM tescor",
                          "UPDATE tescor SET ct_lung = ?2, ct_tempo = ?3 WHERE id = ?1",
                          [](sqlite3_stmt* select, sqlite3_stmt* update) {
                            for (int k = 0; k < 3; ++k) sqlite3_bind_int(update, k + 1, sqlite3_column_int(select, k));
                          });
}

void BM_TripTimes(benchmark::State& state) { Compare(state, FixTripTimes, PlainTripTimes); }

void BM_ContractValues(benchmark::State& state) {
  {
    // Contract values apart from the real ones, so that every row is really changed.
    sqlite3* db = OpenPlain(TheData().set.database);
    Exec(db, "UPDATE tescor SET ct_lung = 0, ct_tempo = 0");
    sqlite3_close_v2(db);
  }
  Compare(state, AlignContractLengthsAndTimes, PlainContractValues);
}

// The quality check's three selections read by hand, every column of every row; the rows read.
long PlainQualityRead(sqlite3* db) {
  const char* const selections[] = {
      "SELECT fermata, denom, ubicaz, reglocal, primaria, facolt, nonferma FROM detcor ORDER BY fermata, denom, "
      "ubicaz, reglocal",
      "SELECT codcorsa, codlinea, ente, codperc, mezzo FROM tescor ORDER BY codcorsa, codlinea, ente, codperc, mezzo",
      "SELECT id, dist FROM detcor ORDER BY id, sub"};
  long rows = 0;
  for (const char* sql : selections) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
      ++rows;
      for (int k = 0; k < sqlite3_column_count(s); ++k) benchmark::DoNotOptimize(sqlite3_column_text(s, k));
    }
    sqlite3_finalize(s);
  }
  return rows;
}

void BM_QualityCheck(benchmark::State& state) {
  Data& data = TheData();
  ScopedNoticeSink quiet([](const Notice&) {});
  DbDatabase db(data.set.database);
  sqlite3* plain = OpenPlain(data.set.database);
  double bestEngine = 0, bestPlain = 0;
  long rows = 0;
  std::string text;
  for (auto _ : state) {
    const double e = Seconds([&] { text = CommunicationQuality(&db).Texts(); });
    const double p = Seconds([&] { rows = PlainQualityRead(plain); });
    if (bestEngine == 0 || e < bestEngine) bestEngine = e;
    if (bestPlain == 0 || p < bestPlain) bestPlain = p;
  }
  sqlite3_close_v2(plain);
  // The stop check's lines name every stop row as their total.
  if (text.find("su " + std::to_string(bench::kTrips * bench::kStopsPerTrip)) == std::string::npos)
    state.SkipWithError("the check did not count every stop row");
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["engine_rows_per_s"] = rows / bestEngine;
  state.counters["plain_rows_per_s"] = rows / bestPlain;
  state.counters["engine_share_of_plain"] = bestPlain / bestEngine;
}

}  // namespace

BENCHMARK(BM_TripTimes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ContractValues)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QualityCheck)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
