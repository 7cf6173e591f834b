// The grids whose columns scroll sideways whole (the quadro's timetable, the service calendar),
// painted offscreen as on a screen: only whole columns are drawn, and right of the last of them
// the view is the background, at whatever width.

#include "db/DbDatabase.h"
#include "editing/EditorTransaction.h"
#include "editors/CalendarDialog.h"
#include "editors/CalendarGrid.h"
#include "editors/EditorTestSupport.h"
#include "editors/TimetableGrid.h"
#include "editors/TripDialog.h"
#include "editors/TripListGrid.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>

namespace {

// The dialog widths tried: 1400 pixels, then wider step by step, so that the view ends at every
// point of a column.
std::vector<int> Widths() {
  std::vector<int> widths;
  for (int width = 1400; width < 1400 + 160; width += 11) widths.push_back(width);
  return widths;
}

// The grid as painted now: where its table ends (the header band's last pixel on the band's second
// line), and the first pixel right of it that is not the white background ("" when none).
std::string BeyondTheTable(GridWindow* grid, int& right) {
  const QImage image = grid->viewport()->grab().toImage();
  right = -1;
  for (int x = image.width() - 1; x >= 0 && right < 0; --x)
    if (image.pixelColor(x, 2) != QColor(Qt::white)) right = x;
  for (int y = 0; y < image.height(); ++y)
    for (int x = right + 1; x < image.width(); ++x)
      if (image.pixelColor(x, y) != QColor(Qt::white))
        return "at " + std::to_string(x) + "," + std::to_string(y) + " of a view " + std::to_string(image.width()) +
               " wide whose table ends at " + std::to_string(right);
  return {};
}

// Checks the grid at every width of the dialog: nothing right of the table, and the table itself
// reaching into the last column's width of the view's right edge (so that it did draw its columns).
template <class Editor>
void CheckEveryWidth(Editor& editor, GridWindow* grid, int cellWidth) {
  for (int width : Widths()) {
    SCOPED_TRACE(width);
    editor.resize(width, 700);
    QApplication::processEvents();
    int right = -1;
    EXPECT_EQ(BeyondTheTable(grid, right), "");
    EXPECT_GT(right, grid->viewport()->width() - cellWidth - 10);
  }
}

int TextWidth(const char* text) { return QFontMetrics(GridWindow::GridFont()).horizontalAdvance(QLatin1String(text)); }

TEST(ColumnGridPaint, TheQuadroDrawsOnlyWholeTripColumns) {
  // Quadro 60: 126 trips, each with three stops and a time at each.
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetableDatabase(path);
  std::string sql;
  for (int id = 100; id < 226; ++id) {
    const int departure = 500 + (id - 100) / 6 * 100 + (id - 100) % 6 * 10;
    sql += TripHeadSql(id, 60, departure);
    for (int sub = 1; sub <= 3; ++sub)
      sql +=
          "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
          " VALUES (" +
          std::to_string(id) + ", " + std::to_string(sub) + ", 'F', 'Fermata', " + std::to_string(sub * 1000) + ", " +
          std::to_string(sub == 1 ? 9999 : departure + sub * 5) + ", " +
          std::to_string(sub == 3 ? 9999 : departure + sub * 5 + 1) + ", 0, 0, 0, (SELECT min(id) FROM local));";
  }
  RunSql(path, sql);

  DbDatabase db(path);
  EditorTransaction transaction(&db);
  LiveEditor<TripDialog> d(nullptr, &db, &transaction, 120);
  d.Exec([&] {
    d.ListGrid()->SelectRow(d.Rows().FindId(100), true);
    d.Click(TripDialog::kDetails);
    ASSERT_EQ(d.Quadro().ColumnCount(), 126);
    CheckEveryWidth(d, d.Timetable(), TextWidth("A: 99:99 / P: 99:99") + 2);
    // The last page of columns too.
    d.Timetable()->SelectCell(0, 125, true);
    CheckEveryWidth(d, d.Timetable(), TextWidth("A: 99:99 / P: 99:99") + 2);
    d.Click(TripDialog::kFinish);
    d.Click(TripDialog::kFinish);
  });
  transaction.Commit();
}

TEST(ColumnGridPaint, TheCalendarDrawsOnlyWholeCadenceColumns) {
  // 2 January 2024 with forty day types.
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetableDatabase(path);
  std::string sql = "UPDATE master SET datini = '2024-01-01', datfin = '2024-01-31';";
  for (int k = 10; k < 50; ++k) {
    const std::string code = "C" + std::to_string(k);
    sql += "INSERT INTO cadenz VALUES ('" + code + "', 'Cadenza'); INSERT INTO calend VALUES ('2024-01-02', '" + code +
           "', '2', ' ');";
  }
  RunSql(path, sql);

  DbDatabase db(path);
  EditorTransaction transaction(&db);
  LiveEditor<CalendarDialog> d(nullptr, &db, &transaction, nullptr, 118);
  d.Exec([&] {
    auto* grid = d.template findChild<CalendarGrid*>(QString::number(CalendarGrid::kChildId));
    ASSERT_NE(grid, nullptr);
    grid->SelectCell(1, 0, true);
    ASSERT_EQ(grid->ColumnCount(), 40);
    CheckEveryWidth(d, grid, grid->CellWidth());
    grid->SelectCell(1, 39, true);
    CheckEveryWidth(d, grid, grid->CellWidth());
    d.Click(CalendarDialog::kFinish);
  });
  transaction.Commit();
}

}  // namespace
