#pragma once
// The working company of a conversion: `azienda` of the master row as a whole number, -1 when
// there is no master row (a code no record of another file has).

class DbDatabase;

int WorkingCompany(DbDatabase* db);
