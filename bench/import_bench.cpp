// Rows per second of the whole import of the regional files (the six imports with all their
// checks, then the grouping of the trips into quadri), beside a plain prepared-statement insert of
// the same rows into the same kind of database, in the same run.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_import && build-bench/bench/bench_import

#include "BenchData.h"
#include "app/commands/WholeImportCommand.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "exchange/RecordLayouts.h"
#include "platform/Ui.h"
#include "refdata/Seeding.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kTrips = 20000;
constexpr int kStopsPerTrip = 20;
constexpr int kRoutes = 1000;  // distinct stop sequences: the trips fall into this many quadri
constexpr int kDays = 182;     // 01/01/2024 - 30/06/2024

struct Stop {
  int id, sub, dist, arrival, departure;
  std::string code, name, place;
};

using bench::Hhmm;

Stop MakeStop(int trip, int sub) {
  const int route = trip % kRoutes;
  const int start = 300 + (trip * 7) % 900;
  char code[16], name[48], place[48];
  std::snprintf(code, sizeof code, "F%04d%02d", route, sub);
  std::snprintf(name, sizeof name, "Fermata %d della linea %d", sub, route);
  std::snprintf(place, sizeof place, "Via Città di Lucca %d", sub * 3);
  return {trip,
          sub,
          (sub - 1) * 850,
          sub == 1 ? 9999 : Hhmm(start + 2 * sub),
          sub == kStopsPerTrip ? 9999 : Hhmm(start + 2 * sub + 1),
          code,
          name,
          place};
}

using bench::Date;

void Write(const std::string& path, const RecordLayout& layout, const std::vector<std::vector<std::string>>& rows) {
  std::string text, line, error;
  for (const auto& values : rows) {
    if (!FormatRecord(layout, values, line, error)) std::fprintf(stderr, "%s\n", error.c_str());
    text += line + "\r\n";
  }
  QFile f(QString::fromStdString(path));
  f.open(QIODevice::WriteOnly);
  f.write(text.data(), static_cast<qint64>(text.size()));
}

long long g_rows = 0;

// The six files of the generated timetable.
void WriteFiles(const std::string& folder) {
  std::vector<std::vector<std::string>> rows;
  Write(folder + "/RT_PROTO.TXT", ProtocolLayout(), {{"17", "15/01/2024", "42", "01/01/2024", "30/06/2024", "Rossi"}});
  Write(folder + "/RT_CADEN.TXT", CadenceLayout(), {{"17", "FER", "Feriale"}, {"17", "FES", "Festivo"}});
  for (int d = 0; d < kDays; ++d) rows.push_back({"17", Date(d), "", d % 7 == 6 ? "FES" : "FER"});
  Write(folder + "/RT_CALEN.TXT", CalendarLayout(), rows);
  rows.clear();
  for (int t = 1; t <= kTrips; ++t)
    rows.push_back({"17", std::to_string(t), "C" + std::to_string(t), "1", std::to_string(t % 50), "16150", "40",
                    "16150", "40", "L" + std::to_string(t % kRoutes), t % 2 ? "A" : "R",
                    "P" + std::to_string(t % kRoutes), "Corsa " + std::to_string(t)});
  Write(folder + "/RT_HDORA.TXT", TripHeadLayout(), rows);
  rows.clear();
  for (int t = 1; t <= kTrips; ++t)
    for (int s = 1; s <= kStopsPerTrip; ++s) {
      const Stop x = MakeStop(t, s);
      rows.push_back({"17", std::to_string(t), std::to_string(s), x.code, x.name, x.place, std::to_string(x.dist),
                      std::to_string(x.arrival), std::to_string(x.departure), s == 1 ? "1" : "0", "0", "0"});
    }
  Write(folder + "/RT_DTORA.TXT", TripDetailLayout(), rows);
  rows.clear();
  for (int t = 1; t <= kTrips; ++t)
    rows.push_back({"17", std::to_string(t), t % 5 ? "FER" : "FES", "20240101", "20240630", "0"});
  Write(folder + "/RT_PERIOD.TXT", PeriodLayout(), rows);
  g_rows = 1 + 2 + kDays + kTrips + static_cast<long long>(kTrips) * kStopsPerTrip + kTrips;
}

struct Data {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string folder, templ;
  Data() {
    folder = dir.path().toStdString();
    WriteFiles(folder);
    templ = folder + "/template.mdb";
    std::unique_ptr<ui::Script> quiet;
    if (!ui::Script::Current()) quiet = std::make_unique<ui::Script>();
    CreateSeededDatabase(templ, CreateMode::Startup);
    DbDatabase db(templ);
    DbTable master(&db, "master");
    master.AddNew();
    master.SetFieldText("codice", "0");
    master.SetFieldText("azienda", "17");
    master.SetFieldText("datini", "01/01/2024");
    master.SetFieldText("datfin", "30/06/2024");
    master.SetFieldText("id_corsa", "0");
    master.SetFieldText("gruppo", "0");
    master.Update();
  }
  std::string Fresh(const char* name) const {
    const std::string path = folder + "/" + name;
    QFile::remove(QString::fromStdString(path));
    QFile::copy(QString::fromStdString(templ), QString::fromStdString(path));
    return path;
  }
};

Data& TheData() {
  static Data d;
  return d;
}

void SetRate(benchmark::State& state) {
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(g_rows) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_WholeImport(benchmark::State& state) {
  ui::Script script;
  Data& data = TheData();
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = data.Fresh("import.mdb");
    script.Clear();
    state.ResumeTiming();
    DbDatabase db(path);
    std::string folder;
    const bool ok = RunWholeImport({&db, &folder,
                                    [&](ImportKind kind, std::string& file) {
                                      file = data.folder + "/" + DescriptorOf(kind).layout().fileName;
                                      return true;
                                    },
                                    nullptr});
    if (!ok || script.Messages().size() != 1) state.SkipWithError("the whole import did not succeed");
  }
  SetRate(state);
}

void Bind(sqlite3_stmt* st, int k, const std::string& text) {
  if (text.empty())
    sqlite3_bind_null(st, k);
  else
    sqlite3_bind_text(st, k, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void Step(sqlite3* db, sqlite3_stmt* st) {
  if (sqlite3_step(st) != SQLITE_DONE) std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
  sqlite3_reset(st);
}

void PlainInsert(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  sqlite3_exec(db, "PRAGMA foreign_keys=ON; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; BEGIN", nullptr,
               nullptr, nullptr);
  sqlite3_exec(db, "UPDATE master SET p_data='2024-01-15', protoc=42, resple='Rossi' WHERE codice=0", nullptr, nullptr,
               nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO cadenz (codice, denom) VALUES (?1, ?2)", -1, &st, nullptr);
  for (const char* c : {"FER", "FES"}) {
    Bind(st, 1, c);
    Bind(st, 2, c);
    Step(db, st);
  }
  sqlite3_finalize(st);
  sqlite3_prepare_v2(db, "INSERT INTO calend (data, caden, giorno, note) VALUES (?1, ?2, ?3, ?4)", -1, &st, nullptr);
  for (int d = 0; d < kDays; ++d) {
    const std::string date = Date(d);
    Bind(st, 1, "2024-" + date.substr(3, 2) + "-" + date.substr(0, 2));
    Bind(st, 2, d % 7 == 6 ? "FES" : "FER");
    Bind(st, 3, std::to_string(d % 7 + 1));
    Bind(st, 4, " ");
    Step(db, st);
  }
  sqlite3_finalize(st);
  sqlite3_prepare_v2(db,
                     "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, "
                     "ct_lung, ct_tempo, codperc, denom, gruppo) VALUES (?1, ?2, ?3, ?4, 0, 2359, 1, ?5, 16150, 40, "
                     "16150, 40, ?6, ?7, -1)",
                     -1, &st, nullptr);
  for (int t = 1; t <= kTrips; ++t) {
    sqlite3_bind_int(st, 1, t);
    Bind(st, 2, "C" + std::to_string(t));
    Bind(st, 3, "L" + std::to_string(t % kRoutes));
    Bind(st, 4, t % 2 ? "A" : "R");
    sqlite3_bind_int(st, 5, t % 50);
    Bind(st, 6, "P" + std::to_string(t % kRoutes));
    Bind(st, 7, "Corsa " + std::to_string(t));
    Step(db, st);
  }
  sqlite3_finalize(st);
  sqlite3_prepare_v2(db,
                     "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, "
                     "nonferma, reglocal) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, 0, 0, 0)",
                     -1, &st, nullptr);
  for (int t = 1; t <= kTrips; ++t)
    for (int s = 1; s <= kStopsPerTrip; ++s) {
      const Stop x = MakeStop(t, s);
      sqlite3_bind_int(st, 1, t);
      sqlite3_bind_int(st, 2, s);
      Bind(st, 3, x.code);
      Bind(st, 4, x.name);
      Bind(st, 5, x.place);
      sqlite3_bind_int(st, 6, x.dist);
      sqlite3_bind_int(st, 7, x.arrival);
      sqlite3_bind_int(st, 8, x.departure);
      sqlite3_bind_int(st, 9, s == 1);
      Step(db, st);
    }
  sqlite3_finalize(st);
  sqlite3_prepare_v2(db,
                     "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (?1, ?2, '2024-01-01', "
                     "'2024-06-30', 0)",
                     -1, &st, nullptr);
  for (int t = 1; t <= kTrips; ++t) {
    sqlite3_bind_int(st, 1, t);
    Bind(st, 2, t % 5 ? "FER" : "FES");
    Step(db, st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db);
}

void BM_PlainInsert(benchmark::State& state) {
  Data& data = TheData();
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = data.Fresh("plain.mdb");
    state.ResumeTiming();
    PlainInsert(path);
  }
  SetRate(state);
}

}  // namespace

BENCHMARK(BM_WholeImport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainInsert)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
