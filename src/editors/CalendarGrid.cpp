#include "editors/CalendarGrid.h"

#include "common/Cp1252.h"
#include "editors/model/CalendarRows.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

// The k-th day type of a date, or null.
NoteText* EntryAt(CadenceNote* row, int k) {
  if (!row || k < 0) return nullptr;
  for (NoteText& entry : row->texts)
    if (k-- == 0) return &entry;
  return nullptr;
}

std::string DateCellText(const CadenceNote& row) { return row.Format() + " " + WeekdayName(row.weekday); }

}  // namespace

CalendarGrid::CalendarGrid(QWidget* parent, GridOwner* owner, CalendarRows* rows)
    : GridWindow(parent, owner, kChildId), rows_(rows) {}

int CalendarGrid::RowCount() const { return rows_->Count(); }
int CalendarGrid::ColumnCount() const { return rows_->MaxEntries(); }

int CalendarGrid::VisibleColumns() const {
  if (cellWidth_ <= 0) return 1;
  return std::max(1, (ViewWidth() - dateWidth_ - 10) / (cellWidth_ + 5));
}

int CalendarGrid::CellLeft(int column) const { return dateWidth_ + 5 + (column - firstColumn_) * (cellWidth_ + 5); }

int CalendarGrid::TableRight() const {
  return dateWidth_ + 5 + std::min(VisibleColumns(), ColumnCount()) * (cellWidth_ + 5);
}

NoteText* CalendarGrid::SelectedEntry() const { return EntryAt(rows_->At(Selected()), selectedColumn_); }

void CalendarGrid::MeasureCells(const QFontMetrics& metrics) {
  dateWidth_ = metrics.horizontalAdvance(QString(41, QLatin1Char('V'))) + 2;
  cellWidth_ = metrics.horizontalAdvance(QStringLiteral("9999999999")) + 2;
}

void CalendarGrid::ClampColumns() {
  const int count = ColumnCount();
  selectedColumn_ = std::max(0, std::min(selectedColumn_, count - 1));
  firstColumn_ = std::max(0, std::min(firstColumn_, count - VisibleColumns()));
}

void CalendarGrid::SelectCell(int row, int column, bool notify) {
  selectedColumn_ = column;
  ClampColumns();
  // The cell comes into view sideways too.
  if (selectedColumn_ < firstColumn_) firstColumn_ = selectedColumn_;
  if (selectedColumn_ >= firstColumn_ + VisibleColumns()) firstColumn_ = selectedColumn_ - VisibleColumns() + 1;
  SelectRow(row, notify);
}

void CalendarGrid::ClickedAt(const QPoint& pos) {
  // The cell under the pointer; a click on the date cell, or right of the last column shown,
  // selects the nearest column shown: never one out of view.
  const int offset = pos.x() - dateWidth_ - 5;
  const int shown = offset < 0 ? 0 : offset / (cellWidth_ + 5);
  selectedColumn_ = firstColumn_ + std::min(shown, VisibleColumns() - 1);
  selectedColumn_ = std::max(0, std::min(selectedColumn_, ColumnCount() - 1));
}

bool CalendarGrid::StepColumn(int delta) {
  const int column = selectedColumn_ + delta;
  if (column < 0 || column >= ColumnCount()) return true;
  SelectCell(Selected(), column, true);
  return true;
}

void CalendarGrid::UpdateHorizontalBar() {
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

void CalendarGrid::HorizontalMoved(int value) {
  firstColumn_ = value;
  ClampColumns();
  // The selected cell stays in view, as the selected row does: the panel follows it.
  const int before = selectedColumn_;
  selectedColumn_ = std::max(firstColumn_, std::min(selectedColumn_, firstColumn_ + VisibleColumns() - 1));
  ClampColumns();
  if (selectedColumn_ != before) Notify();
}

void CalendarGrid::PaintHeader(QPainter& painter) {
  PaintHeaderBand(painter);
  const int bottom = rowHeight_ + 6;
  painter.setPen(RuleColour());
  painter.drawLine(0, 0, 0, bottom);
  painter.drawLine(dateWidth_ + 5, 0, dateWidth_ + 5, bottom);
  const QFontMetrics metrics(GridFont());
  const int count = ColumnCount();
  const int last = std::min(count, firstColumn_ + VisibleColumns() + 1);
  for (int c = firstColumn_; c < last; ++c) {
    const int left = CellLeft(c);
    painter.setPen(RuleColour());
    painter.drawLine(left + cellWidth_ + 5, 0, left + cellWidth_ + 5, bottom);
    const QString number = QString::number(c + 1);
    painter.setPen(Qt::white);
    painter.drawText(left + (cellWidth_ - metrics.horizontalAdvance(number) + 5) / 2, 4 + metrics.ascent(), number);
  }
  painter.setPen(Qt::white);
  DrawCellText(painter, 5, 4, dateWidth_, "Data del Giorno");
}

void CalendarGrid::PaintRow(QPainter& painter, int row, int y, bool selected) {
  CadenceNote* day = rows_->At(row);
  if (!day) return;
  const int height = rowHeight_ + 4;
  if (selected) painter.fillRect(QRect(QPoint(0, y + 1), QPoint(dateWidth_ + 5, y + height)), SelectedColour());
  painter.setPen(selected ? QColor(0, 0, 255) : QColor(Qt::black));
  DrawCellText(painter, 5, y + 2, dateWidth_, DateCellText(*day));
  if (!day->name.empty())
    painter.drawText(QRect(5, y + 2, dateWidth_ - 5, rowHeight_), Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                     cp1252::ToQString(day->name));

  const int visible = VisibleColumns();
  int k = 0;
  for (const NoteText& entry : day->texts) {
    if (k >= firstColumn_ + visible) break;
    if (k >= firstColumn_) {
      const int left = CellLeft(k);
      if (selected && k == selectedColumn_)
        painter.fillRect(QRect(QPoint(left + 1, y + 1), QPoint(left + cellWidth_ + 5, y + height)), SelectedColour());
      painter.setPen(entry.deleted ? DeletedColour() : entry.changed ? ChangedColour() : QColor(Qt::black));
      DrawCellText(painter, left + 3, y + 2, cellWidth_, entry.text);
    }
    ++k;
  }
  painter.setPen(RuleColour());
  painter.drawLine(0, y, 0, y + height);
  painter.drawLine(dateWidth_ + 5, y, dateWidth_ + 5, y + height);
  const int last = std::min(ColumnCount(), firstColumn_ + visible + 1);
  for (int c = firstColumn_; c < last; ++c) {
    const int x = CellLeft(c) + cellWidth_ + 5;
    painter.drawLine(x, y, x, y + height);
  }
  PaintRowRule(painter, y);
}

bool CalendarGrid::FindScriptRow(const std::string& value, int& row, std::string& why) {
  const size_t comma = value.find(',');
  const std::string dateText = value.substr(0, comma);
  const QDate date = QDate::fromString(cp1252::ToQString(dateText), QStringLiteral("dd/MM/yyyy"));
  const CadenceNote* day = date.isValid() ? rows_->Find(date) : nullptr;
  if (!day) {
    why = "la data " + dateText + " non è nel calendario (atteso GG/MM/AAAA oppure GG/MM/AAAA,COLONNA)";
    return false;
  }
  int column = 1;
  if (comma != std::string::npos) {
    const std::string number = value.substr(comma + 1);
    column = 0;
    for (char c : number) {
      if (c < '0' || c > '9' || column >= 1000) {
        column = -1;
        break;
      }
      column = column * 10 + (c - '0');
    }
    if (number.empty() || column < 1 || column > std::max(1, ColumnCount())) {
      why = "la colonna " + number + " non esiste (da 1 a " + std::to_string(std::max(1, ColumnCount())) + ")";
      return false;
    }
  }
  row = rows_->PositionOf(day);
  selectedColumn_ = column - 1;
  if (selectedColumn_ < firstColumn_) firstColumn_ = selectedColumn_;
  if (selectedColumn_ >= firstColumn_ + VisibleColumns()) firstColumn_ = selectedColumn_ - VisibleColumns() + 1;
  return true;
}
