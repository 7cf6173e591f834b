// The validity periods of a trip on a real timetable database: which periods are listed, and the
// three writes of the period editor.

#include "support/TimetableData.h"

#include "db/DbDatabase.h"
#include "editing/PeriodRows.h"

namespace {

using Lines = std::vector<std::string>;

// The rows as "start|end|code|name|" and their excluded, changed and deleted marks.
Lines Shown(const PeriodRows& rows) {
  Lines lines;
  for (int k = 0; const PeriodRecord* r = rows.At(k); ++k)
    lines.push_back(r->start + "|" + r->end + "|" + r->code + "|" + r->name + "|" + std::to_string(r->excluded) +
                    std::to_string(r->changed) + std::to_string(r->deleted));
  return lines;
}

struct Periods : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(path);
    // A padded day type, and one (XYZ) that is not in the table of day types.
    // Three day types that read "?1": one so stored, two stored by another tool.
    RunSql(path,
           std::string(kDayTypesReadAlikeSql) +
               "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo  ');"
               "INSERT INTO tescor (id, gruppo, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo,"
               " ct_lung, ct_tempo) VALUES (1, 0, 'C1', 'L1', 'A', 0, 9999, 0, 0, 0, 0, 0, 0),"
               " (2, 0, 'C2', 'L1', 'A', 0, 9999, 0, 0, 0, 0, 0, 0);"
               "INSERT INTO period VALUES (1, 'FER       ', '2024-01-01', '2024-03-31', 0),"
               " (1, 'FES', '2024-04-01', '2024-06-30', 1), (1, 'XYZ', '2024-02-01', '2024-02-29', 0),"
               " (2, 'FER', '2024-01-01', '2024-06-30', 0), (1, 'FES', '2024-01-01', '2024-01-15', 0)");
  }
};

TEST_F(Periods, ListsThePeriodsWithAKnownCadence) {
  DbDatabase db(path);
  PeriodRows rows(&db);
  rows.Load(1);
  EXPECT_EQ(Shown(rows), (Lines{"01/01/2024|15/01/2024|FES|Festivo|000", "01/01/2024|31/03/2024|FER|Feriale|000",
                                "01/04/2024|30/06/2024|FES|Festivo|100"}));
  EXPECT_EQ(std::to_string(rows.FindStart("01/01/2024")) + std::to_string(rows.FindStart("01/04/2024")) +
                std::to_string(rows.FindStart("01/02/2024")),
            "02-1");
  std::string start, end;
  ASSERT_TRUE(rows.MasterPeriod(start, end));
  EXPECT_EQ(start + "-" + end, "01/01/2024-30/06/2024");
}

TEST_F(Periods, WritesInsertModifyAndRemove) {
  // start, end, code (and as stored), excluded, stored; a period that ends before it starts is
  // kept as typed; a write the table refuses (the same dates again, a day type not in the table)
  // leaves a notice. Of the day types read "?1", each is written as its own.
  const char *const l1 = kStoredL1, *const s1 = kStoredS1;
  const std::tuple<const char*, const char*, DbText, bool, bool> cases[] = {
      {"01/07/2024", "31/07/2024", {"FER  ", {}}, false, true}, {"10/08/2024", "10/08/2024", {"FES", {}}, true, true},
      {"01/09/2024", "31/08/2024", {"FER", {}}, false, true},   {"01/07/2024", "31/07/2024", {"FES", {}}, false, false},
      {"01/10/2024", "31/10/2024", {"NON", {}}, false, false},  {"01/11/2024", "30/11/2024", {"?1", {}}, false, true},
      {"01/12/2024", "31/12/2024", {"?1", l1}, false, true},    {"02/12/2024", "31/12/2024", {"?1  ", s1}, true, true},
  };
  NoticeLog notices;
  DbDatabase db(path);
  PeriodRows rows(&db);
  rows.Load(1);
  for (const auto& [start, end, code, excluded, stored] : cases) {
    SCOPED_TRACE(start);
    notices.Clear();
    EXPECT_EQ(rows.Insert(start, end, code, "Nome ", excluded) != nullptr, stored);
    EXPECT_EQ(notices.Texts().empty(), stored) << notices.Texts();
  }
  EXPECT_TRUE(rows.Modify(rows.At(1), {"FES ", {}}, "Festivo", true));
  EXPECT_TRUE(rows.Remove(rows.At(0)));
  EXPECT_FALSE(rows.Remove(rows.At(0)));
  EXPECT_FALSE(rows.Modify(rows.At(0), {"FER", {}}, "Feriale", false));
  EXPECT_FALSE(rows.Modify(nullptr, {"FER", {}}, "Feriale", false));
  // U+015A 1 changed to U+0141 1, U+0141 1 to the "?1" typed, U+0141 1 confirmed as shown: its own.
  EXPECT_TRUE(rows.Modify(rows.At(8), {"?1", l1}, "Estiva", false));
  EXPECT_TRUE(rows.Modify(rows.At(7), {"?1", {}}, "Uno", true));
  EXPECT_EQ(Shown(rows), (Lines{"01/01/2024|15/01/2024|FES|Festivo|001", "01/01/2024|31/03/2024|FES|Festivo|110",
                                "01/04/2024|30/06/2024|FES|Festivo|100", "01/07/2024|31/07/2024|FER|Nome|010",
                                "10/08/2024|10/08/2024|FES|Nome|110", "01/09/2024|31/08/2024|FER|Nome|010",
                                "01/11/2024|30/11/2024|?1|Nome|010", "01/12/2024|31/12/2024|?1|Uno|110",
                                "02/12/2024|31/12/2024|?1|Estiva|010"}));
  const char* const periods =
      "SELECT inizio, fine, replace(replace(caden, char(0x141), 'L/'), char(0x15A), 'S/'), escluso FROM period"
      " WHERE id = 1 ORDER BY inizio, fine";
  EXPECT_EQ(QueryFile(path, periods),
            "2024-01-01|2024-03-31|FES|1\n2024-02-01|2024-02-29|XYZ|0\n2024-04-01|2024-06-30|FES|1\n"
            "2024-07-01|2024-07-31|FER|0\n2024-08-10|2024-08-10|FES|1\n2024-09-01|2024-08-31|FER|0\n"
            "2024-11-01|2024-11-30|?1|0\n2024-12-01|2024-12-31|?1|1\n2024-12-02|2024-12-31|L/1|0\n");
  // Read again, each keeps its stored code: the one confirmed as shown stays as stored.
  rows.Load(1);
  ASSERT_EQ(rows.Count(), 8);
  EXPECT_EQ(rows.At(7)->storedCode, l1);
  EXPECT_TRUE(rows.Modify(rows.At(7), {"?1", {}}, "Estiva", false, false));
  EXPECT_EQ(QueryFile(path, "SELECT hex(caden) FROM period WHERE inizio = '2024-12-02'"), "C58131\n");
}

}  // namespace
