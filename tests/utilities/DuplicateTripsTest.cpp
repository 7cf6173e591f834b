// Duplicate trips on a hand-made timetable: the copies found, the report's text against a
// hand-made file, the times moved one minute later (no-times left alone, midnight wrapped), the
// cases that are no copy, and the batch that the database does not take.

#include "support/UtilityData.h"

#include "db/DbDatabase.h"
#include "utilities/DuplicateTrips.h"

#include <sqlite3.h>
#include <utility>

namespace {

const ClockTime kMoment{2024, 3, 1, 8, 0, 0};

struct Duplicates : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override { MakeDuplicateTripsDatabase(path); }

  // The copies found: "id>original" each, in the report's order.
  std::string Found(DuplicateTripSet* out = nullptr) {
    NoticeLog notices;
    DbDatabase db(path);
    DuplicateTripSet set = FindDuplicateTrips(&db, nullptr);
    EXPECT_TRUE(set.ok);
    EXPECT_EQ(notices.Texts(), "");
    EXPECT_EQ(set.Texts(), set.Duplicates() == 0 ? kNoDuplicateTripsText : "");
    std::string found;
    for (const TripHeadGroup& g : set.groups)
      for (const DuplicateTripEntry& t : g.trips)
        if (t.duplicateOf != -1) found += std::to_string(t.id) + ">" + std::to_string(t.duplicateOf) + " ";
    if (out) *out = std::move(set);
    return found;
  }
  // The times of every trip that is no copy.
  std::string Others() const {
    return QueryFile(path, "SELECT id, parte, arriva FROM tescor WHERE id NOT IN (11, 21, 61, 62) ORDER BY id") +
           QueryFile(path,
                     "SELECT id, sub, arriva, parte FROM detcor WHERE id NOT IN (11, 21, 61, 62) ORDER BY id, sub");
  }
  // Finds and moves the copies, with the rule `plant` (SQL) set up on the program's connection.
  DuplicateShiftResult Shift(const char* plant = nullptr) {
    DuplicateTripSet set;
    Found(&set);
    DbDatabase db(path);
    if (plant) {
      EXPECT_EQ(sqlite3_exec(db.Handle(), plant, nullptr, nullptr, nullptr), SQLITE_OK) << plant;
    }
    return ShiftDuplicateTrips(&db, set, nullptr);
  }
  // The same, stored; the result text.
  std::string Fix() {
    const DuplicateShiftResult r = Shift();
    EXPECT_TRUE(r.ok);
    return r.Texts();
  }
};

TEST_F(Duplicates, ReportEqualsTheHandMadeOne) {
  DuplicateTripSet set;
  EXPECT_EQ(Found(&set), "11>10 21>20 61>60 62>61 ");
  EXPECT_EQ(set.tripsRead, 13);
  EXPECT_EQ(set.firstDate, "01/01/2024");
  EXPECT_EQ(set.dayCount, 14);
  EXPECT_EQ(set.MarkedIds(), (std::vector<std::int32_t>{11, 21, 61, 62}));
  EXPECT_EQ(DuplicateTripReportText(set, path, kMoment), ExpectedDuplicateReport(path));
  // Written whole, or refused with the path when the folder is not there.
  const std::string report = dir.Path("CORSE_DOPPIE.TXT"), nowhere = dir.Path("manca") + "/CORSE_DOPPIE.TXT";
  EXPECT_TRUE(WriteDuplicateTripReport(report, set, path, kMoment).ok);
  EXPECT_EQ(FileBytes(report), ExpectedDuplicateReport(path));
  const Outcome refused = WriteDuplicateTripReport(nowhere, set, path, kMoment);
  EXPECT_EQ(std::pair(refused.ok, refused.Failure()), std::pair(false, "Impossibile creare\n\n" + nowhere));
}

TEST_F(Duplicates, CopiesMoveOneMinuteExceptTheirNoTimes) {
  const std::string others = Others();
  EXPECT_EQ(Fix(), "Risultati sistemazione corse doppie:\n\nModificate 4 corse\nModificate 10 righe orario");
  EXPECT_EQ(
      QueryFile(path, "SELECT id, parte, arriva FROM tescor WHERE id IN (10, 11, 20, 21, 60, 61, 62) ORDER BY id"),
      "10|700|9999\n11|701|9999\n20|2359|30\n21|0|31\n60|600|630\n61|601|631\n62|601|631\n");
  EXPECT_EQ(QueryFile(path, "SELECT id, sub, arriva, parte FROM detcor WHERE id IN (11, 21, 62) ORDER BY id, sub"),
            "11|1|9999|701\n11|2|731|732\n11|3|-1|-1\n11|4|801|9999\n"
            "21|1|9999|0\n21|2|31|9999\n"
            "62|1|9999|601\n62|2|631|9999\n");
  // The originals and the trips that are no copies are as they were.
  EXPECT_EQ(Others(), others);
}

TEST_F(Duplicates, ThreeEqualTripsTakeASecondRun) {
  Fix();
  // 61 and 62 moved together: again equal to each other.
  EXPECT_EQ(Found(), "62>61 ");
  EXPECT_EQ(Fix(), "Risultati sistemazione corse doppie:\n\nModificate 1 corse\nModificate 2 righe orario");
  EXPECT_EQ(Found(), "");
  EXPECT_EQ(QueryFile(path, "SELECT parte FROM tescor WHERE id >= 60 ORDER BY id"), "600\n601\n602\n");
}

// Heads that would pair up but are no copies: the pair left alone finds nothing.
struct NoCopy {
  const char* name;
  const char* keep;  // the trips left in the database
  const char* sql;   // then run
};
void PrintTo(const NoCopy& c, std::ostream* os) { *os << c.name; }

const NoCopy kNoCopies[] = {
    {"PeriodsShareNoDay", "30, 31", ""},
    {"TheOnlyCommonDayIsExcludedForOne", "40, 41", ""},
    {"CodesDifferInLetterCase", "50, 51", ""},
    {"NoCalendar", "10, 11", "DELETE FROM calend;"},
    {"NoPeriods", "10, 11", "DELETE FROM period;"},
    {"PeriodsOutsideTheCalendar", "10, 11",
     "UPDATE period SET inizio = '2024-02-01', fine = '2024-02-28' WHERE id IN (10, 11);"},
    {"DayTypeOfNoDay", "10, 11", "UPDATE period SET caden = 'FES' WHERE id = 11; UPDATE calend SET caden = 'SCO';"},
    {"OneHeadValueDiffers", "20, 21", "UPDATE tescor SET ct_tempo = 32 WHERE id = 21;"},
    // Stored by another tool, both read "?1": two codes all the same.
    {"CodesTheCodePageCannotHold", "10, 11",
     "UPDATE tescor SET codcorsa = char(0x141) || '1' WHERE id = 10; "
     "UPDATE tescor SET codcorsa = char(0x15A) || '1' WHERE id = 11;"},
};

struct NotACopy : Duplicates, ::testing::WithParamInterface<NoCopy> {};

TEST_P(NotACopy, IsNotFound) {
  RunSql(path, std::string("DELETE FROM detcor WHERE id NOT IN (") + GetParam().keep +
                   "); DELETE FROM tescor WHERE id NOT IN (" + GetParam().keep + ");" + GetParam().sql);
  DuplicateTripSet set;
  EXPECT_EQ(Found(&set), "");
  EXPECT_EQ(set.Duplicates(), 0);
  EXPECT_EQ(set.tripsRead, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, NotACopy, ::testing::ValuesIn(kNoCopies),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Duplicates, NoTripsNoCopies) {
  RunSql(path, "DELETE FROM detcor; DELETE FROM period; DELETE FROM tescor;");
  DuplicateTripSet set;
  EXPECT_EQ(Found(&set), "");
  EXPECT_EQ(set.tripsRead, 0);
}

TEST_F(Duplicates, ACopyWithoutStopsMovesItsHead) {
  RunSql(path, "DELETE FROM detcor WHERE id = 11");
  EXPECT_EQ(Fix(), "Risultati sistemazione corse doppie:\n\nModificate 4 corse\nModificate 6 righe orario");
  EXPECT_EQ(QueryFile(path, "SELECT parte, arriva FROM tescor WHERE id = 11"), "701|9999\n");
}

TEST_F(Duplicates, ARefusedStopRowIsSkippedAndNotCounted) {
  NoticeLog notices;
  const DuplicateShiftResult r = Shift(
      "CREATE TEMP TRIGGER stall BEFORE UPDATE ON detcor WHEN NEW.id = 11 AND NEW.sub = 2 "
      "BEGIN SELECT RAISE(ABORT, 'riga bloccata'); END;");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.trips, 4);
  EXPECT_EQ(r.rows, 9);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore aggiornamento tavola (detcor)"));
  EXPECT_EQ(QueryFile(path, "SELECT sub, arriva, parte FROM detcor WHERE id = 11 AND sub <= 2 ORDER BY sub"),
            "1|9999|701\n2|730|731\n");
}

TEST_F(Duplicates, ABatchTheDatabaseDoesNotTakeChangesNothing) {
  // Every statement succeeds; the rule that they broke is checked only at the commit.
  RunSql(path,
         "CREATE TABLE keeper (k INTEGER PRIMARY KEY);"
         "CREATE TABLE watch (k INTEGER REFERENCES keeper (k) DEFERRABLE INITIALLY DEFERRED);");
  const std::string before = TripTimes(path);
  NoticeLog notices;
  const DuplicateShiftResult r =
      Shift("CREATE TEMP TRIGGER stall AFTER UPDATE ON tescor BEGIN INSERT INTO watch VALUES (NEW.id); END;");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.trips + r.rows, 0);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore in fase di convalida della transazione"));
  EXPECT_EQ(TripTimes(path), before);
}

TEST_F(Duplicates, ACopyChangedAfterTheSearchStopsTheShift) {
  const std::string before = TripTimes(path);
  // Another program's change between the search (and its report) and the shift.
  const DuplicateShiftResult r = Shift("UPDATE tescor SET ct_tempo = 32 WHERE id = 21;");
  EXPECT_EQ(std::pair(r.ok, r.Failure()), std::pair(false, std::string(kDuplicateTripsChangedText)));
  EXPECT_EQ(r.trips + r.rows, 0);
  EXPECT_EQ(TripTimes(path), before);
}

// A value of another kind than its column's, read by the search (heads, calendar, periods) or by
// the shift (the copies' stop times): the one message that names it, and no time moved.
TEST_F(Duplicates, AValueOfAnotherKindStopsTheSearchOrTheShift) {
  AllowReadingMismatches();  // told by the run itself, not by the layer
  const struct {
    const char* sql;
    bool searched;  // stopped by the search, before any report
    std::string text;
  } planted[] = {
      {"UPDATE tescor SET parte = 'abc' WHERE id = 30;", true,
       StoppedAtValue("corsa 30", "parte", "'abc'", "un testo")},
      {"UPDATE calend SET caden = X'464552' WHERE data = '2024-01-08';", true,
       StoppedAtValue("calendario, giorno 08/01/2024", "caden", "X'464552'", "un dato binario", "un testo")},
      {"UPDATE period SET escluso = 'no' WHERE id = 40;", true,
       StoppedAtValue("corsa 40", "escluso", "'no'", "un testo")},
      {"UPDATE detcor SET arriva = '7h30' WHERE id = 11 AND sub = 2;", false,
       StoppedAtValue("corsa 11, fermata 2", "arriva", "'7h30'", "un testo")},
  };
  int run = 0;
  for (const auto& p : planted) {
    path = dir.Path("orari" + std::to_string(++run) + ".mdb");
    MakeDuplicateTripsDatabase(path);
    RunSql(path, p.sql);
    const std::string before = TripTimes(path);
    NoticeLog notices;
    if (p.searched) {
      DbDatabase db(path);
      const DuplicateTripSet set = FindDuplicateTrips(&db, nullptr);
      EXPECT_TRUE(!set.ok && set.refused && set.Duplicates() == 0) << p.sql;
      EXPECT_EQ(set.Texts(), p.text);
    } else {
      const DuplicateShiftResult r = Shift();
      EXPECT_EQ(std::pair(r.ok, r.Texts()), std::pair(false, p.text));
      EXPECT_EQ(r.trips + r.rows, 0);
    }
    EXPECT_EQ(notices.Texts(), "");
    EXPECT_EQ(TripTimes(path), before);
  }
}

struct Minute {
  int before, after;
};
TEST(OneMinuteLater, WrapsAtMidnightAndLeavesNoTimes) {
  const Minute cases[] = {{700, 701}, {759, 800}, {0, 1}, {2358, 2359}, {2359, 0}, {9999, 9999}, {-1, -1}, {-5, -5}};
  for (const auto& [before, after] : cases) EXPECT_EQ(OneMinuteLater(before), after) << before;
}

TEST(TripDaysBits, FlagsAndTheCommonDayTest) {
  TripDays a, b;
  a.Init(200);
  b.Init(200);
  EXPECT_EQ(a.DayCount(), 200);
  a.SetRunDay(130, 'S');
  a.SetRunDay(-1, 'S');   // outside: ignored
  a.SetRunDay(200, 'S');  // outside: ignored
  EXPECT_EQ(std::string() + a.GetRunDay(129) + a.GetRunDay(130) + a.GetRunDay(-1) + a.GetRunDay(200), "NSNN");
  b.SetRunDay(64, 'S');
  EXPECT_FALSE(a.ShareARunningDay(b));
  b.SetRunDay(130, 'S');
  EXPECT_TRUE(a.ShareARunningDay(b));
  EXPECT_TRUE(b.ShareARunningDay(a));
  b.SetExcludedDay(130, 'S');
  EXPECT_EQ(b.GetExcludedDay(130), 'S');
  EXPECT_FALSE(a.ShareARunningDay(b));
  // A period: the days of its day type from its first to its last, clipped to the calendar.
  DayBits mondays(200);
  for (int d = 0; d < 200; d += 7) mondays.Set(d);
  TripDays c;
  c.Init(200);
  c.AddPeriod(mondays, 60, 300, false);
  std::string marked;
  for (int d = 0; d < 200; ++d)
    if (c.GetRunDay(d) == 'S') marked += std::to_string(d) + " ";
  EXPECT_EQ(marked, "63 70 77 84 91 98 105 112 119 126 133 140 147 154 161 168 175 182 189 196 ");
  c.AddPeriod(mondays, -10, 63, true);
  EXPECT_EQ(std::string() + c.GetExcludedDay(63) + c.GetExcludedDay(56) + c.GetExcludedDay(0), "SSS");
  TripDays none;
  none.Init(0);
  EXPECT_FALSE(none.ShareARunningDay(none));
}

}  // namespace
