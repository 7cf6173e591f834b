#pragma once
// The progress of a long operation that shows no bar: only the busy clock is kept running.

#include "common/WorkProgress.h"
#include "platform/Busy.h"

class BusyProgress : public WorkProgress {
 public:
  void Begin(const std::string&) override {}
  void Step(long done, long) override {
    if ((done & 0x3FF) == 0) PumpBusy();
  }
  void End() override {}
};
