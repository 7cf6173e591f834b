#include "editors/ListGrid.h"

#include "common/Cp1252.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

ListGrid::ListGrid(QWidget* parent, GridOwner* owner, int childId, std::vector<GridColumn> columns)
    : GridWindow(parent, owner, childId), columns_(std::move(columns)), widths_(columns_.size(), 0) {}

void ListGrid::MeasureCells(const QFontMetrics& metrics) {
  for (size_t c = 0; c < columns_.size(); ++c)
    widths_[c] = metrics.horizontalAdvance(cp1252::ToQString(columns_[c].widthSample)) + 2;
}

int ListGrid::TableWidth() const {
  int width = 0;
  for (int w : widths_) width += w + 10;
  return widths_.empty() ? 0 : width - 5;
}

int ListGrid::TextX(int column) const {
  int x = 5;
  for (int c = 0; c < column; ++c) x += widths_[static_cast<size_t>(c)] + 10;
  return x - hOffset_;
}

void ListGrid::PaintRules(QPainter& painter, int y0, int y1) const {
  painter.setPen(RuleColour());
  painter.drawLine(-hOffset_, y0, -hOffset_, y1);
  for (size_t c = 0; c < columns_.size(); ++c) {
    const int x = TextX(static_cast<int>(c)) + widths_[c];
    painter.drawLine(x, y0, x, y1);
  }
}

void ListGrid::PaintHeader(QPainter& painter) {
  PaintHeaderBand(painter);
  PaintRules(painter, 0, rowHeight_ + 6);
  const int highlighted = HighlightedColumn();
  if (highlighted >= 0 && highlighted < static_cast<int>(columns_.size())) {
    const int left = highlighted == 0 ? -hOffset_ : TextX(highlighted) - 5;
    const int right = TextX(highlighted) + widths_[static_cast<size_t>(highlighted)];
    painter.fillRect(QRect(QPoint(left + 1, 1), QPoint(right - 1, rowHeight_ + 5)), SelectedColour());
  }
  for (size_t c = 0; c < columns_.size(); ++c) {
    painter.setPen(static_cast<int>(c) == highlighted ? HeaderColour() : QColor(Qt::white));
    DrawCellText(painter, TextX(static_cast<int>(c)), 4, widths_[c], columns_[c].header);
  }
}

void ListGrid::DrawCell(QPainter& painter, int column, int y, const std::string& text) const {
  const GridColumn& layout = columns_[static_cast<size_t>(column)];
  const int x = TextX(column), width = widths_[static_cast<size_t>(column)];
  if (layout.rightInset < 0 || text.empty()) {
    DrawCellText(painter, x, y, width, text);
    return;
  }
  painter.drawText(QRect(x, y, width - layout.rightInset, rowHeight_),
                   Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, cp1252::ToQString(text));
}

void ListGrid::PaintRow(QPainter& painter, int row, int y, bool selected) {
  const RowMarks marks = MarksOf(row);
  if (selected)
    painter.fillRect(QRect(QPoint(-hOffset_, y + 1), QPoint(TableRight(), y + rowHeight_ + 4)), SelectedColour());
  painter.setPen(marks.deleted ? DeletedColour() : marks.changed ? ChangedColour() : QColor(Qt::black));
  for (size_t c = 0; c < columns_.size(); ++c)
    DrawCell(painter, static_cast<int>(c), y + 2, CellText(row, static_cast<int>(c)));
  PaintRules(painter, y, y + rowHeight_ + 4);
  PaintRowRule(painter, y);
}

void ListGrid::UpdateHorizontalBar() {
  QScrollBar* bar = horizontalScrollBar();
  const int view = ViewWidth();
  const int table = TableWidth();
  hOffset_ = std::max(0, std::min(hOffset_, table - view));
  if (table > view) {
    bar->setRange(0, table - view);
    bar->setPageStep(view);
    bar->setSingleStep(10);
    bar->setValue(hOffset_);
    bar->setEnabled(true);
  } else {
    bar->setRange(0, 0);
    bar->setEnabled(false);
  }
}

void ListGrid::HorizontalMoved(int value) { hOffset_ = value; }
