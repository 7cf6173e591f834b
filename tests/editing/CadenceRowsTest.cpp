// The day-type editor's rows and the editor's one transaction on a real timetable database: codes
// and names as typed, the marks until the next load, and what the transaction keeps.

#include "support/TimetableData.h"

#include "db/DbDatabase.h"
#include "editing/CadenceRows.h"
#include "editing/EditorTransaction.h"

namespace {

using Lines = std::vector<std::string>;

struct Cadences : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override { MakeTimetableDatabase(path); }
  Lines Stored() const { return QueryLines(path, "SELECT codice || '|' || denom FROM cadenz ORDER BY codice"); }
};

// The rows as "code|name|changed deleted".
Lines Shown(const CadenceRows& rows) {
  Lines lines;
  for (int k = 0; const CadenceEntry* row = rows.At(k); ++k)
    lines.push_back(row->code + "|" + row->name + "|" + std::to_string(row->changed) + std::to_string(row->deleted));
  return lines;
}

TEST_F(Cadences, InsertsAsTypedAndRefusesWhatTheTableRefuses) {
  RunSql(path, "INSERT INTO cadenz VALUES ('SAB   ', 'Sabato   ')");
  // A duplicate, trailing blanks aside, and a missing name are refused.
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"FER", "Feriale", true}, {"FES  ", "Festivo  ", true}, {"FER", "Altro", false},
      {"SAB", "Altro", false},  {"DOM", "", false},
  };
  NoticeLog notices;
  {
    DbDatabase db(path);
    EditorTransaction transaction(&db);
    CadenceRows rows(&db);
    rows.Load();
    for (const auto& [code, name, stored] : cases) {
      SCOPED_TRACE(code);
      notices.Clear();
      const int before = rows.Count();
      CadenceEntry* row = rows.Insert(code, name);
      EXPECT_EQ(rows.PositionOf(row), stored ? before : -1);
      EXPECT_EQ(rows.Count(), before + (stored ? 1 : 0));
      EXPECT_TRUE(stored ? notices.Texts().empty()
                         : HasPrefix(notices.Texts(), "Errore aggiornamento tavola (cadenz)"));
    }
    EXPECT_EQ(Shown(rows), (Lines{"SAB|Sabato|00", "FER|Feriale|10", "FES|Festivo|10"}));
    EXPECT_EQ(rows.Find("FES   "), 2);
    EXPECT_EQ(rows.Find("FE"), -1);
    EXPECT_TRUE(rows.Rename(rows.At(0), "Sabato lavorativo"));
    EXPECT_EQ(Shown(rows)[0], "SAB|Sabato lavorativo|10");
    rows.Load();  // code order, no marks
    EXPECT_EQ(Shown(rows), (Lines{"FER|Feriale|00", "FES|Festivo|00", "SAB|Sabato lavorativo|00"}));
  }  // the transaction's end commits
  EXPECT_EQ(Stored(), (Lines{"FER|Feriale", "FES  |Festivo  ", "SAB   |Sabato lavorativo"}));
}

TEST_F(Cadences, ADeletedRowIsLeftAloneAndCommitEndsTheTransaction) {
  RunSql(path, "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo')");
  NoticeLog notices;
  DbDatabase db(path);
  EditorTransaction transaction(&db);
  CadenceRows rows(&db);
  rows.Load();
  EXPECT_TRUE(rows.Remove(rows.At(1)));
  EXPECT_FALSE(rows.Remove(rows.At(1)));
  EXPECT_FALSE(rows.Rename(rows.At(1), "Domenica"));
  EXPECT_EQ(Shown(rows), (Lines{"FER|Feriale|00", "FES|Festivo|01"}));
  EXPECT_TRUE(transaction.CommitAndBegin());
  EXPECT_TRUE(transaction.Commit());
  EXPECT_EQ(db.TransactionDepth(), 0);  // and the transaction's end finds nothing open
  EXPECT_EQ(Stored(), Lines{"FER|Feriale"});
  EXPECT_EQ(notices.Texts(), "");
}

TEST_F(Cadences, AnEditorLeftByAnExceptionKeepsNothingAndOneThatCannotBeginIsNotActive) {
  NoticeLog notices;
  {
    DbDatabase db(path);
    try {
      EditorTransaction transaction(&db);
      CadenceRows rows(&db);
      ASSERT_TRUE(rows.Insert("FER", "Feriale"));
      throw std::runtime_error("script ended");
    } catch (const std::runtime_error&) {
    }
  }
  EXPECT_EQ(Stored(), Lines{});
  DbDatabase closed(dir.Path("nessuno.mdb"));
  EXPECT_FALSE(EditorTransaction(&closed).Active());
  notices.Clear();
}

}  // namespace
