#include "reports/ReportHeading.h"

#include "common/Formatters.h"
#include "db/DbSchema.h"
#include "db/DbTable.h"

#include <cstdlib>

std::string CompanySubtitle(DbDatabase* db) {
  std::string company, first, last;
  {
    DbTable master(db, "master");
    if (!SeekMasterRow(master)) return "Azienda Non Definita";
    master.GetFieldText("azienda", company);
    master.GetFieldText("datini", first);
    master.GetFieldText("datfin", last);
  }
  std::string name = "Azienda non definita";
  DbTable companies(db, "regazi");
  std::string found;
  if (companies.isOpen && companies.SetIndex("codice") && companies.SeekEqual({company.c_str()}) &&
      companies.GetFieldText("denom", found))
    name = found;
  return Format("Azienda %ld - %s [periodo dal %s al %s]", std::atol(company.c_str()),
                std::string(WithoutTrailingBlanks(name)).c_str(), first.c_str(), last.c_str());
}
