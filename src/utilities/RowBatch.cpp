#include "utilities/RowBatch.h"

std::string AssignmentNotStoredText() {
  return "ATTENZIONE: le modifiche non sono state registrate nel database.\n\n"
         "I dati restano quelli di prima dell'elaborazione.";
}

AssignmentResult RefusedRead(DbTable& table) {
  std::string id, sub;
  table.GetFieldText("id", id);
  const bool stop = table.TableName() == "detcor";
  if (stop) table.GetFieldText("sub", sub);
  AssignmentResult result;
  result.refused = true;
  result.Fail(StoredValueRefusal(stop && !id.empty() && !sub.empty() ? "corsa " + id + ", fermata " + sub
                                 : stop                              ? StopRowName(id, sub)
                                                                     : TripRowName(id),
                                 table.FaultText()));
  return result;
}

AssignmentResult RefusedWalk(DbSelect& select, Walked rows) {
  AssignmentResult result;
  result.refused = true;
  result.Fail(StoredValueRefusal(StoredTripRow(select, 0, rows == Walked::Stops ? 1 : -1), select.FaultText()));
  return result;
}
