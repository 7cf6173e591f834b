#pragma once
// How a long operation tells the user where it stands, without knowing the window: a caption
// for its current pass and the share of that pass done. The engines of the imports and of the
// batch utilities take one (or none); the commands pass the main window's (FrameProgress).

#include <string>

class WorkProgress {
 public:
  virtual ~WorkProgress() = default;
  // A pass begins: its caption (empty: keep the current one) and the bar from 0.
  virtual void Begin(const std::string& caption) = 0;
  // `done` items of `total` (the bar at done * 100 / total, truncated).
  virtual void Step(long done, long total) = 0;
  // The pass is over: the bar goes.
  virtual void End() = 0;
};

class MainFrame;

// The main window's progress: the status band with the caption, the progress bar (6002) at the
// foot of the window, the busy clock kept running; the window is repainted at the end.
class FrameProgress : public WorkProgress {
 public:
  explicit FrameProgress(MainFrame* frame) : frame_(frame) {}
  ~FrameProgress() override;
  void Begin(const std::string& caption) override;
  void Step(long done, long total) override;
  void End() override;

 private:
  MainFrame* frame_;
  class ProgressBar* bar_ = nullptr;
  int shown_ = -1;
};
