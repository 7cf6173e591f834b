#include "conversions/microbus/MicroBusShape.h"

#include "common/Formatters.h"
#include "conversions/StoredValues.h"
#include "db/DbSelect.h"
#include "exchange/RecordLayouts.h"

bool IsMicroBusPeriod(const std::string& caden, const std::string& inizio, const std::string& fine, int escluso) {
  return caden == "UNICA" && inizio == fine && escluso == 0;
}

bool HasMicroBusShape(DbDatabase* db) { return CheckMicroBusShape(db).ok; }

MicroBusPeriodWalk WalkMicroBusPeriods(DbDatabase* db,
                                       const std::function<void(std::int32_t, const std::string&)>& take,
                                       std::string& refusal) {
  DbSelect select(
      db,
      {.columns = "ID, inizio, fine, caden, escluso", .from = "period", .orderBy = "ID, inizio", .streaming = true});
  OpenToRefuseFaults(select);
  std::string inizio, fine;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    select.GetFieldTextAt(1, inizio);
    select.GetFieldTextAt(2, fine);
    const bool shaped = IsMicroBusPeriod(select.TrimmedAt(3), inizio, fine, select.IntAt(4));
    const long id = select.LongAt(0);
    if (StoredValueRefused(
            select, [&select] { return StoredTripRow(select, 0); }, &PeriodLayout(), Undone::Changes, refusal))
      return MicroBusPeriodWalk::Refused;
    if (!shaped) return MicroBusPeriodWalk::NotMicroBus;
    take(static_cast<std::int32_t>(id), inizio);
  }
  return select.WalkFailed() ? MicroBusPeriodWalk::Failed : MicroBusPeriodWalk::Walked;
}

Outcome CheckMicroBusShape(DbDatabase* db) {
  Outcome result;
  std::string refusal;
  const MicroBusPeriodWalk walk = WalkMicroBusPeriods(
      db, [](std::int32_t, const std::string&) {}, refusal);
  if (walk == MicroBusPeriodWalk::Walked)
    result.Succeed();
  else
    result.Fail(walk == MicroBusPeriodWalk::Refused ? refusal : MicroBusShapeRefusalText());
  return result;
}

std::string MicroBusShapeRefusalText() {
  return std::string("ATTENZIONE: i dati analizzati non presentano le caratteristiche tipiche\n") +
         "di MicroBus-IVU !!!\n\n" + "Pertanto la funzione non è applicabile";
}
