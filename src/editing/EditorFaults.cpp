#include "editing/EditorFaults.h"

#include "db/DbSchema.h"
#include "db/DbSelect.h"

#include <cstring>

const char* const kEditorNotOpenedText =
    "L'editor non è stato aperto: correggere il dato prima di modificare questi dati.";
const char* const kNothingRecordedText =
    "Nessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione.";

namespace {

// The title the dictionary gives a field of a table, or null.
const char* FieldTitle(const char* table, const std::string& field) {
  const auto value = [](const DictionaryRow& row, const char* key) -> const std::string* {
    for (const auto& [name, text] : row)
      if (std::strcmp(name, key) == 0) return &text;
    return nullptr;
  };
  for (const DictionaryRow& row : SchemaDictionaryRows().fields) {
    const std::string *tableName = value(row, "tavola"), *name = value(row, "nome");
    if (tableName && name && *tableName == table && *name == field)
      if (const std::string* title = value(row, "denom")) return title->c_str();
  }
  return nullptr;
}

}  // namespace

std::string EditorFault::Refusal(const char* tail) const {
  return Any() ? "ATTENZIONE: " + row + ":\n" + value + "\n\n" + tail : std::string();
}

EditorFault FaultOf(const DbSelect& select, const char* table, std::string row) {
  if (!select.Faulted()) return {};
  const std::string& column = select.Fault().column;
  return {std::move(row), select.FaultText(column.c_str(), FieldTitle(table, column))};
}
