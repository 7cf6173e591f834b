#pragma once
// A progress bar that records its passes: "begin <caption>" at each start, "end <done>/<total>"
// (the last step given) at each end, "at <done>/<total>" before a begin that follows a pass left
// without its end, "bad step" for a step outside 1..total.

#include "common/WorkProgress.h"

#include <string>
#include <utility>
#include <vector>

class PassLog : public WorkProgress {
 public:
  void Begin(const std::string& caption) override {
    if (last.second) lines.push_back("at " + Last());  // a pass left without its end
    last = {0, 0};
    lines.push_back("begin " + caption);
  }
  void Step(long done, long total) override {
    if (done > total || done < 1) lines.push_back("bad step");
    last = {done, total};
  }
  void End() override {
    lines.push_back("end " + Last());
    last = {0, 0};
  }
  std::string Last() const { return std::to_string(last.first) + "/" + std::to_string(last.second); }
  std::vector<std::string> lines;
  std::pair<long, long> last{0, 0};
};
