#pragma once
// A grid of plain columns scrolled sideways by pixels: the day types, the validity periods and the
// trip list. The columns are given once (header and a template text as wide as the widest
// value); each row's texts and marks come from the grid's subclass.

#include "editors/GridWindow.h"

#include <string>
#include <utility>
#include <vector>

struct GridColumn {
  std::string header;       // Windows-1252
  std::string widthSample;  // measured for the column's width: "VVVV", "9999", "99/99/9999"
  int rightInset = -1;      // -1: left-aligned; else right-aligned, ending this many pixels inside
};

// A row's marks.
struct RowMarks {
  bool changed = false;
  bool deleted = false;
};

class ListGrid : public GridWindow {
 public:
  ListGrid(QWidget* parent, GridOwner* owner, int childId, std::vector<GridColumn> columns);

  int ColumnWidth(int column) const { return widths_[static_cast<size_t>(column)]; }
  // The width of the whole table: the columns, 10 pixels between each two, 5 at either end.
  int TableWidth() const;
  int HorizontalOffset() const { return hOffset_; }

  // The text of a cell and the marks of a row.
  virtual std::string CellText(int row, int column) const = 0;
  virtual RowMarks MarksOf(int row) const = 0;
  // The column whose header is highlighted (the sort column), -1 for none.
  virtual int HighlightedColumn() const { return -1; }

 protected:
  void MeasureCells(const QFontMetrics& metrics) override;
  int TableRight() const override { return TableWidth() - hOffset_; }
  void PaintHeader(QPainter& painter) override;
  void PaintRow(QPainter& painter, int row, int y, bool selected) override;
  void UpdateHorizontalBar() override;
  void HorizontalMoved(int value) override;

 private:
  // The x of a column's text, and of the rule after it, in view coordinates.
  int TextX(int column) const;
  void PaintRules(QPainter& painter, int y0, int y1) const;
  void DrawCell(QPainter& painter, int column, int y, const std::string& text) const;

  std::vector<GridColumn> columns_;
  std::vector<int> widths_;
  int hOffset_ = 0;
};

// A list grid over an editor's rows (the day types, the periods, the trips): one grid row for each
// of its rows in order, marked from the record's changed and deleted flags.
template <class Rows>
class RecordListGrid : public ListGrid {
 public:
  RecordListGrid(QWidget* parent, GridOwner* owner, int childId, std::vector<GridColumn> columns, Rows& rows)
      : ListGrid(parent, owner, childId, std::move(columns)), rows_(rows) {}

  int RowCount() const override { return rows_.Count(); }
  RowMarks MarksOf(int row) const override {
    const auto* record = rows_.At(row);
    return record ? RowMarks{record->changed != 0, record->deleted != 0} : RowMarks{};
  }

 protected:
  Rows& rows_;
};
