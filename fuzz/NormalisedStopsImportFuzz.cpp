// The import of normalised stops (FERMATE_NORMALIZZATE.TXT) on the communication's timetable,
// its stop rows without locality and its localities those of the program's reference data: a stop
// row may only take a locality that is there.
#include "AuxiliaryImportFuzz.h"
#include "FuzzSupport.h"
#include "exchange/NormalStopsLayout.h"
#include "exchange/auxiliary/NormalisedStopsImport.h"

namespace {

// The localities taken away, so that what the import gives back shows.
void MakeTimetableWithoutLocalities(const std::string& path) {
  fuzz::MakeCommunicationTimetable(path);
  fuzz::RunSql(path, "UPDATE detcor SET reglocal = 0");
}

fuzz::AuxiliaryTarget Target() {
  fuzz::AuxiliaryTarget t;
  t.engine = RunNormalisedStopsImport;
  t.fileName = kNormalStopsName;
  t.build = MakeTimetableWithoutLocalities;
  t.table = "detcor";
  t.key = "id, sub";
  t.fields = {"reglocal"};
  t.countText = "Sono stati modificati %d dettagli orari";
  t.faultyRows =
      "SELECT COUNT(*) FROM detcor WHERE reglocal IS NOT NULL AND reglocal <> 0 "
      "AND reglocal NOT IN (SELECT id FROM local)";
  return t;
}

}  // namespace

QUENDO_AUXILIARY_TARGET(Target())
