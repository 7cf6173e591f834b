#pragma once
// A stored value that its column cannot hold as its kind (DbSelect::Fault: bytes in a text
// column, a text in a number column, a text that is no date in a date column) stops the command
// that read it before it writes or shows anything, with one refusal: the row as the user knows
// it, the value in words (DbSelect::FaultText) and what the command did not do.

#include "db/DbSelect.h"

#include <string>

// What the stopped command did not do: the last paragraph of its refusal.
enum class Undone {
  Files,         // no file written (the exports, the conversions, a report's text file)
  Changes,       // nothing stored in the database (the batch utilities, the imports, the generation)
  Findings,      // no report or list of findings prepared
  Editor,        // an editor not opened
  EditorClosed,  // an open editor closed: the value was met reading its rows again
  Opening,       // a database not opened, its file left as it was
};
const char* UndoneText(Undone undone);

// The fault in words (DbSelect::FaultText), its field given the title the dictionary gives it in
// `table` (none when `table` is null or the dictionary gives none).
std::string TitledFaultText(const DbSelect::ValueFault& fault, const char* table);

// "ATTENZIONE: <row>:\n<fault>\n\n<what was not done>".
std::string StoredValueRefusal(const std::string& row, const std::string& fault, Undone undone = Undone::Changes);

// The row of a walk over trips or their stops as the user knows it, "corsa N" or "corsa N,
// fermata S", the trip's id at `idAt` and the stop's sub at `subAt` (none when negative); a key
// that is itself the value at fault is named by the value as SQL writes it.
std::string StoredTripRow(DbSelect& select, int idAt, int subAt = -1);
