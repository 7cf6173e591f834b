#pragma once
// The single row of `master`, key `codice` 0: the company and the heading every export and
// communication reads.

#include "db/DbSelect.h"
#include "db/StoredValueRefusal.h"

#include <cstdint>
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

// The counters `id_corsa` and `gruppo` hold the next free number, and whoever uses a number stores
// it + 1: a number at the largest value of their 32-bit column has no next one to store.
constexpr std::int64_t kLargestCounter = 2147483647;

// The refusal of a counter of the master row (`field`) that a new number would carry to `next`,
// past kLargestCounter: "ATTENZIONE: dati generali:", the field by its title, `next` (the first
// value past the largest when a search for a free number went further still), the largest
// value, `unnumbered` (what the command could not number) and what it did not do.
std::string CounterPastItsColumnRefusal(const char* field, std::int64_t next, const std::string& unnumbered,
                                        Undone undone);

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
