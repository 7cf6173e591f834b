#pragma once
// The question of a batch utility, asked before it runs: OK goes on. Its result (the result text,
// or the stop message of a batch the database did not take) is the engine's own, shown with
// ui::ShowOutcome.

#include "platform/Ui.h"

#include <string>

inline bool AskedToProceed(const std::string& question) {
  return ui::MessageBox(question, ui::MB_OKCANCEL | ui::MB_ICONQUESTION) == ui::IDOK;
}
