#include "editors/ColumnGrid.h"

#include <QScrollBar>
#include <algorithm>

int ColumnGrid::VisibleColumns() const {
  if (CellWidth() <= 0) return 1;
  return std::max(1, (ViewWidth() - ColumnsLeft() - 5) / (CellWidth() + 5));
}

int ColumnGrid::ShownColumnsEnd() const { return std::min(ColumnCount(), firstColumn_ + VisibleColumns()); }

void ColumnGrid::ClampColumns() {
  const int count = ColumnCount();
  selectedColumn_ = std::max(0, std::min(selectedColumn_, count - 1));
  firstColumn_ = std::max(0, std::min(firstColumn_, count - VisibleColumns()));
}

void ColumnGrid::ShowColumn(int column) {
  selectedColumn_ = column;
  ClampColumns();
  if (selectedColumn_ < firstColumn_) firstColumn_ = selectedColumn_;
  if (selectedColumn_ >= firstColumn_ + VisibleColumns()) firstColumn_ = selectedColumn_ - VisibleColumns() + 1;
}

void ColumnGrid::SelectCell(int row, int column, bool notify) {
  ShowColumn(column);
  SelectRow(row, notify);
}

int ColumnGrid::ColumnAt(int x) const {
  const int offset = x - ColumnsLeft();
  const int shown = offset < 0 ? 0 : offset / (CellWidth() + 5);
  const int column = firstColumn_ + std::min(shown, VisibleColumns() - 1);
  return std::max(0, std::min(column, ColumnCount() - 1));
}

bool ColumnGrid::StepColumn(int delta) {
  const int column = selectedColumn_ + delta;
  if (column >= 0 && column < ColumnCount()) SelectCell(Selected(), column, true);
  return true;
}

void ColumnGrid::UpdateHorizontalBar() {
  ClampColumns();
  QScrollBar* bar = horizontalScrollBar();
  const int count = ColumnCount();
  const int visible = VisibleColumns();
  if (count > visible) {
    bar->setRange(0, count - visible);
    bar->setPageStep(visible);
    bar->setSingleStep(1);
    bar->setValue(firstColumn_);
    bar->setEnabled(true);
  } else {
    bar->setRange(0, 0);
    bar->setEnabled(false);
  }
}

void ColumnGrid::HorizontalMoved(int value) {
  firstColumn_ = value;
  ClampColumns();
  // The selected cell stays in view, as the selected row does: the owner's panel follows it.
  const int before = selectedColumn_;
  selectedColumn_ = std::max(firstColumn_, std::min(selectedColumn_, firstColumn_ + VisibleColumns() - 1));
  ClampColumns();
  if (selectedColumn_ != before) Notify();
}
