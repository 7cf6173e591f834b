#include "TestSchema.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <algorithm>

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
  ScratchDir dir;
  std::string path;
  NoticeLog script;
  std::unique_ptr<DbDatabase> db;
};

TEST_F(DbSelectTest, BuildsTheSqlTextLineByLine) {
  DbSelect s(db.get());
  s.SetColumns("codice, denom");
  s.SetFrom("cadenz");
  s.SetOrderBy("codice");
  ASSERT_EQ(s.BuildSql(), 1);
  EXPECT_EQ(s.Sql(), "SELECT codice, denom\nFROM cadenz\nORDER BY codice\n");
  s.SetWhere("codice = 'FER'");
  s.SetWhere("");  // removed again
  s.BuildSql();
  EXPECT_EQ(s.Sql(), "SELECT codice, denom\nFROM cadenz\nORDER BY codice\n");
  DbSelect empty(db.get());
  empty.SetColumns("x");
  EXPECT_EQ(empty.BuildSql(), 0);
  EXPECT_EQ(empty.Sql(), "");
}

TEST_F(DbSelectTest, WalksRowsAndReadsDisplayTexts) {
  DbSelect s(db.get());
  s.SetColumns("codice, denom");
  s.SetFrom("cadenz");
  s.SetOrderBy("codice");
  std::string rows;
  for (int ok = s.Open(); ok; ok = s.MoveNext()) {
    std::string c, d;
    s.GetFieldText("codice", c);
    s.GetFieldText("denom", d);
    rows += c + "=" + d + ";";
  }
  EXPECT_EQ(rows, "FER=Feriale;FES=Festivo;SAB=Sabato;");
  EXPECT_EQ(s.MoveNext(), 0);
  // A second pass runs the query again and sees rows added meanwhile.
  {
    DbTable t(db.get(), "cadenz");
    t.AddNew();
    t.SetFieldText("codice", "AAA");
    t.SetFieldText("denom", "Prima");
    ASSERT_EQ(t.Update(), 1);
  }
  ASSERT_EQ(s.MoveFirst(), 1);
  std::string first;
  s.GetFieldText("codice", first);
  EXPECT_EQ(first, "AAA");
  EXPECT_TRUE(script.Notices().empty()) << script.Texts();
}

TEST_F(DbSelectTest, SurvivesDeletesOfItsOwnRows) {
  DbSelect s(db.get());
  s.SetColumns("codice");
  s.SetFrom("cadenz");
  s.SetOrderBy("codice");
  DbTable t(db.get(), "cadenz");
  t.SetIndex("codice");
  int seen = 0;
  for (int ok = s.Open(); ok; ok = s.MoveNext()) {
    std::string c;
    s.GetFieldTextAt(0, c);
    ASSERT_EQ(t.SeekEqual({c.c_str()}), 1);
    ASSERT_EQ(t.Delete(), 1);
    ++seen;
  }
  EXPECT_EQ(seen, 3);
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM cadenz"), "0\n");
}

TEST_F(DbSelectTest, ReadersByPositionFollowTheColumnKinds) {
  DbSelect s(db.get());
  s.SetColumns("misc.id, misc.sub, flag, day, name, count(*) OVER ()");
  s.SetFrom("misc");
  s.SetOrderBy("id");
  ASSERT_EQ(s.Open(), 1);
  int i = 5;
  long l = 5;
  std::string t;
  EXPECT_EQ(s.GetFieldIntAt(0, &i), 0);  // a 32-bit column
  EXPECT_EQ(i, 0);
  EXPECT_EQ(s.GetFieldLongAt(0, &l), 1);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(s.GetFieldLongAt(1, &l), 0);  // a 16-bit column
  EXPECT_EQ(s.GetFieldIntAt(1, &i), 1);
  EXPECT_EQ(i, 7);
  EXPECT_EQ(s.GetFieldIntAt(2, &i), 1);
  EXPECT_EQ(i, -1);  // yes/no true
  EXPECT_EQ(s.GetFieldTextAt(3, t), 1);
  EXPECT_EQ(t, "29/02/2024");
  EXPECT_EQ(s.GetFieldTextAt(0, t), 0);
  EXPECT_EQ(t, "");
  EXPECT_EQ(s.GetFieldTextAt(4, t), 1);
  EXPECT_EQ(t, "l'uno");
  EXPECT_EQ(s.GetFieldLongAt(5, &l), 1);  // a computed count
  EXPECT_EQ(l, 2);
  std::string byName;
  EXPECT_EQ(s.GetFieldText("id", byName), 1);  // the prefixed column answers to its own name
  EXPECT_EQ(byName, "1");
  ASSERT_EQ(s.MoveNext(), 1);
  EXPECT_EQ(s.GetFieldTextAt(4, t), 0);  // NULL
  EXPECT_EQ(s.GetFieldIntAt(2, &i), 1);
  EXPECT_EQ(i, 0);
  EXPECT_TRUE(script.Notices().empty()) << script.Texts();
  EXPECT_EQ(s.GetFieldIntAt(9, &i), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore campo (#9) nella select corrente\n\n" + s.Sql() + "\n\n", 0), 0u);
}

TEST_F(DbSelectTest, FailuresShowTheSqlText) {
  DbSelect s(db.get());
  s.SetColumns("nosuch");
  s.SetFrom("cadenz");
  EXPECT_EQ(s.Open(), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].icon, NoticeIcon::Exclamation);
  // A column the table does not have: the extraction fails.
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore estrazione Select SQL\n\nSELECT nosuch\nFROM cadenz\n\n\n", 0), 0u)
      << script.Notices()[0].text;
  script.Clear();
  DbSelect badWhere(db.get());
  badWhere.SetColumns("codice");
  badWhere.SetFrom("cadenz");
  badWhere.SetWhere("nosuch = 1");
  EXPECT_EQ(badWhere.Open(), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text.rfind(
                "Errore estrazione Select SQL\n\nSELECT codice\nFROM cadenz\nWHERE nosuch = 1\n", 0),
            0u);
  script.Clear();
  // A text that is no SQL: a syntax error.
  DbSelect broken(db.get());
  broken.SetColumns("codice,");
  broken.SetFrom("cadenz");
  EXPECT_EQ(broken.Open(), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore sintassi SQL\n\nSELECT codice,\nFROM cadenz\n", 0), 0u);
  script.Clear();
  DbSelect noTable(db.get());
  noTable.SetColumns("codice");
  EXPECT_EQ(noTable.Open(), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore sintassi SQL\n\n\n\n", 0), 0u);
  script.Clear();
  // No row is no failure.
  DbSelect none(db.get());
  none.SetColumns("codice");
  none.SetFrom("cadenz");
  none.SetWhere("codice = " + SqlQuote("l'altro"));
  EXPECT_EQ(none.Open(), 0);
  EXPECT_TRUE(script.Notices().empty());
}

TEST_F(DbSelectTest, StreamingWalkReadsTheSameRowsAsTheyCome) {
  DbSelect s(db.get());
  s.SetStreaming(true);
  s.SetColumns("codice, denom, length(denom)");
  s.SetFrom("cadenz");
  s.SetOrderBy("codice");
  std::string rows;
  for (int ok = s.Open(); ok; ok = s.MoveNext()) {
    std::string c, d;
    long n = 0;
    s.GetFieldText("codice", c);
    s.GetFieldTextAt(1, d);
    s.GetFieldLongAt(2, &n);
    rows += c + "=" + d + "/" + std::to_string(n) + ";";
    EXPECT_EQ(s.RowCount(), static_cast<int>(std::count(rows.begin(), rows.end(), ';')));
  }
  EXPECT_EQ(rows, "FER=Feriale/7;FES=Festivo/7;SAB=Sabato  /8;");
  EXPECT_EQ(s.RowCount(), 3);
  EXPECT_EQ(s.MoveNext(), 0);
  std::string after = "x";
  EXPECT_EQ(s.GetFieldTextAt(0, after), 0);  // no row: reported
  EXPECT_EQ(after, "x");
  ASSERT_EQ(script.Notices().size(), 1u);
  script.Clear();
  // A second pass runs the query again.
  ASSERT_EQ(s.MoveFirst(), 1);
  std::string first;
  s.GetFieldTextAt(0, first);
  EXPECT_EQ(first, "FER");
  // Nothing matched: no row and no message; a bad column: the message of the open.
  s.SetWhere("codice = 'ZZZ'");
  EXPECT_EQ(s.Open(), 0);
  EXPECT_EQ(s.RowCount(), 0);
  s.SetColumns("nosuch");
  EXPECT_EQ(s.Open(), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore estrazione Select SQL\n\n", 0), 0u);
}

TEST_F(DbSelectTest, StreamingAndMaterialisedReadersAgreeOnEveryKind) {
  const char* columns = "id, sub, name, amount, ratio, flag, day, memo, id + sub";
  auto walk = [&](bool streaming) {
    DbSelect s(db.get());
    s.SetStreaming(streaming);
    s.SetColumns(columns);
    s.SetFrom("misc");
    s.SetOrderBy("id");
    std::string out;
    for (int ok = s.Open(); ok; ok = s.MoveNext()) {
      for (int c = 0; c < 9; ++c) {
        std::string t = "?";
        int i = 99;
        long l = 99;
        const int rt = s.GetFieldTextAt(c, t), ri = s.GetFieldIntAt(c, &i), rl = s.GetFieldLongAt(c, &l);
        out += std::to_string(rt) + t + "/" + std::to_string(ri) + ":" + std::to_string(i) + "/" + std::to_string(rl) +
               ":" + std::to_string(l) + " ";
      }
      out += "\n";
    }
    return out;
  };
  const std::string materialised = walk(false);
  EXPECT_EQ(walk(true), materialised);
  // Row 1: a 32-bit id, a 16-bit sub, a text, yes/no true, a date; row 2: NULLs and false.
  EXPECT_EQ(materialised.substr(0, materialised.find('\n')),
            "0/0:0/1:1 0/1:7/0:0 1l'uno/0:0/0:0 0/0:0/0:0 0/0:0/0:0 0/1:-1/0:0 129/02/2024/0:0/0:0 0/0:0/0:0 "
            "0/1:8/1:8 ");
  EXPECT_TRUE(script.Notices().empty()) << script.Texts();
}

TEST_F(DbSelectTest, OneRowThenExhausted) {
  DbSelect s(db.get());
  s.SetColumns("codice");
  s.SetFrom("cadenz");
  s.SetWhere("codice = 'FER   '");  // padded codes still match
  ASSERT_EQ(s.Open(), 1);
  EXPECT_EQ(s.MoveNext(), 0);
  EXPECT_EQ(s.MoveNext(), 0);
  EXPECT_TRUE(script.Notices().empty());
}

}  // namespace
