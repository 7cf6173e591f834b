// The printed error list on a canvas of fixed metrics: its three columns (the text column as wide
// as the widest error, a wider text over further lines), centred when they fit, "TESTA" for a
// head's row, its own pagination, and no page without rows.

#include "FixedCanvas.h"
#include "db/DbDatabase.h"
#include "reports/ErrorListReport.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>

namespace {

constexpr int kW = FixedCanvas::kCharWidth;

class ErrorList : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(path_);
    db_ = std::make_unique<DbDatabase>(path_);
  }
  PageGeometry Page(int width, int height) {
    PageGeometry page;
    page.width = width;
    page.height = height;
    return page;
  }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db_;
  FixedCanvas canvas_;
};

TEST_F(ErrorList, ColumnsCentredWhenTheyFit) {
  ErrorListReport report(db_.get());  // consent mode: the two database rows
  report.CheckData(db_.get(), nullptr);
  ASSERT_EQ(report.RowCount(), 2u);
  EXPECT_EQ(report.Title(), "Elenco Errori");
  EXPECT_EQ(report.subtitle, "Azienda 17 - Azienda regionale 017 [periodo dal 01/01/2024 al 30/06/2024]")
      << "the seeded name of company 17";
  report.Paginate(canvas_, Page(3000, 4000));
  const auto& c = report.Columns();
  const int widest = static_cast<int>(std::string("Nessuna corsa con Ente Contrattuale assegnato !!!").size()) * kW;
  EXPECT_EQ(c[0].width, 8 * kW);
  EXPECT_EQ(c[1].width, 11 * kW);
  EXPECT_EQ(c[2].width, widest);
  const int printable = 3000 - 100, right = 50 + 20 + 8 * kW + 40 + 11 * kW + 40 + widest + 20;
  EXPECT_EQ(c[0].x, 50 + 20 + (printable - right) / 2);
  EXPECT_EQ(c[1].x, c[0].x + 8 * kW + 40);
  EXPECT_EQ(c[2].x, c[1].x + 11 * kW + 40);
  EXPECT_EQ(report.PageCount(), 1);

  report.PrintPage(canvas_, 1, false);
  for (const char* title : {"ID Corsa", "Sub Fermata", "Errore"}) ASSERT_NE(canvas_.Find(title), nullptr) << title;
  const DrawnText* head = canvas_.Find("TESTA");
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->x, c[1].x + c[1].width - 5 * kW) << "right-aligned in its column";
  const std::vector<std::string> row = canvas_.TextsAt(head->y);
  EXPECT_EQ(row, (std::vector<std::string>{"-1", "TESTA", "Nessuna corsa con Ente Contrattuale assegnato !!!"}));
  EXPECT_EQ(canvas_.Find("-1")->x, c[0].x + c[0].width - 2 * kW);
}

// A text wider than the page goes on over further lines of its row, broken after a blank where it
// has one: nothing of it is cut, and the next row starts under its last line. Measured whole, the
// list still asks for landscape paper.
TEST_F(ErrorList, AWideTextGoesOnOverFurtherLinesOfItsRow) {
  ErrorListReport report(db_.get(), ErrorCheckOptions());
  std::string ids;
  for (int id = 1; id <= 60; ++id) ids += "ID=" + std::to_string(id) + (id < 60 ? " " : "");
  report.errors = {{7, -1, "Codice Corsa Duplicato: " + ids}, {7, 2, std::string(300, 'x')}, {8, 3, "breve"}};
  EXPECT_FALSE(report.FitsWidth(canvas_, Page(3000, 4000)));
  report.Paginate(canvas_, Page(3000, 4000));
  // Printable 2900: the text column takes what the first two leave (2900 - 80 - 110 - 120).
  const int room = 2900 - 8 * kW - 11 * kW - 120;
  EXPECT_EQ(report.Columns()[2].width, room);
  EXPECT_EQ(report.Columns()[0].x, 50 + 20);
  ASSERT_EQ(report.PageCount(), 1);
  report.PrintPage(canvas_, 1, false);

  const DrawnText* first = canvas_.Find("7");
  ASSERT_NE(first, nullptr);
  std::string joined;
  int y = first->y, lines = 0;
  for (std::vector<std::string> row = canvas_.TextsAt(y); !row.empty() && row.back().size() > 1;
       row = canvas_.TextsAt(y += FixedCanvas::kLineHeight), ++lines) {
    EXPECT_LE(static_cast<int>(row.back().size()) * kW, room) << row.back();
    EXPECT_NE(row.back().back(), ' ');
    joined += (joined.empty() ? "" : " ") + row.back();
    if (row.back().find("ID=60") != std::string::npos) break;
  }
  EXPECT_EQ(joined, report.errors[0].text) << "every id on paper, broken at blanks";
  EXPECT_GT(lines, 0);

  const DrawnText* second = canvas_.Find("TESTA");
  ASSERT_NE(second, nullptr);
  const DrawnText* sub2 = canvas_.Find("2");
  ASSERT_NE(sub2, nullptr);
  EXPECT_EQ(sub2->y, second->y + FixedCanvas::kLineHeight * (lines + 1) + 20) << "the next row under the last line";
  std::string unbroken;
  for (y = sub2->y; !canvas_.TextsAt(y).empty() && canvas_.TextsAt(y).back() != "breve"; y += FixedCanvas::kLineHeight)
    unbroken += canvas_.TextsAt(y).back();
  EXPECT_EQ(unbroken, std::string(300, 'x')) << "a text without blanks is broken where the room ends";
  EXPECT_NE(canvas_.Find("breve"), nullptr);
}

TEST_F(ErrorList, NoRowsNoPage) {
  ErrorListReport report(db_.get(), ErrorCheckOptions());
  report.CheckData(db_.get(), nullptr);
  EXPECT_EQ(report.RowCount(), 0u);
  report.Paginate(canvas_, Page(3000, 4000));
  EXPECT_EQ(report.PageCount(), 0);
  EXPECT_EQ(report.Columns()[2].width, 0);
}

TEST_F(ErrorList, ARowWhoseBottomWouldPassTheFootOpensThePage) {
  ErrorListReport report(db_.get(), ErrorCheckOptions());
  for (int n = 0; n < 25; ++n) report.errors.push_back({n, n, "riga " + std::to_string(n)});
  // Head: top 50, band top 50 + 30 + 10 + 30 + 30 = 150, first row at 150 + 30 + 40 = 220; rows
  // 50 high; the foot at 50 + 620 = 670: the ninth row ends exactly there; the tenth would end at
  // 720 > 670 and opens page 2.
  report.Paginate(canvas_, Page(2000, 720));
  EXPECT_EQ(report.PageCount(), 3);
  EXPECT_EQ(report.GetPageEntry(1), 0);
  EXPECT_EQ(report.GetPageEntry(2), 9);
  EXPECT_EQ(report.GetPageEntry(3), 18);
  report.PrintPage(canvas_, 2, false);
  EXPECT_NE(canvas_.Find("riga 9"), nullptr);
  EXPECT_NE(canvas_.Find("riga 17"), nullptr);
  EXPECT_EQ(canvas_.Find("riga 8"), nullptr);
  EXPECT_EQ(canvas_.Find("riga 18"), nullptr);
  EXPECT_NE(canvas_.Find("Pag. 2 di 3"), nullptr);
}

}  // namespace
