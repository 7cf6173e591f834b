#pragma once
// The grid of an editor: a header band and rows drawn by hand, one selected row, marks drawn in
// colour (changed rows dark red, deleted rows grey), scrolled by rows and sideways. Each editor's
// grid supplies its columns, its cell texts and its popup commands; the rows themselves are the
// editor's, reached by position in constant time, so that only the rows in view are ever touched
// and a grid of 73,049 rows scrolls as a grid of ten.
//
// Painting has no side effects: it draws, nothing more. The owner hears of every change of the
// selection (a click, a key, a scroll bar, the wheel, a script) through SelectionMoved and fills
// its panel then. While the owner edits a row, clicks, keys and scroll bars are ignored; the
// wheel still scrolls, and when that pulls the selection along the owner hears of it (and ends
// the edit).

#include "editors/GridOwner.h"
#include "platform/Dialog.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QMenu>
#include <memory>
#include <string>

class QFontMetrics;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QPainter;
class QPoint;
class QResizeEvent;
class QWheelEvent;

class GridWindow : public QAbstractScrollArea, public ui::ScriptTarget {
 public:
  // The grid's colours.
  static QColor HeaderColour() { return QColor(0, 0, 192); }
  static QColor RuleColour() { return QColor(192, 192, 192); }
  static QColor ChangedColour() { return QColor(192, 0, 0); }
  static QColor DeletedColour() { return QColor(192, 192, 192); }
  static QColor SelectedColour() { return QColor(255, 255, 0); }

  // `childId` becomes the grid's object name (its resource id).
  GridWindow(QWidget* parent, GridOwner* owner, int childId);
  ~GridWindow() override;

  // Measures the row height and the columns with the grid's font; called once the grid is placed.
  void MeasureColumns();

  int RowHeight() const { return rowHeight_; }
  int Top() const { return top_; }
  int Selected() const { return selected_; }
  // Whole rows that fit under the header (at least one).
  int VisibleRows() const;
  // The rows shown: the owner's row count.
  virtual int RowCount() const = 0;

  // Selects a row (clamped to the rows) and scrolls it into view: when it lies above the first
  // row shown it becomes the first, when below the last it becomes the last. With `notify` the
  // owner hears of it.
  void SelectRow(int row, bool notify);
  // The rows were reloaded or their number changed: keeps the first row shown and the selection
  // where they were as far as the rows allow, repaints, and tells the owner (its current row is
  // gone with the old rows).
  void RowsChanged();
  // Scrolls so that `top` is the first row shown (clamped); the selection follows into view.
  void ScrollTo(int top);
  // The owner opened or closed its edit panel: the scroll bars follow.
  void EditStateChanged();
  // Repaints the rows (no side effect on the owner).
  void Repaint();

  // The popup menu of the grid as it would open now (the owner's).
  std::unique_ptr<QMenu> BuildPopupMenu() { return owner_->PopupMenu(this); }

  // A script selects a row (or a cell) as a click would.
  bool ApplyScriptValue(const std::string& value, std::string& why) override;

  // The grid's font: bold 8-point Arial.
  static QFont GridFont();

 protected:
  // Width and height of the area the rows are drawn in, whether or not the grid is shown.
  int ViewWidth() const;
  int ViewHeight() const;
  // The height of the header above the rows: one band, unless a grid has more.
  virtual int HeaderHeight() const { return rowHeight_ + 6; }
  // The y of the top line of the row shown at position k (0 = the first row shown).
  int RowY(int k) const { return HeaderHeight() + k * (rowHeight_ + 4); }
  GridOwner* Owner() const { return owner_; }

  // Measures the columns with the given font metrics (rowHeight is already set).
  virtual void MeasureCells(const QFontMetrics& metrics) = 0;
  // The right edge of the table, in view coordinates.
  virtual int TableRight() const = 0;
  virtual void PaintHeader(QPainter& painter) = 0;
  virtual void PaintRow(QPainter& painter, int row, int y, bool selected) = 0;
  // The sideways scroll bar: set its range from the current sizes, and take a new position.
  virtual void UpdateHorizontalBar() = 0;
  virtual void HorizontalMoved(int value) = 0;
  // A click at a point (after the row is chosen): the grids with cells choose the column.
  virtual void ClickedAt(const QPoint& /*pos*/) {}
  // Left and right arrow keys: the grids with cells move the selected column. True when handled.
  virtual bool StepColumn(int /*delta*/) { return false; }
  // The row (and, for grids with cells, the column) of a scripted value; false with `why`.
  virtual bool FindScriptRow(const std::string& value, int& row, std::string& why) = 0;

  // Draws a text at (x, y) clipped to a width and the row height.
  void DrawCellText(QPainter& painter, int x, int y, int width, const std::string& cp1252Text) const;
  // Draws the table's rules of the header band and the band itself, up to TableRight.
  void PaintHeaderBand(QPainter& painter) const;
  // Draws a row's bottom rule.
  void PaintRowRule(QPainter& painter, int y) const;

  // Tells the owner that the selection moved.
  void Notify();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

  int rowHeight_ = 0;

 private:
  // Opens the popup menu at a global point and passes the command chosen to the owner.
  void PopUpMenu(const QPoint& at);
  // Passes a double click or Enter on the selected row to the owner.
  void Activate();
  // Clamps the first row shown and the selection to the rows and the view.
  void Clamp();
  // Sets both scroll bars from the current state, without acting on their signals.
  void UpdateBars();
  // The row at a y in view coordinates, clamped as a click is.
  int RowAt(int y) const;
  // Chooses the row under the pointer as a click does; false when the grid ignores the click.
  bool ClickAt(const QPoint& pos);
  void OnVerticalBar(int value);
  void OnHorizontalBar(int value);

  GridOwner* owner_;
  int top_ = 0;
  int selected_ = 0;
  bool syncing_ = false;  // the bars are being set by the grid itself
};
