#include "TestSchema.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QFile>
#include <fstream>

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int AddCadence(DbDatabase* db, const char* code) {
  DbTable t(db, "cadenz");
  t.AddNew();
  t.SetFieldText("codice", code);
  t.SetFieldText("denom", "x");
  return t.Update();
}

TEST(DbDatabase, OpenFailuresAreReportedAndLeaveTheFileAlone) {
  ScratchDir dir;
  NoticeLog script;
  const std::string text = dir.Path("notes.txt");
  std::ofstream(text) << "questo non è un database\n";
  const std::string before = ReadAll(text);
  const std::string foreign = dir.Path("other.sqlite");
  {
    std::string err;
    // A SQLite file of another program: refused too.
    std::ofstream(foreign).close();
  }
  for (const std::string& p : {std::string(), dir.Path("missing.mdb"), text, dir.Dir()}) {
    script.Clear();
    DbDatabase db(p);
    EXPECT_EQ(db.isOpen, 0) << p;
    db.BeginTrans();  // does nothing, silently
    db.Rollback();
    ASSERT_EQ(script.Notices().size(), 1u) << p;
    EXPECT_EQ(script.Notices()[0].icon, NoticeIcon::Stop);
    EXPECT_EQ(script.Notices()[0].text.rfind("Errore in fase di apertura del database\n\n", 0), 0u);
  }
  EXPECT_EQ(ReadAll(text), before);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(text) + QStringLiteral("-wal")));
}

TEST(DbDatabase, ForeignSqliteFileIsRefused) {
  ScratchDir dir;
  NoticeLog script;
  const std::string path = dir.Path("foreign.db");
  const std::string plain = "CREATE TABLE t(x); INSERT INTO t VALUES (1);";
  {
    // A valid SQLite database without our mark.
    MakeDatabase(path, plain + " PRAGMA application_id=0; PRAGMA journal_mode=DELETE;");
  }
  const std::string before = ReadAll(path);
  DbDatabase db(path);
  EXPECT_EQ(db.isOpen, 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_NE(script.Notices()[0].text.find("non è un database di Quendo"), std::string::npos);
  EXPECT_EQ(ReadAll(path), before);
}

TEST(DbDatabase, ReadOnlyFileIsRefused) {
  ScratchDir dir;
  NoticeLog script;
  const std::string path = dir.Path("ro.mdb");
  MakeDatabase(path, kTestSchema);
  chmod(path.c_str(), 0444);
  const std::string before = ReadAll(path);
  DbDatabase db(path);
  EXPECT_EQ(db.isOpen, 0);
  EXPECT_EQ(ReadAll(path), before);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_NE(script.Notices()[0].text.find("sola lettura"), std::string::npos);
}

TEST(DbDatabase, RollbackUndoesChangesOfEveryTable) {
  ScratchDir dir;
  NoticeLog script;
  const std::string path = dir.Path("t.mdb");
  MakeDatabase(path, kTestSchema);
  DbDatabase db(path);
  ASSERT_EQ(AddCadence(&db, "KEEP"), 1);
  db.BeginTrans();
  ASSERT_EQ(AddCadence(&db, "GONE"), 1);
  {
    DbTable m(&db, "misc");
    m.AddNew();
    m.SetFieldText("id", "1");
    m.SetFieldText("sub", "1");
    ASSERT_EQ(m.Update(), 1);
  }
  db.Rollback();
  EXPECT_EQ(QueryFile(path, "SELECT codice FROM cadenz"), "KEEP\n");
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM misc"), "0\n");
  EXPECT_TRUE(script.Notices().empty()) << script.Texts();
}

TEST(DbDatabase, NestedLevelsAreSavepoints) {
  ScratchDir dir;
  NoticeLog script;
  const std::string path = dir.Path("t.mdb");
  MakeDatabase(path, kTestSchema);
  DbDatabase db(path);
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
  EXPECT_EQ(QueryFile(path, "SELECT codice FROM cadenz ORDER BY 1"), "A\nC\n");
  EXPECT_EQ(db.CommitTrans(), 0);  // nothing open: reported
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore in fase di convalida della transazione\n\n", 0), 0u);
}

TEST(DbDatabase, BatchKeepsWhatWasWrittenWhenRowsAreRefused) {
  ScratchDir dir;
  NoticeLog script;
  const std::string path = dir.Path("t.mdb");
  MakeDatabase(path, kTestSchema);
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

TEST(DbDatabase, FailedCommitIsReportedAndRolledBack) {
  ScratchDir dir;
  NoticeLog script;
  const std::string path = dir.Path("t.mdb");
  // A relation checked at commit time makes the commit itself fail.
  MakeDatabase(path,
               "CREATE TABLE p (k INT CONSTRAINT \"codice\" PRIMARY KEY);"
               "CREATE TABLE c (k INT REFERENCES p (k) DEFERRABLE INITIALLY DEFERRED);"
               "INSERT INTO p VALUES (1);");
  DbDatabase db(path);
  db.BeginTrans();
  DbTable c(&db, "c");
  c.AddNew();
  c.SetFieldText("k", "2");
  ASSERT_EQ(c.Update(), 1);
  c.AddNew();
  c.SetFieldText("k", "1");
  ASSERT_EQ(c.Update(), 1);
  EXPECT_EQ(db.CommitTrans(), 0);
  EXPECT_EQ(db.TransactionDepth(), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore in fase di convalida della transazione\n\n", 0), 0u);
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM c"), "0\n");
}

TEST(DbDatabase, SharedOpenByTwoConnections) {
  ScratchDir dir;
  NoticeLog script;
  const std::string path = dir.Path("t.mdb");
  MakeDatabase(path, kTestSchema);
  DbDatabase a(path), b(path);
  EXPECT_EQ(a.isOpen, 1);
  EXPECT_EQ(b.isOpen, 1);
  ASSERT_EQ(AddCadence(&a, "A"), 1);
  DbTable t(&b, "cadenz");
  t.SetIndex("codice");
  EXPECT_EQ(t.SeekEqual({"A"}), 1);
}

TEST(DbDatabase, SqlQuotingHelpers) {
  EXPECT_EQ(SqlQuote("l'Aquila"), "'l''Aquila'");
  EXPECT_EQ(SqlDate("05/03/2024"), "'2024-03-05'");
  EXPECT_EQ(SqlDate("31/02/2024"), "NULL");
  EXPECT_EQ(SqlDate(1900, 1, 1), "'1900-01-01'");
  EXPECT_EQ(EngineVersion().rfind("SQLite 3.", 0), 0u);
}

}  // namespace
