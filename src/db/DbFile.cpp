#include "db/DbFile.h"

#include "common/Cp1252.h"
#include "common/DatabaseFiles.h"
#include "db/DbEngine.h"
#include "db/DbError.h"
#include "db/SqliteValue.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

size_t SkipSqlBlanks(const std::string& text, size_t at) {
  while (at < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[at]))) {
      ++at;
    } else if (text.compare(at, 2, "--") == 0) {
      const size_t end = text.find('\n', at);
      at = end == std::string::npos ? text.size() : end + 1;
    } else if (text.compare(at, 2, "/*") == 0) {
      const size_t end = text.find("*/", at + 2);
      at = end == std::string::npos ? text.size() : end + 2;
    } else {
      break;
    }
  }
  return at;
}

std::string NextSqlName(const std::string& text, size_t& at) {
  at = SkipSqlBlanks(text, at);
  if (at >= text.size()) return {};
  const char open = text[at];
  if (open == '"' || open == '\'' || open == '`' || open == '[') {
    const char close = open == '[' ? ']' : open;
    std::string name;
    for (size_t k = at + 1; k < text.size(); ++k) {
      if (text[k] != close) {
        name += text[k];
      } else if (close != ']' && k + 1 < text.size() && text[k + 1] == close) {
        name += close;
        ++k;
      } else {
        at = k + 1;
        return name;
      }
    }
    at = text.size();
    return {};
  }
  size_t end = at;
  while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_' ||
                               static_cast<unsigned char>(text[end]) >= 0x80))
    ++end;
  std::string word = text.substr(at, end - at);
  at = end;
  return word;
}

void DefendConnection(sqlite3* db) {
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

bool ExecSql(sqlite3* db, const std::string& sql, std::string& error) {
  char* msg = nullptr;
  const std::string text = TextToEngine(sql);
  const int rc = sqlite3_exec(db, text.c_str(), nullptr, nullptr, &msg);
  if (rc == SQLITE_OK) return true;
  error = EngineErrorText(sqlite3_extended_errcode(db), msg ? msg : sqlite3_errstr(rc));
  sqlite3_free(msg);
  return false;
}

bool EachRow(sqlite3* db, const char* sql, const std::function<void(sqlite3_stmt*)>& row, std::string& error) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) row(st);
    if (rc == SQLITE_DONE) rc = SQLITE_OK;
  }
  if (rc != SQLITE_OK) error = EngineErrorText(db, rc);
  sqlite3_finalize(st);
  return rc == SQLITE_OK;
}

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

namespace {

// Opens a new file at `path` (its name free) for its first statements; null with the reason, and
// nothing left at the name, when it cannot be made.
sqlite3* OpenNewFile(const std::string& path, std::string& error) {
  if (!DatabaseNameFree(path, "Il file esiste già", error)) return nullptr;
  const std::string fsPath = cp1252::ToUtf8(path);
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(fsPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_extended_result_codes(db, 1);
    return db;
  }
  error = EngineErrorText(db, rc);
  sqlite3_close_v2(db);
  std::remove(fsPath.c_str());
  return nullptr;
}

// Runs the first statements of a file OpenNewFile made; on failure the file is closed and removed.
bool FirstStatements(sqlite3* db, const std::string& path, const std::string& sql, std::string& error) {
  if (ExecSql(db, sql, error)) return true;
  sqlite3_close_v2(db);
  std::remove(cp1252::ToUtf8(path).c_str());
  return false;
}

}  // namespace

bool CreateDatabaseFile(const std::string& path, sqlite3** out, std::string& error, int mark) {
  *out = nullptr;
  sqlite3* db = OpenNewFile(path, error);
  if (!db) return false;
  WatchEngineProgress(db);
  if (!FirstStatements(db, path,
                       "BEGIN; PRAGMA application_id=" + std::to_string(mark) + "; PRAGMA user_version=" +
                           std::to_string(mark == kQuendoScratchApplicationId ? kQuendoScratchUserVersion : 0) +
                           "; COMMIT; PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON;",
                       error))
    return false;
  *out = db;
  return true;
}

bool CreateScratchFile(const std::string& path, int pageSize, std::string& error) {
  sqlite3* db = OpenNewFile(path, error);
  if (!db || !FirstStatements(db, path,
                              "PRAGMA page_size=" + std::to_string(pageSize) +
                                  "; BEGIN; PRAGMA application_id=" + std::to_string(kQuendoScratchApplicationId) +
                                  "; PRAGMA user_version=" + std::to_string(kQuendoScratchUserVersion) + "; COMMIT",
                              error))
    return false;
  const int rc = sqlite3_close_v2(db);
  if (rc == SQLITE_OK) return true;
  error = EngineErrorText(rc, sqlite3_errstr(rc));
  RemoveScratchFile(path);
  return false;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return lstat(cp1252::ToUtf8(path).c_str(), &info) == 0;
}

bool DatabaseNameFree(const std::string& path, const std::string& taken, std::string& error) {
  if (FileExists(path)) {
    error = taken;
    return false;
  }
  for (const char* side : {"-wal", "-journal"}) {
    if (!FileExists(path + side)) continue;
    error = "Il file esiste già:\n" + path + side;
    return false;
  }
  return true;
}

std::string ScratchPathBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (;;) {
    const std::string scratch =
        folder + "." + name + "." + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp";
    std::string taken;
    if (DatabaseNameFree(scratch, {}, taken)) return scratch;
  }
}

bool MarkAsOurs(sqlite3* db, std::string& error) {
  return ExecSql(db, "PRAGMA application_id=" + std::to_string(kQuendoApplicationId), error);
}

bool ClearScratchVersion(sqlite3* db, const char* schema, std::string& error) {
  int version = 0;
  const std::string read = "PRAGMA " + std::string(schema) + ".user_version";
  return QueryInt(db, read.c_str(), version, error) &&
         (version != kQuendoScratchUserVersion || ExecSql(db, read + "=0", error));
}

void ClearScratchVersionOf(const std::string& path) {
  sqlite3* db = nullptr;
  std::string ignored;
  if (sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) ==
      SQLITE_OK) {
    sqlite3_busy_timeout(db, 1000);
    ClearScratchVersion(db, "main", ignored);
  }
  sqlite3_close_v2(db);
}

bool CloseScratchFile(sqlite3* db, const std::string& scratch, std::string& error) {
  const bool folded = ExecSql(db, "PRAGMA journal_mode=DELETE", error);
  const int rc = sqlite3_close_v2(db);
  if (!folded) return false;
  if (rc != SQLITE_OK) {
    error = EngineErrorText(rc, sqlite3_errstr(rc));
    return false;
  }
  if (FileExists(scratch + "-wal")) {
    error = "Il registro delle scritture del database non è stato chiuso";
    return false;
  }
  return true;
}

namespace {

// RemoveScratchFile of a name as the file system spells it.
void RemoveFileAndSides(const std::string& fsPath) {
  for (const char* companion : kDatabaseCompanions) unlink((fsPath + companion).c_str());
  unlink(fsPath.c_str());
}

// Whether the file at `fsPath` is a regular file the program was making: one that bears a scratch
// mark in its header (its application id, or its user version once marked as ours), or an empty
// one, where the engine had not yet written its first page (the file's start is read without
// waiting on a pipe, and a link is not followed).
bool LeftByTheProgram(const std::string& fsPath) {
  const int fd = open(fsPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  // Every database file begins with its heading; its user version and application id are the
  // big-endian numbers at bytes 60 and 68 of the 100-byte header.
  unsigned char header[100];
  struct stat info {};
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  const bool read = regular && pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  close(fd);
  if (regular && info.st_size == 0) return true;
  if (!read || std::memcmp(header, kDatabaseHeading, sizeof kDatabaseHeading) != 0) return false;
  const auto number = [&header](int at) {
    return static_cast<int>((std::uint32_t{header[at]} << 24) | (std::uint32_t{header[at + 1]} << 16) |
                            (std::uint32_t{header[at + 2]} << 8) | std::uint32_t{header[at + 3]});
  };
  return number(68) == kQuendoScratchApplicationId || number(60) == kQuendoScratchUserVersion;
}

}  // namespace

void RemoveScratchFile(const std::string& scratch) { RemoveFileAndSides(cp1252::ToUtf8(scratch)); }

void RemoveScratchFilesLeftBeside(const std::string& path) {
  const std::string fsPath = cp1252::ToUtf8(path);
  const size_t slash = fsPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string("./") : fsPath.substr(0, slash + 1);
  // As ScratchPathBeside names them: "." + name + "." + process + "-" + number + ".tmp".
  const std::string start = "." + (slash == std::string::npos ? fsPath : fsPath.substr(slash + 1)) + ".";
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> left;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, start.size(), start) != 0) continue;
    char* end = nullptr;
    const long process = std::strtol(name.c_str() + start.size(), &end, 10);
    if (end == name.c_str() + start.size() || *end != '-' || process <= 0) continue;
    const char* number = end + 1;
    std::strtoul(number, &end, 10);
    if (end == number || std::strcmp(end, ".tmp") != 0) continue;
    // A process that still runs may be writing it.
    if (process != getpid() && kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH &&
        LeftByTheProgram(folder + name))
      left.push_back(folder + name);
  }
  closedir(dir);
  for (const std::string& name : left) RemoveFileAndSides(name);
}

bool MoveIntoPlace(const std::string& scratch, const std::string& path, std::string& error) {
  if (!DatabaseNameFree(path, "Il file esiste già", error)) return false;
  const std::string from = cp1252::ToUtf8(scratch);
  const std::string to = cp1252::ToUtf8(path);
  int rc = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
  if (rc != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
    // A file system without that kind of rename: a new link never replaces a file either.
    rc = link(from.c_str(), to.c_str());
    if (rc == 0) unlink(from.c_str());
  }
  if (rc == 0) return true;
  error = errno == EEXIST ? std::string("Il file esiste già")
                          : "Impossibile dare al file il nome scelto (" + std::string(std::strerror(errno)) + ")";
  return false;
}
