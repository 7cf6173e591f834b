#pragma once
// A panel shown inside the main window over its whole client area (a report's view). The frame
// holds at most one; the panel asks to be closed by setting its close request, and the frame
// destroys it when the program is next idle.

#include <QWidget>

class Panel : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

  // The print command of the main window goes to the panel.
  virtual void Print() {}

  // The frame has let the panel go (closed, or replaced by another): it is hidden and destroyed
  // once the handler running now has returned. What the panel holds goes now.
  virtual void Detached() {}

  // Asks the frame to close this panel at the next idle time.
  void RequestClose() { closeRequested = true; }

  bool closeRequested = false;
};
