#include "platform/ClientArea.h"

#include "platform/Artwork.h"
#include "platform/Panel.h"

#include <QChildEvent>
#include <QPainter>
#include <QProgressBar>

ClientArea::ClientArea(QWidget* parent) : QWidget(parent), background_(BackgroundPicture()) {
  setAutoFillBackground(false);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClientArea::SetPanel(Panel* panel) {
  // The old panel may be the one whose handler is running: it goes once that has returned.
  if (panel_ && panel_ != panel) {
    Panel* old = panel_;
    panel_ = nullptr;
    old->Detached();
    panel_ = old;
    panel_->hide();
    panel_->deleteLater();
  }
  panel_ = panel;
  if (panel) {
    panel->setParent(this);
    panel->setGeometry(rect());
    panel->show();
  }
  Redraw();
}

QRect ClientArea::StatusBandRect() const {
  const QFontMetrics fm(font());
  const int h = fm.boundingRect(QStringLiteral("Aq")).height();
  const int bottom = height() - (kProgressHeight + 1);
  return QRect(QPoint(0, bottom - h - 10), QPoint(width() - 1, bottom - 1));
}

void ClientArea::ShowStatusBand(const QString& text) {
  band_ = text;
  repaint();  // painted now: the operation keeps the thread until it ends
}

void ClientArea::ClearStatusBand() {
  if (band_.isEmpty()) return;
  band_.clear();
  update();
}

void ClientArea::Redraw() {
  band_.clear();
  repaint();
}

void ClientArea::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Under a panel too: a report's view draws nothing of its own outside its preview, and what the
  // area showed before (the band and the progress bar of the work that made the report) would
  // stay on the screen.
  {
    const QColor paper = background_.isNull() ? QColor(Qt::white) : QColor(background_.pixel(0, 0));
    p.fillRect(rect(), paper);
    // Centred; clipped on both sides when the area is smaller than the picture.
    p.drawImage(QPoint((width() - background_.width()) / 2, (height() - background_.height()) / 2), background_);
  }
  if (!band_.isEmpty()) {
    const QRect band = StatusBandRect();
    p.fillRect(band, BandColour());
    const QFontMetrics fm(font());
    const int textWidth = fm.horizontalAdvance(band_);
    const int x = textWidth < width() ? (width() - textWidth) / 2 : 0;
    p.setPen(Qt::white);
    p.drawText(x, band.top() + 5 + fm.ascent(), band_);
  }
}

void ClientArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceChildren();
}

void ClientArea::childEvent(QChildEvent* event) {
  QWidget::childEvent(event);
  if (event->added() && qobject_cast<QProgressBar*>(event->child())) PlaceChildren();
}

void ClientArea::PlaceChildren() {
  if (panel_) panel_->setGeometry(rect());
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child->objectName() == QLatin1String("6002"))
      child->setGeometry(0, height() - kProgressHeight, width(), kProgressHeight);
    else if (child->objectName() == QLatin1String("6001") && child->isVisible())
      child->move((width() - child->width()) / 2, (height() - child->height()) / 2);
  }
}
