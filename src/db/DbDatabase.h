#pragma once
// The one open timetable database. Opening happens in the constructor and closing in the
// destructor; every engine failure is told through the notice sink (common/Notices.h) and no
// exception leaves.

#include "db/DbEngine.h"
#include "db/DbError.h"

#include <functional>
#include <string>

struct sqlite3;

// How a file is taken: a file made elsewhere or before is compared with what the builder makes
// before anything is written to it, and one that an earlier build wrote is brought to the
// builder's definitions (BringDefinitionsForward) or refused as it was; the builder's own scratch
// file, whose tables it is still making, is only checked to be one of ours (its scratch mark
// taken, kQuendoScratchApplicationId); once its tables are made, it is checked as any file, its
// scratch mark taken, while it is seeded.
enum class DbOpening { Checked, BeingBuilt, Seeding };

class WorkProgress;

class DbDatabase {
 public:
  // `progress` (may be null) is told when a file an earlier build wrote is brought forward, a long
  // pass on a large file (BringDefinitionsForward).
  explicit DbDatabase(const char* filePath, DbOpening opening = DbOpening::Checked, WorkProgress* progress = nullptr);
  explicit DbDatabase(const std::string& filePath, DbOpening opening = DbOpening::Checked,
                      WorkProgress* progress = nullptr)
      : DbDatabase(filePath.c_str(), opening, progress) {}
  virtual ~DbDatabase();
  DbDatabase(const DbDatabase&) = delete;
  DbDatabase& operator=(const DbDatabase&) = delete;

  // Transactions nest: the first begins a transaction, deeper ones a savepoint inside it.
  // Nothing is begun while a transaction the engine ended is still open (TransactionLost).
  void BeginTrans();
  // Commits the innermost level. A failed commit is reported and the transaction rolled back;
  // returns 1 only when the work is really stored.
  int CommitTrans();
  void Rollback();
  int TransactionDepth() const { return depth_; }

  // A transaction can end without the program ending it: on a full disk, an I/O error, a busy
  // file or no memory the engine may roll the whole of it back on its own, and each statement
  // after that would be stored by itself. The layer asks the engine after every refused write
  // (WriteRefusal) and before every write (MayWrite); a transaction found ended is lost: every
  // further write of it is refused without reaching the engine and without a message (the
  // refused write that ended it told why), every level of it commits nothing and returns 0 and
  // rolls back without a message, and once its outermost level has ended the next BeginTrans
  // begins anew.
  bool TransactionLost();
  // Whether a write may run now: false, silently, inside a lost transaction.
  bool MayWrite() { return !TransactionLost(); }
  // The description of a write the engine refused (EngineErrorText), to be reported by the
  // caller; when the refusal ended the open transaction, marks it lost and says so.
  std::string WriteRefusal(int rc, DbOperation op);

  // Folds the write-ahead log into the file and empties it, so that a copy of the file alone
  // holds every committed change. Waits only briefly for another program's readers and writers;
  // then as much as can be folded is, and the rest at the next call. Nothing is done inside a
  // transaction. Returns true when the whole log was folded; nothing is reported.
  bool Checkpoint();

  sqlite3* Handle() const { return database; }
  const std::string& Path() const { return path; }

  // 1 while the database is open.
  bool isOpen = false;

 private:
  sqlite3* database = nullptr;
  std::string path;
  int depth_ = 0;
  bool lost_ = false;  // the engine ended the open transaction (kept until its outermost level ends)

  void EndLostLevel();
};

// Runs one command's writes in one transaction (a savepoint when one is already open), committed
// when Commit is called or the batch goes out of scope: rows refused on the way are simply not
// there, and what was written stays written; a crash before the end leaves the file as it was,
// and so does an exception that leaves the batch's scope (it is rolled back, never committed).
class DbBatch {
 public:
  explicit DbBatch(DbDatabase* db);
  ~DbBatch();
  DbBatch(const DbBatch&) = delete;
  DbBatch& operator=(const DbBatch&) = delete;
  int Commit();
  void Rollback();
  // Whether its transaction is open. False when it could not begin (another program is writing:
  // the layer has told why): no work may then be done, for each write would be stored on its own.
  bool Active() const { return active_; }
  // Whether the engine ended its transaction (DbDatabase::TransactionLost): the work stops, as
  // nothing more of it can be stored, and Commit stores nothing. A batch begun inside a transaction
  // already lost is not active, and lost too.
  bool Lost() const { return db_ && db_->TransactionLost(); }

 private:
  DbDatabase* db_;
  bool active_ = false;
  int exceptionsAtStart_ = 0;  // an exception thrown since makes the destructor roll back
};

// One read transaction for a long read-only pass (an export): every selection made while it lasts
// sees the database as it was at the first read, whatever another program writes meanwhile.
// Inside a transaction already open, that one serves. Ended when it goes out of scope.
class DbReadSnapshot {
 public:
  explicit DbReadSnapshot(DbDatabase* db);
  ~DbReadSnapshot();
  DbReadSnapshot(const DbReadSnapshot&) = delete;
  DbReadSnapshot& operator=(const DbReadSnapshot&) = delete;

 private:
  sqlite3* handle_ = nullptr;
};

// Quoting for SQL texts built by callers: never paste a user's text into SQL without these.
std::string SqlQuote(const std::string& text);      // 'O''Brien'
std::string SqlDate(int year, int month, int day);  // '2024-03-05'
std::string SqlDate(const std::string& ddmmyyyy);   // from "05/03/2024"; 'NULL' when it is no date
