// Whole-file work: the check that a file is one of ours and sound, its repair and its copy.

#include "TestSchema.h"
#include "db/DbDatabase.h"
#include "db/DbMaintenance.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <fstream>

namespace {

// A database of ours with enough rows to span many pages; `rows` rows in `misc`.
std::string Rows(int rows) {
  return "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " + std::to_string(rows) +
         ") INSERT INTO misc (id, sub, name, memo) SELECT k, 0, 'r' || k, hex(zeroblob(100)) FROM n;";
}

class Maintenance : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("lavoro.mdb");
    MakeDatabase(path_, std::string(kTestSchema) + Rows(2000) + "INSERT INTO cadenz VALUES ('FER', 'Feriale');");
  }
  std::string Count(const std::string& path, const char* table) {
    return QueryFile(path, std::string("SELECT count(*) FROM ") + table);
  }
  // Names of the files in the folder, hidden scratch files included, the engine's side files of
  // open connections left out.
  std::string Folder() const {
    std::string out;
    for (const QString& name :
         QDir(QString::fromStdString(dir_.Dir())).entryList(QDir::Files | QDir::Hidden, QDir::Name))
      if (!name.endsWith(QStringLiteral("-wal")) && !name.endsWith(QStringLiteral("-shm")))
        out += (out.empty() ? "" : " ") + name.toStdString();
    return out;
  }

  ScratchDir dir_;
  NoticeLog script_;
  std::string path_;
};

TEST_F(Maintenance, CheckAcceptsOurSoundFileAndRefusesOthers) {
  std::string error;
  EXPECT_TRUE(CheckDatabaseFile(path_, CheckDepth::Full, error)) << error;
  EXPECT_TRUE(CheckDatabaseFile(path_, CheckDepth::Quick, error)) << error;

  const std::string text = dir_.Path("note.mdb");
  std::ofstream(text) << "Questo non è un database, solo un testo abbastanza lungo da avere un'intestazione.\n"
                      << std::string(200, 'x') << "\n";
  EXPECT_FALSE(CheckDatabaseFile(text, CheckDepth::Quick, error));
  EXPECT_NE(error.find("non è un database valido"), std::string::npos) << error;

  const std::string foreign = dir_.Path("altro.db");
  MakeDatabase(foreign, "CREATE TABLE t(x); PRAGMA application_id=7;");
  EXPECT_FALSE(CheckDatabaseFile(foreign, CheckDepth::Quick, error));
  EXPECT_EQ(error, "Il file non è un database di Quendo");

  EXPECT_FALSE(CheckDatabaseFile(dir_.Path("assente.mdb"), CheckDepth::Quick, error));
  EXPECT_EQ(error.rfind("Il file non esiste", 0), 0u) << error;
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir_.Path("assente.mdb"))));
  EXPECT_FALSE(CheckDatabaseFile(dir_.Dir(), CheckDepth::Quick, error));
  EXPECT_TRUE(script_.Notices().empty());
}

TEST_F(Maintenance, DamagedFileIsFoundByBothChecksAndLeftAsItWas) {
  DamageDatabaseFile(path_);
  const std::string damaged = FileBytes(path_);
  std::string error;
  EXPECT_FALSE(CheckDatabaseFile(path_, CheckDepth::Quick, error));
  EXPECT_NE(error.find("danneggiato"), std::string::npos) << error;
  EXPECT_FALSE(CheckDatabaseFile(path_, CheckDepth::Full, error));
  EXPECT_FALSE(RepairDatabaseFile(path_, error));
  EXPECT_NE(error.find("danneggiato"), std::string::npos) << error;
  EXPECT_TRUE(FileBytes(path_) == damaged) << "the file changed";
  EXPECT_TRUE(script_.Notices().empty());
}

TEST_F(Maintenance, RepairRebuildsTheFileWithoutItsFreePagesAndKeepsTheRows) {
  {
    DbDatabase db(path_);
    ASSERT_EQ(db.isOpen, 1);
    DbTable misc(&db, "misc");
    ASSERT_TRUE(misc.SetIndex("codice"));
    for (int k = 1; k <= 1500; ++k) {
      const std::string key = std::to_string(k);
      ASSERT_TRUE(misc.SeekEqual({key.c_str(), "0"}));
      ASSERT_TRUE(misc.Delete());
    }
  }
  const size_t before = FileBytes(path_).size();
  std::string error;
  ASSERT_TRUE(RepairDatabaseFile(path_, error)) << error;
  EXPECT_LT(FileBytes(path_).size(), before / 2);
  EXPECT_EQ(Count(path_, "misc"), "500\n");
  EXPECT_EQ(QueryFile(path_, "SELECT min(id), max(id) FROM misc"), "1501|2000\n");
  EXPECT_EQ(QueryFile(path_, "PRAGMA application_id"), std::to_string(kQuendoApplicationId) + "\n");
  EXPECT_TRUE(CheckDatabaseFile(path_, CheckDepth::Full, error)) << error;
}

TEST_F(Maintenance, RepairOfTheOpenDatabaseLeavesItsConnectionWorking) {
  DbDatabase db(path_);
  ASSERT_EQ(db.isOpen, 1);
  std::string error;
  ASSERT_TRUE(RepairDatabaseFile(path_, error)) << error;
  DbTable cadenz(&db, "cadenz");
  ASSERT_TRUE(cadenz.AddNew());
  cadenz.SetFieldText("codice", "FES");
  cadenz.SetFieldText("denom", "Festivo");
  EXPECT_TRUE(cadenz.Update());
  EXPECT_TRUE(script_.Notices().empty()) << script_.Texts();
}

TEST_F(Maintenance, DuplicateMakesACheckedCopyOfOursWithTheSameRows) {
  // A row still in the write-ahead log of an open connection is part of the copy.
  DbDatabase db(path_);
  ASSERT_EQ(db.isOpen, 1);
  {
    DbTable cadenz(&db, "cadenz");
    ASSERT_TRUE(cadenz.AddNew());
    cadenz.SetFieldText("codice", "FES");
    cadenz.SetFieldText("denom", "Festivo");
    ASSERT_TRUE(cadenz.Update());
  }
  const std::string copy = dir_.Path("copia.mdb");
  std::string error;
  ASSERT_TRUE(DuplicateDatabaseFile(path_, copy, error)) << error;
  for (const char* table : {"cadenz", "calend", "misc"}) EXPECT_EQ(Count(copy, table), Count(path_, table)) << table;
  EXPECT_EQ(Count(copy, "cadenz"), "2\n");
  EXPECT_EQ(QueryFile(copy, "PRAGMA application_id"), std::to_string(kQuendoApplicationId) + "\n");
  EXPECT_EQ(QueryFile(copy, "SELECT sql FROM sqlite_schema ORDER BY name"),
            QueryFile(path_, "SELECT sql FROM sqlite_schema ORDER BY name"));
  EXPECT_TRUE(CheckDatabaseFile(copy, CheckDepth::Full, error)) << error;
  // Complete on its own: no log beside it, and the program opens it.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(copy) + QStringLiteral("-wal")));
  DbDatabase reopened(copy);
  EXPECT_EQ(reopened.isOpen, 1);
  EXPECT_EQ(Folder(), "copia.mdb lavoro.mdb");
}

TEST_F(Maintenance, DuplicateRefusesAnExistingDestinationAndLeavesIt) {
  const std::string other = dir_.Path("altro.mdb");
  MakeDatabase(other, "CREATE TABLE t(x); INSERT INTO t VALUES (42);");
  const std::string otherBytes = FileBytes(other);
  const std::string sourceBytes = FileBytes(path_);
  std::string error;
  EXPECT_FALSE(DuplicateDatabaseFile(path_, other, error));
  EXPECT_EQ(error, "Il file di destinazione esiste già");
  EXPECT_TRUE(FileBytes(other) == otherBytes) << "the file changed";
  // Onto itself: the same refusal, the file untouched.
  EXPECT_FALSE(DuplicateDatabaseFile(path_, path_, error));
  EXPECT_TRUE(FileBytes(path_) == sourceBytes) << "the file changed";
  EXPECT_FALSE(DuplicateDatabaseFile(path_, "", error));
}

TEST_F(Maintenance, FailedDuplicateLeavesNothingBehind) {
  ASSERT_EQ(Folder(), "lavoro.mdb");
  std::string error;
  // A source that is not ours.
  const std::string text = dir_.Path("testo.txt");
  std::ofstream(text) << std::string(4096, 'q');
  EXPECT_FALSE(DuplicateDatabaseFile(text, dir_.Path("copia1.mdb"), error));
  // A damaged source.
  const std::string damaged = dir_.Path("rotto.mdb");
  QFile::copy(QString::fromStdString(path_), QString::fromStdString(damaged));
  DamageDatabaseFile(damaged);
  EXPECT_FALSE(DuplicateDatabaseFile(damaged, dir_.Path("copia2.mdb"), error));
  EXPECT_NE(error.find("danneggiato"), std::string::npos) << error;
  // A destination folder that does not exist.
  EXPECT_FALSE(DuplicateDatabaseFile(path_, dir_.Path("manca/copia3.mdb"), error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Folder(), "lavoro.mdb rotto.mdb testo.txt");
}

}  // namespace
