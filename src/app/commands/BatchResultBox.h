#pragma once
// The boxes around a batch utility: its OK/Cancel question, and its result or the stop box of a
// batch that the database did not take.

#include "platform/Ui.h"
#include "utilities/CodeAssignment.h"

#include <string>

inline bool AskedToProceed(const std::string& question) {
  return ui::MessageBox(question, ui::MB_OKCANCEL | ui::MB_ICONQUESTION) == ui::IDOK;
}

inline void TellBatchResult(const AssignmentResult& result, const std::string& text) {
  if (!result.stored)
    ui::MessageBox(AssignmentNotStoredText(), ui::MB_ICONSTOP);
  else
    ui::MessageBox(text, ui::MB_ICONINFORMATION);
}
