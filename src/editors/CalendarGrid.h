#pragma once
// The grid of the service calendar: one row per date (the date, its weekday and, at the right of
// the date cell, its holiday name or note), then the day types of the date side by side, one
// column each, numbered from 1. A cell is selected (a row and a column); the columns scroll
// sideways whole. The marks are on the day types: dark red when added, grey when deleted.

#include "editors/ColumnGrid.h"

class CalendarRows;
struct CadenceNote;
struct NoteText;

class CalendarGrid : public ColumnGrid {
 public:
  CalendarGrid(QWidget* parent, GridOwner* owner, CalendarRows* rows);

  int RowCount() const override;
  // Day-type columns: as many as the most day types of a date.
  int ColumnCount() const override;
  int DateWidth() const { return dateWidth_; }
  int CellWidth() const override { return cellWidth_; }

  // The day type in the selected cell, or null.
  NoteText* SelectedEntry() const;

  static constexpr int kChildId = 6004;

 protected:
  void MeasureCells(const QFontMetrics& metrics) override;
  int TableRight() const override;
  void PaintHeader(QPainter& painter) override;
  void PaintRow(QPainter& painter, int row, int y, bool selected) override;
  int ColumnsLeft() const override { return dateWidth_ + 5; }
  void ClickedAt(const QPoint& pos) override;
  // "GG/MM/AAAA" selects the date's row, "GG/MM/AAAA,N" also its day-type column N (from 1).
  bool FindScriptRow(const std::string& value, int& row, std::string& why) override;

 private:
  CalendarRows* rows_;
  int dateWidth_ = 0;
  int cellWidth_ = 0;
};
