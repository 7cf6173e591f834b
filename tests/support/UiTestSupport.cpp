#include "support/UiTestSupport.h"

std::string MessagesOf(const ui::Script& script) {
  std::string out;
  for (const auto& m : script.Messages()) {
    if (!out.empty()) out += "\n--\n";
    out += m.text;
  }
  return out;
}
