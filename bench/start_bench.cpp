// The program's bare start (the headless driver run with no command) on the generated 20,000-trip
// timetable (400,000 stop rows) against an empty database: after a clean close the file is not
// checked page by page again, so the two cost about the same; after a session that did not close
// cleanly (the record of the clean close gone) the whole check runs, and its cost is shown beside,
// with the share of it that checks the rows against the builder's relations. A number of trips given
// as the argument replaces the 20,000 (120000: 2.4 million stop rows). Last, the start on the same
// file as the builds before each column was held to its kind wrote it, which brings it forward,
// against a plain SQLite copy of its tables into the builder's definitions in one transaction, run
// by run (wall and processor time, best of three each).
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_TESTS=OFF -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_start quendo-run && build-bench/bench/bench_start [trips [forward]]
//
// With "forward" after the number of trips only the bring-forward is measured.

#include "BenchTimetable.h"
#include "PlainSql.h"
#include "db/DbDictionary.h"
#include "db/DbMaintenance.h"
#include "db/DbSchema.h"
#include "db/DbSchemaCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

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

// `database` copied to `path` with its tables defined as the builds before each column was held to its
// kind defined them.
void MakeEarlierCopy(const std::string& database, const std::string& path) {
  std::vector<BuiltDefinition> earlier = SchemaDefinitions(false);
  for (BuiltDefinition& d : DictionaryDefinitions(false)) earlier.push_back(std::move(d));
  std::string redefine = "PRAGMA writable_schema=ON;";
  for (const BuiltDefinition& d : earlier)
    if (d.type == "table")
      redefine += "UPDATE sqlite_master SET sql = " + SqlQuote(d.sql) +
                  " WHERE type = 'table' AND name = " + SqlQuote(d.name) + ";";
  for (const char* side : {"", "-wal", "-shm"}) QFile::remove(QString::fromStdString(path + side));
  QFile::copy(QString::fromStdString(database), QString::fromStdString(path));
  sqlite3* plain = bench::OpenPlain(path);
  int version = 0;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(plain, "PRAGMA schema_version", -1, &st, nullptr);
  if (sqlite3_step(st) == SQLITE_ROW) version = sqlite3_column_int(st, 0);
  sqlite3_finalize(st);
  bench::Exec(plain, (redefine + "PRAGMA schema_version=" + std::to_string(version + 1)).c_str());
  sqlite3_close_v2(plain);
}

// What a plain SQLite program does to the same file: each table made again from the builder's
// definition under a scratch name, its rows copied, the old one dropped, the new one renamed and its
// indexes made, all in one transaction; no check before or after.
void PlainCopy(const std::string& path) {
  std::vector<BuiltDefinition> builder = SchemaDefinitions();
  for (BuiltDefinition& d : DictionaryDefinitions()) builder.push_back(std::move(d));
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  std::string sql = "PRAGMA foreign_keys=OFF; BEGIN IMMEDIATE;";
  for (const BuiltDefinition& t : builder) {
    if (t.type != "table") continue;
    const std::string head = "CREATE TABLE " + SqlName(t.name), scratch = SqlName(t.name + "__copia");
    sql += "CREATE TABLE " + scratch + t.sql.substr(head.size()) + "; INSERT INTO " + scratch + " SELECT * FROM " +
           SqlName(t.name) + "; DROP TABLE " + SqlName(t.name) + "; ALTER TABLE " + scratch + " RENAME TO " +
           SqlName(t.name) + ";";
    for (const BuiltDefinition& i : builder)
      if (i.type == "index" && i.table == t.name) sql += i.sql + ";";
  }
  bench::Exec(db, (sql + "COMMIT").c_str());
  sqlite3_close_v2(db);
}

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
};

// The start on a copy of `database` as an earlier build wrote it, which brings it forward (the check
// of the whole file first, as after any session not closed cleanly), paired run by run with the
// plain copy of the same tables; the best of kForwardRuns of each.
Paired BringForwardAgainstPlainCopy(const std::string& database, const std::string& folder) {
  const std::string path = folder + "/precedente.mdb";
  QDir().mkpath(QString::fromStdString(folder + "/precedente"));
  const std::string settings = WriteSettings(folder + "/precedente", path);
  Paired best;
  for (int k = 0; k < kForwardRuns; ++k) {
    MakeEarlierCopy(database, path);
    double cpu = CpuSeconds();
    best.copyWall = std::min(best.copyWall, bench::Seconds([&] { PlainCopy(path); }));
    best.copyCpu = std::min(best.copyCpu, CpuSeconds() - cpu);
    MakeEarlierCopy(database, path);
    cpu = CpuSeconds();
    double seconds = 0;
    if (!Start(settings, seconds) || StoredSchemaDigest(path).empty()) {
      std::fprintf(stderr, "the file of the earlier definitions was not brought forward\n");
      std::exit(1);
    }
    best.forwardCpu = std::min(best.forwardCpu, CpuSeconds() - cpu);
    best.forwardWall = std::min(best.forwardWall, seconds);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const int trips = argc > 1 ? std::atoi(argv[1]) : bench::kTrips;
  const bool forwardOnly = argc > 2 && std::string(argv[2]) == "forward";
  const long stops = static_cast<long>(trips) * bench::kStopsPerTrip;
  bench::Timetable large(trips);
  const auto printForward = [&] {
    const Paired forward = BringForwardAgainstPlainCopy(large.database, large.folder);
    std::printf("start on the file as an earlier build wrote it (%ld stop rows), brought forward, best of %d runs:\n",
                stops, kForwardRuns);
    std::printf("  bring-forward at start    %.3f s wall, %.3f s processor\n", forward.forwardWall, forward.forwardCpu);
    std::printf("  plain copy of the tables  %.3f s wall, %.3f s processor\n", forward.copyWall, forward.copyCpu);
    std::printf("  forward_to_copy           %.2f wall, %.2f processor\n", forward.forwardWall / forward.copyWall,
                forward.forwardCpu / forward.copyCpu);
  };
  if (forwardOnly) {
    large.db.reset();
    printForward();
    return 0;
  }
  // The check of the relations alone, on the open file.
  double relations = 1e9;
  for (int k = 0; k < kRuns; ++k) {
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    if (!CheckRelations(large.db->Handle(), error)) {
      std::fprintf(stderr, "the generated timetable breaks a relation: %s\n", error.c_str());
      return 1;
    }
    relations = std::min(relations, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
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
