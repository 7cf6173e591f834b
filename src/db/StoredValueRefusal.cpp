#include "db/StoredValueRefusal.h"

#include "db/DbSchema.h"

const char* UndoneText(Undone undone) {
  switch (undone) {
    case Undone::Files: return "Nessun file è stato scritto: correggere il dato prima di esportare.";
    case Undone::Changes:
      return "Nessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione.";
    case Undone::Findings: return "Il prospetto non è stato preparato: correggere il dato prima di ripeterlo.";
    case Undone::Editor: return "L'editor non è stato aperto: correggere il dato prima di modificare questi dati.";
    case Undone::EditorClosed: return "L'editor è stato chiuso: correggere il dato prima di modificare questi dati.";
    case Undone::Opening:
      return "Il database non è stato aperto e il file è rimasto com'era: correggere il dato prima di aprirlo.";
  }
  return "";
}

std::string TitledFaultText(const DbSelect::ValueFault& fault, const char* table) {
  return DbSelect::FaultText(fault, nullptr, table ? SchemaFieldTitle(table, fault.column).c_str() : nullptr);
}

std::string StoredValueRefusal(const std::string& row, const std::string& fault, Undone undone) {
  return "ATTENZIONE: " + row + ":\n" + fault + "\n\n" + UndoneText(undone);
}

std::string StoredTripRow(DbSelect& select, int idAt, int subAt) {
  const DbSelect::ValueFault& fault = select.Fault();
  const auto key = [&](int at) { return fault.position == at ? fault.value : std::to_string(select.LongAt(at)); };
  return "corsa " + key(idAt) + (subAt >= 0 ? ", fermata " + key(subAt) : std::string());
}
