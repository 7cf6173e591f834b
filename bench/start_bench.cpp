// The program's bare start (the headless driver run with no command) on a timetable of 20,000
// trips (400,000 stop rows) against an empty database: after a clean close the file is not
// checked page by page again, so the two cost about the same; after a session that did not close
// cleanly (the record of the clean close gone) the whole check runs, and its cost is shown beside,
// with the share of it that checks the rows against the builder's relations. A number of trips given
// as the argument replaces the 20,000 (120000: 2.4 million stop rows). Last, the first start on a
// file that a build before each column was held to its kind wrote (its definitions, dictionary rows
// and indexes, tests/data/db/earlier_build.sql, filled with the same rows), which brings it forward,
// against a plain SQLite copy of it into a new file of the builder's definitions in one transaction,
// run by run (wall and processor time, best of three each), and the sizes of the files left.
//
// The trip heads and stops are shaped as the import of a region's files (RT_HDORA.TXT,
// RT_DTORA.TXT, as those of tests/data/exchange/) stores them (bench::Rows::Feed): a short stop
// code, a stop name of a town and often a spot in it (8 to 20 characters), a location on one stop
// in three and NULL on the others, every stop in locality 0, regferma and regarea NULL; a trip
// head with a short code, line and route, the descriptor "town - town" on two trips in three and
// NULL on the third, regcorsa, reglinea, mezzo and the chain NULL. So shaped, 2.4 million stop rows
// make a file of 245 MB brought forward, where a real feed's make 246 MB.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_TESTS=OFF -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_start quendo-run && build-bench/bench/bench_start [trips [forward|relations]]
//
// With "forward" after the number of trips only the bring-forward is measured; with "relations"
// only the check of the relations, once, on the open file (to be counted alone, as with
//   valgrind --tool=callgrind --toggle-collect='CheckRelations*' build-bench/bench/bench_start 13000 relations).

#include "BenchTimetable.h"
#include "PlainSql.h"
#include "db/DbDictionary.h"
#include "db/DbMaintenance.h"
#include "db/DbSchema.h"
#include "db/DbSchemaCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <sys/resource.h>

namespace {

constexpr int kRuns = 5;
constexpr int kForwardRuns = 3;

std::string WriteSettings(const std::string& folder, const std::string& database) {
  const std::string path = folder + "/quendo.ini";
  std::ofstream(path) << "[1.00]\nDatabase=" << database << "\nDirectory=" << folder << "\n";
  return path;
}

// One bare start; false when the driver did not end with 0.
bool Start(const std::string& settings, double& seconds) {
  QProcess run;
  run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  const auto start = std::chrono::steady_clock::now();
  run.start(QStringLiteral(QUENDO_PROGRAM_DIR "/quendo-run"),
            {QStringLiteral("--settings"), QString::fromStdString(settings)});
  const bool ended = run.waitForFinished(120000);
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return ended && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

// The best of kRuns starts; with `unclean` each start finds the last session not closed cleanly.
double BestStart(const std::string& settings, bool unclean) {
  double best = 1e9;
  for (int k = 0; k <= kRuns; ++k) {  // the first run records the clean close
    if (unclean) {
      QSettings ini(QString::fromStdString(settings), QSettings::IniFormat);
      ini.setValue(QStringLiteral("1.00/ChiusuraRegolare"), QString());
    }
    double seconds = 0;
    if (!Start(settings, seconds)) {
      std::fprintf(stderr, "quendo-run did not start cleanly on %s\n", settings.c_str());
      std::exit(1);
    }
    if (k > 0) best = std::min(best, seconds);
  }
  return best;
}

// The whole of a text file.
std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void RemoveDatabase(const std::string& path) {
  for (const char* side : {"", "-wal", "-shm", "-journal"}) QFile::remove(QString::fromStdString(path + side));
}

// The file an earlier build, before each column was held to its kind, made (its definitions,
// dictionary rows and indexes as that build wrote them) at `path`, filled with the rows of
// `database` but its dictionary's, as that build stored them: row by row, its indexes kept meanwhile.
void MakeEarlierFile(const std::string& database, const std::string& path) {
  RemoveDatabase(path);
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  bench::Exec(db, FileText(QUENDO_EARLIER_BUILD_SQL).c_str());
  std::string dictionary, rows = "ATTACH " + SqlQuote(database) + " AS built; BEGIN;";
  for (const BuiltDefinition& d : DictionaryDefinitions())
    dictionary += (dictionary.empty() ? "" : ", ") + SqlQuote(d.name);
  sqlite3_stmt* st = nullptr;
  const std::string tables = "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT IN (" + dictionary + ")";
  sqlite3_prepare_v2(db, tables.c_str(), -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW) {
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    rows += "INSERT INTO main." + SqlName(name) + " SELECT * FROM built." + SqlName(name) + ";";
  }
  sqlite3_finalize(st);
  bench::Exec(db, (rows + "COMMIT; DETACH built; PRAGMA journal_mode=WAL").c_str());
  sqlite3_close_v2(db);
}

// What a plain SQLite program does with the same file: a new file (`copy`) of the builder's
// definitions, the earlier file attached, each table's rows copied by INSERT ... SELECT and the
// indexes made after the rows, all in one transaction; no check before or after.
void PlainCopy(const std::string& path, const std::string& copy) {
  RemoveDatabase(copy);
  std::vector<BuiltDefinition> builder = SchemaDefinitions();
  for (BuiltDefinition& d : DictionaryDefinitions()) builder.push_back(std::move(d));
  sqlite3* db = nullptr;
  sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  std::string sql = "ATTACH " + SqlQuote(path) + " AS earlier; BEGIN;", rows, indexes;
  for (const BuiltDefinition& d : builder) {
    if (d.type == "table") {
      sql += d.sql + ";";
      rows += "INSERT INTO main." + SqlName(d.name) + " SELECT * FROM earlier." + SqlName(d.name) + ";";
    } else {
      indexes += d.sql + ";";
    }
  }
  bench::Exec(db, (sql + rows + indexes + "COMMIT").c_str());
  sqlite3_close_v2(db);
}

long long FileSize(const std::string& path) { return QFileInfo(QString::fromStdString(path)).size(); }

// The processor time this process and its ended children have used, in seconds.
double CpuSeconds() {
  rusage self{}, children{};
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &children);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(self.ru_utime) + seconds(self.ru_stime) + seconds(children.ru_utime) + seconds(children.ru_stime);
}

struct Paired {
  double forwardWall = 1e9, copyWall = 1e9, forwardCpu = 1e9, copyCpu = 1e9;
  long long earlierSize = 0, forwardSize = 0, copySize = 0;
};

// The first start on the file an earlier build wrote, which checks it and brings it forward,
// paired run by run with the plain copy of the same file; the best of kForwardRuns of each.
Paired BringForwardAgainstPlainCopy(const std::string& database, const std::string& folder) {
  const std::string path = folder + "/precedente.mdb", copy = folder + "/copia.mdb";
  QDir().mkpath(QString::fromStdString(folder + "/precedente"));
  const std::string settings = WriteSettings(folder + "/precedente", path);
  Paired best;
  for (int k = 0; k < kForwardRuns; ++k) {
    MakeEarlierFile(database, path);
    best.earlierSize = FileSize(path);
    double cpu = CpuSeconds();
    best.copyWall = std::min(best.copyWall, bench::Seconds([&] { PlainCopy(path, copy); }));
    best.copyCpu = std::min(best.copyCpu, CpuSeconds() - cpu);
    best.copySize = FileSize(copy);
    RemoveDatabase(copy);
    cpu = CpuSeconds();
    double seconds = 0;
    if (!Start(settings, seconds) || StoredSchemaDigest(path).empty()) {
      std::fprintf(stderr, "the file of the earlier definitions was not brought forward\n");
      std::exit(1);
    }
    best.forwardCpu = std::min(best.forwardCpu, CpuSeconds() - cpu);
    best.forwardWall = std::min(best.forwardWall, seconds);
    best.forwardSize = FileSize(path);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const int trips = argc > 1 ? std::atoi(argv[1]) : bench::kTrips;
  const bool forwardOnly = argc > 2 && std::string(argv[2]) == "forward";
  const bool relationsOnly = argc > 2 && std::string(argv[2]) == "relations";
  const long stops = static_cast<long>(trips) * bench::kStopsPerTrip;
  bench::Timetable large(trips, {}, false, false, bench::Rows::Feed);
  const auto printForward = [&] {
    const Paired forward = BringForwardAgainstPlainCopy(large.database, large.folder);
    std::printf("start on the file as an earlier build wrote it (%ld stop rows), brought forward, best of %d runs:\n",
                stops, kForwardRuns);
    std::printf("  bring-forward at start    %.3f s wall, %.3f s processor\n", forward.forwardWall, forward.forwardCpu);
    std::printf("  plain copy of the tables  %.3f s wall, %.3f s processor\n", forward.copyWall, forward.copyCpu);
    std::printf("  forward_to_copy           %.2f wall, %.2f processor\n", forward.forwardWall / forward.copyWall,
                forward.forwardCpu / forward.copyCpu);
    std::printf("  file sizes                earlier %lld, brought forward %lld, copy %lld bytes (%.2f)\n",
                forward.earlierSize, forward.forwardSize, forward.copySize,
                static_cast<double>(forward.forwardSize) / static_cast<double>(forward.copySize));
  };
  if (forwardOnly) {
    large.db.reset();
    printForward();
    return 0;
  }
  // The check of the relations alone, on the open file.
  double relations = 1e9;
  for (int k = 0; k < (relationsOnly ? 1 : kRuns); ++k) {
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    if (!CheckRelations(large.db->Handle(), error)) {
      std::fprintf(stderr, "the generated timetable breaks a relation: %s\n", error.c_str());
      return 1;
    }
    relations = std::min(relations, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  if (relationsOnly) {
    std::printf("the relations' check of %ld stop rows   %.3f s\n", stops, relations);
    return 0;
  }
  large.db.reset();
  bench::Timetable empty(0);
  empty.db.reset();
  const std::string largeSettings = WriteSettings(large.folder, large.database);
  const std::string emptySettings = WriteSettings(empty.folder, empty.database);

  const double bare = BestStart(emptySettings, false);
  const double clean = BestStart(largeSettings, false);
  const double checked = BestStart(largeSettings, true);
  std::printf("bare start, best of %d:\n", kRuns);
  std::printf("  empty database                        %.3f s\n", bare);
  std::printf("  %ld stop rows, closed cleanly     %.3f s (%.2f times the empty one)\n", stops, clean, clean / bare);
  std::printf("  %ld stop rows, not closed cleanly %.3f s (the whole check at start)\n", stops, checked);
  std::printf("  of which the relations' check         %.3f s\n", relations);
  printForward();
  // A clean start on a large file costs what one on an empty file does, give or take the
  // machine's noise; the check it skips costs more than that noise.
  if (clean > bare * 1.5 + 0.05) {
    std::fprintf(stderr, "the start on a large database that was closed cleanly is too slow\n");
    return 1;
  }
  return 0;
}
