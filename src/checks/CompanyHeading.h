#pragma once
// The working company and period as the reports and checks show them, read once from the
// `master` row and the company's name in `regazi`.

#include "db/DbSelect.h"

#include <string>

class DbDatabase;

struct CompanyHeading {
  bool masterFound = false;
  long company = 0;
  // The company's name without trailing blanks; "Azienda non definita" when `regazi` lacks it.
  std::string name;
  // `datini` and `datfin` of `master` as "GG/MM/AAAA"; empty without the master row.
  std::string periodStart, periodEnd;
  // The first field of the master row, or of the company's row in `regazi`, that its column cannot
  // hold as its kind (none: position -1), read as no value; told through the notice sink unless
  // `ReadCompanyHeading` was told that its caller tells it. `faultRow` names its row as the user
  // knows it ("dati generali", "azienda 17"), `faultTable` its table.
  DbSelect::ValueFault fault;
  std::string faultRow;
  const char* faultTable = nullptr;

  // "Azienda %ld - %s [periodo dal %s al %s]"; "Azienda Non Definita" without the master row.
  std::string Subtitle() const;
  // The company's name reduced to its letters A-Z, a-z and digits, in their order; empty without
  // the master row.
  std::string FileTag() const;
};

CompanyHeading ReadCompanyHeading(DbDatabase* db, bool faultsToldByCaller = false);
