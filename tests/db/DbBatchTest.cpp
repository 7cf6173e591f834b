#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// A batch left by an exception keeps nothing; one left normally keeps everything; a savepoint
// left by an exception inside a batch that goes on takes only its own rows away.
TEST(DbBatchTest, AnExceptionRollsBackAndANormalEndCommits) {
  ScratchDir dir;
  const std::string path = dir.Path("batch.mdb");
  MakeDatabase(path, "CREATE TABLE t (k INTEGER PRIMARY KEY, v TEXT);");
  NoticeLog notices;
  const auto add = [](DbDatabase& db, const char* key) {
    DbTable t(&db, "t");
    ASSERT_EQ(t.isOpen, 1);
    ASSERT_EQ(t.AddNew(), 1);
    ASSERT_EQ(t.SetFieldText("k", key), 1);
    ASSERT_EQ(t.Update(), 1);
  };
  {
    DbDatabase db(path);
    ASSERT_EQ(db.isOpen, 1);
    EXPECT_THROW(
        {
          DbBatch batch(&db);
          add(db, "1");
          throw std::runtime_error("interrotto");
        },
        std::runtime_error);
    EXPECT_EQ(db.TransactionDepth(), 0);
    {
      DbBatch outer(&db);
      add(db, "2");
      try {
        DbBatch inner(&db);
        add(db, "3");
        throw std::runtime_error("interrotto");
      } catch (const std::runtime_error&) {
      }
      add(db, "4");
    }
    EXPECT_EQ(db.TransactionDepth(), 0);
  }
  EXPECT_EQ(QueryFile(path, "SELECT k FROM t ORDER BY k"), "2\n4\n");
  EXPECT_EQ(notices.Texts(), "");
}

}  // namespace
