#include "utilities/RowBatch.h"

std::string AssignmentNotStoredText() {
  return "ATTENZIONE: le modifiche non sono state registrate nel database.\n\n"
         "I dati restano quelli di prima dell'elaborazione.";
}

AssignmentResult RefusedWalk(DbSelect& select, Walked rows) {
  AssignmentResult result;
  result.refused = true;
  result.Fail(StoredValueRefusal(StoredTripRow(select, 0, rows == Walked::Stops ? 1 : -1), select.FaultText()));
  return result;
}
