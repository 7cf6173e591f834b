// The day-type and calendar directories on a real database: what their loaders read, the company
// line, and how the calendar's rows are drawn date by date, across page breaks too.

#include "FixedCanvas.h"
#include "StoppedLoading.h"
#include "db/DbDatabase.h"
#include "reports/CadenceReports.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>
#include <cstdio>

namespace {

class CadenceReports : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(path_);
    RunSql(path_,
           "UPDATE regazi SET denom = 'Autolinee Prova   ' WHERE codice = 17;"
           "INSERT INTO cadenz VALUES ('SCO  ', 'Scolastico  '), ('FER', 'Feriale'), ('AAA', 'Zeta'),"
           " ('FES', 'Festivo');"
           "INSERT INTO calend (data, caden, giorno, note) VALUES"
           " ('2024-03-04', 'FER', '1', ' '),"
           " ('2024-03-05', 'SCO', '2', 'Sciopero  '), ('2024-03-05', 'FER', '2', 'Sciopero'),"
           " ('2024-03-05', 'FES', '2', 'Sciopero'),"
           " ('2024-03-06', 'FER', '8', ' '), ('2024-03-07', 'XXX', '4', ' '), ('2024-03-08', 'FER', '0', ' '),"
           " ('2024-04-01', 'FES', '1', 'Pasquetta');");
    db_ = std::make_unique<DbDatabase>(path_);
  }

  std::vector<std::string> CalendarRows(bool whole, const std::string& from = {}, const std::string& to = {}) {
    CalendarReport report(db_.get(), whole, from, to);
    report.Load(db_.get());
    std::vector<std::string> out;
    for (const auto& r : report.rows)
      out.push_back(r.dateLabel + "|" + r.note + "|" + r.cadenceCode + "|" + r.cadenceName);
    return out;
  }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db_;
};

TEST_F(CadenceReports, CadencesByCodeOrByNameWithoutTrailingBlanks) {
  for (const bool byCode : {true, false}) {
    CadenceReport report(db_.get(), byCode);
    report.Load(db_.get());
    std::vector<std::string> rows;
    for (const auto& r : report.rows) rows.push_back(r.code + "|" + r.name);
    const std::vector<std::string> expected =
        byCode ? std::vector<std::string>{"AAA|Zeta", "FER|Feriale", "FES|Festivo", "SCO|Scolastico"}
               : std::vector<std::string>{"FER|Feriale", "FES|Festivo", "SCO|Scolastico", "AAA|Zeta"};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(report.Title(), "Rubrica Cadenze");
  }
}

TEST_F(CadenceReports, CalendarRowsOfTheirCadencesOnlyInTheRange) {
  const std::vector<std::string> all = {"LUN 04/03/2024||FER|Feriale",         "MAR 05/03/2024|Sciopero|FER|Feriale",
                                        "MAR 05/03/2024|Sciopero|FES|Festivo", "MAR 05/03/2024|Sciopero|SCO|Scolastico",
                                        "??? 06/03/2024||FER|Feriale",         "??? 08/03/2024||FER|Feriale",
                                        "LUN 01/04/2024|Pasquetta|FES|Festivo"};
  // The row of 07/03 names a day type that is not in cadenz: never printed.
  EXPECT_EQ(CalendarRows(true), all);
  EXPECT_EQ(CalendarRows(false, "05/03/2024", "08/03/2024"), std::vector<std::string>(all.begin() + 1, all.end() - 1));
  EXPECT_EQ(CalendarRows(false, "01/04/2024", "01/04/2024"), std::vector<std::string>{all.back()});
  EXPECT_TRUE(CalendarRows(false, "09/03/2024", "31/03/2024").empty());
}

TEST_F(CadenceReports, CompanyLineFromTheMasterRow) {
  const auto subtitle = [&] { return CadenceReport(db_.get(), true).subtitle; };
  EXPECT_EQ(subtitle(), "Azienda 17 - Autolinee Prova [periodo dal 01/01/2024 al 30/06/2024]");
  db_.reset();
  RunSql(path_, "UPDATE master SET azienda = 9999");
  db_ = std::make_unique<DbDatabase>(path_);
  EXPECT_EQ(subtitle(), "Azienda 9999 - Azienda non definita [periodo dal 01/01/2024 al 30/06/2024]");
  db_.reset();
  RunSql(path_, "DELETE FROM master");
  db_ = std::make_unique<DbDatabase>(path_);
  EXPECT_EQ(subtitle(), "Azienda Non Definita");
}

// A value its column cannot hold as its kind stops the loading at its row, with no notice before.
TEST_F(CadenceReports, AValueNotOfItsColumnsKindStopsTheLoading) {
  ExpectEachStopped(
      {
          {Loaded<CadenceReport>(true), "UPDATE cadenz SET denom = X'436974E0' WHERE codice = 'FES';",
           "cadenza FES:\nil campo denom (Denominazione) vale X'436974E0'" + kBytesNotText},
          {Loaded<CadenceReport>(false), "UPDATE cadenz SET codice = X'464552' WHERE codice = 'FER';",
           "una cadenza:\nil campo codice (Codice) vale X'464552'" + kBytesNotText},
          {Loaded<CalendarReport>(true, std::string(), std::string()),
           "UPDATE calend SET note = X'4181' WHERE data = '2024-03-05' AND caden = 'FER';",
           "giorno 05/03/2024 del calendario:\nil campo note (Annotazioni) vale X'4181'" + kBytesNotText},
          {Loaded<CalendarReport>(false, std::string("01/04/2024"), std::string("01/04/2024")),
           "UPDATE cadenz SET denom = X'436974E0' WHERE codice = 'FES';",
           "cadenza FES:\nil campo denom (Denominazione) vale X'436974E0'" + kBytesNotText},
      },
      [&](const std::string& sql) {
        db_.reset();
        std::remove(path_.c_str());
        SetUp();
        db_.reset();
        RunSql(path_, sql);
        db_ = std::make_unique<DbDatabase>(path_);
        return db_.get();
      });
}

// The calendar drawn on pages that hold `perPage` rows: label and note once per date, the rows that
// follow it in the same date with their line from the code column.
TEST_F(CadenceReports, CalendarShowsEachDateOnceAlsoAcrossAPageBreak) {
  CalendarReport report(db_.get(), true, {}, {});
  report.Load(db_.get());
  FixedCanvas canvas;
  PageGeometry page;
  page.width = 2000;
  page.height = 220 + 100 + 50;  // two rows a page: at y 220 and 270, the second ending at the foot
  report.Paginate(canvas, page);
  ASSERT_EQ(report.PageCount(), 4);
  const auto& c = report.Columns();
  // The note shares the date's cell: 10 units after it; code and name 40 after the one before.
  EXPECT_EQ(c[1].x, c[0].x + 140 + 10);
  EXPECT_EQ(c[2].x, c[1].x + 200 + 40);
  EXPECT_EQ(c[3].x, c[2].x + 100 + 40);

  std::vector<std::string> drawn;
  for (int p = 1; p <= report.PageCount(); ++p) {
    canvas.Clear();
    report.PrintPage(canvas, p, false);
    for (int y : {230, 280}) {
      std::string row;
      for (const std::string& t : canvas.TextsAt(y)) row += t + "|";
      // The line at the top of the row starts at the date column or at the code column.
      for (const DrawnLine& l : canvas.lines)
        if (l.y1 == y - 10 && l.y2 == y - 10 && l.x1 == c[2].x - 20) row += "+";
      drawn.push_back(row);
    }
    // No vertical line between the date and its note.
    for (const DrawnLine& l : canvas.lines) EXPECT_NE(l.x1 == l.x2 ? l.x1 : -1, c[1].x - 20);
  }
  EXPECT_EQ(drawn,
            (std::vector<std::string>{"LUN 04/03/2024||FER|Feriale|", "MAR 05/03/2024|Sciopero|FER|Feriale|",
                                      "FES|Festivo|+", "SCO|Scolastico|+", "??? 06/03/2024||FER|Feriale|",
                                      "??? 08/03/2024||FER|Feriale|", "LUN 01/04/2024|Pasquetta|FES|Festivo|", ""}));
  // The note ends at the end of its column.
  canvas.Clear();
  report.PrintPage(canvas, 1, false);
  ASSERT_NE(canvas.Find("Sciopero"), nullptr);
  EXPECT_EQ(canvas.Find("Sciopero")->x + 80, c[1].x + c[1].width);
}

}  // namespace
