// Opening a database file, its transactions and batches, and its copy.

#include "DbTestSupport.h"
#include "db/DbDatabase.h"
#include "db/DbError.h"
#include "db/DbMaintenance.h"
#include "db/DbSelect.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <map>
#include <optional>
#include <stdexcept>

namespace {

using DbDatabaseTest = SchemaTest;

// Files that are not sound databases of ours: refused by the open, with its message, and by the
// check of a whole file, with its reason; left as they were.
TEST_F(DbDatabaseTest, OpenFailuresAreReportedAndLeaveTheFileAlone) {
  db.reset();
  WriteFileBytes(dir.Path("notes.txt"),
                 "questo non è un database, ma un testo con un'intestazione\n" + std::string(200, 'x'));
  // A valid SQLite database without our mark.
  MakeDatabase(dir.Path("foreign.db"), "CREATE TABLE t(x); INSERT INTO t VALUES (1); PRAGMA application_id=7;");
  chmod(path.c_str(), 0444);
  const struct {
    std::string file;
    const char *reason, *check;  // the check's reason; nullptr: not checked
  } cases[] = {
      {"", "", nullptr},
      {dir.Path("missing.mdb"), "", "Il file non esiste"},
      {dir.Path("notes.txt"), "", "non è un database valido"},
      {dir.Dir(), "", ""},
      {dir.Path("foreign.db"), "non è un database di Quendo", "Il file non è un database di Quendo"},
      {path, "sola lettura", nullptr},
  };
  for (const auto& c : cases) {
    notices.Clear();
    const std::string before = FileBytes(c.file);
    DbDatabase refused(c.file);
    EXPECT_FALSE(refused.isOpen) << c.file;
    refused.BeginTrans();  // does nothing, silently
    refused.Rollback();
    EXPECT_TRUE(notices.Notices().size() == 1 && notices.Notices()[0].icon == NoticeIcon::Stop) << notices.Texts();
    EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore in fase di apertura del database\n\n") &&
                HasPart(notices.Texts(), c.reason));
    std::string error;
    EXPECT_TRUE(!c.check || (!CheckDatabaseFile(c.file, CheckDepth::Quick, error) && HasPart(error, c.check)))
        << c.file << ": " << error;
    if (c.check) {
      // The same refusal as the open's, with the check's reason.
      const Outcome checked = CheckDatabaseToOpen(c.file);
      EXPECT_TRUE(!checked.ok && checked.messages.size() == 1 && checked.messages[0].icon == NoticeIcon::Stop);
      EXPECT_EQ(checked.Failure(), "Errore in fase di apertura del database\n\n" + error);
    }
    EXPECT_EQ(FileBytes(c.file), before) << c.file;
  }
  EXPECT_EQ(Listing(dir.Dir()), "foreign.db\nnotes.txt\nt.mdb\n");  // no log or journal left beside them
}

// A rollback undoes every table; nested levels are savepoints: a batch rolled back or left by an
// exception takes only its own rows away, one that ends keeps them, rows refused or not; a batch
// left by an exception outside any transaction keeps nothing.
// The engine's failures as the user reads them: an Italian description first, the engine's own
// English words only after it, in brackets; a lock of another program, however the engine names
// it, is said as such.
TEST(EngineErrors, AnItalianDescriptionBeforeTheEnginesWords) {
  const struct {
    int rc;
    const char *engine, *shown;
  } cases[] = {
      {SQLITE_BUSY, "database is locked", "Il database è bloccato da un altro utente o programma (database is locked)"},
      {SQLITE_PROTOCOL, "locking protocol", "Il database è bloccato da un altro utente o programma (locking protocol)"},
      {SQLITE_LOCKED, "", "Il database è bloccato da un altro utente o programma"},
      {SQLITE_FULL, "database or disk is full", "Spazio su disco esaurito (database or disk is full)"},
      {SQLITE_NOMEM, "out of memory", "Memoria insufficiente (out of memory)"},
      {SQLITE_ERROR, "no such table: tescor",
       "Il motore del database ha rifiutato l'operazione (no such table: tescor)"},
      {SQLITE_INTERRUPT, "interrupted", "Il motore del database ha rifiutato l'operazione (interrupted)"},
  };
  for (const auto& c : cases) EXPECT_EQ(EngineErrorText(c.rc, c.engine), c.shown) << c.engine;
}

TEST_F(DbDatabaseTest, RollbackUndoesEveryTableAndNestedLevelsAreSavepoints) {
  const auto abandoned = [this](const char* code) {
    DbBatch batch(db.get());
    EXPECT_EQ(AddCadence(db.get(), code), 1);
    throw std::runtime_error(code);
  };
  ASSERT_EQ(AddCadence(db.get(), "KEEP"), 1);
  db->BeginTrans();
  ASSERT_TRUE(AddCadence(db.get(), "GONE") && AddRow(db.get(), "misc", "id=1;sub=1"));
  db->Rollback();
  EXPECT_EQ(QueryFile(path, "SELECT codice FROM cadenz UNION ALL SELECT count(*) FROM misc"), "KEEP\n0\n");
  EXPECT_THROW(abandoned("X"), std::runtime_error);
  EXPECT_EQ(db->TransactionDepth(), 0);

  db->BeginTrans();  // an editor's transaction
  ASSERT_EQ(AddCadence(db.get(), "A"), 1);
  {
    DbBatch batch(db.get());  // a command run inside it
    ASSERT_EQ(AddCadence(db.get(), "B"), 1);
    batch.Rollback();
  }
  {
    DbBatch batch(db.get());
    ASSERT_EQ(AddCadence(db.get(), "C"), 1);
    EXPECT_EQ(AddCadence(db.get(), "C"), 0);  // refused, the batch goes on
    EXPECT_THROW(abandoned("D"), std::runtime_error);
    ASSERT_EQ(AddCadence(db.get(), "E"), 1);
  }  // committed into the outer transaction
  EXPECT_EQ(db->TransactionDepth(), 1);
  EXPECT_EQ(db->CommitTrans(), 1);
  EXPECT_EQ(QueryFile(path, "SELECT codice FROM cadenz ORDER BY 1"), "A\nC\nE\nKEEP\n");
  EXPECT_EQ(notices.Notices().size(), 1u) << notices.Texts();  // the refused row's
  EXPECT_EQ(db->CommitTrans(), 0);                             // nothing open: reported
  EXPECT_TRUE(HasPart(notices.Texts(), "\n--\nErrore in fase di convalida della transazione\n\n"));
}

// A write refused on a full disk inside a transaction. Where the engine rolled the whole
// transaction back by itself (a write of one row), the layer refuses every later write of it
// without a message and stores none of them on its own; every level commits nothing, quietly,
// and the next transaction works. Where the engine kept it (a statement of many rows undone
// alone), the transaction goes on as before.
TEST_F(DbDatabaseTest, AWriteThatEndsTheTransactionStopsEveryLaterWriteOfIt) {
  const std::string memo = "memo=" + std::string(900, 'x');
  const auto addRow = [&](int id) { return AddRow(db.get(), "misc", "id=" + std::to_string(id) + ";sub=1;" + memo); };
  const auto many = [&] {
    return DbExecute(db.get(), "misc", "INSERT INTO misc (id, sub, memo) SELECT id + 1000, sub, memo FROM misc", {});
  };
  const std::string full = "Errore aggiornamento tavola (misc)\n\nSpazio su disco esaurito (database or disk is full)";
  enum class Batch { None, BeforeTheLoss, AfterTheLoss };  // one begun inside the outer transaction
  const struct {
    const char* what;
    Batch inner;
    bool byStatement;  // the statement of many rows
    const char *notice, *stored;
  } cases[] = {
      {"rows", Batch::None, false, "\n\nLe modifiche della transazione sono state annullate.", "0|0\n"},
      {"rows in a batch inside a transaction", Batch::BeforeTheLoss, false,
       "\n\nLe modifiche della transazione sono state annullate.", "0|0\n"},
      {"rows, then a batch begun inside the transaction", Batch::AfterTheLoss, false,
       "\n\nLe modifiche della transazione sono state annullate.", "0|0\n"},
      {"a statement of many rows", Batch::None, true, "", "1|30\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    notices.Clear();
    ASSERT_EQ(ExecOnFile(path, "DELETE FROM misc"), "ok");
    if (c.byStatement) {
      for (int id = 1; id <= 30; ++id) ASSERT_EQ(addRow(id), 1);
    }
    FillDiskAfter(db->Handle(), 2);
    db->BeginTrans();
    std::optional<DbBatch> inner;
    if (c.inner == Batch::BeforeTheLoss) inner.emplace(db.get());
    int refused = 0;
    if (c.byStatement) {
      EXPECT_EQ(many(), -1);
    } else {
      while (refused < 500 && addRow(100 + refused)) ++refused;
      EXPECT_LT(refused, 500);
    }
    EXPECT_EQ(sqlite3_get_autocommit(db->Handle()), c.byStatement ? 0 : 1);  // the engine ended it, or kept it
    EXPECT_EQ(db->TransactionLost(), !c.byStatement);
    if (c.inner == Batch::AfterTheLoss) inner.emplace(db.get());
    // Later writes: one row (which the full disk would still have room for) and a statement.
    sqlite3_exec(db->Handle(), "PRAGMA max_page_count = 100000", nullptr, nullptr, nullptr);
    EXPECT_EQ(AddRow(db.get(), "misc", "id=1;sub=2"), c.byStatement ? 1 : 0);
    EXPECT_EQ(DbExecute(db.get(), "misc", "UPDATE misc SET name = 'x' WHERE sub = 2", {}), c.byStatement ? 1 : -1);
    if (inner) {
      EXPECT_EQ(inner->Lost(), !c.byStatement);
      EXPECT_EQ(inner->Commit(), c.byStatement ? 1 : 0);
    }
    EXPECT_EQ(db->CommitTrans(), c.byStatement ? 1 : 0);
    EXPECT_EQ(db->TransactionDepth(), 0);
    EXPECT_EQ(notices.Texts(), full + c.notice);  // the refusal only
    EXPECT_EQ(QueryFile(path, "SELECT count(name), count(*) - count(name) FROM misc"), c.stored);
    // The next transaction works.
    db->BeginTrans();
    EXPECT_EQ(AddRow(db.get(), "misc", "id=2;sub=2"), 1);
    EXPECT_EQ(db->CommitTrans(), 1);
    EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM misc WHERE id = 2 AND sub = 2"), "1\n");
  }
}

// A copy of a file of ours with a row still in the write-ahead log of an open connection: checked,
// complete on its own, nothing else left beside it, the connection's locks kept. Failures leave every file as it was.
TEST_F(DbDatabaseTest, DuplicateCopiesTheRowsOfTheLogOrLeavesEveryFileAsItWas) {
  const std::string copy = dir.Path("copia.mdb");
  std::string error;
  ASSERT_EQ(AddCadence(db.get(), "FES", "Festivo"), 1);
  const std::vector<std::string> locks = LocksHeld(path);
  ASSERT_FALSE(locks.empty());
  const Outcome copied = DuplicateDatabaseFile(path, copy);
  ASSERT_TRUE(copied.ok && copied.messages.empty()) << copied.Texts();
  EXPECT_EQ(LocksHeld(path), locks);  // the open connection is not left without its locks
  db.reset();
  EXPECT_EQ(Listing(dir.Dir()), "copia.mdb\nt.mdb\n");
  EXPECT_EQ(QueryFile(copy, "SELECT * FROM cadenz"), "FES|Festivo\n");
  EXPECT_TRUE(CheckDatabaseFile(copy, CheckDepth::Full, error)) << error;
  WriteFileBytes(dir.Path("testo.txt"), std::string(4096, 'q'));
  MakeDatabase(dir.Path("rotto.mdb"),
               std::string(kTestSchema) +
                   "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < "
                   "2000) INSERT INTO misc (id, sub, memo) SELECT k, 0, hex(zeroblob(100)) FROM n;");
  DamageLeaf(dir.Path("rotto.mdb"), "misc");
  WriteFileBytes(dir.Path("copia4.mdb-journal"), "un giornale lasciato");
  const std::string listing = Listing(dir.Dir());
  std::map<std::string, std::string> bytes;
  for (const char* name : {"copia.mdb", "t.mdb", "rotto.mdb", "testo.txt", "copia4.mdb-journal"})
    bytes[name] = FileBytes(dir.Path(name));
  const std::pair<std::string, std::string> cases[] = {
      {path, copy},  // "Il file di destinazione esiste già"
      {path, path},  // onto itself
      {path, ""},
      {dir.Path("testo.txt"), dir.Path("copia1.mdb")},  // not ours
      {dir.Path("rotto.mdb"), dir.Path("copia2.mdb")},  // damaged
      {path, dir.Path("manca/copia3.mdb")},             // no such folder
      {path, dir.Path("copia4.mdb")},                   // a rollback journal left beside the name
  };
  for (const auto& [source, destination] : cases) {
    const Outcome refused = DuplicateDatabaseFile(source, destination);
    const std::string failed = "Errore durante la duplicazione del database\n\n" + source + "\n" + destination + "\n\n";
    EXPECT_FALSE(refused.ok) << destination;
    ASSERT_EQ(refused.messages.size(), 1u) << destination;
    EXPECT_TRUE(HasPrefix(refused.Failure(), failed) && refused.Failure().size() > failed.size()) << refused.Failure();
    EXPECT_EQ(refused.messages[0].caption, "Duplicazione database");
  }
  EXPECT_EQ(Listing(dir.Dir()), listing);
  for (const auto& [name, content] : bytes) EXPECT_TRUE(FileBytes(dir.Path(name)) == content) << name << " changed";
}

}  // namespace
