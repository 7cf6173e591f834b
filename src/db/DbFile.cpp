#include "db/DbFile.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbError.h"
#include "db/SqliteValue.h"

#include <cstdio>
#include <sqlite3.h>
#include <sys/stat.h>

bool ExecSql(sqlite3* db, const std::string& sql, std::string& error) {
  char* msg = nullptr;
  const std::string text = TextToEngine(sql);
  const int rc = sqlite3_exec(db, text.c_str(), nullptr, nullptr, &msg);
  if (rc == SQLITE_OK) return true;
  error = EngineErrorText(sqlite3_extended_errcode(db), msg ? msg : sqlite3_errstr(rc));
  sqlite3_free(msg);
  return false;
}

bool CreateDatabaseFile(const std::string& path, sqlite3** out, std::string& error) {
  *out = nullptr;
  const std::string fsPath = cp1252::ToUtf8(path);
  struct stat info {};
  if (stat(fsPath.c_str(), &info) == 0) {
    error = "Il file esiste già";
    return false;
  }
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(fsPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr);
  if (rc != SQLITE_OK) {
    error = EngineErrorText(db, rc);
    sqlite3_close_v2(db);
    std::remove(fsPath.c_str());
    return false;
  }
  sqlite3_extended_result_codes(db, 1);
  if (!ExecSql(db,
               "PRAGMA application_id=" + std::to_string(kQuendoApplicationId) +
                   "; PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON;",
               error)) {
    sqlite3_close_v2(db);
    std::remove(fsPath.c_str());
    return false;
  }
  *out = db;
  return true;
}
