#include "editing/EditorFaults.h"

#include "db/DbSelect.h"

std::string EditorFault::Refusal(Undone undone) const {
  return Any() ? StoredValueRefusal(row, value, undone) : std::string();
}

EditorFault FaultOf(const DbSelect& select, const char* table, std::string row) {
  if (!select.Faulted()) return {};
  return {std::move(row), TitledFaultText(select.Fault(), table)};
}

Outcome WritableDayType(const DbText& code) {
  Outcome writable;
  if (!code.Bytes()) {
    writable.Succeed();
    return writable;
  }
  const DbSelect::ValueFault fault{0, "codice", code.text, "un dato binario", "un testo"};
  writable.Fail(StoredValueRefusal("cadenza scelta", TitledFaultText(fault, "cadenz"), Undone::Changes));
  return writable;
}
