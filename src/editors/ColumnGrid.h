#pragma once
// A grid whose columns of cells scroll sideways whole, beside a fixed part on the left (the
// calendar's dates, a quadro's stops): a cell is selected, a row and a column, and the selected
// cell is always one in view.

#include "editors/GridWindow.h"

class ColumnGrid : public GridWindow {
 public:
  using GridWindow::GridWindow;

  int SelectedColumn() const { return selectedColumn_; }
  int FirstColumn() const { return firstColumn_; }
  virtual int ColumnCount() const = 0;
  // Whole columns that fit beside the fixed part (at least one).
  int VisibleColumns() const;
  // One past the last column shown: only whole columns are drawn, never the part of one more
  // that the view could hold, which would show cells without their header, rules or band.
  int ShownColumnsEnd() const;
  // Selects a cell and scrolls it into view; the owner hears of it when `notify`.
  void SelectCell(int row, int column, bool notify);

 protected:
  // The x of the rule left of the first column shown, and the width of a cell's text.
  virtual int ColumnsLeft() const = 0;
  virtual int CellWidth() const = 0;
  // The x of the rule left of a column shown.
  int CellLeft(int column) const { return ColumnsLeft() + (column - firstColumn_) * (CellWidth() + 5); }
  // The column shown under an x: one left of the columns gives the first shown, one right of
  // them the last shown: never a column out of view.
  int ColumnAt(int x) const;
  // Makes a column the selected one and brings it into view.
  void ShowColumn(int column);

  void UpdateHorizontalBar() override;
  void HorizontalMoved(int value) override;
  bool StepColumn(int delta) override;

 private:
  void ClampColumns();

  int firstColumn_ = 0;
  int selectedColumn_ = 0;
};
