// The import of trip chains (RT_CHAIN) on the communication's timetable: each line of company 17
// writes at most four rows, the next trip of one and the previous of the other, and the link back
// of the trip each of them was chained to before.
#include "AuxiliaryImportFuzz.h"
#include "FuzzSupport.h"
#include "exchange/auxiliary/ChainImport.h"

namespace {

fuzz::AuxiliaryTarget Target() {
  fuzz::AuxiliaryTarget t;
  t.engine = RunChainImport;
  t.fileName = "RT_CHAIN.TXT";
  t.build = fuzz::MakeCommunicationTimetable;
  t.table = "tescor";
  t.key = "id";
  t.fields = {"prevcor", "nextcor"};
  t.countText = "Sono stati modificate %d corse";
  t.rowsPerLine = 4;
  return t;
}

}  // namespace

QUENDO_AUXILIARY_TARGET(Target())
