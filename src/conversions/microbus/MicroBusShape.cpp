#include "conversions/microbus/MicroBusShape.h"

#include "db/DbSelect.h"

bool IsMicroBusPeriod(const std::string& caden, const std::string& inizio, const std::string& fine, int escluso) {
  return caden == "UNICA" && inizio == fine && escluso == 0;
}

bool HasMicroBusShape(DbDatabase* db) {
  DbSelect select(db);
  select.SetColumns("caden, inizio, fine, escluso");
  select.SetFrom("period");
  select.SetStreaming(true);
  select.Open();
  std::string inizio, fine;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    select.GetFieldTextAt(1, inizio);
    select.GetFieldTextAt(2, fine);
    if (!IsMicroBusPeriod(select.TrimmedAt(0), inizio, fine, select.IntAt(3))) return false;
  }
  return !select.WalkFailed();
}

std::string MicroBusShapeRefusalText() {
  return std::string("ATTENZIONE: i dati analizzati non presentano le caratteristiche tipiche\n") +
         "di MicroBus-IVU !!!\n\n" + "Pertanto la funzione non è applicabile";
}
