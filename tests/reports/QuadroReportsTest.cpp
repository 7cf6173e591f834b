// The quadro timetables in print on a real database: what the loaders select (ranges as values,
// the stop options), the stop rows of a quadro with every trip's stops, the cells, the letters of
// the period sets, the days of operation, and the pages: slices of trip columns, the footer kept
// on the paper, the page head's bands and the notes.

#include "FixedCanvas.h"
#include "StoppedLoading.h"
#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "reports/CadenceCalendar.h"
#include "reports/QuadroReports.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>
#include <cstdio>

namespace {

std::string N(long v) { return std::to_string(v); }

// A trip: code "C<id>" unless given, contractual 5 km in 40 minutes.
std::string Trip(int id, int quadro, int departure, const std::string& line = "L1", char verso = 'A',
                 const std::string& code = {}) {
  return TripHeadSql(id, quadro, departure) + "UPDATE tescor SET codlinea = '" + line + "', verso = '" + verso +
         "', codcorsa = '" + (code.empty() ? "C" + N(id) : code) +
         "', ct_lung = 5000, ct_tempo = 40 WHERE id = " + N(id) + ";";
}
// A stop; `kind` 'P' primary, 'F' optional, 'N' not served, anything else plain.
std::string Stop(int id, int sub, int arrives, int leaves, char kind = ' ') {
  return "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
         "VALUES (" +
         N(id) + ", " + N(sub) + ", 'F" + N(sub) + "', 'Fermata " + N(sub) + "  ', " + N((sub - 1) * 1250) + ", " +
         N(arrives) + ", " + N(leaves) + ", " + (kind == 'P' ? "1" : "0") + ", " + (kind == 'F' ? "1" : "0") + ", " +
         (kind == 'N' ? "1" : "0") + ", 0);";
}
// A period, dates as ISO texts.
std::string Period(int id, const std::string& type, const std::string& from, const std::string& to,
                   bool excluded = false) {
  return "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + N(id) + ", '" + type + "', '" + from +
         "', '" + to + "', " + (excluded ? "1" : "0") + ");";
}

// A canvas page of `width` x `height` units.
PageGeometry Page(int width, int height) {
  PageGeometry page;
  page.width = width;
  page.height = height;
  return page;
}

class QuadroReports : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(path_);
    // The year 2024: FER Monday to Saturday, FES on Sundays.
    RunSql(path_,
           "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');"
           "WITH RECURSIVE d(day) AS (SELECT date('2024-01-01') UNION ALL SELECT date(day, '+1 day') FROM d"
           "  WHERE day < '2024-12-31')"
           " INSERT INTO calend (data, caden, giorno, note)"
           " SELECT day, CASE strftime('%w', day) WHEN '0' THEN 'FES' ELSE 'FER' END, '1', ' ' FROM d;");
  }
  void Sql(const std::string& sql) {
    db_.reset();
    RunSql(path_, sql);
  }
  DbDatabase* Db() {
    if (!db_) db_ = std::make_unique<DbDatabase>(path_);
    return db_.get();
  }
  std::unique_ptr<TripReport> Trips(bool whole = true, long from = -1, long to = -1, bool optional = true,
                                    bool notServed = true) {
    auto report = std::make_unique<TripReport>(Db(), whole, from, to, optional, notServed);
    report->Load(Db());
    return report;
  }
  // "quadro:sub,sub,..." per quadro.
  static std::string Rows(const QuadroReport& r) {
    std::string out;
    for (const QuadroRange& q : r.quadri) {
      out += N(q.group) + ":";
      for (size_t n = q.firstRow; n < q.firstRow + q.rowCount; ++n) out += N(r.stops[n].sub) + ",";
      out += " ";
    }
    return out;
  }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db_;
};

TEST(QuadroCells, TimesAsPrinted) {
  struct Case {
    int arrival, departure;
    std::string text;
  };
  const Case cases[] = {
      {800, 800, "8:00"},
      {9999, 800, "8:00"},
      {800, 9999, "8:00"},
      {758, 800, "7:58 / P: 8:00"},
      {1405, 1410, "14:05 / P: 14:10"},
      // The editor's "no time yet" is no time, as 99:99 is.
      {-1, 800, "8:00"},
      {800, -1, "8:00"},
      {-1, -1, "99:99"},
      {9999, 9999, "99:99"},
      {-1, 9999, "99:99"},
      {5, 5, "0:05"},
  };
  for (const Case& c : cases) EXPECT_EQ(QuadroReport::CellText({c.arrival, c.departure}), c.text) << c.arrival;
  EXPECT_EQ(QuadroReport::CellText(StopCell{}), "");
}

TEST(QuadroCells, LettersAfterZGoOnWithDigitsThenQuestionMark) {
  std::string letters;
  for (int n = 0; n < 64; ++n) letters += QuadroReport::PeriodLetter(n);
  EXPECT_EQ(letters, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789??");
}

TEST(CadenceCalendar, ADayCountsOnceWhenGivenAndNotTakenAway) {
  CadenceCalendarList calendar;
  for (int d = 1; d <= 20; ++d) {
    const std::string date = (d < 10 ? "0" : "") + N(d) + "/03/2024";
    calendar.AddDate(date, d % 7 == 3 ? "FES" : "FER");  // Sundays: 3, 10, 17
    if (d % 2 == 0) calendar.AddDate(date, "SCO");
  }
  calendar.AddDate("1/3/2024", "FER");  // not a 10-character date: ignored
  struct Case {
    std::vector<PrintedPeriod> periods;
    int days;
  };
  const Case cases[] = {
      {{{"FER", "", "01/03/2024", "20/03/2024", false}}, 17},
      {{{"FER", "", "01/03/2024", "20/03/2024", false}, {"FER", "", "05/03/2024", "12/03/2024", true}}, 17 - 7},
      // Overlapping inclusions count a day once.
      {{{"FER", "", "01/03/2024", "10/03/2024", false}, {"FER", "", "05/03/2024", "20/03/2024", false}}, 17},
      // Two day types on one date: once.
      {{{"FER", "", "01/03/2024", "20/03/2024", false}, {"SCO", "", "01/03/2024", "20/03/2024", false}}, 18},
      // An exclusion alone, or over days nothing gives.
      {{{"FER", "", "01/03/2024", "20/03/2024", true}}, 0},
      {{{"FES", "", "01/03/2024", "05/03/2024", false}, {"FER", "", "01/03/2024", "20/03/2024", true}}, 1},
      // Excluded by another day type on the same date.
      {{{"FER", "", "01/03/2024", "20/03/2024", false}, {"SCO", "", "01/03/2024", "20/03/2024", true}}, 17 - 9},
      {{{"FER", "", "1/03/2024", "20/03/2024", false}}, 0},
      {{{"XXX", "", "01/03/2024", "20/03/2024", false}}, 0},
      {{{"FER", "", "20/03/2024", "01/03/2024", false}}, 0},
      {{}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(calendar.DaysOfOperation(c.periods), c.days) << c.periods.size();
}

TEST_F(QuadroReports, DaysOfOperationAsTheCalendarGivesThem) {
  Sql("UPDATE master SET datfin = '2024-12-31';" + Trip(1, 1, 600) + Period(1, "FER", "2024-01-01", "2024-12-31") +
      Period(1, "FER", "2024-08-01", "2024-08-31", true) + Trip(2, 1, 700) +
      Period(2, "FER", "2024-01-01", "2024-06-30") + Period(2, "FER", "2024-04-01", "2024-09-30") + Trip(3, 1, 800) +
      Period(3, "FER", "2024-08-01", "2024-08-31", true) + Trip(4, 1, 900) +
      Period(4, "FER", "2025-01-01", "2025-03-31") + Stop(1, 1, 9999, 600) + Stop(2, 1, 9999, 700) +
      Stop(3, 1, 9999, 800) + Stop(4, 1, 9999, 900));
  const auto count = [&](const std::string& where) {
    return std::stoi(QueryFile(path_, "SELECT count(*) FROM calend WHERE caden = 'FER' AND " + where));
  };
  const int yearLessAugust = count("data BETWEEN '2024-01-01' AND '2024-12-31' AND data NOT LIKE '2024-08-%'");
  const int januaryToSeptember = count("data BETWEEN '2024-01-01' AND '2024-09-30'");
  ASSERT_GT(yearLessAugust, 250);
  auto report = Trips();
  ASSERT_EQ(report->trips.size(), 4u);
  EXPECT_EQ(report->trips[0].days, yearLessAugust);
  EXPECT_EQ(report->trips[1].days, januaryToSeptember);
  EXPECT_EQ(report->trips[2].days, 0);
  EXPECT_EQ(report->trips[3].days, 0);

  // Only within the reporting period of the master row; none without it.
  Sql("UPDATE master SET datfin = '2024-06-30'");
  EXPECT_EQ(Trips()->trips[0].days, count("data BETWEEN '2024-01-01' AND '2024-06-30'"));
  Sql("DELETE FROM master");
  report = Trips();
  EXPECT_EQ(report->subtitle, "Azienda Non Definita");
  for (const QuadroTrip& t : report->trips) EXPECT_EQ(t.days, 0);
}

// A value its column cannot hold as its kind, in a trip, its periods, its day types, its stops,
// the calendar or the master row, stops the loading at its row, with no notice before.
TEST_F(QuadroReports, AValueNotOfItsColumnsKindStopsTheLoading) {
  const std::string timetable = Trip(1, 1, 600) + Trip(2, 1, 700) + Period(1, "FER", "2024-01-01", "2024-06-30") +
                                Period(2, "FES", "2024-01-01", "2024-06-30") + Stop(1, 1, 9999, 600) +
                                Stop(1, 2, 610, 9999) + Stop(2, 1, 9999, 700) + Stop(2, 2, 710, 9999);
  const MakeReport trips = Loaded<TripReport>(true, -1L, -1L, true, true);
  ExpectEachStopped(
      {
          {trips, "UPDATE tescor SET ct_tempo = 'abc' WHERE id = 2;",
           "corsa 2:\nil campo ct_tempo (Tempo contrattuale) vale 'abc'" + kTextNotNumber},
          {trips, "UPDATE tescor SET codcorsa = X'436974E0' WHERE id = 1;",
           "corsa 1:\nil campo codcorsa (Codice Corsa) vale X'436974E0'" + kBytesNotText},
          {trips, "UPDATE period SET escluso = 'no' WHERE id = 2;",
           "corsa 2:\nil campo escluso (Periodo Escluso) vale 'no'" + kTextNotNumber},
          {trips, "UPDATE cadenz SET denom = X'4181' WHERE codice = 'FES';",
           "cadenza FES:\nil campo denom (Denominazione) vale X'4181'" + kBytesNotText},
          {trips, "UPDATE detcor SET denom = X'436974E0' WHERE id = 1 AND sub = 2;",
           "fermata 2 della corsa 1:\nil campo denom (Denominazione Fermata) vale X'436974E0'" + kBytesNotText},
          {trips, "UPDATE detcor SET arriva = 'abc' WHERE id = 2 AND sub = 2;",
           "fermata 2 della corsa 2:\nil campo arriva (Tempo di arrivo) vale 'abc'" + kTextNotNumber},
          {trips, "UPDATE calend SET caden = X'464552' WHERE data = '2024-03-05';",
           "giorno 05/03/2024 del calendario:\nil campo caden (Cadenza Attiva) vale X'464552'" + kBytesNotText},
          {trips, "UPDATE master SET datfin = 20240630;",
           "dati generali:\nil campo datfin (Data Fine) vale 20240630,\nche è un numero intero e non una data come "
           "richiede la sua colonna."},
      },
      [&](const std::string& sql) {
        db_.reset();
        std::remove(path_.c_str());
        SetUp();
        Sql(timetable + sql);
        return Db();
      });
}

TEST_F(QuadroReports, QuadriTripsInDepartureOrderAndEveryTripsStopsInARow) {
  // Quadro 7: trip 5 leaves first; trip 6 has a stop (3) that the first trip lacks, trip 8 one
  // past the end (9). Trip 9 has no period: never printed. Quadro 2 comes first.
  Sql(Trip(5, 7, 900) + Trip(6, 7, 800) + Trip(8, 7, 1000) + Trip(9, 7, 500) + Trip(10, 2, 1200) +
      Period(5, "FER", "2024-01-01", "2024-06-30") + Period(6, "FER", "2024-01-01", "2024-06-30") +
      Period(8, "FES", "2024-01-01", "2024-06-30") + Period(10, "FER", "2024-01-01", "2024-06-30") +
      Stop(5, 1, 9999, 900) + Stop(5, 2, 905, 906) + Stop(5, 4, 915, 9999) + Stop(6, 1, 9999, 800) +
      Stop(6, 2, 805, 805) + Stop(6, 3, 808, 810) + Stop(6, 4, 815, 9999) + Stop(8, 1, 9999, 1000) +
      Stop(8, 4, 1015, 1016) + Stop(8, 9, 1030, 9999) + Stop(9, 1, 9999, 500) + Stop(10, 1, 9999, 1200));
  auto report = Trips();
  std::string order;
  for (const QuadroTrip& t : report->trips) order += N(t.id) + N(t.group) + t.letter + " ";
  EXPECT_EQ(order, "102A 67A 57A 87B ");
  EXPECT_EQ(Rows(*report), "2:1, 7:1,2,3,4,9, ");
  ASSERT_EQ(report->quadri.size(), 2u);
  const QuadroRange& q = report->quadri[1];
  std::vector<std::string> cells;
  for (size_t n = q.firstRow; n < q.firstRow + q.rowCount; ++n) {
    std::string row = report->stops[n].code + "|" + report->stops[n].name;
    for (const StopCell& c : report->stops[n].cells) row += "|" + QuadroReport::CellText(c);
    cells.push_back(row);
  }
  EXPECT_EQ(cells, (std::vector<std::string>{"F1|Fermata 1|8:00|9:00|10:00", "F2|Fermata 2|8:05|9:05 / P: 9:06|",
                                             "F3|Fermata 3|8:08 / P: 8:10||", "F4|Fermata 4|8:15|9:15|10:15 / P: 10:16",
                                             "F9|Fermata 9|||10:30"}));
}

TEST_F(QuadroReports, StopOptionsAndRangesSelectAsValues) {
  Sql(Trip(1, 1, 600) + Trip(2, 2, 600) + Trip(3, 3, 600) + Period(1, "FER", "2024-01-01", "2024-06-30") +
      Period(2, "FER", "2024-01-01", "2024-06-30") + Period(3, "FER", "2024-01-01", "2024-06-30") +
      Stop(3, 9, 700, 700) + [] {
        std::string s;
        for (int id = 1; id <= 3; ++id)
          s += Stop(id, 1, 9999, 600, 'P') + Stop(id, 2, 610, 610, 'F') + Stop(id, 3, 620, 620, 'N') +
               Stop(id, 4, 630, 9999);
        return s;
      }());
  struct Case {
    bool whole;
    long from, to;
    bool optional, notServed;
    std::string rows;
  };
  const Case cases[] = {
      {true, -1, -1, true, true, "1:1,2,3,4, 2:1,2,3,4, 3:1,2,3,4,9, "},
      {true, -1, -1, false, true, "1:1,3,4, 2:1,3,4, 3:1,3,4,9, "},
      {true, -1, -1, true, false, "1:1,2,4, 2:1,2,4, 3:1,2,4,9, "},
      {true, -1, -1, false, false, "1:1,4, 2:1,4, 3:1,4,9, "},
      {false, 2, 3, false, true, "2:1,3,4, 3:1,3,4,9, "},
      {false, 2, 2, true, false, "2:1,2,4, "},
      {false, 3, 2, true, true, ""},
  };
  for (const Case& c : cases) {
    auto report = Trips(c.whole, c.from, c.to, c.optional, c.notServed);
    EXPECT_EQ(Rows(*report), c.rows) << c.whole << c.from << c.optional << c.notServed;
  }
}

TEST_F(QuadroReports, LinesByTheirCodesAsTyped) {
  Sql(Trip(1, 1, 600, "L\"1", 'R') + Trip(2, 1, 700, "L\"1", 'A') + Trip(3, 2, 600, "L2") + Trip(4, 3, 600, "A9") +
      Trip(5, 3, 500, "L2") + Period(1, "FER", "2024-01-01", "2024-06-30") +
      Period(2, "FER", "2024-01-01", "2024-06-30") + Period(3, "FER", "2024-01-01", "2024-06-30") +
      Period(4, "FER", "2024-01-01", "2024-06-30") + Period(5, "FER", "2024-01-01", "2024-06-30") +
      Stop(1, 1, 9999, 600) + Stop(2, 1, 9999, 700) + Stop(3, 1, 9999, 600) + Stop(4, 1, 9999, 600) +
      Stop(5, 1, 9999, 500));
  struct Case {
    bool whole;
    std::string from, to;
    std::string trips;  // id line direction, quadro by quadro
  };
  const Case cases[] = {
      // Quadro 1 runs both ways on one line; quadro 3 on two lines, printed under each.
      {true, "", "", "4A9A| 2L\"1A 1L\"1R| 3L2A| 5L2A| "},
      {false, "L\"1", "L\"1", "2L\"1A 1L\"1R| "},
      {false, "L\"1", "L3", "2L\"1A 1L\"1R| 3L2A| 5L2A| "},
      {false, "\" OR 1=1 OR \"", "\"", ""},
  };
  for (const Case& c : cases) {
    LineTimetableReport report(Db(), c.whole, c.from, c.to, true, true);
    report.Load(Db());
    std::string out;
    for (const QuadroRange& q : report.quadri) {
      for (size_t t = q.firstTrip; t < q.firstTrip + q.tripCount; ++t)
        out += N(report.trips[t].id) + report.trips[t].line + report.trips[t].direction + " ";
      out.back() = '|';
      out += " ";
    }
    EXPECT_EQ(out, c.trips) << c.from;
    EXPECT_EQ(report.Title(), "Rubrica Quadri Linea");
  }
}

TEST_F(QuadroReports, LettersForEachDistinctPeriodSetInTripOrder) {
  // Quadro 1: 67 trips, trip k (from 1) with a period of its own, except trips 3 and 4 which
  // repeat trip 1's (4 differing only in the excluded flag). Quadro 2: trips with 66 periods,
  // 102 as 101, 103 differing in its 66th only.
  std::string sql;
  const auto periodTo = [](int id, int days, bool excluded) {
    return "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + N(id) +
           ", 'FER', '2024-01-01', date('2024-01-01', '+" + N(days) + " day'), " + (excluded ? "1" : "0") + ");";
  };
  for (int k = 1; k <= 67; ++k) {
    sql += Trip(k, 1, 500 + k) + Stop(k, 1, 9999, 600);
    sql += k == 3 || k == 4 ? periodTo(k, 1, k == 4) : periodTo(k, k, false);
  }
  for (int k = 101; k <= 103; ++k) {
    sql += Trip(k, 2, 500 + k) + Stop(k, 1, 9999, 600);
    for (int p = 1; p <= 66; ++p)
      sql += "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + N(k) +
             ", 'FER', date('2024-01-01', '+" + N(2 * p) + " day'), date('2024-01-01', '+" +
             N(2 * p + (k == 103 && p == 66 ? 1 : 0)) + " day'), 0);";
  }
  Sql(sql);
  auto report = Trips();
  ASSERT_EQ(report->trips.size(), 70u);
  std::string letters;
  for (const QuadroTrip& t : report->trips) letters += t.letter;
  EXPECT_EQ(letters.substr(0, 6), "ABAACD");
  EXPECT_EQ(letters[28], 'a') << "the 27th distinct set";
  EXPECT_EQ(letters.substr(61, 6), "789???") << letters;
  EXPECT_EQ(letters.substr(67), "AAB");
  // Past the letters, each trip's note is its own; every other letter has one note.
  FixedCanvas canvas;
  report->Paginate(canvas, Page(8000, 20000));
  ASSERT_EQ(report->PageCount(), 2);
  report->PrintPage(canvas, 1, false);
  const int xSub = report->PageLayout().xSub, xCode = report->PageLayout().xCode;
  std::vector<std::string> own;
  int letterNotes = 0;
  for (const DrawnText& t : canvas.texts) {
    if (t.x != xSub || t.text.size() != 1) continue;
    ++letterNotes;
    for (const DrawnText& n : canvas.texts)
      if (t.text == "?" && n.y == t.y && n.x == xCode) own.push_back(n.text);
  }
  EXPECT_EQ(letterNotes, 62 + 3);
  ASSERT_EQ(own.size(), 3u);
  EXPECT_EQ(own[0], "Si effettua dal 01/01/2024 al 06/03/2024 [FER] Feriale");
  EXPECT_NE(own[1], own[0]);
  EXPECT_NE(own[2], own[1]);
}

TEST_F(QuadroReports, SlicesOfTripColumnsEachRunningDownItsPages) {
  std::string sql;
  for (int k = 1; k <= 30; ++k) {
    sql += Trip(k, 4, 600 + k) + Period(k, k % 2 ? "FER" : "FES", "2024-01-01", "2024-06-30");
    for (int s = 1; s <= 12; ++s) sql += Stop(k, s, s == 1 ? 9999 : 700 + s, s == 12 ? 9999 : 700 + s);
  }
  Sql(sql);
  auto report = Trips();
  FixedCanvas canvas;
  // Fixed metrics: Sub "Sub" at 70, Codice "Codice" at 140, Denominazione its title at 240, Km
  // "13,750" at 410; the trip columns from 490, each its widest text (the period's total time,
  // "100:00") + 40 = 100 units. Room for 12 columns.
  const int s0 = 490;
  const int width = s0 + 12 * 100 + 50 + 49;
  // Head 420, rows of 50, footer 250 + 10 + 2 notes of 40: 4 rows a page.
  const int height = 420 + 4 * 50 + 340 + 50 + 49;
  report->Paginate(canvas, Page(width, height));
  const auto& layout = report->PageLayout();
  EXPECT_EQ(layout.firstColumn, s0);
  EXPECT_EQ(layout.columnWidth, 60);
  ASSERT_EQ(layout.perPage, 12);
  ASSERT_EQ(report->PageCount(), 9);  // three slices of three pages
  std::string slices;
  for (int p = 1; p <= report->PageCount(); ++p) {
    size_t quadro = 9, first = 9;
    ASSERT_TRUE(report->PageSlice(p, quadro, first));
    slices += N(static_cast<long>(first)) + ":" + N(report->GetPageEntry(p)) + " ";
    canvas.Clear();
    report->PrintPage(canvas, p, false);
    // The black band numbers the page's columns, in white.
    std::vector<std::string> numbers;
    for (const DrawnText& t : canvas.texts)
      if (t.y == 190 + 2) numbers.push_back(t.text + (t.color == 0xFFFFFF ? "" : "!"));
    const size_t columns = first == 24 ? 6 : 12;
    ASSERT_EQ(numbers.size(), columns);
    for (size_t j = 0; j < columns; ++j) EXPECT_EQ(numbers[j], N(static_cast<long>(first + j + 1)));
    // Nothing below the printable area.
    for (const DrawnText& t : canvas.texts) EXPECT_LE(t.y + 30, height - 50) << t.text;
    // Both letters' notes.
    EXPECT_NE(canvas.Find("Si effettua dal 01/01/2024 al 30/06/2024 [FER] Feriale"), nullptr);
    EXPECT_NE(canvas.Find("Si effettua dal 01/01/2024 al 30/06/2024 [FES] Festivo"), nullptr);
  }
  EXPECT_EQ(slices, "0:0 0:4 0:8 12:0 12:4 12:8 24:0 24:4 24:8 ");
  size_t quadro = 0, first = 0;
  EXPECT_FALSE(report->PageSlice(10, quadro, first));
}

TEST_F(QuadroReports, ATripColumnWiderThanThePagePrintsOneAPage) {
  Sql(Trip(1, 1, 600, "L1", 'A', std::string(20, 'W')) + Trip(2, 1, 700) +
      Period(1, "FER", "2024-01-01", "2024-06-30") + Period(2, "FER", "2024-01-01", "2024-06-30") +
      Stop(1, 1, 9999, 600) + Stop(2, 1, 9999, 700));
  auto report = Trips();
  FixedCanvas canvas;
  report->Paginate(canvas, Page(400, 2000));
  EXPECT_EQ(report->PageLayout().perPage, 1);
  ASSERT_EQ(report->PageCount(), 2);
  canvas.Clear();
  report->PrintPage(canvas, 2, false);
  EXPECT_NE(canvas.Find("C2"), nullptr);
  EXPECT_EQ(canvas.Find(std::string(20, 'W')), nullptr);
}

TEST_F(QuadroReports, StopRowsColouredByKindAndLongNotesWrapped) {
  Sql(Trip(1, 1, 600) + Stop(1, 1, 9999, 600, 'P') + Stop(1, 2, 610, 610, 'F') + Stop(1, 3, 620, 620, 'N') +
      Stop(1, 4, 630, 9999) + [] {
        std::string s;
        for (int m = 1; m <= 6; ++m) s += Period(1, "FER", "2024-0" + N(m) + "-01", "2024-0" + N(m) + "-10", m == 3);
        return s;
      }());
  auto report = Trips();
  FixedCanvas canvas;
  report->Paginate(canvas, Page(1200, 3000));
  canvas.Clear();
  report->PrintPage(canvas, 1, false);
  const int xSub = report->PageLayout().xSub;
  std::vector<std::uint32_t> fills;
  for (const DrawnLine& b : canvas.bands)
    if (b.x1 == xSub - 20 && b.y2 - b.y1 == 50) fills.push_back(b.color);
  EXPECT_EQ(fills, (std::vector<std::uint32_t>{0xC0C0C0, 0x808080, 0x000000}));
  EXPECT_EQ(canvas.Find("Fermata 3")->color, 0xFFFFFFu);
  EXPECT_EQ(canvas.Find("Fermata 4")->color, 0u);
  // The note: the letter, then its text in lines within the printable width.
  std::string note;
  const int xCode = report->PageLayout().xCode;
  int letterY = -1;
  for (const DrawnText& t : canvas.texts)
    if (t.x == xSub && t.text == "A") letterY = t.y;
  ASSERT_GT(letterY, 0);
  for (const DrawnText& t : canvas.texts) {
    if (t.x != xCode || t.y < letterY) continue;
    EXPECT_LE(t.x + 10 * static_cast<int>(t.text.size()), 1200 - 50) << t.text;
    note += (note.empty() ? "" : " ") + t.text;
  }
  EXPECT_EQ(note,
            "Si effettua dal 01/01/2024 al 10/01/2024 [FER] Feriale; Si effettua dal 01/02/2024 al 10/02/2024 [FER] "
            "Feriale; Esclusa dal 01/03/2024 al 10/03/2024 [FER] Feriale; Si effettua dal 01/04/2024 al 10/04/2024 "
            "[FER] Feriale; Si effettua dal 01/05/2024 al 10/05/2024 [FER] Feriale; Si effettua dal 01/06/2024 al "
            "10/06/2024 [FER] Feriale");
  // The footer's values: 5 km, 40 minutes, the days, the totals.
  const int days = report->trips[0].days;
  EXPECT_EQ(days, std::stoi(QueryFile(path_,
                                      "SELECT count(*) FROM calend WHERE caden = 'FER' AND strftime('%d', data) <= '10'"
                                      " AND data < '2024-07-01' AND data NOT LIKE '2024-03-%'")));
  for (const std::string& text :
       {std::string("5,000"), std::string("00:40"), N(days), DecimalComma(Format("%1.1lf", 5.0 * days)),
        N(40 * days / 60) + ":" + (40 * days % 60 < 10 ? "0" : "") + N(40 * days % 60)})
    EXPECT_NE(canvas.Find(text), nullptr) << text;
}

}  // namespace
