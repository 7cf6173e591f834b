// The contract and days-of-operation checks on a real database, laid out on a canvas of fixed
// metrics: their rows and totals, a new page for every contract (with totals only too), the page
// head with the authority, the grid, and the days column: as many day texts a row as fit, one
// at least, made from each trip's days when the row is drawn.

#include "FixedCanvas.h"
#include "StoppedLoading.h"
#include "db/DbDatabase.h"
#include "reports/ContractReport.h"
#include "reports/OperatingDaysReport.h"
#include "support/ContractData.h"

#include <gtest/gtest.h>
#include <cstdio>

namespace {

// A page of `width` x `height` with the margins of 50.
PageGeometry Page(int width, int height) {
  PageGeometry page;
  page.width = width;
  page.height = height;
  return page;
}

class CheckReports : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(path_);
    RunSql(path_, ContractTimetableSql());
    db_ = std::make_unique<DbDatabase>(path_);
  }
  // The texts of every page, each page's opened by "== n".
  static std::vector<std::string> Pages(Report& report, FixedCanvas& canvas) {
    std::vector<std::string> out;
    for (int p = 1; p <= report.PageCount(); ++p) {
      canvas.Clear();
      report.PrintPage(canvas, p, false);
      out.push_back("== " + std::to_string(p));
      for (const DrawnText& t : canvas.texts) out.push_back(t.text);
    }
    return out;
  }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db_;
};

// An entry as "label|metres|minutes" for a total, "#id" for a trip.
std::vector<std::string> Entries(const ContractReport& r) {
  std::vector<std::string> out;
  for (const ContractReport::Entry& e : r.entries)
    out.push_back(e.trip >= 0 ? "#" + std::to_string(r.trips[static_cast<size_t>(e.trip)].id)
                              : e.label + "|" + Format("%.0f|%.0f", e.metres, e.minutes));
  return out;
}

TEST_F(CheckReports, ContractRowsAndTotalsByLineAndContract) {
  ContractReport report(db_.get(), true);
  report.Load(db_.get());
  EXPECT_EQ(report.Title(), "Rubrica Contratti");
  EXPECT_EQ(Entries(report), (std::vector<std::string>{"#1",
                                                       "#2",
                                                       "#3",
                                                       "TOTALI L1 A|6175000|18100",
                                                       "#4",
                                                       "TOTALI L2 A|1000|5",
                                                       "TOTALI CONTRATTO|6176000|18105",
                                                       "#5",
                                                       "TOTALI L1 A|92000|920",
                                                       "TOTALI CONTRATTO|92000|920",
                                                       "#10",
                                                       "TOTALI L3 A|0|0",
                                                       "TOTALI CONTRATTO|0|0",
                                                       "#9",
                                                       "TOTALI L1 A|180000|1500",
                                                       "TOTALI CONTRATTO|180000|1500",
                                                       "#6",
                                                       "TOTALI L1 A|0|0",
                                                       "#7",
                                                       "TOTALI L1 R|153000|3060",
                                                       "TOTALI CONTRATTO|153000|3060"}));
  std::vector<long> days;
  for (const ContractTrip& t : report.trips) days.push_back(t.days);
  EXPECT_EQ(days, (std::vector<long>{250, 240, 10, 1, 46, 0, 30, 0, 51}));
  EXPECT_EQ(report.authorityNames.at(9999), "*** INESISTENTE ***");
  EXPECT_EQ(report.authorityNames.at(5), "Città Metropolitana di Firenze");
}

// A value its column cannot hold as its kind, in a trip or in its periods, in the calendar, in the
// master row or in the names of the company and of the authorities, stops the contract and the
// days-of-operation checks at its row, with no notice before.
TEST_F(CheckReports, AValueNotOfItsColumnsKindStopsTheContractAndDaysChecks) {
  const MakeReport contracts = Loaded<ContractReport>(true);
  const MakeReport days = Loaded<OperatingDaysReport>(true, 0L, 0L);
  // The working period changed once the report is made, as another program would write it.
  const MakeReport periodChanged = [](DbDatabase* db) {
    auto report = std::make_unique<OperatingDaysReport>(db, true, 0L, 0L);
    EXPECT_EQ(ExecWithoutChecks(db->Handle(), "UPDATE master SET datfin = '2024-12-32'"), "ok");
    report->Load(db);
    return std::unique_ptr<Report>(std::move(report));
  };
  const std::string notDate = ",\nche è un testo e non una data come richiede la sua colonna.";
  std::vector<StoppedCase> cases = {
      {contracts, "UPDATE tescor SET ct_lung = 'abc' WHERE id = 2;",
       "corsa 2:\nil campo ct_lung (Lunghezza contrattuale) vale 'abc'" + kTextNotNumber},
      {contracts, "UPDATE tescor SET codlinea = X'4C31' WHERE id = 9;",
       "corsa 9:\nil campo codlinea (Codice Linea) vale X'4C31'" + kBytesNotText},
      {contracts, "UPDATE period SET escluso = 'no' WHERE id = 5;",
       "corsa 5:\nil campo escluso (Periodo Escluso) vale 'no'" + kTextNotNumber},
      {contracts, "UPDATE regent SET denom = X'436974E0' WHERE codice = 5;",
       "ente 5:\nil campo denom (Denominazione) vale X'436974E0'" + kBytesNotText},
      {contracts, "UPDATE regazi SET denom = X'4181' WHERE codice = 17;",
       "azienda 17:\nil campo denom (Denominazione) vale X'4181'" + kBytesNotText},
      {contracts, "UPDATE master SET datini = '01/01/2024';",
       "dati generali:\nil campo datini (Data Inizio) vale '01/01/2024'" + notDate},
      {days, "UPDATE period SET inizio = '2024-02-30' WHERE id = 3 AND inizio = '2024-03-01';",
       "corsa 3:\nil campo inizio (Data inizio) vale '2024-02-30'" + notDate},
      {days, "UPDATE tescor SET parte = 'abc' WHERE id = 4;",
       "corsa 4:\nil campo parte (Partenza Capolinea) vale 'abc'" + kTextNotNumber},
      {days, "UPDATE master SET datfin = X'4181';",
       "dati generali:\nil campo datfin (Data Fine) vale X'4181',\nche è un dato binario e non una data come "
       "richiede la sua colonna."},
      {periodChanged, "", "dati generali:\nil campo datfin (Data Fine) vale '2024-12-32'" + notDate},
  };
  // The calendar stops both, a date that is none named by its value.
  for (const MakeReport& report : {contracts, days}) {
    cases.push_back({report, "UPDATE calend SET data = '2024-01-32' WHERE data = '2024-01-31' AND caden = 'FER';",
                     "un giorno del calendario:\nil campo data (Data) vale '2024-01-32'" + notDate});
    cases.push_back(
        {report, "UPDATE calend SET caden = X'464552' WHERE data = '2024-03-05';",
         "giorno 05/03/2024 del calendario:\nil campo caden (Cadenza Attiva) vale X'464552'" + kBytesNotText});
  }
  ExpectEachStopped(cases, [&](const std::string& sql) {
    db_.reset();
    std::remove(path_.c_str());
    MakeTimetableDatabase(path_);
    RunSql(path_, ContractTimetableSql() + sql);
    db_ = std::make_unique<DbDatabase>(path_);
    return db_.get();
  });
}

TEST_F(CheckReports, TimesOfTripsAndOfTotals) {
  const std::pair<long, const char*> trips[] = {
      {0, "00:00"}, {5, "00:05"}, {59, "00:59"}, {60, "1:00"}, {8750, "145:50"}};
  for (const auto& [minutes, text] : trips) EXPECT_EQ(ContractReport::TripPeriodTime(minutes), text);
  const std::pair<double, const char*> totals[] = {
      {0, "00:0"}, {5, "00:5"}, {59, "00:59"}, {60, "1:00"}, {18105, "301:45"}};
  for (const auto& [minutes, text] : totals) EXPECT_EQ(ContractReport::TotalTime(minutes), text);
}

TEST_F(CheckReports, EveryContractOnANewPageWithItsAuthorityWithTotalsOnlyToo) {
  for (const bool detail : {true, false}) {
    SCOPED_TRACE(detail);
    ContractReport report(db_.get(), detail);
    report.Load(db_.get());
    FixedCanvas canvas;
    // Wide enough for the twelve columns, high enough for every contract on one page.
    report.Paginate(canvas, Page(3000, 2000));
    ASSERT_EQ(report.PageCount(), 5);
    const long firsts[] = {0, 7, 10, 13, 16};
    for (int p = 1; p <= 5; ++p) EXPECT_EQ(report.GetPageEntry(p), firsts[p - 1]);
    const std::vector<std::string> pages = Pages(report, canvas);
    auto page = [&](int p) {
      std::vector<std::string> texts;
      bool in = false;
      for (const std::string& t : pages) {
        if (t.rfind("== ", 0) == 0)
          in = t == "== " + std::to_string(p);
        else if (in)
          texts.push_back(t);
      }
      return texts;
    };
    const std::vector<std::string> first = page(1), second = page(2), last = page(5);
    EXPECT_EQ(first[4], "Ente Gestore: 1 - Regione Toscana            Contratto 10");
    EXPECT_EQ(last[4], "Ente Gestore: 9999 - *** INESISTENTE ***            Contratto 1");
    EXPECT_EQ(std::count(first.begin(), first.end(), "TOTALI CONTRATTO"), 1);
    EXPECT_EQ(std::count(first.begin(), first.end(), "TOTALI L1 A"), 1);
    EXPECT_EQ(std::count(first.begin(), first.end(), "TOTALI L2 A"), 1);
    EXPECT_EQ(std::count(first.begin(), first.end(), "00:5"), 1);
    EXPECT_EQ(std::count(first.begin(), first.end(), "145:50"), detail ? 1 : 0);
    EXPECT_EQ(std::count(first.begin(), first.end(), "Bus Extraurbano"), detail ? 1 : 0);
    EXPECT_EQ(std::count(second.begin(), second.end(), "???"), detail ? 1 : 0);
    // Head (heading, page, subtitle, time, authority), twelve titles, the rows.
    EXPECT_EQ(first.size(), 5 + 12 + (detail ? 4 * 12 : 0) + 3 * 3);
  }
}

TEST_F(CheckReports, ContractHeadGridAndTripRowLayout) {
  ContractReport report(db_.get(), true);
  report.Load(db_.get());
  FixedCanvas canvas;
  report.Paginate(canvas, Page(3000, 2000));
  canvas.Clear();
  report.PrintPage(canvas, 1, false);
  constexpr int lh = FixedCanvas::kLineHeight;
  // The authority's line under the subtitle, the band below it.
  EXPECT_EQ(canvas.Find("Ente Gestore: 1 - Regione Toscana            Contratto 10")->y, 50 + 2 * lh + 40);
  EXPECT_EQ(canvas.bands.at(0).y1, 50 + 3 * lh + 90);
  const auto& c = report.Columns();
  // The trip row: right-aligned numbers end at their column's right edge.
  const DrawnText* km = canvas.Find("3125,00");
  ASSERT_NE(km, nullptr);
  EXPECT_EQ(km->x + 70, c[10].x + c[10].width);
  EXPECT_EQ(canvas.Find("TOTALI L2 A")->x + 110, c[9].x + c[9].width);
  EXPECT_EQ(canvas.Find("L1 A")->x, c[0].x);
  // The grid's vertical lines: the first column, the two period columns and the right edge.
  const int bandTop = canvas.bands[0].y1;
  std::vector<int> verticals;
  for (const DrawnLine& l : canvas.lines)
    if (l.x1 == l.x2 && l.y1 == bandTop) verticals.push_back(l.x1);
  EXPECT_EQ(verticals, (std::vector<int>{c[0].x - 20, c[10].x - 20, c[11].x - 20, c[11].x + c[11].width + 20}));
}

// ---- Days of operation ---------------------------------------------------------------------

TEST_F(CheckReports, OperatingDaysListEveryDayNumberedWithItsWeekday) {
  OperatingDaysReport report(db_.get(), true, 0, 0);
  report.Load(db_.get());
  EXPECT_EQ(report.Title(), "Rubrica Verifica Giorni");
  std::vector<std::string> trips;
  for (const OperatingDaysReport::Trip& t : report.trips)
    trips.push_back(std::to_string(t.id) + " " + std::to_string(t.dayCount));
  EXPECT_EQ(trips, (std::vector<std::string>{"1 250", "2 240", "3 10", "4 1", "5 46", "6 0", "7 51", "9 30", "10 0"}));
  FixedCanvas canvas;
  // Four day texts of 170 fit from the days column at 690 to 1370: three a row.
  report.Paginate(canvas, Page(1470, 20000));
  EXPECT_EQ(report.TextsPerRow(), 3u);
  EXPECT_EQ(report.Columns()[4].width, 4 * 170);
  // Trip 7, the Saturdays less 13/01: its rows follow trips 1 to 6 (84 + 80 + 4 + 1 + 16 + 1 rows).
  const size_t first7 = 84 + 80 + 4 + 1 + 16 + 1;
  size_t row = 9;
  EXPECT_EQ(report.trips[report.TripOfRow(first7, row)].id, 7);
  EXPECT_EQ(row, 0u);
  EXPECT_EQ(report.RowText(first7), "(1 - Sa 06/01) (2 - Sa 20/01) (3 - Sa 27/01) ");
  EXPECT_EQ(report.RowText(first7 + 16), "(49 - Sa 14/12) (50 - Sa 21/12) (51 - Sa 28/12) ");
  EXPECT_EQ(report.RowText(first7 - 1), "") << "trip 6 has no day";
  EXPECT_EQ(report.RowText(0), "(1 - Lu 01/01) (2 - Ma 02/01) (3 - Me 03/01) ");
  // Trip 2 skips 01/02 - 10/02: its 31st day is 31/01, its 32nd 11/02.
  EXPECT_EQ(report.RowText(84 + 10), "(31 - Me 31/01) (32 - Do 11/02) (33 - Lu 12/02) ");
  EXPECT_EQ(report.RowCount(), first7 + 17 + 10 + 1);

  // Drawn: the trip's own row with its head, then rows of day texts only.
  canvas.Clear();
  report.PrintPage(canvas, 1, false);
  const DrawnText* code = canvas.Find("C7");
  ASSERT_NE(code, nullptr);
  EXPECT_EQ(canvas.TextsAt(code->y),
            (std::vector<std::string>{"L1 R", "7", "C7", "12:00", "(1 - Sa 06/01) (2 - Sa 20/01) (3 - Sa 27/01) "}));
  EXPECT_EQ(canvas.TextsAt(code->y + 50), std::vector<std::string>{"(4 - Sa 03/02) (5 - Sa 10/02) (6 - Sa 17/02) "});
  EXPECT_EQ(canvas.Find("(4 - Sa 03/02) (5 - Sa 10/02) (6 - Sa 17/02) ")->x, report.Columns()[4].x);
}

TEST_F(CheckReports, OneDayTextARowAtLeastWhateverTheWidth) {
  OperatingDaysReport report(db_.get(), false, 7, 7);
  report.Load(db_.get());
  ASSERT_EQ(report.trips.size(), 1u);
  struct Case {
    int pageWidth;  // printable width + 100
    size_t texts;
    int columnWidth;
  };
  // The days column starts at 690 (before centring); a text is 170 wide.
  const Case cases[] = {{700, 1, 170},  {959, 1, 170},  {960, 1, 170},  {1129, 1, 170},
                        {1130, 1, 340}, {1300, 2, 510}, {1470, 3, 680}, {2000, 6, 1190}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pageWidth);
    FixedCanvas canvas;
    report.Paginate(canvas, Page(c.pageWidth, 100000));
    EXPECT_EQ(report.TextsPerRow(), c.texts);
    EXPECT_EQ(report.Columns()[4].width, c.columnWidth);
    EXPECT_EQ(report.RowCount(), (51 + c.texts - 1) / c.texts);
    EXPECT_EQ(report.PageCount(), 1);
    canvas.Clear();
    report.PrintPage(canvas, 1, false);
    size_t days = 0;
    for (const DrawnText& t : canvas.texts) days += static_cast<size_t>(std::count(t.text.begin(), t.text.end(), '('));
    EXPECT_EQ(days, 51u);
  }
  // Short pages: every row still once, page after page.
  FixedCanvas canvas;
  report.Paginate(canvas, Page(960, 1000));
  ASSERT_GT(report.PageCount(), 3);
  size_t rows = 0;
  for (int p = 1; p <= report.PageCount(); ++p) {
    canvas.Clear();
    report.PrintPage(canvas, p, false);
    for (const DrawnText& t : canvas.texts) rows += t.text.rfind("(", 0) == 0;
  }
  EXPECT_EQ(rows, 51u);
}

TEST_F(CheckReports, AnIdRangeWithoutTripsHasNoRows) {
  OperatingDaysReport report(db_.get(), false, 100, 200);
  report.Load(db_.get());
  EXPECT_EQ(report.RowCount(), 0u);
  OperatingDaysReport some(db_.get(), false, 6, 8);
  some.Load(db_.get());
  EXPECT_EQ(some.trips.size(), 2u) << "trip 8 has no period";
}

}  // namespace
