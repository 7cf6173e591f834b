// Opening a database file, its transactions and batches, and the texts of values put into SQL.

#include "DbTestSupport.h"
#include "db/DbDatabase.h"
#include "db/DbMaintenance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class DbDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.Path("t.mdb");
    MakeDatabase(path, kTestSchema);
  }
  ScratchDir dir;
  std::string path;
  NoticeLog notices;
};

// Files that are not sound databases of ours: refused by the open, with its message, and by the
// check of a whole file, with its reason; left as they were.
TEST_F(DbDatabaseTest, OpenFailuresAreReportedAndLeaveTheFileAlone) {
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
    DbDatabase db(c.file);
    EXPECT_FALSE(db.isOpen) << c.file;
    db.BeginTrans();  // does nothing, silently
    db.Rollback();
    ASSERT_EQ(notices.Notices().size(), 1u) << c.file;
    EXPECT_EQ(notices.Notices()[0].icon, NoticeIcon::Stop);
    EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore in fase di apertura del database\n\n"));
    EXPECT_TRUE(HasPart(notices.Texts(), c.reason));
    std::string error;
    if (c.check) {
      EXPECT_FALSE(CheckDatabaseFile(c.file, CheckDepth::Quick, error)) << c.file;
      EXPECT_TRUE(HasPart(error, c.check));
    }
    EXPECT_EQ(FileBytes(c.file), before) << c.file;
  }
  EXPECT_EQ(Listing(dir.Dir()), "foreign.db\nnotes.txt\nt.mdb\n");  // no log or journal left beside them
}

TEST_F(DbDatabaseTest, RollbackUndoesEveryTableAndNestedLevelsAreSavepoints) {
  DbDatabase db(path);
  ASSERT_EQ(AddCadence(&db, "KEEP"), 1);
  db.BeginTrans();
  ASSERT_EQ(AddCadence(&db, "GONE"), 1);
  ASSERT_EQ(AddRow(&db, "misc", "id=1;sub=1"), 1);
  db.Rollback();
  EXPECT_EQ(QueryFile(path, "SELECT codice FROM cadenz UNION ALL SELECT count(*) FROM misc"), "KEEP\n0\n");

  db.BeginTrans();  // an editor's transaction
  ASSERT_EQ(AddCadence(&db, "A"), 1);
  {
    DbBatch batch(&db);  // a command run inside it
    ASSERT_EQ(AddCadence(&db, "B"), 1);
    batch.Rollback();
  }
  {
    DbBatch batch(&db);
    ASSERT_EQ(AddCadence(&db, "C"), 1);
  }  // committed into the outer transaction
  EXPECT_EQ(db.TransactionDepth(), 1);
  EXPECT_EQ(db.CommitTrans(), 1);
  EXPECT_EQ(QueryFile(path, "SELECT codice FROM cadenz ORDER BY 1"), "A\nC\nKEEP\n");
  EXPECT_EQ(db.CommitTrans(), 0);  // nothing open: reported
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore in fase di convalida della transazione\n\n"));
  EXPECT_EQ(notices.Notices().size(), 1u);
}

TEST_F(DbDatabaseTest, BatchKeepsWhatWasWrittenWhenRowsAreRefused) {
  DbDatabase db(path);
  {
    DbBatch batch(&db);
    EXPECT_EQ(AddCadence(&db, "A"), 1);
    EXPECT_EQ(AddCadence(&db, "A"), 0);  // refused, the batch goes on
    EXPECT_EQ(AddCadence(&db, "B"), 1);
    EXPECT_EQ(batch.Commit(), 1);
  }
  EXPECT_EQ(QueryFile(path, "SELECT codice FROM cadenz ORDER BY 1"), "A\nB\n");
}

TEST_F(DbDatabaseTest, FailedCommitIsReportedAndRolledBack) {
  // A relation checked at commit time makes the commit itself fail.
  const std::string deferred = dir.Path("deferred.mdb");
  MakeDatabase(deferred,
               "CREATE TABLE p (k INT CONSTRAINT \"codice\" PRIMARY KEY);"
               "CREATE TABLE c (k INT REFERENCES p (k) DEFERRABLE INITIALLY DEFERRED);"
               "INSERT INTO p VALUES (1);");
  DbDatabase db(deferred);
  db.BeginTrans();
  ASSERT_EQ(AddRow(&db, "c", "k=2"), 1);
  ASSERT_EQ(AddRow(&db, "c", "k=1"), 1);
  EXPECT_EQ(db.CommitTrans(), 0);
  EXPECT_EQ(db.TransactionDepth(), 0);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore in fase di convalida della transazione\n\n"));
  EXPECT_EQ(notices.Notices().size(), 1u);
  EXPECT_EQ(QueryFile(deferred, "SELECT count(*) FROM c"), "0\n");
}

TEST_F(DbDatabaseTest, SharedOpenByTwoConnections) {
  DbDatabase a(path), b(path);
  EXPECT_TRUE(a.isOpen && b.isOpen);
  ASSERT_EQ(AddCadence(&a, "A"), 1);
  DbTable t(&b, "cadenz");
  t.SetIndex("codice");
  EXPECT_EQ(t.SeekEqual({"A"}), 1);
}

TEST(SqlTexts, QuotesAndDates) {
  EXPECT_EQ(SqlQuote("l'Aquila"), "'l''Aquila'");
  EXPECT_EQ(SqlDate("05/03/2024"), "'2024-03-05'");
  EXPECT_EQ(SqlDate("31/02/2024"), "NULL");
  EXPECT_EQ(SqlDate(1900, 1, 1), "'1900-01-01'");
}

}  // namespace
