#pragma once
// Plain SQLite beside the engines in the benchmarks: a connection opened as the database layer
// opens its own, statements run whole, the time of a piece of work, and the plain loop of
// prepared statements that the batch utilities are measured against.

#include <sqlite3.h>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace bench {

inline sqlite3* OpenPlain(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  sqlite3_exec(db, "PRAGMA foreign_keys=ON; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr,
               nullptr);
  return db;
}

inline void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) std::fprintf(stderr, "%s\n", error);
  sqlite3_free(error);
}

inline double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A plain loop in one transaction: each row of `selectSql` gives its update's parameters to
// `bind`, and the update runs; the rows updated.
inline long PlainLoop(const std::string& path, const char* selectSql, const char* updateSql,
                      const std::function<void(sqlite3_stmt* select, sqlite3_stmt* update)>& bind) {
  sqlite3* db = OpenPlain(path);
  Exec(db, "BEGIN");
  sqlite3_stmt *select = nullptr, *update = nullptr;
  sqlite3_prepare_v2(db, selectSql, -1, &select, nullptr);
  sqlite3_prepare_v2(db, updateSql, -1, &update, nullptr);
  long rows = 0;
  while (sqlite3_step(select) == SQLITE_ROW) {
    bind(select, update);
    if (sqlite3_step(update) == SQLITE_DONE) ++rows;
    sqlite3_reset(update);
  }
  sqlite3_finalize(select);
  sqlite3_finalize(update);
  Exec(db, "COMMIT");
  sqlite3_close_v2(db);
  return rows;
}

}  // namespace bench
