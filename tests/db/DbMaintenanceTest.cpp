// Whole-file work: the check that a file is one of ours and sound, and its copy. (Files the check
// refuses: DbDatabaseTest.)

#include "DbTestSupport.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbMaintenance.h"

#include <gtest/gtest.h>
#include <QFile>
#include <map>

namespace {

class Maintenance : public ::testing::Test {
 protected:
  void SetUp() override {
    // A database of ours with enough rows to span many pages.
    path_ = dir_.Path("lavoro.mdb");
    MakeDatabase(path_, std::string(kTestSchema) +
                            "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 2000) "
                            "INSERT INTO misc (id, sub, name, memo) SELECT k, 0, 'r' || k, hex(zeroblob(100)) FROM n;"
                            "INSERT INTO cadenz VALUES ('FER', 'Feriale');");
  }
  std::string Count(const std::string& path, const std::string& table) {
    return QueryFile(path, "SELECT count(*) FROM " + table);
  }

  ScratchDir dir_;
  NoticeLog notices_;
  std::string path_;
};

TEST_F(Maintenance, DamagedFileIsFoundByBothChecksAndLeftAsItWas) {
  DamageDatabaseFile(path_);
  const std::string damaged = FileBytes(path_);
  std::string error;
  EXPECT_FALSE(CheckDatabaseFile(path_, CheckDepth::Quick, error));
  EXPECT_TRUE(HasPart(error, "danneggiato"));
  EXPECT_FALSE(CheckDatabaseFile(path_, CheckDepth::Full, error));
  EXPECT_TRUE(HasPart(error, "danneggiato"));
  EXPECT_TRUE(FileBytes(path_) == damaged) << "the file changed";
  EXPECT_TRUE(notices_.Notices().empty());
}

TEST_F(Maintenance, DuplicateMakesACheckedCopyOfOursWithTheSameRows) {
  const std::string copy = dir_.Path("copia.mdb");
  std::string error;
  EXPECT_TRUE(CheckDatabaseFile(path_, CheckDepth::Full, error) && CheckDatabaseFile(path_, CheckDepth::Quick, error))
      << error;
  {
    // A row still in the write-ahead log of an open connection is part of the copy.
    DbDatabase db(path_);
    ASSERT_EQ(AddCadence(&db, "FES", "Festivo"), 1);
    ASSERT_TRUE(DuplicateDatabaseFile(path_, copy, error)) << error;
    // Complete on its own: no log beside it.
    EXPECT_FALSE(QFile::exists(cp1252::ToQString(copy + "-wal")));
  }
  EXPECT_EQ(Listing(dir_.Dir()), "copia.mdb\nlavoro.mdb\n");
  for (const char* table : {"cadenz", "calend", "misc"}) EXPECT_EQ(Count(copy, table), Count(path_, table)) << table;
  EXPECT_EQ(Count(copy, "cadenz"), "2\n");
  EXPECT_EQ(QueryFile(copy, "PRAGMA application_id"), std::to_string(kQuendoApplicationId) + "\n");
  EXPECT_EQ(QueryFile(copy, "SELECT sql FROM sqlite_schema ORDER BY name"),
            QueryFile(path_, "SELECT sql FROM sqlite_schema ORDER BY name"));
  EXPECT_TRUE(CheckDatabaseFile(copy, CheckDepth::Full, error)) << error;
  DbDatabase reopened(copy);
  EXPECT_EQ(reopened.isOpen, 1);
}

TEST_F(Maintenance, FailedDuplicateLeavesEveryFileAsItWas) {
  MakeDatabase(dir_.Path("altro.mdb"), "CREATE TABLE t(x); INSERT INTO t VALUES (42);");
  WriteFileBytes(dir_.Path("testo.txt"), std::string(4096, 'q'));
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(path_), cp1252::ToQString(dir_.Path("rotto.mdb"))));
  DamageDatabaseFile(dir_.Path("rotto.mdb"));
  const std::string listing = Listing(dir_.Dir());
  std::map<std::string, std::string> bytes;
  for (const char* name : {"altro.mdb", "lavoro.mdb", "rotto.mdb", "testo.txt"})
    bytes[name] = FileBytes(dir_.Path(name));
  const struct {
    std::string source, destination, error;
  } cases[] = {
      {path_, dir_.Path("altro.mdb"), "Il file di destinazione esiste già"},
      {path_, path_, "Il file di destinazione esiste già"},  // onto itself
      {path_, "", ""},
      {dir_.Path("testo.txt"), dir_.Path("copia1.mdb"), ""},  // not ours
      {dir_.Path("rotto.mdb"), dir_.Path("copia2.mdb"), "danneggiato"},
      {path_, dir_.Path("manca/copia3.mdb"), ""},  // no such folder
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(DuplicateDatabaseFile(c.source, c.destination, error)) << c.destination;
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(HasPart(error, c.error));
  }
  EXPECT_EQ(Listing(dir_.Dir()), listing);
  for (const auto& [name, content] : bytes) EXPECT_TRUE(FileBytes(dir_.Path(name)) == content) << name << " changed";
}

}  // namespace
