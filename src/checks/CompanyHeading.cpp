#include "checks/CompanyHeading.h"

#include "common/Formatters.h"
#include "db/DbTable.h"
#include "db/MasterRow.h"

#include <cstdlib>

CompanyHeading ReadCompanyHeading(DbDatabase* db, bool faultsToldByCaller) {
  CompanyHeading heading;
  std::string company;
  {
    DbTable master(db, "master");
    master.SetFaultsToldByCaller(faultsToldByCaller);
    if (!SeekMasterRow(master)) return heading;
    heading.masterFound = true;
    master.GetFieldText("azienda", company);
    master.GetFieldText("datini", heading.periodStart);
    master.GetFieldText("datfin", heading.periodEnd);
    if (master.Faulted()) {
      heading.fault = master.Fault();
      heading.faultRow = "dati generali";
      heading.faultTable = "master";
    }
  }
  heading.company = std::atol(company.c_str());
  heading.name = "Azienda non definita";
  if (!heading.faultRow.empty()) return heading;
  DbTable companies(db, "regazi");
  companies.SetFaultsToldByCaller(faultsToldByCaller);
  std::string found;
  if (companies.isOpen && companies.SetIndex("codice") && companies.SeekEqual({company.c_str()}) &&
      companies.GetFieldText("denom", found))
    heading.name = found;
  if (companies.Faulted()) {
    heading.fault = companies.Fault();
    heading.faultRow = Format("azienda %ld", heading.company);
    heading.faultTable = "regazi";
  }
  heading.name = std::string(WithoutTrailingBlanks(heading.name));
  return heading;
}

std::string CompanyHeading::Subtitle() const {
  if (!masterFound) return "Azienda Non Definita";
  return Format("Azienda %ld - %s [periodo dal %s al %s]", company, name.c_str(), periodStart.c_str(),
                periodEnd.c_str());
}

std::string CompanyHeading::FileTag() const {
  if (!masterFound) return {};
  std::string tag;
  for (const char c : name)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) tag += c;
  return tag;
}
