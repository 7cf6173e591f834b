#include "platform/Busy.h"

#include "platform/Artwork.h"
#include "platform/ClientArea.h"

#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QProgressBar>
#include <algorithm>

namespace {

constexpr auto kPaintInterval = std::chrono::milliseconds(100);

BusyHooks g_hooks;

ElapsedTimeWnd* BusyWindow() { return g_hooks.clock ? g_hooks.clock() : nullptr; }

}  // namespace

ElapsedTimeWnd::ElapsedTimeWnd(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("6001"));
  for (int d = 0; d < 10; ++d) {
    digits_[d] = ClockDigitPicture(d);
    digitWidth_ = std::max(digitWidth_, digits_[d].width());
    digitHeight_ = std::max(digitHeight_, digits_[d].height());
  }
  separator_ = ClockSeparatorPicture();
  digitHeight_ = std::max(digitHeight_, separator_.height());
  // Room for four digits and the separator with a 10-pixel margin, plus the frame.
  setFixedSize(separator_.width() + 4 * digitWidth_ + 30, digitHeight_ + 30);
  setAttribute(Qt::WA_OpaquePaintEvent);
  timer_.setInterval(250);
  connect(&timer_, &QTimer::timeout, this, &ElapsedTimeWnd::Tick);
  hide();
}

int ElapsedTimeWnd::ElapsedSeconds() const {
  if (!running_) return 0;
  const auto span = std::chrono::steady_clock::now() - start_;
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(span).count() / 1000);
}

QString ElapsedTimeWnd::ClockText(int elapsedSeconds) {
  const int minutes = (elapsedSeconds / 60) % 60;
  const int seconds = elapsedSeconds % 60;
  return QString::asprintf("%02d:%02d", minutes, seconds);
}

void ElapsedTimeWnd::StartClock() {
  start_ = std::chrono::steady_clock::now();
  running_ = true;
  shownSecond_ = -1;
  if (QWidget* p = parentWidget()) move((p->width() - width()) / 2, (p->height() - height()) / 2);
  show();
  raise();
  timer_.start();
  Tick();
}

void ElapsedTimeWnd::StopClock() {
  running_ = false;
  timer_.stop();
  hide();
}

void ElapsedTimeWnd::Tick() {
  if (!running_ || !isVisible()) return;
  const int now = ElapsedSeconds();
  if (now == shownSecond_) return;
  repaint();
}

void ElapsedTimeWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  shownSecond_ = ElapsedSeconds();
  PaintClock(p, shownSecond_);
}

void ElapsedTimeWnd::PaintClock(QPainter& p, int elapsedSeconds) const {
  p.fillRect(rect(), Qt::black);
  // A raised frame, as a dialog frame would be.
  p.setPen(QColor(160, 160, 160));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setPen(QColor(96, 96, 96));
  p.drawRect(rect().adjusted(2, 2, -3, -3));

  const QString text = ClockText(elapsedSeconds);
  const auto digitAt = [&](int pos) {
    const QChar c = text.at(pos);
    return (c >= u'0' && c <= u'9') ? c.unicode() - u'0' : 0;
  };
  const int w = digitWidth_, y = 10, s = separator_.width();
  p.drawImage(QPoint(10, y), digits_[digitAt(0)]);
  p.drawImage(QPoint(10 + w, y), digits_[digitAt(1)]);
  if (elapsedSeconds % 2 == 0) p.drawImage(QPoint(10 + 2 * w, y), separator_);
  p.drawImage(QPoint(10 + 2 * w + s, y), digits_[digitAt(3)]);
  p.drawImage(QPoint(10 + 3 * w + s, y), digits_[digitAt(4)]);
}

void InstallBusyHooks(BusyHooks hooks) { g_hooks = hooks; }

void ShowBusy(bool startClock) {
  if (g_hooks.waitCursor) g_hooks.waitCursor();
  ElapsedTimeWnd* clock = BusyWindow();
  if (startClock && clock && !clock->IsRunning()) clock->StartClock();
}

void HideBusy() {
  if (ElapsedTimeWnd* clock = BusyWindow()) clock->StopClock();
}

void PumpBusy() {
  if (ElapsedTimeWnd* clock = BusyWindow()) clock->Tick();
}

ProgressBar::ProgressBar(QMainWindow* frame) {
  QWidget* parent = frame ? frame->centralWidget() : nullptr;
  bar_ = std::make_unique<QProgressBar>(parent);
  bar_->setObjectName(QStringLiteral("6002"));
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  if (parent) {  // without a main window the bar is never shown
    bar_->setGeometry(0, parent->height() - ClientArea::kProgressHeight, parent->width(), ClientArea::kProgressHeight);
    bar_->show();
    bar_->repaint();
  }
  lastPaint_ = std::chrono::steady_clock::now();
}

ProgressBar::~ProgressBar() = default;

int ProgressBar::Pos() const { return bar_->value(); }

void ProgressBar::SetPos(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent != bar_->value()) bar_->setValue(percent);
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPaint_ < kPaintInterval) return;
  lastPaint_ = now;
  if (bar_->isVisible()) bar_->repaint();
  PumpBusy();
}
