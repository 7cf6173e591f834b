#include "conversions/microbus/MicroBusShape.h"

#include "db/DbSelect.h"

bool IsMicroBusPeriod(const std::string& caden, const std::string& inizio, const std::string& fine, int escluso) {
  return caden == "UNICA" && inizio == fine && escluso == 0;
}

bool HasMicroBusShape(DbDatabase* db) {
  return WalkMicroBusPeriods(db, [](std::int32_t, const std::string&) {}) == MicroBusPeriodWalk::Walked;
}

MicroBusPeriodWalk WalkMicroBusPeriods(DbDatabase* db,
                                       const std::function<void(std::int32_t, const std::string&)>& take) {
  DbSelect select(
      db,
      {.columns = "ID, inizio, fine, caden, escluso", .from = "period", .orderBy = "ID, inizio", .streaming = true});
  select.Open();
  std::string inizio, fine;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    select.GetFieldTextAt(1, inizio);
    select.GetFieldTextAt(2, fine);
    if (!IsMicroBusPeriod(select.TrimmedAt(3), inizio, fine, select.IntAt(4))) return MicroBusPeriodWalk::NotMicroBus;
    take(static_cast<std::int32_t>(select.LongAt(0)), inizio);
  }
  return select.WalkFailed() ? MicroBusPeriodWalk::Failed : MicroBusPeriodWalk::Walked;
}

Outcome CheckMicroBusShape(DbDatabase* db) {
  Outcome result;
  if (HasMicroBusShape(db))
    result.Succeed();
  else
    result.Fail(MicroBusShapeRefusalText());
  return result;
}

std::string MicroBusShapeRefusalText() {
  return std::string("ATTENZIONE: i dati analizzati non presentano le caratteristiche tipiche\n") +
         "di MicroBus-IVU !!!\n\n" + "Pertanto la funzione non è applicabile";
}
