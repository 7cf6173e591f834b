// A selection's whole result read at open, from one row to more than fit in the first block of
// values or of texts: every value comes back as stored, on every run of the same selection.

#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The text stored in row k of the test's table.
std::string TextOf(long k) { return "riga " + std::to_string(k) + " della tavola di prova"; }

class SelectResult : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("righe.mdb");
    // 100000 rows of two columns: about three blocks of values and three of texts.
    MakeDatabase(path_,
                 "CREATE TABLE righe (id INT NOT NULL PRIMARY KEY, testo VARCHAR(40) COLLATE RTRIM, nota LONGTEXT);"
                 "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 100000)"
                 " INSERT INTO righe (id, testo) SELECT k, 'riga ' || k || ' della tavola di prova' FROM n;"
                 "UPDATE righe SET nota = printf('%.*c', 1500000, 'x') WHERE id = 50000;");
    db_ = std::make_unique<DbDatabase>(path_);
    ASSERT_TRUE(db_->isOpen);
  }

  // Walks the selection from `first` on and checks every row; the number of rows walked.
  long Walk(DbSelect& s, int opened, long first) {
    long rows = 0;
    std::string text;
    for (int ok = opened; ok; ok = s.MoveNext()) {
      long id = 0;
      EXPECT_EQ(s.GetFieldLongAt(0, &id), 1);
      EXPECT_EQ(id, first + rows);
      EXPECT_EQ(s.GetFieldTextAt(1, text), 1);
      EXPECT_EQ(text, TextOf(id));
      if (id == 50000) {
        EXPECT_EQ(s.GetFieldText("nota", text), 1);
        EXPECT_EQ(text, std::string(1500000, 'x'));
      }
      if (::testing::Test::HasFailure()) break;
      ++rows;
    }
    return rows;
  }

  ScratchDir dir_;
  std::string path_;
  std::unique_ptr<DbDatabase> db_;
};

}  // namespace

TEST_F(SelectResult, EveryRowComesBackWholeOnEveryRun) {
  DbSelect s(db_.get());
  s.SetColumns("id, testo, nota");
  s.SetFrom("righe");
  s.SetOrderBy("id");
  EXPECT_EQ(Walk(s, s.Open(), 1), 100000);
  EXPECT_EQ(s.RowCount(), 100000);
  EXPECT_EQ(Walk(s, s.MoveFirst(), 1), 100000);
  // A narrower run of the same selection after the large one.
  s.SetWhere("id > 99990");
  EXPECT_EQ(Walk(s, s.Open(), 99991), 10);
  s.SetWhere("id = 50000");
  EXPECT_EQ(Walk(s, s.Open(), 50000), 1);
  s.SetWhere("id > 100000");
  EXPECT_EQ(s.Open(), 0);
  EXPECT_EQ(s.RowCount(), 0);
}

TEST_F(SelectResult, SelectionsOfOneRowEach) {
  for (long k : {1L, 2L, 65536L, 99999L}) {
    DbSelect s(db_.get());
    s.SetColumns("id, testo");
    s.SetFrom("righe");
    s.SetWhere("id = " + std::to_string(k));
    EXPECT_EQ(Walk(s, s.Open(), k), 1) << k;
  }
}
