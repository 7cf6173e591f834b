#include "db/DbMaintenance.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbError.h"
#include "db/DbFile.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// How many of the engine's findings a damaged file's description lists.
constexpr int kFindingsShown = 5;

// One connection of these functions, closed when it goes out of scope.
class Connection {
 public:
  Connection() = default;
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* db = nullptr;

  // Closes the connection; false with the reason when the engine could not close it.
  bool Close(std::string* error = nullptr) {
    if (!db) return true;
    const int rc = sqlite3_close_v2(db);
    db = nullptr;
    if (rc == SQLITE_OK) return true;
    if (error) *error = EngineErrorText(rc, sqlite3_errstr(rc));
    return false;
  }
  // Hands the open connection over to the caller.
  sqlite3* Release() {
    sqlite3* out = db;
    db = nullptr;
    return out;
  }
};

// Runs a statement that returns one integer.
bool QueryInt(sqlite3* db, const char* sql, int& value, std::string& error) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) {
    error = EngineErrorText(db, rc);
    sqlite3_finalize(st);
    return false;
  }
  value = sqlite3_column_int(st, 0);
  sqlite3_finalize(st);
  return true;
}

// Opens an existing file of ours, read-write, beside whatever other connection it has.
bool OpenOurs(const std::string& path, Connection& conn, std::string& error) {
  if (path.empty()) {
    error = "Nessun file indicato";
    return false;
  }
  const std::string fsPath = cp1252::ToUtf8(path);
  struct stat info {};
  if (stat(fsPath.c_str(), &info) != 0) {
    error = "Il file non esiste: " + path;
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "Il percorso non indica un file";
    return false;
  }
  const int rc = sqlite3_open_v2(fsPath.c_str(), &conn.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    error = EngineErrorText(conn.db, rc);
    conn.Close();
    return false;
  }
  sqlite3_busy_timeout(conn.db, 5000);
  sqlite3_extended_result_codes(conn.db, 1);
  int id = 0;
  if (!QueryInt(conn.db, "PRAGMA application_id", id, error)) return false;
  if (id != kQuendoApplicationId) {
    error = "Il file non è un database di Quendo";
    return false;
  }
  return true;
}

// The engine's own check of the whole file: "ok", or the list of what it found wrong.
bool CheckConnection(sqlite3* db, CheckDepth depth, std::string& error) {
  const std::string sql = std::string(depth == CheckDepth::Full ? "PRAGMA integrity_check(" : "PRAGMA quick_check(") +
                          std::to_string(kFindingsShown) + ")";
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  std::string findings;
  bool sound = false;
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) break;
    const unsigned char* text = sqlite3_column_text(st, 0);
    const std::string line = text ? reinterpret_cast<const char*>(text) : "";
    if (findings.empty() && line == "ok") sound = true;
    findings += "\n" + cp1252::FromUtf8Lossy(line);
  }
  if (rc != SQLITE_DONE) {
    error = EngineErrorText(db, rc);
    sqlite3_finalize(st);
    return false;
  }
  sqlite3_finalize(st);
  if (sound) return true;
  error = "Il file del database è danneggiato:" + findings;
  return false;
}

// The compacted copy of the open source into a new file.
bool VacuumInto(sqlite3* db, const std::string& target, std::string& error) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, "VACUUM INTO ?1", -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    const std::string fsPath = cp1252::ToUtf8(target);
    rc = sqlite3_bind_text(st, 1, fsPath.c_str(), static_cast<int>(fsPath.size()), SQLITE_TRANSIENT);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
  }
  if (rc != SQLITE_DONE) {
    error = EngineErrorText(db, rc);
    sqlite3_finalize(st);
    return false;
  }
  sqlite3_finalize(st);
  return true;
}

}  // namespace

bool CheckDatabaseFile(const std::string& path, CheckDepth depth, std::string& error) {
  Connection conn;
  return OpenOurs(path, conn, error) && CheckConnection(conn.db, depth, error);
}

bool RepairDatabaseFile(const std::string& path, std::string& error) {
  Connection conn;
  if (!OpenOurs(path, conn, error) || !CheckConnection(conn.db, CheckDepth::Full, error)) return false;
  if (!ExecSql(conn.db, "VACUUM", error)) return false;
  return conn.Close(&error);
}

bool DuplicateDatabaseFile(const std::string& source, const std::string& destination, std::string& error) {
  if (destination.empty()) {
    error = "Nessun file di destinazione indicato";
    return false;
  }
  if (FileExists(destination)) {
    error = "Il file di destinazione esiste già";
    return false;
  }
  Connection from;
  if (!OpenOurs(source, from, error) || !CheckConnection(from.db, CheckDepth::Quick, error)) return false;
  const std::string scratch = ScratchPathBeside(destination);
  bool copied = VacuumInto(from.db, scratch, error) && from.Close(&error);
  if (copied) {
    // The copy is checked as a file of its own before it takes its name.
    Connection to;
    copied = OpenOurs(scratch, to, error) && CheckConnection(to.db, CheckDepth::Quick, error) &&
             CloseScratchFile(to.Release(), scratch, error) && MoveIntoPlace(scratch, destination, error);
  }
  if (!copied) RemoveScratchFile(scratch);
  return copied;
}
