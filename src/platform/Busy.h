#pragma once
// Keeping the user informed while a long operation holds the user-interface thread: the wait
// cursor and the elapsed-time clock (ShowBusy / HideBusy), and the progress bar at the foot of the
// main window. The status band is the frame's (MainFrame::ShowStatusBand).
//
// Qt paints only on its own thread, and a long operation keeps that thread: the clock and the bar
// are therefore painted from the operation itself, when it reports progress (ProgressBar::SetPos,
// PumpBusy, ShowStatusBand), and from the database engine while a long statement runs or a
// database is built (the application installs PumpBusy as the engine's progress hook), at most a
// few times a second. No other thread touches a widget. While a box or dialog is up, its own event
// loop keeps the clock going.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>

class QMainWindow;
class QProgressBar;

// The elapsed-time window: a small black panel in the middle of the main window showing minutes
// and seconds since the clock started (00:00 to 59:59, then again), the colon shown every other
// second. One per process, child 6001 of the main window's client area, hidden while stopped.
class ElapsedTimeWnd : public QWidget {
  Q_OBJECT

 public:
  explicit ElapsedTimeWnd(QWidget* parent);

  void StartClock();
  void StopClock();
  bool IsRunning() const { return running_; }

  // Repaints at once when the shown time has changed since the last paint.
  void Tick();

  // The seconds since the clock started, and the text the clock shows for a count of seconds.
  int ElapsedSeconds() const;
  static QString ClockText(int elapsedSeconds);

  // Draws the clock for a count of seconds (also used by the paint handler).
  void PaintClock(QPainter& painter, int elapsedSeconds) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage digits_[10];
  QImage separator_;
  int digitWidth_ = 0;
  int digitHeight_ = 0;
  std::chrono::steady_clock::time_point start_;
  bool running_ = false;
  int shownSecond_ = -1;
  QTimer timer_;  // repaints while the event loop runs (a dialog open during the operation)
};

// The busy clock and the wait cursor belong to the application object, which installs them at
// start-up: `clock` gives the clock (or null), `waitCursor` sets the wait cursor until the program
// is idle again. Without them ShowBusy, HideBusy and PumpBusy do nothing.
struct BusyHooks {
  ElapsedTimeWnd* (*clock)() = nullptr;
  void (*waitCursor)() = nullptr;
};
void InstallBusyHooks(BusyHooks hooks);

// Sets the wait cursor; with startClock also starts the clock unless it already runs.
void ShowBusy(bool startClock);
// Stops the clock; the cursor stays until the program is idle again.
void HideBusy();
// Lets a long operation keep the clock running: call it in the operation's loops. Cheap: it
// repaints only when the shown second has changed, and never touches the database.
void PumpBusy();

// The progress bar of one long operation: child 6002 of the main window over the bottom 20 pixels
// of its client area, range 0 to 100, the position the percentage done; removed when destroyed.
class ProgressBar {
 public:
  explicit ProgressBar(QMainWindow* frame);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Percentage done (clamped to 0..100); paints the bar and the clock when due.
  void SetPos(int percent);
  int Pos() const;
  QProgressBar* Widget() const { return bar_.get(); }

 private:
  std::unique_ptr<QProgressBar> bar_;
  std::chrono::steady_clock::time_point lastPaint_{};
};
