#pragma once
// How a long operation tells the user where it stands, without knowing the window: a caption
// for its current pass and the share of that pass done. The engines of the imports and of the
// batch utilities take one (or none); the commands pass the main window's (platform/FrameProgress.h).

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
