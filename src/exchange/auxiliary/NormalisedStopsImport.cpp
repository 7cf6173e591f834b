#include "exchange/auxiliary/NormalisedStopsImport.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/StoredValueRefusal.h"
#include "db/TextKeys.h"
#include "exchange/NormalStopsLayout.h"

#include <map>
#include <utility>

namespace {

// The localities by name (its key, db/TextKeys: a name that lost a character is no name of a file)
// and ISTAT code; of two alike, the first read.
using Localities = std::map<std::pair<std::string, long>, int>;

// At a value its column cannot hold, the result's refusal names it.
Localities ReadLocalities(DbDatabase* db, AuxiliaryImportResult& result) {
  Localities localities;
  DbSelect s(db, {.columns = "id, denom, istat", .from = "local"});
  s.SetFaultsToldByCaller(true);
  for (int ok = s.Open(); ok; ok = s.MoveNext()) {
    std::pair key{TextKeyAt(s, 1), s.LongAt(2)};
    const int id = s.IntAt(0);
    if (RefusedValue(s, result, [&] { return LocalityRowName(KeyNumberAt(s, 0)); })) break;
    localities.emplace(std::move(key), id);
  }
  return localities;
}

// The stop rows of a line: its name, and its code and location, or none where they are empty.
void SelectStopRows(DbSelect& select, const NormalStopLine& stop) {
  std::string where;
  std::vector<std::string> values;
  const auto add = [&](const char* field, const std::string& value) {
    if (!where.empty()) where += " AND ";
    if (value.empty()) {
      where += std::string("(") + field + " IS NULL OR " + field + " = ' ')";
      return;
    }
    where += std::string(field) + " = ?";
    values.push_back(value);
  };
  add("fermata", stop.code);
  where += " AND denom = ?";
  values.push_back(stop.name);
  add("ubicaz", stop.place);
  select.SetColumns("id, sub");
  select.SetFrom("detcor");
  select.SetWhere(where);
  select.SetParameters(std::move(values));
  select.SetOrderBy("id, sub");
}

}  // namespace

AuxiliaryImportResult RunNormalisedStopsImport(const AuxiliaryImportOptions& o) {
  AuxiliaryImportResult result;
  std::vector<NormalStopLine> stops;
  const auto take = [&](long, const std::string& line, const std::optional<int>& company) {
    NormalStopLine stop;
    if (company && ReadNormalStopLine(line, stop) && stop.company == *company) stops.push_back(std::move(stop));
    return true;
  };
  if (!ForEachAuxiliaryLine(o, std::string(kNoWorkingCompanyText) + "\n\n" + kNormalStopsNoCompanyText, result, take))
    return result;
  const Localities localities = ReadLocalities(o.db, result);
  if (!result.refusal.empty()) {
    Conclude(false, {}, result);
    return result;
  }
  if (stops.empty()) {
    result.Tell(kNoNormalStopText, NoticeIcon::Stop);
    return result;
  }

  DbTable details(o.db, "detcor");
  details.SetIndex("codice");
  const bool committed = UpdateInOneBatch(
      o, stops, true,
      [&](const NormalStopLine& stop) {
        const auto locality = localities.find({stop.locality, stop.istat});
        if (locality == localities.end()) return 0;
        const std::string value = std::to_string(locality->second);
        DbSelect select(o.db);
        SelectStopRows(select, stop);
        select.SetFaultsToldByCaller(true);
        int updated = 0;
        for (int ok = select.Open(); ok; ok = select.MoveNext()) {
          const std::string id = std::to_string(select.LongAt(0)), sub = std::to_string(select.IntAt(1));
          if (RefusedValue(select, result, [&] { return StoredTripRow(select, 0, 1); })) break;
          updated += SetKeyedField(details, {id.c_str(), sub.c_str()}, "reglocal", value);
        }
        return updated;
      },
      result);
  Conclude(committed, {Format("Sono stati modificati %d dettagli orari", result.updated), NoticeIcon::Information, {}},
           result);
  return result;
}
