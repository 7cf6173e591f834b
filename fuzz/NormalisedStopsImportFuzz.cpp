// The import of normalised stops (FERMATE_NORMALIZZATE.TXT) on the communication's timetable,
// its stop rows without locality and its localities those of the program's reference data: a stop
// row may only take a locality that is there.
#include "AuxiliaryImportFuzz.h"
#include "FuzzSupport.h"
#include "exchange/NormalStopsLayout.h"
#include "exchange/auxiliary/NormalisedStopsImport.h"

namespace {

// The localities taken away, so that what the import gives back shows. Of the reference data's
// localities those of the stops' municipality and a hundred others are kept: the engine reads the
// whole table for every input, and all of its 4,700 rows would take most of each input's time.
void MakeTimetableWithoutLocalities(const std::string& path) {
  fuzz::MakeCommunicationTimetable(path);
  fuzz::RunSql(path,
               "DELETE FROM local WHERE istat <> 45001 AND id > 100 "
               "AND id NOT IN (SELECT reglocal FROM detcor WHERE reglocal IS NOT NULL);"
               "UPDATE detcor SET reglocal = 0");
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
