#pragma once
// A batch walk killed for real: its progress raises SIGKILL at a chosen row, in a child process,
// as a power cut or a kill would leave the database. Shared by the tests of the batch utilities.

#include "common/WorkProgress.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

// Kills the process at the `step`-th row of its walk; with a caption, of the walk begun with it.
class KillAt : public WorkProgress {
 public:
  explicit KillAt(long step, std::string caption = {}) : step_(step), caption_(std::move(caption)) {}
  void Begin(const std::string& caption) override { counting_ = caption_.empty() || caption == caption_; }
  void Step(long done, long) override {
    if (counting_ && done == step_) ::raise(SIGKILL);
  }
  void End() override {}

 private:
  long step_;
  std::string caption_;
  bool counting_ = caption_.empty();
};

// Runs `work` in a child process; true when it was killed by SIGKILL there.
inline bool Killed(const std::function<void()>& work) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    work();
    ::_exit(0);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}
