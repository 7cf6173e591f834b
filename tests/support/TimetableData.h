#pragma once
// Timetable databases as the builder makes them, for the tests of the engines and of the commands
// (no widget here): the seeded database is built once per test program and copied.

#include "common/Cp1252.h"
#include "refdata/Seeding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>

// Runs SQL (Windows-1252) on a closed database file with the plain engine, without foreign-key
// checks, as another program would; fails the test on error.
inline void RunSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, cp1252::ToUtf8(sql).c_str(), nullptr, nullptr, &error);
  const std::string text = error ? error : "";
  sqlite3_free(error);
  sqlite3_close_v2(db);
  ASSERT_EQ(rc, SQLITE_OK) << text;
}

// A full timetable database at `path` whose master row holds company 17 and the reporting period
// 01/01/2024-30/06/2024.
inline void MakeTimetableDatabase(const std::string& path) {
  static const ScratchDir dir;
  static const std::string seeded = [] {
    NoticeLog notices;
    EXPECT_EQ(CreateSeededDatabase(dir.Path("seeded.mdb"), CreateMode::Startup), 1) << notices.Texts();
    return dir.Path("seeded.mdb");
  }();
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(seeded), cp1252::ToQString(path)));
  RunSql(path,
         "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) "
         "VALUES (0, 17, '2024-01-01', '2024-06-30', 0, 0)");
}
