// Rows per second of the whole import of the regional files (the six imports with all their
// checks, then the grouping of the trips into quadri), beside a plain prepared-statement insert of
// the same rows into the same kind of database, in the same run; the peak memory of the whole
// import; and the time of each of its steps. Three sizes: 20,000 trips (400,000 stop rows),
// 100,000 trips (2,000,000 stop rows) and, against the plain insert alone, 120,000 (2,400,000).
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_import && build-bench/bench/bench_import

#include "BenchData.h"
#include "app/commands/GroupingCommand.h"
#include "app/commands/WholeImportCommand.h"
#include "common/Notices.h"
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
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kStopsPerTrip = 20;
constexpr int kRoutes = 1000;  // distinct stop sequences: the trips fall into this many quadri
constexpr int kDays = bench::kHalfYearDays;

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

// A file written record by record, never held whole.
class RecordFile {
 public:
  RecordFile(const std::string& path, const RecordLayout& layout)
      : file_(QString::fromStdString(path)), layout_(layout) {
    file_.open(QIODevice::WriteOnly);
  }
  ~RecordFile() {
    Flush();
    file_.close();
  }
  void Add(const std::vector<std::string>& values) {
    if (!FormatRecord(layout_, values, line_, error_)) std::fprintf(stderr, "%s\n", error_.c_str());
    text_ += line_ + "\r\n";
    if (text_.size() > (1 << 20)) Flush();
  }

 private:
  void Flush() {
    file_.write(text_.data(), static_cast<qint64>(text_.size()));
    text_.clear();
  }
  QFile file_;
  const RecordLayout& layout_;
  std::string text_, line_, error_;
};

// The six files of a generated timetable of `trips` trips; the count of their rows.
long long WriteFiles(const std::string& folder, int trips) {
  RecordFile(folder + "/RT_PROTO.TXT", ProtocolLayout())
      .Add({"17", "15/01/2024", "42", "01/01/2024", "30/06/2024", "Rossi"});
  {
    RecordFile f(folder + "/RT_CADEN.TXT", CadenceLayout());
    f.Add({"17", "FER", "Feriale"});
    f.Add({"17", "FES", "Festivo"});
  }
  {
    RecordFile f(folder + "/RT_CALEN.TXT", CalendarLayout());
    for (int d = 0; d < kDays; ++d) f.Add({"17", Date(d), "", d % 7 == 6 ? "FES" : "FER"});
  }
  {
    RecordFile f(folder + "/RT_HDORA.TXT", TripHeadLayout());
    for (int t = 1; t <= trips; ++t)
      f.Add({"17", std::to_string(t), "C" + std::to_string(t), "1", std::to_string(t % 50), "16150", "40", "16150",
             "40", "L" + std::to_string(t % kRoutes), t % 2 ? "A" : "R", "P" + std::to_string(t % kRoutes),
             "Corsa " + std::to_string(t)});
  }
  {
    RecordFile f(folder + "/RT_DTORA.TXT", TripDetailLayout());
    for (int t = 1; t <= trips; ++t)
      for (int s = 1; s <= kStopsPerTrip; ++s) {
        const Stop x = MakeStop(t, s);
        f.Add({"17", std::to_string(t), std::to_string(s), x.code, x.name, x.place, std::to_string(x.dist),
               std::to_string(x.arrival), std::to_string(x.departure), s == 1 ? "1" : "0", "0", "0"});
      }
  }
  {
    RecordFile f(folder + "/RT_PERIOD.TXT", PeriodLayout());
    for (int t = 1; t <= trips; ++t)
      f.Add({"17", std::to_string(t), t % 5 ? "FER" : "FES", "20240101", "20240630", "0"});
  }
  return 1 + 2 + kDays + trips + static_cast<long long>(trips) * kStopsPerTrip + trips;
}

// The generated files and an empty database with its master row, for one size at a time.
struct Data {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string folder, templ;
  int trips = 0;
  long long rows = 0;
  explicit Data(int tripCount) : trips(tripCount) {
    folder = dir.path().toStdString();
    rows = WriteFiles(folder, trips);
    templ = folder + "/template.mdb";
    const ScopedNoticeSink quiet([](const Notice&) {});  // the creation's success notice
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
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(QString::fromStdString(path + suffix));
    QFile::copy(QString::fromStdString(templ), QString::fromStdString(path));
    return path;
  }
};

Data& TheData(int trips) {
  static std::unique_ptr<Data> data;
  if (!data || data->trips != trips) {
    data.reset();
    data = std::make_unique<Data>(trips);
  }
  return *data;
}

// The process's resident memory (VmRSS) and its peak (VmHWM) in MiB; the peak can be set back
// to the current size.
double StatusMiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) / 1024.0;
  return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void SetRate(benchmark::State& state, long long rows) {
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(rows) * state.iterations(), benchmark::Counter::kIsRate);
}

FileChooser ChooserFor(const Data& data) {
  return [&data](ImportKind kind, std::string& file) {
    file = data.folder + "/" + DescriptorOf(kind).layout().fileName;
    return true;
  };
}

void BM_WholeImport(benchmark::State& state) {
  ui::Script script;
  Data& data = TheData(static_cast<int>(state.range(0)));
  double before = 0, peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = data.Fresh("import.mdb");
    script.Clear();
    ResetPeak();
    before = std::max(before, StatusMiB("VmRSS:"));
    state.ResumeTiming();
    {
      DbDatabase db(path);
      std::string folder;
      const bool ok = RunWholeImport({&db, &folder, ChooserFor(data), nullptr});
      if (!ok || script.Messages().size() != 1) state.SkipWithError("the whole import did not succeed");
    }
    state.PauseTiming();
    peak = std::max(peak, StatusMiB("VmHWM:"));
    state.ResumeTiming();
  }
  SetRate(state, data.rows);
  state.counters["stop_rows"] = static_cast<double>(data.trips) * kStopsPerTrip;
  state.counters["rss_before_MiB"] = before;
  state.counters["peak_MiB"] = peak;
}

// The whole import's steps one by one, each timed: the six files and the grouping.
void BM_ImportSteps(benchmark::State& state) {
  ui::Script script;
  Data& data = TheData(static_cast<int>(state.range(0)));
  static const char* const kNames[] = {"proto", "caden", "calen", "hdora", "dtora", "period", "grouping"};
  double ms[7] = {};
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = data.Fresh("import.mdb");
    script.Clear();
    state.ResumeTiming();
    DbDatabase db(path);
    std::string folder;
    int step = 0;
    const auto timed = [&](const auto& work) {
      const auto start = std::chrono::steady_clock::now();
      const bool ok = work();
      ms[step++] += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      if (!ok) state.SkipWithError("a step did not succeed");
    };
    for (ImportKind kind : {ImportKind::Protocol, ImportKind::Cadences, ImportKind::Calendar, ImportKind::TripHeads,
                            ImportKind::TripDetails, ImportKind::Periods})
      timed([&] { return RunBatchImport(kind, &db, folder, ChooserFor(data), nullptr) == 1; });
    timed([&] { return GroupHomogeneousTrips(&db, nullptr, GroupingMode::Silent); });
  }
  for (int k = 0; k < 7; ++k) state.counters[std::string(kNames[k]) + "_ms"] = ms[k] / state.iterations();
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

void PlainInsert(const std::string& path, int trips) {
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
  for (int t = 1; t <= trips; ++t) {
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
  for (int t = 1; t <= trips; ++t)
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
  for (int t = 1; t <= trips; ++t) {
    sqlite3_bind_int(st, 1, t);
    Bind(st, 2, t % 5 ? "FER" : "FES");
    Step(db, st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db);
}

void BM_PlainInsert(benchmark::State& state) {
  Data& data = TheData(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = data.Fresh("plain.mdb");
    state.ResumeTiming();
    PlainInsert(path, data.trips);
  }
  SetRate(state, data.rows);
}

// The whole import against the plain insert, in pairs, one right after the other: on a machine
// busy with other work the ratio of the two is steadier than either time alone.
void BM_ImportAgainstPlain(benchmark::State& state) {
  ui::Script script;
  Data& data = TheData(static_cast<int>(state.range(0)));
  double plainMs = 0, importMs = 0;
  const auto timed = [](const auto& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  };
  for (auto _ : state) {
    const std::string plain = data.Fresh("plain.mdb"), path = data.Fresh("import.mdb");
    script.Clear();
    plainMs += timed([&] { PlainInsert(plain, data.trips); });
    importMs += timed([&] {
      DbDatabase db(path);
      std::string folder;
      if (!RunWholeImport({&db, &folder, ChooserFor(data), nullptr}))
        state.SkipWithError("the whole import did not succeed");
    });
  }
  state.counters["plain_ms"] = plainMs / state.iterations();
  state.counters["import_ms"] = importMs / state.iterations();
  state.counters["ratio"] = plainMs / importMs;
}

}  // namespace

// Each size's benchmarks run together, so that its files are generated once.
BENCHMARK(BM_WholeImport)->Unit(benchmark::kMillisecond)->Arg(20000)->Iterations(3);
BENCHMARK(BM_PlainInsert)->Unit(benchmark::kMillisecond)->Arg(20000)->Iterations(3);
BENCHMARK(BM_ImportSteps)->Unit(benchmark::kMillisecond)->Arg(20000)->Iterations(3);
BENCHMARK(BM_ImportAgainstPlain)->Unit(benchmark::kMillisecond)->Arg(20000)->Iterations(5);
BENCHMARK(BM_WholeImport)->Unit(benchmark::kMillisecond)->Arg(100000)->Iterations(1);
BENCHMARK(BM_PlainInsert)->Unit(benchmark::kMillisecond)->Arg(100000)->Iterations(1);
// 2.4 million stop rows.
BENCHMARK(BM_ImportAgainstPlain)->Unit(benchmark::kMillisecond)->Arg(120000)->Iterations(2);
BENCHMARK_MAIN();
