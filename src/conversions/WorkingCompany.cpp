#include "conversions/WorkingCompany.h"

#include "db/MasterRow.h"

#include <cstdlib>

int WorkingCompany(DbDatabase* db, Undone undone, std::string& refusal) {
  const MasterFields master = ReadMasterFields(db, {"azienda"}, undone);
  refusal = master.refusal;
  return master.found && refusal.empty() ? std::atoi(master.texts[0].c_str()) : -1;
}
