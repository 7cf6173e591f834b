#pragma once
// The database of the export tests: a real timetable database on disk (the reference lists of
// the region seeded once per test program, then copied), with a master row and three trips of two
// authorities, their stops and validity periods, a calendar and two day types. SQL is run on the
// file with the plain engine, as another program would, foreign keys not enforced.

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "exchange/ExportEngine.h"
#include "refdata/Seeding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <string>
#include <vector>

namespace export_case {

// The six RT files and the stop list, in the order of the result message.
inline const std::vector<std::string> kNames = {
    "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT",           "RT_CADEN.TXT",
    "RT_CALEN.TXT", "RT_PROTO.TXT", "FERMATE_NORMALIZZATE.TXT"};

// Runs SQL (Windows-1252) on a database file through a connection of its own; "ok" or the
// engine's message. `checks` off lets a row break the table's CHECK constraints, as a table
// made by another program might.
inline std::string Exec(const std::string& path, const std::string& sql, bool checks = true) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    return "cannot open " + path;
  }
  sqlite3_busy_timeout(db, 5000);
  char* error = nullptr;
  const std::string text = (checks ? "" : "PRAGMA ignore_check_constraints = ON;") + sql;
  const int rc = sqlite3_exec(db, cp1252::ToUtf8(text).c_str(), nullptr, nullptr, &error);
  std::string result = rc == SQLITE_OK ? "ok" : (error ? error : "error");
  sqlite3_free(error);
  sqlite3_close_v2(db);
  return result;
}

// Three trips: 1 and 3 of authority 5, 2 of authority 1; trip 1's stops point to locality 1.
inline const char* const kTimetable =
    "INSERT INTO master (codice, azienda, p_data, protoc, resple, datini, datfin, id_corsa, gruppo) "
    "VALUES (0, 17, '2024-01-15', 42, 'Mario Rossi', '2024-01-01', '2024-06-30', 4, 0);"
    "INSERT INTO cadenz (codice, denom) VALUES ('FER', 'Feriale'), ('FES', 'Festivo');"
    "INSERT INTO calend (data, caden, giorno, note) VALUES ('2024-01-02', 'FER', '2', ' '), "
    "('2024-01-07', 'FES', '7', 'Domenica'), ('2024-03-05', 'FER', '2', ' ');"
    "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
    "ct_tempo, codperc, denom, gruppo) VALUES "
    "(1, 'C1', 'L1', 'A', 800, 830, 5, 12, 16150, 30, 16000, 30, 'P1', 'Aulla - Pallerone', -1), "
    "(2, 'C2', 'L2', 'R', 900, 915, 1, 3, 8000, 15, 8000, 15, 'P2', 'Olivola', -1), "
    "(3, 'C3', 'L1', 'A', 1000, 1030, 5, 12, 16150, 30, 16000, 30, 'P1', 'Aulla - Pallerone', -1);"
    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
    "VALUES (1, 1, 'F01', 'Aulla Stazione', 'Piazza Città', 0, 9999, 800, 1, 0, 0, 1), "
    "(1, 2, 'F02', 'Pallerone', NULL, 16150, 830, 9999, 0, 0, 0, 1), "
    "(2, 1, 'F03', 'Olivola', 'Bivio', 0, 9999, 900, 1, 0, 0, 0), "
    "(2, 2, 'F04', 'Olivola Chiesa', NULL, 8000, 915, 9999, 0, 1, 0, 0), "
    "(3, 1, 'F01', 'Aulla Stazione', 'Piazza Città', 0, -1, 1000, 1, 0, 0, 0), "
    "(3, 2, 'F02', 'Pallerone', NULL, 16150, 1030, -1, 0, 0, 1, 0);"
    "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES "
    "(1, 'FER', '2024-01-01', '2024-06-30', 0), (1, 'FES', '2024-01-07', '2024-01-07', 1), "
    "(2, 'FES', '2024-01-01', '2024-03-31', 0), (3, 'FER', '2024-02-01', '2024-03-31', 0);";

// A copy of the seeded database with the timetable above.
inline void MakeTimetable(const std::string& path) {
  static const ScratchDir dir;
  static const std::string seeded = [] {
    NoticeLog notices;
    EXPECT_EQ(CreateSeededDatabase(dir.Path("seeded.mdb"), CreateMode::Startup), 1) << notices.Texts();
    return dir.Path("seeded.mdb");
  }();
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(seeded), cp1252::ToQString(path)));
  ASSERT_EQ(Exec(path, kTimetable), "ok");
}

// A test on that database, with an output folder beside it; the notices of the layers below the
// interface are collected.
struct ExportCase : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string out = dir.Path("uscita");
  NoticeLog notices;

  void SetUp() override {
    MakeTimetable(db);
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  }
  std::string Out(const std::string& name) const { return out + "/" + name; }
  void Sql(const std::string& sql, bool checks = true) const { ASSERT_EQ(Exec(db, sql, checks), "ok") << sql; }

  // Runs the export on `path` (the test's database when empty) into `folder` (the output folder).
  ExportResult Export(ExportOptions o = {}, const std::string& path = {}, const std::string& folder = {}) const {
    DbDatabase handle(path.empty() ? db : path);
    o.db = &handle;
    o.folder = folder.empty() ? out : folder;
    return RunExport(o);
  }

  // The previous export's files, each holding "old <name>".
  void PreviousFiles() const {
    for (const std::string& name : kNames) WriteFileBytes(Out(name), "old " + name + "\r\n");
  }
  // The folder as PreviousFiles left it: nothing replaced, nothing added.
  void ExpectPreviousFiles() const {
    for (const std::string& name : kNames) EXPECT_EQ(FileBytes(Out(name)), "old " + name + "\r\n") << name;
    std::vector<std::string> sorted = kNames;
    std::sort(sorted.begin(), sorted.end());
    std::string listing;
    for (const std::string& name : sorted) listing += name + "\n";
    EXPECT_EQ(Listing(out), listing);
  }
  // Every file of the last export, by name.
  std::string Files(const std::string& folder = {}) const {
    std::string all;
    for (const std::string& name : kNames)
      all += name + ":\n" + FileBytes((folder.empty() ? out : folder) + "/" + name);
    return all;
  }
};

inline ExportOptions Plain(int authority = -1) {
  ExportOptions o;
  o.anyAuthority = authority < 0;
  o.authority = authority;
  return o;
}

inline ExportOptions Range(DateRecord from, DateRecord to, int authority = -1) {
  ExportOptions o = Plain(authority);
  o.kind = ExportKind::DateRange;
  o.rangeStart = from;
  o.rangeEnd = to;
  return o;
}

inline ExportOptions Renumbered(long first) {
  ExportOptions o;
  o.kind = ExportKind::Renumbered;
  o.firstId = first;
  return o;
}

}  // namespace export_case
