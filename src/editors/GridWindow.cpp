#include "editors/GridWindow.h"

#include "common/Cp1252.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

GridWindow::GridWindow(QWidget* parent, GridOwner* owner, int childId) : QAbstractScrollArea(parent), owner_(owner) {
  setObjectName(QString::number(childId));
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Focus by Tab, or by a click the grid accepts (ClickAt): a click ignored during an edit leaves
  // the focus in the panel.
  setFocusPolicy(Qt::TabFocus);
  viewport()->setAutoFillBackground(false);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) { OnVerticalBar(v); });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) { OnHorizontalBar(v); });
}

GridWindow::~GridWindow() = default;

QFont GridWindow::GridFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(8);
  font.setBold(true);
  return font;
}

void GridWindow::MeasureColumns() {
  const QFontMetrics metrics(GridFont());
  rowHeight_ = metrics.height() + 2;
  MeasureCells(metrics);
  Clamp();
  UpdateBars();
  Repaint();
}

int GridWindow::ViewWidth() const {
  return std::max(0, width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width());
}

int GridWindow::ViewHeight() const {
  return std::max(0, height() - 2 * frameWidth() - horizontalScrollBar()->sizeHint().height());
}

int GridWindow::VisibleRows() const {
  if (rowHeight_ <= 0) return 1;
  return std::max(1, (ViewHeight() - HeaderHeight()) / (rowHeight_ + 4));
}

void GridWindow::Clamp() {
  const int count = RowCount();
  const int visible = VisibleRows();
  top_ = std::max(0, std::min(top_, count - visible));
  selected_ = std::min({std::max(selected_, top_), count - 1, top_ + visible - 1});
  selected_ = std::max(selected_, 0);
}

void GridWindow::UpdateBars() {
  syncing_ = true;
  const bool editing = owner_->IsEditing();
  const int count = RowCount();
  const int visible = VisibleRows();
  QScrollBar* bar = verticalScrollBar();
  if (count > visible) {
    bar->setRange(0, count - visible);
    bar->setPageStep(visible);
    bar->setSingleStep(1);
    bar->setValue(top_);
    bar->setEnabled(!editing);
  } else {
    bar->setRange(0, 0);
    bar->setEnabled(false);
  }
  UpdateHorizontalBar();
  if (editing) horizontalScrollBar()->setEnabled(false);
  syncing_ = false;
}

void GridWindow::Repaint() { viewport()->update(); }

void GridWindow::Notify() { owner_->SelectionMoved(this); }

void GridWindow::SelectRow(int row, bool notify) {
  const int count = RowCount();
  const int visible = VisibleRows();
  selected_ = std::max(0, std::min(row, count - 1));
  if (selected_ < top_) top_ = selected_;
  if (selected_ >= top_ + visible) top_ = selected_ - visible + 1;
  Clamp();
  UpdateBars();
  Repaint();
  if (notify) Notify();
}

void GridWindow::RowsChanged() {
  Clamp();
  UpdateBars();
  Repaint();
  Notify();
}

void GridWindow::ScrollTo(int top) {
  const int before = selected_;
  top_ = top;
  Clamp();
  UpdateBars();
  Repaint();
  if (selected_ != before) Notify();
}

void GridWindow::EditStateChanged() { UpdateBars(); }

void GridWindow::OnVerticalBar(int value) {
  if (syncing_) return;
  if (owner_->IsEditing()) {
    UpdateBars();  // ignored while the panel is open
    return;
  }
  ScrollTo(value);
}

void GridWindow::OnHorizontalBar(int value) {
  if (syncing_) return;
  if (owner_->IsEditing()) {
    UpdateBars();
    return;
  }
  HorizontalMoved(value);
  UpdateBars();
  Repaint();
}

void GridWindow::scrollContentsBy(int, int) {
  // The bars' signals do the scrolling; every paint draws the whole view.
}

int GridWindow::RowAt(int y) const {
  // Integer division truncating toward zero: a click on the header selects the first row shown.
  // The row cut by the bottom edge is drawn too, and a click on it selects it (it then scrolls
  // into view).
  const int row = (y - HeaderHeight()) / (rowHeight_ + 4) + top_;
  const int count = RowCount();
  return std::max(0, std::min({std::max(row, top_), count - 1, top_ + VisibleRows()}));
}

bool GridWindow::ClickAt(const QPoint& pos) {
  if (owner_->IsEditing()) return false;
  setFocus(Qt::MouseFocusReason);
  selected_ = RowAt(pos.y());
  if (selected_ >= top_ + VisibleRows()) top_ = selected_ - VisibleRows() + 1;
  ClickedAt(pos);
  Clamp();
  UpdateBars();
  Repaint();
  Notify();
  return true;
}

void GridWindow::mousePressEvent(QMouseEvent* event) {
  if (!ClickAt(event->position().toPoint())) return;
  if (event->button() != Qt::RightButton) return;
  PopUpMenu(event->globalPosition().toPoint());
}

void GridWindow::PopUpMenu(const QPoint& at) {
  std::unique_ptr<QMenu> menu = BuildPopupMenu();
  if (QAction* chosen = menu->exec(at)) {
    owner_->GridCommand(chosen->data().toInt());
    owner_->CommandEnded();
  }
}

void GridWindow::Activate() {
  owner_->GridActivated(this);
  owner_->CommandEnded();
}

void GridWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !ClickAt(event->position().toPoint())) return;
  Activate();
}

void GridWindow::wheelEvent(QWheelEvent* event) {
  event->accept();
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  // One row a turn, whatever the size of the turn; also while the panel is open.
  const int before = selected_;
  top_ += delta < 0 ? 1 : -1;
  Clamp();
  UpdateBars();
  Repaint();
  if (selected_ != before) Notify();
}

void GridWindow::keyPressEvent(QKeyEvent* event) {
  if (owner_->IsEditing()) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  const int visible = VisibleRows();
  switch (event->key()) {
    case Qt::Key_Up: SelectRow(selected_ - 1, true); break;
    case Qt::Key_Down: SelectRow(selected_ + 1, true); break;
    case Qt::Key_PageUp:
      top_ = std::max(0, top_ - visible);
      SelectRow(selected_ - visible, true);
      break;
    case Qt::Key_PageDown:
      top_ += visible;
      SelectRow(selected_ + visible, true);
      break;
    case Qt::Key_Home: SelectRow(0, true); break;
    case Qt::Key_End: SelectRow(RowCount() - 1, true); break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const int step = event->key() == Qt::Key_Left ? -1 : 1;
      if (!StepColumn(step)) {
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + step * bar->singleStep());
      }
      break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: Activate(); break;
    case Qt::Key_Menu: PopUpMenu(viewport()->mapToGlobal(QPoint(10, RowY(selected_ - top_) + rowHeight_))); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
  }
  event->accept();
}

void GridWindow::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  const int before = selected_;
  // The view follows the selection, so that the row being edited stays the selected one.
  if (selected_ < top_) top_ = selected_;
  if (selected_ >= top_ + VisibleRows()) top_ = selected_ - VisibleRows() + 1;
  Clamp();
  UpdateBars();
  if (selected_ != before && !owner_->IsEditing()) Notify();
}

void GridWindow::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  painter.setFont(GridFont());
  PaintHeader(painter);
  const int count = RowCount();
  const int visible = VisibleRows();
  for (int k = 0; k <= visible && top_ + k < count; ++k) {
    // One row more than fits whole: the part of it that shows is drawn too.
    const int row = top_ + k;
    PaintRow(painter, row, RowY(k), row == selected_);
  }
}

void GridWindow::DrawCellText(QPainter& painter, int x, int y, int width, const std::string& cp1252Text) const {
  if (width <= 0 || cp1252Text.empty()) return;
  painter.drawText(QRect(x, y, width, rowHeight_), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   cp1252::ToQString(cp1252Text));
}

void GridWindow::PaintHeaderBand(QPainter& painter) const {
  const int right = TableRight();
  const int bottom = rowHeight_ + 6;
  painter.fillRect(QRect(QPoint(0, 0), QPoint(right, bottom)), HeaderColour());
  painter.setPen(RuleColour());
  painter.drawLine(0, 0, right, 0);
  painter.drawLine(0, bottom, right, bottom);
}

void GridWindow::PaintRowRule(QPainter& painter, int y) const {
  painter.setPen(RuleColour());
  const int bottom = y + rowHeight_ + 4;
  painter.drawLine(0, bottom, TableRight(), bottom);
}

bool GridWindow::ApplyScriptValue(const std::string& value, std::string& why) {
  if (owner_->IsEditing()) {
    why = "la griglia non accetta selezioni mentre è aperta una modifica";
    return false;
  }
  int row = 0;
  if (!FindScriptRow(value, row, why)) return false;
  SelectRow(row, true);
  return true;
}
