// Rows per second through the table and selection layer, each beside a plain prepared-statement
// insert or read of the same rows on the same kind of file, in the same run.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_db && build-bench/bench/bench_db

#include "common/Notices.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbFile.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "refdata/Seeding.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

namespace {

constexpr int kRows = 1000000;
constexpr int kStopsPerTrip = 20;

// The stop rows of a trip, in a table of the benchmark's own beside the program's tables: a table
// named as one of the program's would be checked against the program's schema when the file is
// opened, and refused.
const char* kSchema = R"sql(
CREATE TABLE dettagli (
  id INT NOT NULL, sub SMALLINT NOT NULL,
  fermata VARCHAR(10) COLLATE RTRIM CONSTRAINT fermata__size CHECK (length(fermata) <= 10),
  denom VARCHAR(40) COLLATE RTRIM NOT NULL CONSTRAINT denom__required CHECK (denom <> '')
    CONSTRAINT denom__size CHECK (length(denom) <= 40),
  dist INT NOT NULL, arriva SMALLINT NOT NULL, parte SMALLINT NOT NULL, primaria BOOLEAN NOT NULL,
  CONSTRAINT "codice" PRIMARY KEY (id, sub));
CREATE TABLE piccola (
  id INT NOT NULL, sub SMALLINT NOT NULL,
  fermata VARCHAR(10) COLLATE RTRIM CONSTRAINT fermata__size CHECK (length(fermata) <= 10),
  denom VARCHAR(40) COLLATE RTRIM NOT NULL CONSTRAINT denom__required CHECK (denom <> '')
    CONSTRAINT denom__size CHECK (length(denom) <= 40),
  dist INT NOT NULL, arriva SMALLINT NOT NULL, parte SMALLINT NOT NULL, primaria BOOLEAN NOT NULL,
  CONSTRAINT "codice" PRIMARY KEY (id, sub));
)sql";

// The rows of the small table (`piccola`), the size of a reference table.
constexpr int kSmallRows = 2 * kStopsPerTrip;

struct Scratch {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string File(const char* name) const { return dir.path().toStdString() + "/" + name; }
};

// A new database as the program creates it, with the benchmark's tables added: the table layer
// opens only a file that holds every table of the program's dictionary.
std::string MakeFile(const Scratch& s, const char* name) {
  const std::string path = s.File(name);
  std::string error = "the database was not created";
  sqlite3* db = nullptr;
  if (!CreateSeededDatabase(path, CreateMode::Startup).ok ||
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK || !ExecSql(db, kSchema, error))
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
  sqlite3_close_v2(db);
  return path;
}

void Row(int r, int& id, int& sub, char* fermata, char* denom, int& dist, int& time) {
  id = r / kStopsPerTrip + 1;
  sub = r % kStopsPerTrip + 1;
  std::snprintf(fermata, 16, "F%05d", r % 50000);
  std::snprintf(denom, 48, "Fermata numero %d di via Roma", r % 50000);
  dist = sub * 850;
  time = 600 + (r % 600);
}

bool TableInsert(const std::string& path) {
  DbDatabase db(path);
  DbTable t(&db, "dettagli");
  if (!t.isOpen) return false;
  DbBatch batch(&db);
  char fermata[16], denom[48], text[16];
  for (int r = 0; r < kRows; ++r) {
    int id, sub, dist, time;
    Row(r, id, sub, fermata, denom, dist, time);
    t.AddNew();
    std::snprintf(text, sizeof text, "%d", id);
    t.SetFieldText("id", text);
    std::snprintf(text, sizeof text, "%d", sub);
    t.SetFieldText("sub", text);
    t.SetFieldText("fermata", fermata);
    t.SetFieldText("denom", denom);
    std::snprintf(text, sizeof text, "%d", dist);
    t.SetFieldText("dist", text);
    std::snprintf(text, sizeof text, "%d", time);
    t.SetFieldText("arriva", text);
    t.SetFieldText("parte", text);
    t.SetFieldText("primaria", r % 3 == 0 ? "1" : "0");
    t.Update();
  }
  return batch.Commit() == 1;
}

void PlainInsert(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  sqlite3_exec(db, "PRAGMA foreign_keys=ON; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; BEGIN", nullptr,
               nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO dettagli VALUES (?,?,?,?,?,?,?,?)", -1, &st, nullptr);
  char fermata[16], denom[48];
  for (int r = 0; r < kRows; ++r) {
    int id, sub, dist, time;
    Row(r, id, sub, fermata, denom, dist, time);
    sqlite3_bind_int(st, 1, id);
    sqlite3_bind_int(st, 2, sub);
    sqlite3_bind_text(st, 3, fermata, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 4, denom, -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 5, dist);
    sqlite3_bind_int(st, 6, time);
    sqlite3_bind_int(st, 7, time);
    sqlite3_bind_int(st, 8, r % 3 == 0);
    if (sqlite3_step(st) != SQLITE_DONE) std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db);
}

// The sum of some columns of every row; -1 when the file did not open.
long long SelectRead(const std::string& path, bool streaming) {
  DbDatabase db(path);
  if (!db.isOpen) return -1;
  DbSelect s(&db);
  s.SetStreaming(streaming);
  s.SetColumns("id, sub, fermata, denom, dist, arriva, parte, primaria");
  s.SetFrom("dettagli");
  s.SetOrderBy("id, sub");
  long long sum = 0;
  std::string text;
  for (int ok = s.Open(); ok; ok = s.MoveNext()) {
    long id = 0;
    int sub = 0;
    s.GetFieldLongAt(0, &id);
    s.GetFieldIntAt(1, &sub);
    s.GetFieldTextAt(3, text);
    sum += id + sub + static_cast<long long>(text.size());
  }
  return sum;
}

long long PlainRead(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT id, sub, fermata, denom, dist, arriva, parte, primaria FROM dettagli ORDER BY id, sub",
                     -1, &st, nullptr);
  // Every column is fetched, as the selection fetches them.
  long long sum = 0;
  std::string fermata, denom;
  while (sqlite3_step(st) == SQLITE_ROW) {
    const int id = sqlite3_column_int(st, 0), sub = sqlite3_column_int(st, 1);
    const unsigned char* f = sqlite3_column_text(st, 2);
    fermata.assign(f ? reinterpret_cast<const char*>(f) : "");
    denom.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
    const int dist = sqlite3_column_int(st, 4), arriva = sqlite3_column_int(st, 5), parte = sqlite3_column_int(st, 6),
              primaria = sqlite3_column_int(st, 7);
    sum += id + sub + static_cast<long long>(denom.size() + fermata.size()) + dist + arriva + parte + primaria;
  }
  sqlite3_finalize(st);
  sqlite3_close_v2(db);
  return sum;
}

void SetRate(benchmark::State& state) {
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(kRows) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_InsertDbTable(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Scratch s;
    const std::string path = MakeFile(s, "t.db");
    state.ResumeTiming();
    if (!TableInsert(path)) {
      // A skipped run leaves its loop at once: its timer may be paused no more.
      state.SkipWithError("the table layer wrote nothing");
      break;
    }
  }
  SetRate(state);
}

void BM_InsertPlain(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Scratch s;
    const std::string path = MakeFile(s, "p.db");
    state.ResumeTiming();
    PlainInsert(path);
  }
  SetRate(state);
}

struct Filled {
  Scratch s;
  std::string path;
  Filled() : path(MakeFile(s, "r.db")) {
    PlainInsert(path);
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(
        db,
        ("INSERT INTO piccola SELECT * FROM dettagli WHERE id <= " + std::to_string(kSmallRows / kStopsPerTrip))
            .c_str(),
        nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
  }
};

Filled& ReadFile() {
  static Filled f;
  return f;
}

// The whole result read at open (what walks that change their own tables need) ...
void BM_SelectDbSelect(benchmark::State& state) {
  const std::string& path = ReadFile().path;
  for (auto _ : state)
    if (SelectRead(path, false) < 0) {
      state.SkipWithError("the file did not open");
      break;
    }
  SetRate(state);
}

// ... and read as the walk goes (the long read-only passes).
void BM_SelectDbSelectStreaming(benchmark::State& state) {
  const std::string& path = ReadFile().path;
  for (auto _ : state)
    if (SelectRead(path, true) < 0) {
      state.SkipWithError("the file did not open");
      break;
    }
  SetRate(state);
}

void BM_SelectPlain(benchmark::State& state) {
  const std::string& path = ReadFile().path;
  for (auto _ : state) benchmark::DoNotOptimize(PlainRead(path));
  SetRate(state);
}

// One row by its key, the way the editors and the builder look rows up: a selection per row, in
// the big table (argument 0) or in a small one (1) ...
constexpr int kLookups = 10000;

const char* OneRowTable(const benchmark::State& state) { return state.range(0) ? "piccola" : "dettagli"; }

// The key of the k-th lookup, spread over the whole table.
std::string OneRowWhere(const benchmark::State& state, int k) {
  const int r = (k * 7919) % (state.range(0) ? kSmallRows : kRows);
  return "id = " + std::to_string(r / kStopsPerTrip + 1) + " AND sub = " + std::to_string(r % kStopsPerTrip + 1);
}

void SetLookupRate(benchmark::State& state) {
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(kLookups) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_SelectOneRowDbSelect(benchmark::State& state) {
  DbDatabase db(ReadFile().path);
  if (!db.isOpen) state.SkipWithError("the file did not open");
  std::string text;
  for (auto _ : state) {
    long long sum = 0;
    for (int k = 0; k < kLookups; ++k) {
      DbSelect s(&db);
      s.SetColumns("id, sub, fermata, denom, dist");
      s.SetFrom(OneRowTable(state));
      s.SetWhere(OneRowWhere(state, k));
      if (s.Open()) {
        long id = 0;
        s.GetFieldLongAt(0, &id);
        s.GetFieldTextAt(3, text);
        sum += id + static_cast<long long>(text.size());
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  SetLookupRate(state);
}

// ... beside the plain prepare, step and finalize of the same text.
void BM_SelectOneRowPlain(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(ReadFile().path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  std::string text;
  for (auto _ : state) {
    long long sum = 0;
    for (int k = 0; k < kLookups; ++k) {
      const std::string sql = std::string("SELECT id, sub, fermata, denom, dist\nFROM ") + OneRowTable(state) +
                              "\nWHERE " + OneRowWhere(state, k) + "\n";
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
      if (sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char* d = sqlite3_column_text(st, 3);
        text.assign(d ? reinterpret_cast<const char*>(d) : "");
        sum += sqlite3_column_int(st, 0) + static_cast<long long>(text.size());
      }
      sqlite3_finalize(st);
    }
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_close_v2(db);
  SetLookupRate(state);
}

// A whole new database: dictionary, tables, relations and the seeded reference tables.
void BM_CreateDatabase(benchmark::State& state) {
  ScopedNoticeSink quiet([](const Notice&) {});  // takes the success notice
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Scratch s;
    const std::string path = s.File(("new" + std::to_string(n++) + ".mdb").c_str());
    state.ResumeTiming();
    if (!CreateSeededDatabase(path, CreateMode::Startup).ok) {
      state.SkipWithError("creation failed");
      break;
    }
  }
}

// Opening the working database as the program does, its check against the dictionary included,
// up to its first query (the engine reads the file's schema once, for the check or for that).
void BM_OpenDatabase(benchmark::State& state) {
  ScopedNoticeSink quiet([](const Notice&) {});
  Scratch s;
  const std::string path = s.File("open.mdb");
  if (!CreateSeededDatabase(path, CreateMode::Startup).ok) state.SkipWithError("creation failed");
  for (auto _ : state) {
    DbDatabase db(path);
    DbSelect master(&db);
    master.SetColumns("count(*)");
    master.SetFrom("master");
    if (!db.isOpen || master.Open() != 1) {
      state.SkipWithError("open failed");
      break;
    }
  }
}

BENCHMARK(BM_CreateDatabase)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_InsertDbTable)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_InsertPlain)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SelectDbSelect)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SelectDbSelectStreaming)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SelectPlain)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SelectOneRowDbSelect)->ArgName("small")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SelectOneRowPlain)->ArgName("small")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenDatabase)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
