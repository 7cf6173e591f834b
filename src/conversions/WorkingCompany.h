#pragma once
// The working company of a conversion: `azienda` of the master row as a whole number, -1 when
// there is no master row (a code no record of another file has).

#include "db/StoredValueRefusal.h"

#include <string>

class DbDatabase;

// A company stored as what its column cannot hold (a text, bytes) is no company: -1 too, and
// `refusal` (MasterRowRefusal, ending as `undone` says) is what the command shows before it stops,
// asking for no file.
int WorkingCompany(DbDatabase* db, Undone undone, std::string& refusal);
