#include "editing/EditorFaults.h"

#include "db/DbSchema.h"
#include "db/DbSelect.h"

std::string EditorFault::Refusal(Undone undone) const {
  return Any() ? StoredValueRefusal(row, value, undone) : std::string();
}

EditorFault FaultOf(const DbSelect& select, const char* table, std::string row) {
  if (!select.Faulted()) return {};
  const std::string& column = select.Fault().column;
  return {std::move(row), select.FaultText(column.c_str(), SchemaFieldTitle(table, column).c_str())};
}
