#include "exchange/auxiliary/RegionalCodesImport.h"

#include "common/Formatters.h"
#include "db/DbTable.h"
#include "exchange/ExchangeText.h"
#include "exchange/communication/VurTxtLayout.h"

#include <cstdlib>

namespace {

// Whether the trip the table stands on has the line's six values.
bool TripAgrees(DbTable& trips, const vurtxt::IdRegLine& l) {
  std::string lineCode, direction, routeCode, length, departure, arrival;
  trips.GetFieldDisplayText("codlinea", lineCode);
  trips.GetFieldDisplayText("verso", direction);
  trips.GetFieldDisplayText("codperc", routeCode);
  trips.GetFieldDisplayText("lung", length);
  trips.GetFieldDisplayText("parte", departure);
  trips.GetFieldDisplayText("arriva", arrival);
  return TrimRight(lineCode) == l.lineCode && !direction.empty() && direction[0] == l.direction &&
         TrimRight(routeCode) == l.routeCode && std::atol(length.c_str()) == l.length &&
         std::atol(departure.c_str()) == l.departure && std::atol(arrival.c_str()) == l.arrival;
}

}  // namespace

AuxiliaryImportResult RunRegionalCodesImport(const AuxiliaryImportOptions& o) {
  AuxiliaryImportResult result;
  // The whole file is read first: a file with a bad line, or none, changes nothing.
  std::vector<vurtxt::IdRegLine> kept;
  const auto take = [&](long, const std::string& line, const std::optional<int>& company) {
    vurtxt::IdRegLine l;
    if (!company || !vurtxt::ReadIdRegLine(line, l) || l.company != *company) {
      kept.clear();
      return false;
    }
    kept.push_back(l);
    return true;
  };
  if (!ForEachAuxiliaryLine(o, kNoWorkingCompanyText, result, take)) return result;
  if (kept.empty()) {
    result.Tell(kIdRegFormatText, NoticeIcon::Stop);
    return result;
  }

  DbTable trips(o.db, "tescor");
  trips.SetIndex("codice");
  const bool committed = UpdateInOneBatch(
      o, kept, false,
      [&](const vurtxt::IdRegLine& l) {
        const std::string trip = std::to_string(l.tripId);
        return trips.SeekEqual({trip.c_str()}) && TripAgrees(trips, l) && trips.Edit() &&
               trips.SetFieldText("reglinea", std::to_string(l.runNumber)) && trips.Update();
      },
      result);
  Conclude(committed, {Format("Sono stati modificate %d corse", result.updated), NoticeIcon::Information, {}}, result);
  return result;
}
