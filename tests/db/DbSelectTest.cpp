// Selections walked forward, materialised or streaming: their rows, their readers by position and
// by name, and the texts of their failures.

#include "DbTestSupport.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class DbSelectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.Path("s.mdb");
    MakeDatabase(path, std::string(kTestSchema) +
                           "INSERT INTO cadenz VALUES ('FER','Feriale'),('SAB','Sabato  '),('FES','Festivo');"
                           "INSERT INTO misc (id, sub, name, flag, day) VALUES (1, 7, 'l''uno', 1, '2024-02-29'),"
                           "(2, 8, NULL, 0, NULL);");
    db = std::make_unique<DbDatabase>(path);
  }
  std::unique_ptr<DbSelect> Select(const std::string& columns, const std::string& from, const std::string& where = "",
                                   const std::string& order = "", bool streaming = false) {
    auto s = std::make_unique<DbSelect>(db.get());
    s->SetStreaming(streaming);
    s->SetColumns(columns);
    s->SetFrom(from);
    s->SetWhere(where);
    s->SetOrderBy(order);
    return s;
  }

  ScratchDir dir;
  std::string path;
  NoticeLog notices;
  std::unique_ptr<DbDatabase> db;
};

TEST_F(DbSelectTest, WalksRowsRunsTheQueryAgainAndSurvivesDeletesOfItsRows) {
  auto s = Select("codice, denom", "cadenz", "codice = 'FES'", "codice");
  s->SetWhere("");  // removed again
  std::string rows;
  for (int ok = s->Open(); ok; ok = s->MoveNext()) {
    std::string c, d;
    s->GetFieldText("codice", c);
    s->GetFieldText("denom", d);
    rows += c + "=" + d + ";";
  }
  EXPECT_EQ(rows, "FER=Feriale;FES=Festivo;SAB=Sabato;");  // display texts: trailing blanks trimmed
  EXPECT_EQ(s->MoveNext(), 0);
  ASSERT_EQ(AddCadence(db.get(), "AAA", "Prima"), 1);
  ASSERT_EQ(s->MoveFirst(), 1);
  std::string first;
  s->GetFieldTextAt(0, first);
  EXPECT_EQ(first, "AAA");
  // A padded code still matches; one row, then the walk is over for good.
  auto one = Select("codice", "cadenz", "codice = 'FER   '");
  ASSERT_EQ(one->Open(), 1);
  EXPECT_EQ(one->MoveNext(), 0);
  EXPECT_EQ(one->MoveNext(), 0);
  EXPECT_EQ(notices.Texts(), "");
  // The walk survives deletes of its own rows.
  DbTable t(db.get(), "cadenz");
  t.SetIndex("codice");
  int seen = 0;
  for (int ok = s->Open(); ok; ok = s->MoveNext(), ++seen) {
    std::string c;
    s->GetFieldTextAt(0, c);
    ASSERT_TRUE(t.SeekEqual({c.c_str()}) && t.Delete());
  }
  EXPECT_EQ(seen, 4);
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM cadenz"), "0\n");
}

TEST_F(DbSelectTest, StreamingAndMaterialisedReadersAgreeOnEveryKind) {
  auto walk = [&](bool streaming) {
    auto s = Select("misc.id, sub, name, amount, ratio, flag, day, memo, id + sub, count(*) OVER ()", "misc", "", "id",
                    streaming);
    std::string out;
    for (int ok = s->Open(); ok; ok = s->MoveNext()) {
      for (int c = 0; c < 10; ++c) {
        std::string t = "?";
        int i = 99;
        long l = 99;
        const int rt = s->GetFieldTextAt(c, t), ri = s->GetFieldIntAt(c, &i), rl = s->GetFieldLongAt(c, &l);
        out += std::to_string(rt) + t + "/" + std::to_string(ri) + ":" + std::to_string(i) + "/" + std::to_string(rl) +
               ":" + std::to_string(l) + " ";
      }
      out += "\n";
    }
    return out;
  };
  const std::string materialised = walk(false);
  EXPECT_EQ(walk(true), materialised);
  // A 32-bit id, a 16-bit sub, a text, yes/no true (-1), a date, computed values; then NULLs and
  // false. A reader of the other width or kind refuses and gives 0 or the empty text.
  EXPECT_EQ(materialised,
            "0/0:0/1:1 0/1:7/0:0 1l'uno/0:0/0:0 0/0:0/0:0 0/0:0/0:0 0/1:-1/0:0 129/02/2024/0:0/0:0 0/0:0/0:0 "
            "0/1:8/1:8 0/1:2/1:2 \n"
            "0/0:0/1:2 0/1:8/0:0 0/0:0/0:0 0/0:0/0:0 0/0:0/0:0 0/1:0/0:0 0/0:0/0:0 0/0:0/0:0 0/1:10/1:10 "
            "0/1:2/1:2 \n");
  EXPECT_EQ(notices.Texts(), "");
  // The prefixed column answers to its own name; a position beyond the columns is reported.
  auto s = Select("misc.id, name", "misc", "", "id");
  ASSERT_EQ(s->Open(), 1);
  std::string byName;
  EXPECT_EQ(s->GetFieldText("id", byName), 1);
  EXPECT_EQ(byName, "1");
  int i = 0;
  EXPECT_EQ(s->GetFieldIntAt(9, &i), 0);
  EXPECT_EQ(notices.Notices().size(), 1u);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore campo (#9) nella select corrente\n\n" + s->Sql() + "\n\n"));
}

TEST_F(DbSelectTest, FailuresShowTheSqlText) {
  const struct {
    const char *columns, *from, *where, *message;
  } cases[] = {
      // A column the table does not have: the extraction fails.
      {"nosuch", "cadenz", "", "Errore estrazione Select SQL\n\nSELECT nosuch\nFROM cadenz\n\n\n"},
      {"codice", "cadenz", "nosuch = 1",
       "Errore estrazione Select SQL\n\nSELECT codice\nFROM cadenz\nWHERE nosuch = 1\n"},
      // A text that is no SQL, or no table: a syntax error.
      {"codice,", "cadenz", "", "Errore sintassi SQL\n\nSELECT codice,\nFROM cadenz\n"},
      {"codice", "", "", "Errore sintassi SQL\n\n\n\n"},
  };
  for (const auto& c : cases) {
    notices.Clear();
    auto s = Select(c.columns, c.from, c.where);
    EXPECT_EQ(s->Open(), 0);
    ASSERT_EQ(notices.Notices().size(), 1u) << c.message;
    EXPECT_EQ(notices.Notices()[0].icon, NoticeIcon::Exclamation);
    EXPECT_TRUE(HasPrefix(notices.Texts(), c.message));
  }
  // No row is no failure.
  notices.Clear();
  EXPECT_EQ(Select("codice", "cadenz", "codice = " + SqlQuote("l'altro"))->Open(), 0);
  EXPECT_EQ(notices.Texts(), "");
}

TEST_F(DbSelectTest, StreamingWalkReadsTheRowsAsTheyCome) {
  auto s = Select("codice, denom, length(denom)", "cadenz", "", "codice", true);
  std::string rows;
  int reached = 0;
  for (int ok = s->Open(); ok; ok = s->MoveNext()) {
    std::string c, d;
    long n = 0;
    s->GetFieldText("codice", c);
    s->GetFieldTextAt(1, d);
    s->GetFieldLongAt(2, &n);
    rows += c + "=" + d + "/" + std::to_string(n) + ";";
    EXPECT_EQ(s->RowCount(), ++reached);
  }
  EXPECT_EQ(rows, "FER=Feriale/7;FES=Festivo/7;SAB=Sabato  /8;");
  EXPECT_EQ(s->RowCount(), 3);
  EXPECT_EQ(s->MoveNext(), 0);
  std::string after = "x";
  EXPECT_EQ(s->GetFieldTextAt(0, after), 0);  // no row: reported
  EXPECT_EQ(after, "x");
  ASSERT_EQ(notices.Notices().size(), 1u);
  notices.Clear();
  // A second pass runs the query again.
  ASSERT_EQ(s->MoveFirst(), 1);
  s->GetFieldTextAt(0, after);
  EXPECT_EQ(after, "FER");
  // Nothing matched: no row and no message; a bad column: the message of the open.
  s->SetWhere("codice = 'ZZZ'");
  EXPECT_EQ(s->Open(), 0);
  EXPECT_EQ(s->RowCount(), 0);
  EXPECT_EQ(notices.Texts(), "");
  s->SetColumns("nosuch");
  EXPECT_EQ(s->Open(), 0);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore estrazione Select SQL\n\n"));
}

}  // namespace
