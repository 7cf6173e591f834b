#include "exchange/auxiliary/RegionalCodesImport.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/TextKeys.h"
#include "exchange/ExchangeText.h"
#include "exchange/communication/VurTxtLayout.h"

#include <optional>
#include <unordered_map>

namespace {

// The six values of a trip that a line must agree with, the texts by their keys (db/TextKeys): a
// text that lost a character agrees with no text of a file, whatever it reads as.
struct TripValues {
  std::string lineCode, direction, routeCode;
  long length = 0, departure = 0, arrival = 0;
};

// At a value its column cannot hold, the result's refusal names it.
std::unordered_map<long, TripValues> ReadTripValues(DbDatabase* db, AuxiliaryImportResult& result) {
  std::unordered_map<long, TripValues> trips;
  DbSelect s(db, {.columns = "id, codlinea, verso, codperc, lung, parte, arriva", .from = "tescor", .streaming = true});
  s.SetFaultsToldByCaller(true);
  for (bool more = s.Open() && s.hasRow; more; more = s.MoveNext()) {
    TripValues values{TextKeyAt(s, 1), TextKeyAt(s, 2), TextKeyAt(s, 3), s.LongAt(4), s.LongAt(5), s.LongAt(6)};
    if (RefusedValue(s, result, [&] { return StoredTripRow(s, 0); })) break;
    trips[s.LongAt(0)] = std::move(values);
  }
  return trips;
}

// Whether trip `values` has the line's six values.
bool TripAgrees(const TripValues& t, const vurtxt::IdRegLine& l) {
  return t.lineCode == l.lineCode && !t.direction.empty() && t.direction[0] == l.direction &&
         t.routeCode == l.routeCode && t.length == l.length && t.departure == l.departure && t.arrival == l.arrival;
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

  // Read inside the batch that writes, at its first line.
  std::optional<std::unordered_map<long, TripValues>> values;
  DbTable trips(o.db, "tescor");
  trips.SetIndex("codice");
  const bool committed = UpdateInOneBatch(
      o, kept, false,
      [&](const vurtxt::IdRegLine& l) {
        const std::string trip = std::to_string(l.tripId);
        if (!values) values = ReadTripValues(o.db, result);
        if (!result.refusal.empty()) return false;
        const auto found = values->find(l.tripId);
        return found != values->end() && TripAgrees(found->second, l) && trips.SeekEqual({trip.c_str()}) &&
               trips.Edit() && trips.SetFieldText("reglinea", std::to_string(l.runNumber)) && trips.Update();
      },
      result);
  Conclude(committed, {Format("Sono stati modificate %d corse", result.updated), NoticeIcon::Information, {}}, result);
  return result;
}
