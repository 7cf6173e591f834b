#pragma once
// The single row of `master`, key `codice` 0: the company and the heading every export and
// communication reads.

#include "db/DbSelect.h"
#include "db/StoredValueRefusal.h"

#include <string>
#include <vector>

class DbDatabase;
class DbTable;

// Puts `master` (a table opened on "master") on the master row; false when the table or the row
// is missing.
bool SeekMasterRow(DbTable& master);
// What an operation tells the user when it cannot find the master row.
extern const char* const kMissingMasterText;

// The refusal of a value of the master row that its column cannot hold as its kind
// (DbTable::Fault): "ATTENZIONE: dati generali:", the field by its title and its value, and what
// the command did not do.
std::string MasterRowRefusal(const DbSelect::ValueFault& fault, Undone undone);

// Some fields of the master row, as a command reads them before it does anything.
struct MasterFields {
  bool found = false;              // the row is there
  std::vector<std::string> texts;  // one per field asked, in order (DbTable::GetFieldText)
  // The first value asked for that its column cannot hold as its kind (MasterRowRefusal): the
  // command shows it and stops.
  std::string refusal;
};
MasterFields ReadMasterFields(DbDatabase* db, const std::vector<const char*>& fields, Undone undone);

// The working company: `azienda` of the master row as a whole number, -1 when there is no master
// row (a code no record of another file has). A company stored as what its column cannot hold (a
// text, bytes) is no company: -1 too, and `refusal` (MasterRowRefusal, ending as `undone` says) is
// what the command shows before it stops.
int WorkingCompany(DbDatabase* db, Undone undone, std::string& refusal);
