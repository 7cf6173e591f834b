#include "platform/FrameProgress.h"

#include "platform/Busy.h"
#include "platform/MainFrame.h"

FrameProgress::~FrameProgress() = default;

void FrameProgress::Begin(const std::string& caption) {
  if (!frame_) return;
  if (!caption.empty()) frame_->ShowStatusBand(caption);
  bar_.reset();
  bar_ = std::make_unique<ProgressBar>(frame_);
  shown_ = 0;
}

void FrameProgress::Step(long done, long total) {
  if (!bar_ || total <= 0) return;
  const int percent = static_cast<int>(static_cast<long long>(done) * 100 / total);
  // The bar paints itself a few times a second at most; the clock is pumped on every change.
  if (percent != shown_) {
    shown_ = percent;
    bar_->SetPos(percent);
  } else if ((done & 0x3FF) == 0) {
    PumpBusy();
  }
}

void FrameProgress::End() {
  if (!bar_) return;
  bar_.reset();
  frame_->Redraw();
}
