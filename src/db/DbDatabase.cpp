#include "db/DbDatabase.h"

#include "common/Cp1252.h"
#include "common/Notices.h"
#include "db/DbBringForward.h"
#include "db/DbCollation.h"
#include "db/DbEngine.h"
#include "db/DbError.h"
#include "db/DbFile.h"
#include "db/DbSchemaCheck.h"
#include "db/FieldValue.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <iterator>
#include <thread>

namespace {

// How long a statement waits for another program's lock before failing as busy.
constexpr int kBusyTimeoutMs = 5000;
// How long a checkpoint waits for another program's readers and writers.
constexpr int kCheckpointWaitMs = 250;

// How long a commit is tried again while another program holds a lock for a moment.
constexpr auto kCommitRetryFor = std::chrono::seconds(3);

// Runs `sql`, waiting out a lock held for a moment by another program (one that reads the file as
// the statement runs, which the engine may report as a locking protocol fault rather than wait
// for, as it does when a file in rollback mode is turned to write-ahead mode), for a short while,
// before it fails. `inTransaction`: the statement ends the open transaction (a commit), and is not
// tried again once the engine has ended it.
bool ExecWaitingForLocks(sqlite3* db, const char* sql, bool inTransaction, std::string& error) {
  const auto giveUp = std::chrono::steady_clock::now() + kCommitRetryFor;
  for (;;) {
    if (ExecSql(db, sql, error)) return true;
    const int rc = sqlite3_extended_errcode(db) & 0xFF;
    const bool passing = rc == SQLITE_BUSY || rc == SQLITE_LOCKED || rc == SQLITE_PROTOCOL;
    if (!passing || (inTransaction && sqlite3_get_autocommit(db) != 0) || std::chrono::steady_clock::now() >= giveUp)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// Commits the open transaction, waiting out a lock held for a moment (ExecWaitingForLocks).
bool CommitWaitingForLocks(sqlite3* db, std::string& error) { return ExecWaitingForLocks(db, "COMMIT", true, error); }

// The open's wait for another program, in all: each statement of the checks and of the
// bring-forward that meets a lock waits only for what is left of it, so that a program that keeps
// the file is told within about kBusyTimeoutMs however many statements meet it.
struct WaitBudget {
  int leftMs = kBusyTimeoutMs;
};
int WaitOutOfBudget(void* data, int tries) {
  static constexpr int kDelaysMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
  auto* budget = static_cast<WaitBudget*>(data);
  const int step = kDelaysMs[std::min<size_t>(static_cast<size_t>(tries), std::size(kDelaysMs) - 1)];
  const int delay = std::min(budget->leftMs, step);
  if (delay <= 0) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(delay));
  budget->leftMs -= delay;
  return 1;
}

void Report(const char* prefix, const std::string& description) {
  Notify(std::string(prefix) + description, NoticeIcon::Stop);
}

// Checks that the file is one of ours (or the builder's own scratch file), readable and writable;
// on failure returns the reason.
bool CheckFile(sqlite3* db, const std::string& path, DbOpening opening, std::string& error) {
  if (sqlite3_db_readonly(db, "main") == 1 || access(path.c_str(), W_OK) != 0) {
    error = "Il file è in sola lettura: non è possibile lavorarvi";
    return false;
  }
  int id = 0;
  if (!QueryInt(db, "PRAGMA application_id", id, error)) return false;
  if (id != kQuendoApplicationId && (opening == DbOpening::Checked || id != kQuendoScratchApplicationId)) {
    error = "Il file non è un database di Quendo";
    return false;
  }
  return true;
}

}  // namespace

DbDatabase::DbDatabase(const char* p, DbOpening opening, WorkProgress* progress) {
  isOpen = true;
  path = p ? p : "";
  std::string error;
  struct stat info {};
  if (path.empty()) {
    error = "Nessun file indicato";
  } else if (stat(cp1252::ToUtf8(path).c_str(), &info) != 0) {
    error = "Il file non esiste: " + path;
  } else if (!S_ISREG(info.st_mode)) {
    error = "Il percorso non indica un file";
  } else if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(cp1252::ToUtf8(path).c_str(), W_OK) != 0) {
    // Refused before the engine opens it: a connection that may only read would leave its log and
    // index beside the file, unwritable, and they would keep refusing it once it is made writable.
    error = "Il file è in sola lettura: non è possibile lavorarvi";
  } else {
    // The path is Windows-1252 inside the program; the file system wants UTF-8.
    const std::string fsPath = cp1252::ToUtf8(path);
    const ReopenDatabase open = [&fsPath](std::string& reason) -> sqlite3* {
      sqlite3* db = nullptr;
      const int rc = sqlite3_open_v2(fsPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
      if (rc != SQLITE_OK) {
        reason = EngineErrorText(db, rc);
        sqlite3_close_v2(db);
        return nullptr;
      }
      sqlite3_busy_timeout(db, kBusyTimeoutMs);
      sqlite3_extended_result_codes(db, 1);
      DefendConnection(db);
      WatchEngineProgress(db);
      RegisterDictionaryCollation(db);
      return db;
    };
    // The file is checked before anything is written to it: one that is refused stays as it was.
    // One an earlier build wrote is brought to the builder's definitions first (a new file's content
    // put into it), while the relations are not yet enforced.
    const bool checked = opening != DbOpening::BeingBuilt, named = opening == DbOpening::Checked;
    // What a creation, a salvage or a bring-forward killed half-way left beside the file goes first.
    if (named) RemoveScratchFilesLeftBeside(path);
    database = open(error);
    WaitBudget budget;
    if (database) sqlite3_busy_handler(database, WaitOutOfBudget, &budget);
    const bool held = database && CheckFile(database, fsPath, opening, error) &&
                      (!checked || (CheckTablesAgainstDictionary(database, error) &&
                                    BringDefinitionsForward(database, path, open, error, progress)));
    if (database) sqlite3_busy_timeout(database, kBusyTimeoutMs);
    // A file kept by another program past the wait is left as it was, whatever statement met it.
    if (!held && error.compare(0, std::strlen(kEngineBusyText), kEngineBusyText) == 0)
      error = std::string(kOpenElsewhere) + "\n\n" + kLeftAsItWas;
    std::string ignored;
    if (held && ExecSql(database, "PRAGMA foreign_keys=ON", error) &&
        ExecWaitingForLocks(database, "PRAGMA journal_mode=WAL", false, error) &&
        ExecSql(database, "PRAGMA synchronous=NORMAL", error)) {
      // A file that took its place without clearing its scratch mark (killed just then) loses it.
      if (named) ClearScratchVersion(database, "main", ignored);
      return;
    }
  }
  Report("Errore in fase di apertura del database\n\n", error);
  if (database) sqlite3_close_v2(database);
  database = nullptr;
  isOpen = false;
}

DbDatabase::~DbDatabase() {
  if (database && isOpen) {
    // Work still pending in an unfinished transaction is given up, as the engine would.
    if (depth_ > 0 && !TransactionLost()) sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr);
    depth_ = 0;
    // The file is left whole on its own even while another program keeps it open.
    Checkpoint();
    const int rc = sqlite3_close_v2(database);
    if (rc != SQLITE_OK)
      Report("Errore in fase di sconnessione del data base\n\n", EngineErrorText(rc, sqlite3_errstr(rc)));
  }
  database = nullptr;
  isOpen = false;
}

bool DbDatabase::Checkpoint() {
  if (!database || !isOpen || depth_ > 0 || sqlite3_get_autocommit(database) == 0) return false;
  int logFrames = -1, folded = -1;
  // A first pass that waits for nobody: with nothing in the log (the command changed nothing) it
  // is all there is to do.
  int rc = sqlite3_wal_checkpoint_v2(database, "main", SQLITE_CHECKPOINT_PASSIVE, &logFrames, &folded);
  if (rc == SQLITE_OK && logFrames <= 0) return true;
  sqlite3_busy_timeout(database, kCheckpointWaitMs);
  rc = sqlite3_wal_checkpoint_v2(database, "main", SQLITE_CHECKPOINT_TRUNCATE, &logFrames, &folded);
  sqlite3_busy_timeout(database, kBusyTimeoutMs);
  return rc == SQLITE_OK && logFrames == folded;
}

bool DbDatabase::TransactionLost() {
  // Only the engine ends a transaction of ours behind the program's back: inside one, the
  // engine's autocommit means it rolled the transaction back.
  if (depth_ > 0 && !lost_ && database && sqlite3_get_autocommit(database) != 0) lost_ = true;
  return lost_;
}

std::string DbDatabase::WriteRefusal(int rc, DbOperation op) {
  std::string description = EngineErrorText(database, rc, op);
  if (TransactionLost()) description += "\n\n" + std::string(kTransactionCancelledText);
  return description;
}

// A level of a lost transaction ends without the engine, which has already ended it.
void DbDatabase::EndLostLevel() {
  if (--depth_ == 0) lost_ = false;
}

void DbDatabase::BeginTrans() {
  if (!database || !isOpen || TransactionLost()) return;
  std::string error;
  // The outermost level takes the right to write at once: an editor that holds its transaction
  // open can always store its changes, and another program that writes meanwhile is told that
  // the database is busy instead of this one's changes failing at the end.
  const std::string sql = depth_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT q" + std::to_string(depth_);
  if (!ExecSql(database, sql.c_str(), error)) {
    Report("Errore in fase di avvio della transazione\n\n", error);
    return;
  }
  ++depth_;
}

int DbDatabase::CommitTrans() {
  if (!database || !isOpen) return 0;
  std::string error;
  if (depth_ == 0) {
    Report("Errore in fase di convalida della transazione\n\n", "Nessuna transazione in corso");
    return 0;
  }
  if (TransactionLost()) {
    EndLostLevel();
    return 0;
  }
  if (depth_ > 1) {
    const std::string sql = "RELEASE q" + std::to_string(depth_ - 1);
    if (!ExecSql(database, sql.c_str(), error)) {
      if (TransactionLost()) error += "\n\n" + std::string(kTransactionCancelledText);
      Report("Errore in fase di convalida della transazione\n\n", error);
      if (lost_) EndLostLevel();
      return 0;
    }
    --depth_;
    return 1;
  }
  if (!CommitWaitingForLocks(database, error)) {
    // Never taken as committed: the work is rolled back and the caller told.
    std::string ignored;
    if (sqlite3_get_autocommit(database) == 0) ExecSql(database, "ROLLBACK", ignored);
    depth_ = 0;
    lost_ = false;
    Report("Errore in fase di convalida della transazione\n\n", error + "\n\n" + kTransactionCancelledText);
    return 0;
  }
  depth_ = 0;
  return 1;
}

void DbDatabase::Rollback() {
  if (!database || !isOpen) return;
  std::string error;
  if (depth_ == 0) {
    Report("Errore in fase di ripristino della transazione\n\n", "Nessuna transazione in corso");
    return;
  }
  if (TransactionLost()) {
    EndLostLevel();
    return;
  }
  if (depth_ > 1) {
    const std::string name = "q" + std::to_string(depth_ - 1);
    const std::string sql = "ROLLBACK TO " + name + "; RELEASE " + name;
    if (!ExecSql(database, sql.c_str(), error) && !TransactionLost())
      Report("Errore in fase di ripristino della transazione\n\n", error);
    if (lost_)
      EndLostLevel();
    else
      --depth_;
    return;
  }
  if (!ExecSql(database, "ROLLBACK", error) && sqlite3_get_autocommit(database) == 0)
    Report("Errore in fase di ripristino della transazione\n\n", error);
  depth_ = 0;
  lost_ = false;
}

DbBatch::DbBatch(DbDatabase* db) : db_(db), exceptionsAtStart_(std::uncaught_exceptions()) {
  if (db_ && db_->isOpen) {
    const int before = db_->TransactionDepth();
    db_->BeginTrans();
    active_ = db_->TransactionDepth() > before;
  }
}

DbBatch::~DbBatch() {
  // Left by an exception, the work is unfinished: nothing of it is kept.
  if (std::uncaught_exceptions() > exceptionsAtStart_)
    Rollback();
  else
    Commit();
}

int DbBatch::Commit() {
  if (!active_) return 0;
  active_ = false;
  return db_->CommitTrans();
}

void DbBatch::Rollback() {
  if (!active_) return;
  active_ = false;
  db_->Rollback();
}

DbReadSnapshot::DbReadSnapshot(DbDatabase* db) {
  sqlite3* h = db && db->isOpen ? db->Handle() : nullptr;
  if (h && db->TransactionDepth() == 0 && sqlite3_get_autocommit(h) &&
      sqlite3_exec(h, "BEGIN DEFERRED", nullptr, nullptr, nullptr) == SQLITE_OK)
    handle_ = h;
}

DbReadSnapshot::~DbReadSnapshot() {
  // Nothing was written: ending it only releases the moment it held.
  if (handle_ && !sqlite3_get_autocommit(handle_) &&
      sqlite3_exec(handle_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
    sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::string SqlQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out.push_back('\'');
    out.push_back(c);
  }
  out.push_back('\'');
  return out;
}

std::string SqlDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) return "NULL";
  return "'" + IsoDate(year * 10000LL + month * 100 + day) + "'";
}

std::string SqlDate(const std::string& text) {
  int y = 0, m = 0, d = 0;
  if (!ParseDateText(text, y, m, d)) return "NULL";
  return SqlDate(y, m, d);
}
