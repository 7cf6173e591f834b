// The day-type editor's rows and the editor's one transaction on a real timetable database: a
// write the database refuses is reported by the table layer and leaves the rows as they were.

#include "support/TimetableData.h"

#include "db/DbDatabase.h"
#include "editors/model/DayTypeRows.h"
#include "editors/model/EditorTransaction.h"

namespace {

struct DayTypes : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override { MakeTimetableDatabase(path); }
  std::vector<std::string> Stored() const {
    return QueryLines(path, "SELECT codice || '|' || denom FROM cadenz ORDER BY codice");
  }
};

// The rows as "code|name|changed|deleted".
std::vector<std::string> Shown(const DayTypeRows& rows) {
  std::vector<std::string> lines;
  for (int k = 0; k < rows.Count(); ++k) {
    const CadenceEntry* row = rows.At(k);
    lines.push_back(row->code + "|" + row->name + "|" + std::to_string(row->changed) + std::to_string(row->deleted));
  }
  return lines;
}

TEST_F(DayTypes, InsertsAsTypedAndRefusesWhatTheTableRefuses) {
  RunSql(path, "INSERT INTO cadenz VALUES ('SAB   ', 'Sabato   ')");
  struct Case {
    const char* code;
    const char* name;
    bool stored;
  };
  // A duplicate, trailing blanks aside, and a missing name are refused.
  const std::vector<Case> cases = {
      {"FER", "Feriale", true}, {"FES  ", "Festivo  ", true}, {"FER", "Altro", false},
      {"SAB", "Altro", false},  {"DOM", "", false},
  };
  NoticeLog notices;
  {
    DbDatabase db(path);
    EditorTransaction transaction(&db);
    DayTypeRows rows(&db);
    rows.Load();
    for (const Case& c : cases) {
      SCOPED_TRACE(c.code);
      notices.Clear();
      const int before = rows.Count();
      CadenceEntry* row = rows.Insert(c.code, c.name);
      EXPECT_EQ(row != nullptr, c.stored);
      EXPECT_EQ(rows.PositionOf(row), c.stored ? before : -1);
      EXPECT_EQ(rows.Count(), before + (c.stored ? 1 : 0));
      EXPECT_TRUE(c.stored ? notices.Texts().empty()
                           : HasPrefix(notices.Texts(), "Errore aggiornamento tavola (cadenz)"));
    }
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"SAB|Sabato|00", "FER|Feriale|10", "FES|Festivo|10"}));
    EXPECT_EQ(rows.Find("FES   "), 2);
    EXPECT_EQ(rows.Find("FE"), -1);
    EXPECT_TRUE(rows.Rename(rows.At(0), "Sabato lavorativo"));
    EXPECT_EQ(Shown(rows)[0], "SAB|Sabato lavorativo|10");
    rows.Load();  // code order, no marks
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"FER|Feriale|00", "FES|Festivo|00", "SAB|Sabato lavorativo|00"}));
  }  // closing the editor commits
  EXPECT_EQ(Stored(), (std::vector<std::string>{"FER|Feriale", "FES  |Festivo  ", "SAB   |Sabato lavorativo"}));
}

TEST_F(DayTypes, RemoveRefusesADayTypeInUseAndRollbackBringsRowsBack) {
  RunSql(path,
         "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');"
         "INSERT INTO calend VALUES ('2024-01-02', 'FER', '2', ' ')");
  NoticeLog notices;
  {
    DbDatabase db(path);
    EditorTransaction transaction(&db);
    DayTypeRows rows(&db);
    rows.Load();
    EXPECT_FALSE(rows.Remove(rows.At(0)));
    EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore eliminazione tavola (cadenz)"));
    notices.Clear();
    EXPECT_TRUE(rows.Remove(rows.At(1)));
    EXPECT_FALSE(rows.Remove(rows.At(1)));  // a deleted row is neither deleted again nor renamed
    EXPECT_FALSE(rows.Rename(rows.At(1), "Domenica"));
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"FER|Feriale|00", "FES|Festivo|01"}));

    transaction.RollbackAndBegin();
    rows.Load();
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"FER|Feriale|00", "FES|Festivo|00"}));
    EXPECT_TRUE(rows.Rename(rows.At(1), "Domenica"));
    EXPECT_TRUE(transaction.CommitAndBegin());
    ASSERT_NE(rows.Insert("SAB", "Sabato"), nullptr);
    transaction.RollbackAndBegin();
    EXPECT_TRUE(transaction.Commit());
    EXPECT_EQ(db.TransactionDepth(), 0);
  }  // the destructor finds nothing open
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(Stored(), (std::vector<std::string>{"FER|Feriale", "FES|Domenica"}));
}

}  // namespace
