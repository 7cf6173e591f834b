// The import of the regional trip numbers (RT_IDREG) on the communication's timetable: a line
// writes at most its one trip, and a file with a line refused (or none) changes nothing.
#include "AuxiliaryImportFuzz.h"
#include "FuzzSupport.h"
#include "exchange/auxiliary/RegionalCodesImport.h"

namespace {

fuzz::AuxiliaryTarget Target() {
  fuzz::AuxiliaryTarget t;
  t.engine = RunRegionalCodesImport;
  t.fileName = "RT_IDREG.TXT";
  t.build = fuzz::MakeCommunicationTimetable;
  t.table = "tescor";
  t.key = "id";
  t.fields = {"reglinea"};
  t.countText = "Sono stati modificate %d corse";
  t.rowsPerLine = 1;
  return t;
}

}  // namespace

QUENDO_AUXILIARY_TARGET(Target())
