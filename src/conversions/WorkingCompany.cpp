#include "conversions/WorkingCompany.h"

#include "exchange/ExportEngine.h"

int WorkingCompany(DbDatabase* db) {
  const MasterHeading master = ReadMasterHeading(db);
  return master.found ? master.company : -1;
}
