#pragma once
// The timetable of a quadro: one row a stop (its number, name and progressive km on the left),
// one column a trip (its number in a black band, its id and code in the blue band below), and in
// each cell the trip's times at the stop. Rows scroll one by one, trip columns whole. The area
// last pointed at (the stops, the heads of the trips, the times) decides what the editor's
// buttons and the popup menu act on.

#include "editors/ColumnGrid.h"

#include <functional>

class QuadroTimetable;
struct TimeCell;
struct TripLeg;
struct TripStop;

class TimetableGrid : public ColumnGrid {
 public:
  // `pointedAt` hears of every change of the area under the pointer: 'F' the stops, 'H' the
  // trips' heads, ' ' the times.
  TimetableGrid(QWidget* parent, GridOwner* owner, QuadroTimetable* model, std::function<void(char)> pointedAt);

  int RowCount() const override;
  int ColumnCount() const override;
  // The area last pointed at: 'F', 'H' or ' '.
  char Area() const { return area_; }
  void SetArea(char area) { area_ = area; }

  // The selected stop, the selected column's trip and its cell; null when there is none (a trip
  // column out of view counts as none).
  TripStop* SelectedStop() const;
  TripLeg* SelectedTrip() const;
  TimeCell* SelectedCell() const;

  // Back to the first row and column.
  void ResetView();

  static constexpr int kChildId = 6006;

 protected:
  int HeaderHeight() const override { return 2 * rowHeight_ + 12; }
  void MeasureCells(const QFontMetrics& metrics) override;
  int TableRight() const override;
  void PaintHeader(QPainter& painter) override;
  void PaintRow(QPainter& painter, int row, int y, bool selected) override;
  int ColumnsLeft() const override { return StopArea() + 5; }
  int CellWidth() const override { return cellWidth_; }
  void ClickedAt(const QPoint& pos) override;
  // "SUB,N": the cell of stop SUB in trip column N (from 1); "SUB": the stop itself; "T,N": the
  // head of trip column N.
  bool FindScriptRow(const std::string& value, int& row, std::string& why) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  int StopArea() const { return subWidth_ + nameWidth_ + kmWidth_ + 25; }
  char AreaAt(const QPoint& pos) const;

  QuadroTimetable* model_;
  std::function<void(char)> pointedAt_;
  int subWidth_ = 0, nameWidth_ = 0, kmWidth_ = 0, cellWidth_ = 0;
  char area_ = ' ';
};
