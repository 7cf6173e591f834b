// The import of Olvi stops (FERMATE_OLVI) on the timetable of the Olvi files' tests: a refused file
// leaves every stop row as it was, and a name or location stored fits its field, a name never
// empty.
#include "AuxiliaryImportFuzz.h"
#include "FuzzSupport.h"
#include "exchange/auxiliary/OlviStopsImport.h"
#include "support/OlviData.h"

namespace {

void MakeOlviTimetable(const std::string& path) {
  fuzz::MakeTimetable(path);
  fuzz::RunSql(path, OlviTimetableSql());
}

fuzz::AuxiliaryTarget Target() {
  fuzz::AuxiliaryTarget t;
  t.engine = RunOlviStopsImport;
  t.fileName = "FERMATE_OLVI.TXT";
  t.build = MakeOlviTimetable;
  t.table = "detcor";
  t.key = "id, sub";
  t.fields = {"denom", "ubicaz"};
  t.countText = "Sono stati modificati %d dettagli orari";
  t.faultyRows =
      "SELECT COUNT(*) FROM detcor WHERE length(denom) > 40 OR length(ubicaz) > 40 "
      "OR denom IS NULL OR trim(denom) = '' OR instr(CAST(denom AS BLOB), x'00') OR instr(CAST(ubicaz AS BLOB), x'00')";
  return t;
}

}  // namespace

QUENDO_AUXILIARY_TARGET(Target())
