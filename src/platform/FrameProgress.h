#pragma once
// The progress of a long operation shown on the main window.

#include "common/WorkProgress.h"
#include "platform/Busy.h"

#include <memory>

class MainFrame;

// The main window's progress: the status band with the caption, the progress bar (6002) at the
// foot of the window, the busy clock kept running; the window is repainted at the end.
class FrameProgress : public WorkProgress {
 public:
  explicit FrameProgress(MainFrame* frame) : frame_(frame) {}
  ~FrameProgress() override;
  FrameProgress(const FrameProgress&) = delete;
  FrameProgress& operator=(const FrameProgress&) = delete;
  void Begin(const std::string& caption) override;
  void Step(long done, long total) override;
  void End() override;

 private:
  MainFrame* frame_;
  std::unique_ptr<ProgressBar> bar_;
  int shown_ = -1;
};
