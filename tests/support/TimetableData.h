#pragma once
// Timetable databases as the builder makes them, for the tests of the engines and of the commands
// (no widget here): the seeded database is built once per test program and copied.

#include "common/Cp1252.h"
#include "refdata/Seeding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QFile>

// Runs SQL (Windows-1252) on a closed database file as another program would (ExecOnFile, without
// foreign-key checks or the engine's checks); fails the test on error.
inline void RunSql(const std::string& path, const std::string& sql) { ASSERT_EQ(ExecOnFile(path, sql), "ok"); }

// A database at `path` as the program creates it at start-up (no master row yet).
inline void CopySeededDatabase(const std::string& path) {
  static const ScratchDir dir;
  static const std::string seeded = [] {
    NoticeLog notices;
    const CreateOutcome created = CreateSeededDatabase(dir.Path("seeded.mdb"), CreateMode::Startup);
    EXPECT_TRUE(created.ok) << notices.Texts() << created.Texts();
    return dir.Path("seeded.mdb");
  }();
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(seeded), cp1252::ToQString(path)));
}

// A full timetable database at `path` whose master row holds company 17 and the reporting period 01/01/2024-30/06/2024.
inline void MakeTimetableDatabase(const std::string& path) {
  CopySeededDatabase(path);
  RunSql(path,
         "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) "
         "VALUES (0, 17, '2024-01-01', '2024-06-30', 0, 0)");
}

// Three day types that read "?1": one so stored, and U+0141 1 and U+015A 1 stored by another tool
// (their stored texts below), with the names Uno, Estiva and Invernale.
inline const char* const kDayTypesReadAlikeSql =
    "INSERT OR IGNORE INTO cadenz VALUES ('?1', 'Uno'), (char(0x141) || '1', 'Estiva'),"
    " (char(0x15A) || '1', 'Invernale');";
inline const char* const kStoredL1 =
    "\xC5\x81"
    "1";
inline const char* const kStoredS1 =
    "\xC5\x9A"
    "1";

// The SQL that adds trip `id` to quadro `quadro`, departing at `departure` (HHMM): codes "C<id>",
// route "P<id>", line L1 towards A, 5 km in 40 minutes, authority 1, contract 2.
inline std::string TripHeadSql(int id, int quadro, int departure) {
  const std::string n = std::to_string(id);
  return "INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom, ente,"
         " contratt, ct_lung, ct_tempo) VALUES (" +
         n + ", " + std::to_string(quadro) + ", 'P" + n + "', 'C" + n + "', 'L1', 'A', " + std::to_string(departure) +
         ", 2000, 5000, 40, 'Corsa " + n + "', 1, 2, 0, 0);";
}
