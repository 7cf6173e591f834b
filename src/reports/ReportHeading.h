#pragma once
// The company line printed under the program's heading on every page of a report.

#include <string>

class DbDatabase;

// "Azienda %ld - %s [periodo dal %s al %s]" from the master row and the company's name in
// `regazi` ("Azienda non definita" when the company is not there); "Azienda Non Definita" when
// there is no master row.
std::string CompanySubtitle(DbDatabase* db);
