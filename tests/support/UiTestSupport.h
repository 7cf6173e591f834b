#pragma once
// Shared pieces of the tests of the interface layer.

#include "platform/Ui.h"
#include "support/TestSupport.h"

#include <string>

// The text of every message box shown so far, separated by "\n--\n".
inline std::string MessagesOf(const ui::Script& script) {
  std::string out;
  for (const auto& m : script.Messages()) out += (out.empty() ? "" : "\n--\n") + m.text;
  return out;
}
