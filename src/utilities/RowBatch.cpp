#include "utilities/RowBatch.h"

std::string AssignmentNotStoredText() {
  return "ATTENZIONE: le modifiche non sono state registrate nel database.\n\n"
         "I dati restano quelli di prima dell'elaborazione.";
}

std::string RefusedValueText(const std::string& row, const std::string& fault, Undone undone) {
  return "ATTENZIONE: " + row + ":\n" + fault + "\n\n" +
         (undone == Undone::Changes
              ? "Nessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione."
              : "Il prospetto non è stato preparato: correggere il dato prima di ripeterlo.");
}

std::string TripRowName(DbSelect& select, int idAt, int subAt) {
  const DbSelect::ValueFault& fault = select.Fault();
  const auto key = [&](int at) { return fault.position == at ? fault.value : std::to_string(select.LongAt(at)); };
  std::string row = "corsa " + key(idAt);
  if (subAt >= 0) row += ", fermata " + key(subAt);
  return row;
}

AssignmentResult RefusedWalk(DbSelect& select, Walked rows) {
  AssignmentResult result;
  result.refused = true;
  result.Fail(RefusedValueText(TripRowName(select, 0, rows == Walked::Stops ? 1 : -1), select.FaultText()));
  return result;
}
