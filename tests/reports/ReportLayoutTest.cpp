// The page layout every report shares, on a canvas of fixed metrics: pagination, page head, band,
// rows, grid, centring and the page table, for reports of every length.

#include "FixedCanvas.h"
#include "common/Clock.h"

#include <gtest/gtest.h>

namespace {

// A square page of 1000 units with the margins of 50: printable 900 x 900, rows up to y = 950.
PageGeometry Page(int height = 1000) {
  PageGeometry page;
  page.width = 1000;
  page.height = height;
  return page;
}

// With lines 30 high the head ends at 50 + 2 x 30 + 40 (band top) + 30 + 40.
constexpr int kFirstRowY = 220;
constexpr int kRowHeight = 50;

// The rows whose bottom lies at or above the limit.
int RowsPerPage(int limit) { return (limit - kFirstRowY) / kRowHeight; }

TEST(ReportLayout, RowsFillEachPageDownToTheLimitAndARowThatWouldPassItOpensTheNext) {
  struct Case {
    int pageHeight;
    size_t rows;
  };
  // 1000: the limit 950 falls inside the 15th row; 1020: the 15th row ends exactly at 970.
  for (const Case c : {Case{1000, 0}, Case{1000, 1}, Case{1000, 14}, Case{1000, 15}, Case{1020, 15}, Case{1020, 16},
                       Case{1020, 100}}) {
    SCOPED_TRACE(std::to_string(c.pageHeight) + " " + std::to_string(c.rows));
    NumberedReport report(c.rows, 10);
    FixedCanvas canvas;
    report.Paginate(canvas, Page(c.pageHeight));
    const int perPage = RowsPerPage(c.pageHeight - 50);
    const int pages = c.rows == 0 ? 1 : static_cast<int>((c.rows + perPage - 1) / perPage);
    EXPECT_EQ(report.PageCount(), pages);
    for (int p = 1; p <= pages; ++p) {
      EXPECT_EQ(report.GetPageEntry(p), (p - 1) * perPage);
      canvas.Clear();
      report.PrintPage(canvas, p, false);
      // Every row of the page is drawn, in order, one row height apart.
      const size_t first = static_cast<size_t>((p - 1) * perPage);
      const size_t last = std::min(c.rows, first + static_cast<size_t>(perPage));
      for (size_t n = first; n < last; ++n)
        EXPECT_EQ(canvas.TextsAt(kFirstRowY + 10 + static_cast<int>(n - first) * kRowHeight),
                  std::vector<std::string>{"riga " + std::to_string(n)});
      EXPECT_EQ(canvas.texts.size(), 5 + (last - first)) << "head, title and the rows of the page only";
    }
    EXPECT_EQ(report.GetPageEntry(pages + 1), -1);
  }
  EXPECT_EQ(RowsPerPage(950), 14);
  EXPECT_EQ(RowsPerPage(970), 15);
}

TEST(ReportLayout, ReportsOfMoreThan8192PagesDrawEveryPageFromItsOwnFirstRow) {
  const int perPage = RowsPerPage(950);
  NumberedReport report(static_cast<size_t>(9000 * perPage), 10);
  FixedCanvas canvas;
  report.Paginate(canvas, Page());
  ASSERT_EQ(report.PageCount(), 9000);
  for (int page : {8192, 8193, 9000}) {
    canvas.Clear();
    report.PrintPage(canvas, page, false);
    const long first = static_cast<long>(page - 1) * perPage;
    EXPECT_EQ(report.GetPageEntry(page), first);
    EXPECT_EQ(canvas.TextsAt(kFirstRowY + 10).front(), "riga " + std::to_string(first));
    EXPECT_EQ(canvas.TextsAt(kFirstRowY + 10 + (perPage - 1) * kRowHeight).front(),
              "riga " + std::to_string(first + perPage - 1));
    EXPECT_NE(canvas.Find("Pag. " + std::to_string(page) + " di 9000"), nullptr);
  }
  // The second value per page has no limit either.
  report.SetPageAux(8193, 7);
  EXPECT_EQ(report.GetPageAux(8193), 7);
  EXPECT_EQ(report.GetPageAux(8194), -1);
  EXPECT_EQ(report.GetPageAux(0), -1);
}

TEST(ReportLayout, PageHeadBandAndGrid) {
  NumberedReport report(40, 10);
  report.subtitle = "Azienda 17 - Prova [periodo dal 01/01/2024 al 30/06/2024]";
  report.printTime = ClockTime{2004, 3, 5, 9, 7, 30};
  FixedCanvas canvas;
  report.Paginate(canvas, Page());
  ASSERT_EQ(report.PageCount(), 3);
  canvas.Clear();
  report.PrintPage(canvas, 3, false);
  EXPECT_EQ(canvas.font, 80);
  const std::string heading = "Quendo - \"Gestione degli orari del trasporto pubblico locale\"";
  // Line 1 and line 2 at the left margin; page number and print time end at the right margin.
  ASSERT_NE(canvas.Find(heading), nullptr);
  EXPECT_EQ(canvas.Find(heading)->x, 50);
  EXPECT_EQ(canvas.Find(heading)->y, 50);
  ASSERT_NE(canvas.Find("Pag. 3 di 3"), nullptr);
  EXPECT_EQ(canvas.Find("Pag. 3 di 3")->x, 950 - 11 * 10);
  EXPECT_EQ(canvas.Find("Pag. 3 di 3")->y, 50);
  ASSERT_NE(canvas.Find("05/03/2004 09:07"), nullptr);
  EXPECT_EQ(canvas.Find("05/03/2004 09:07")->x, 950 - 16 * 10);
  EXPECT_EQ(canvas.Find("05/03/2004 09:07")->y, 90);
  EXPECT_EQ(canvas.Find(report.subtitle)->x, 50);
  EXPECT_EQ(canvas.Find(report.subtitle)->y, 90);

  // A table of 100 units: right edge 70 + 100 + 20 = 190, moved right by (900 - 190) / 2.
  const int x = 70 + 355;
  EXPECT_EQ(report.Columns()[0].x, x);
  ASSERT_EQ(canvas.bands.size(), 1u);
  EXPECT_EQ(canvas.bands[0].x1, x - 20);
  EXPECT_EQ(canvas.bands[0].y1, 150);
  EXPECT_EQ(canvas.bands[0].x2, x + 100 + 20);
  EXPECT_EQ(canvas.bands[0].y2, 150 + 30 + 40);
  EXPECT_EQ(canvas.Find("Riga")->x, x);
  EXPECT_EQ(canvas.Find("Riga")->y, 170);

  // Page 3 holds rows 28 to 39; the grid closes it under the last one.
  const int bottom = kFirstRowY + 12 * kRowHeight;
  const std::vector<DrawnLine>& l = canvas.lines;
  ASSERT_GE(l.size(), 3u);
  const DrawnLine vertical = l[l.size() - 2], right = l[l.size() - 1], base = l[l.size() - 3];
  EXPECT_EQ(std::vector<int>({base.x1, base.y1, base.x2, base.y2}),
            std::vector<int>({x - 20, bottom, x + 110, bottom}));
  EXPECT_EQ(std::vector<int>({vertical.x1, vertical.y1, vertical.x2, vertical.y2}),
            std::vector<int>({x - 20, 150, x - 20, bottom}));
  EXPECT_EQ(std::vector<int>({right.x1, right.y1, right.x2, right.y2}),
            std::vector<int>({x + 120, 150, x + 120, bottom}));
}

TEST(ReportLayout, OnlyATableNarrowerThanThePrintableWidthIsCentred) {
  struct Case {
    size_t chars;
    int x;
  };
  // Right edge 70 + 10 x chars + 20 against the printable width 900.
  for (const Case c : {Case{10, 70 + 355}, Case{80, 70 + 5}, Case{81, 70}, Case{100, 70}}) {
    NumberedReport report(1, c.chars);
    FixedCanvas canvas;
    report.Paginate(canvas, Page());
    EXPECT_EQ(report.Columns()[0].x, c.x) << c.chars;
  }
}

TEST(ReportLayout, APageTooShortForItsHeadStillShowsTheRowItBeginsWith) {
  NumberedReport report(3, 10);
  FixedCanvas canvas;
  report.Paginate(canvas, Page(250));  // rows must begin by y = 200, the head ends at 220
  ASSERT_EQ(report.PageCount(), 3);
  for (int p = 1; p <= 3; ++p) {
    canvas.Clear();
    report.PrintPage(canvas, p, false);
    EXPECT_EQ(canvas.TextsAt(kFirstRowY + 10), std::vector<std::string>{"riga " + std::to_string(p - 1)});
  }
}

}  // namespace
