#pragma once
// Shared pieces of the tests of the interface layer.

#include "platform/Dialog.h"
#include "platform/Ui.h"
#include "support/TestSupport.h"

#include <string>
#include <utility>
#include <vector>

// The text of every message box shown so far, separated by "\n--\n".
inline std::string MessagesOf(const ui::Script& script) {
  std::string out;
  for (const auto& m : script.Messages()) out += (out.empty() ? "" : "\n--\n") + m.text;
  return out;
}

// Runs an options dialog under the script with the controls given; its result, or -1 when the run
// ended at a refusal.
inline int RunDialogScript(ui::Dialog& dialog, ui::Script& script,
                           const std::vector<std::pair<std::string, std::string>>& controls) {
  script.Push({ui::Answer::Kind::Dialog, std::to_string(dialog.Idd()), controls});
  try {
    return dialog.DoModal();
  } catch (const ui::UnansweredQuestion&) {
    return -1;
  }
}
