#pragma once
// The application object: starts the program (main window, busy clock, the working database and
// its master row, the caption), runs the idle processing and shuts the program down.

#include "common/Notices.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>

class ElapsedTimeWnd;
class MainFrame;

class TimetableApp : public QObject {
  Q_OBJECT

 public:
  TimetableApp();
  ~TimetableApp() override;
  TimetableApp(const TimetableApp&) = delete;
  TimetableApp& operator=(const TimetableApp&) = delete;

  // The one application object, or null.
  static TimetableApp* Instance();

  // "Quendo - " and the program's long title: the caption whenever no company can be shown.
  static std::string FullCaption();

  // The start-up sequence; false when the program must end at once (no database could be made).
  // `showWindow` false keeps the window hidden (a headless run shows nothing anyway). `painted`
  // false shows it with its updates off: the program runs as when shown, but nothing of the window
  // is ever painted (the headless driver, which pays nothing for pictures no one sees).
  bool InitInstance(bool showWindow = true, bool painted = true);

  // What runs each time the program is idle again: stops the busy clock, restores the cursor,
  // removes the status band and closes a panel that asked to be closed.
  void OnIdle();

  // Shut-down: destroys the main window (closing the database and saving its path) if it still
  // exists, then shuts the database engine down. Returns the process exit code.
  int ExitInstance();

  void CreateBusyWindow(MainFrame* frame);
  // The wait cursor, up to the next idle time.
  void SetWaitCursor();

  // The main window (null before start-up and after shut-down).
  MainFrame* Frame() const { return mainFrame_.get(); }
  QPointer<ElapsedTimeWnd> busyWindow;

 private:
  void ConnectIdle();

  std::unique_ptr<MainFrame> mainFrame_;
  bool waitCursor_ = false;
  NoticeSink previousNoticeSink_;
  QMetaObject::Connection idleConnection_;
};
