#include "editors/TimetableGrid.h"

#include "common/Cp1252.h"
#include "editing/QuadroTimetable.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace {

const QColor kOptional(192, 192, 255);
const QColor kPrimary(192, 255, 192);
const QColor kNoStop(164, 164, 164);

// A whole number of up to four digits; -1 for anything else.
int SmallNumber(const std::string& text) {
  if (text.empty() || text.size() > 4) return -1;
  for (char c : text)
    if (c < '0' || c > '9') return -1;
  return std::atoi(text.c_str());
}

}  // namespace

TimetableGrid::TimetableGrid(QWidget* parent, GridOwner* owner, QuadroTimetable* model,
                             std::function<void(char)> pointedAt)
    : ColumnGrid(parent, owner, kChildId), model_(model), pointedAt_(std::move(pointedAt)) {
  viewport()->setMouseTracking(true);
}

int TimetableGrid::RowCount() const { return model_->RowCount(); }
int TimetableGrid::ColumnCount() const { return model_->ColumnCount(); }

int TimetableGrid::TableRight() const {
  return StopArea() + 5 + (cellWidth_ + 5) * std::min(VisibleColumns(), ColumnCount());
}

void TimetableGrid::MeasureCells(const QFontMetrics& metrics) {
  subWidth_ = metrics.horizontalAdvance(QStringLiteral("9999")) + 2;
  nameWidth_ = metrics.horizontalAdvance(QString(40, QLatin1Char('V'))) + 2;
  kmWidth_ = metrics.horizontalAdvance(QStringLiteral("999,999")) + 2;
  cellWidth_ = metrics.horizontalAdvance(QStringLiteral("A: 99:99 / P: 99:99")) + 2;
}

TripStop* TimetableGrid::SelectedStop() const { return model_->Row(Selected()); }

TripLeg* TimetableGrid::SelectedTrip() const {
  const bool shown = SelectedColumn() >= FirstColumn() && SelectedColumn() < FirstColumn() + VisibleColumns();
  return shown ? model_->Column(SelectedColumn()) : nullptr;
}

TimeCell* TimetableGrid::SelectedCell() const {
  return SelectedTrip() ? model_->Cell(Selected(), SelectedColumn()) : nullptr;
}

void TimetableGrid::ResetView() {
  ScrollTo(0);
  SelectCell(0, 0, true);
}

char TimetableGrid::AreaAt(const QPoint& pos) const {
  if (pos.x() < StopArea()) return 'F';
  return pos.y() < HeaderHeight() ? 'H' : ' ';
}

void TimetableGrid::ClickedAt(const QPoint& pos) {
  ShowColumn(ColumnAt(pos.x()));
  area_ = AreaAt(pos);
  pointedAt_(area_);
}

void TimetableGrid::mouseMoveEvent(QMouseEvent* event) {
  const char area = AreaAt(event->position().toPoint());
  if (area == area_) return;
  area_ = area;
  pointedAt_(area_);
}

void TimetableGrid::PaintHeader(QPainter& painter) {
  const int h = rowHeight_, a = StopArea(), right = TableRight();
  const int last = ShownColumnsEnd();
  const QFontMetrics metrics(GridFont());
  // The column numbers, white on black, over the trip columns only.
  painter.fillRect(QRect(QPoint(a + 5, 0), QPoint(right, h + 6)), Qt::black);
  // The stops' titles and the trips' ids, white on dark blue.
  painter.fillRect(QRect(QPoint(0, h + 6), QPoint(right, 2 * h + 12)), HeaderColour());
  painter.setPen(RuleColour());
  painter.drawLine(a + 5, 0, right, 0);
  painter.drawLine(0, h + 6, right, h + 6);
  painter.drawLine(0, 2 * h + 12, right, 2 * h + 12);
  for (int x : {0, subWidth_ + 5, subWidth_ + nameWidth_ + 15, a + 5}) painter.drawLine(x, h + 6, x, 2 * h + 12);
  painter.setPen(Qt::white);
  DrawCellText(painter, 5, h + 10, subWidth_, "Sub");
  DrawCellText(painter, subWidth_ + 15, h + 10, nameWidth_, "Fermata");
  DrawCellText(painter, subWidth_ + nameWidth_ + 25, h + 10, kmWidth_, "Km");
  for (int k = FirstColumn(); k < last; ++k) {
    const int x = CellLeft(k);
    painter.setPen(RuleColour());
    painter.drawLine(x + cellWidth_ + 5, 0, x + cellWidth_ + 5, 2 * h + 12);
    painter.setPen(Qt::white);
    const QString number = QString::number(k + 1);
    painter.drawText(x + (cellWidth_ - metrics.horizontalAdvance(number) + 5) / 2, 4 + metrics.ascent(), number);
    if (const TripLeg* trip = model_->Column(k)) {
      painter.setPen(trip->deleted ? QColor(128, 128, 128) : trip->changed ? QColor(255, 0, 0) : QColor(Qt::white));
      const QString label = cp1252::ToQString("ID=" + std::to_string(trip->id) + " [" + trip->tripCode + "]");
      painter.drawText(QRect(x + 3, h + 10, cellWidth_, h), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                       label);
    }
  }
}

void TimetableGrid::PaintRow(QPainter& painter, int row, int y, bool selected) {
  const TripStop* stop = model_->Row(row);
  if (!stop) return;
  const int h = rowHeight_, a = StopArea(), right = TableRight();
  const QRect band(QPoint(0, y + 1), QPoint(right, y + h + 4));
  if (stop->noStop)
    painter.fillRect(band, kNoStop);
  else if (stop->primary)
    painter.fillRect(band, kPrimary);
  else if (stop->optional)
    painter.fillRect(band, kOptional);
  if (selected)
    painter.fillRect(QRect(QPoint(subWidth_ + 6, y + 1), QPoint(subWidth_ + nameWidth_ + 14, y + h + 4)),
                     SelectedColour());
  painter.setPen(stop->deleted ? DeletedColour() : stop->changed ? ChangedColour() : QColor(Qt::black));
  painter.drawText(QRect(5, y + 2, subWidth_ - 2, h), Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                   QString::number(stop->sub));
  DrawCellText(painter, subWidth_ + 15, y + 2, nameWidth_, stop->stopName);
  painter.setPen(Qt::black);
  painter.drawText(QRect(subWidth_ + nameWidth_ + 25, y + 2, kmWidth_ - 2, h),
                   Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, cp1252::ToQString(stop->lengthText));
  const int last = ShownColumnsEnd();
  for (int k = FirstColumn(); k < last; ++k) {
    const int x = CellLeft(k);
    const TimeCell* cell = model_->Cell(row, k);
    const TripLeg* trip = model_->Column(k);
    if (selected && k == SelectedColumn())
      painter.fillRect(QRect(QPoint(x + 1, y + 1), QPoint(x + cellWidth_ + 4, y + h + 4)), SelectedColour());
    if (cell) {
      const bool grey = stop->deleted || (trip && trip->deleted);
      painter.setPen(grey ? DeletedColour() : cell->changed ? ChangedColour() : QColor(Qt::black));
      painter.drawText(QRect(x + 3, y + 2, cellWidth_, h), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                       cp1252::ToQString(QuadroTimetable::CellText(*cell)));
    }
  }
  painter.setPen(RuleColour());
  for (int x : {0, subWidth_ + 5, subWidth_ + nameWidth_ + 15, a + 5}) painter.drawLine(x, y, x, y + h + 4);
  for (int k = FirstColumn(); k < last; ++k) {
    const int x = CellLeft(k) + cellWidth_ + 5;
    painter.drawLine(x, y, x, y + h + 4);
  }
  PaintRowRule(painter, y);
}

bool TimetableGrid::FindScriptRow(const std::string& value, int& row, std::string& why) {
  const size_t comma = value.find(',');
  const std::string first = value.substr(0, comma);
  const int column = comma == std::string::npos ? 0 : SmallNumber(value.substr(comma + 1));
  if (column < 0 || column > ColumnCount() || (comma != std::string::npos && column == 0)) {
    why = "la colonna di " + value + " non esiste (da 1 a " + std::to_string(ColumnCount()) + ")";
    return false;
  }
  if (first == "T") {
    if (column == 0) {
      why = "atteso T,COLONNA";
      return false;
    }
    row = Selected();
    area_ = 'H';
  } else {
    const int sub = SmallNumber(first);
    row = -1;
    for (int k = 0; k < RowCount() && row < 0; ++k)
      if (model_->Row(k)->sub == sub) row = k;
    if (row < 0) {
      why = "la fermata " + first + " non è nel quadro (atteso SUB, SUB,COLONNA oppure T,COLONNA)";
      return false;
    }
    area_ = column == 0 ? 'F' : ' ';
  }
  if (column > 0) ShowColumn(column - 1);
  pointedAt_(area_);
  return true;
}
