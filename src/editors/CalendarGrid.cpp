#include "editors/CalendarGrid.h"

#include "common/Cp1252.h"
#include "editing/CalendarRows.h"

#include <QFontMetrics>
#include <QPainter>
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
    : ColumnGrid(parent, owner, kChildId), rows_(rows) {}

int CalendarGrid::RowCount() const { return rows_->Count(); }
int CalendarGrid::ColumnCount() const { return rows_->MaxEntries(); }

int CalendarGrid::TableRight() const {
  return dateWidth_ + 5 + std::min(VisibleColumns(), ColumnCount()) * (cellWidth_ + 5);
}

NoteText* CalendarGrid::SelectedEntry() const { return EntryAt(rows_->At(Selected()), SelectedColumn()); }

void CalendarGrid::MeasureCells(const QFontMetrics& metrics) {
  dateWidth_ = metrics.horizontalAdvance(QString(41, QLatin1Char('V'))) + 2;
  cellWidth_ = metrics.horizontalAdvance(QStringLiteral("9999999999")) + 2;
}

void CalendarGrid::ClickedAt(const QPoint& pos) { ShowColumn(ColumnAt(pos.x())); }

void CalendarGrid::PaintHeader(QPainter& painter) {
  PaintHeaderBand(painter);
  const int bottom = rowHeight_ + 6;
  painter.setPen(RuleColour());
  painter.drawLine(0, 0, 0, bottom);
  painter.drawLine(dateWidth_ + 5, 0, dateWidth_ + 5, bottom);
  const QFontMetrics metrics(GridFont());
  const int last = ShownColumnsEnd();
  for (int c = FirstColumn(); c < last; ++c) {
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

  const int last = ShownColumnsEnd();
  int k = 0;
  for (const NoteText& entry : day->texts) {
    if (k >= last) break;
    if (k >= FirstColumn()) {
      const int left = CellLeft(k);
      if (selected && k == SelectedColumn())
        painter.fillRect(QRect(QPoint(left + 1, y + 1), QPoint(left + cellWidth_ + 5, y + height)), SelectedColour());
      painter.setPen(entry.deleted ? DeletedColour() : entry.changed ? ChangedColour() : QColor(Qt::black));
      DrawCellText(painter, left + 3, y + 2, cellWidth_, entry.text);
    }
    ++k;
  }
  painter.setPen(RuleColour());
  painter.drawLine(0, y, 0, y + height);
  painter.drawLine(dateWidth_ + 5, y, dateWidth_ + 5, y + height);
  for (int c = FirstColumn(); c < last; ++c) {
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
  ShowColumn(column - 1);
  return true;
}
