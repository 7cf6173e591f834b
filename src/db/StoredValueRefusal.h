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
  QuadroHidden,  // a quadro of the open trip editor not shown (the editor stays on its list)
  TripKept,      // a trip not deleted
  Opening,       // a database not opened, its file left as it was
};
const char* UndoneText(Undone undone);

// The fault in words (DbSelect::FaultText), its field given the title the dictionary gives it in
// `table` (none when `table` is null or the dictionary gives none).
std::string TitledFaultText(const DbSelect::ValueFault& fault, const char* table);

// "ATTENZIONE: <row>:\n<fault>\n\n<what was not done>".
std::string StoredValueRefusal(const std::string& row, const std::string& fault, Undone undone = Undone::Changes);

// Rows named as the user knows them, by the keys that can be read. A key that is itself the value
// at fault (given empty) is not part of the name: the refusal's sentence quotes it, and the row is
// named by what else can be read of it (its trip, its day type).
// "corsa 17"; "una corsa" without its id.
std::string TripRowName(const std::string& id);
// "fermata 3 della corsa 17"; "una fermata della corsa 17" without its number, "... di una corsa"
// without its trip.
std::string StopRowName(const std::string& id, const std::string& sub);
// "cadenza FER"; "una cadenza" without its code.
std::string CadenceRowName(const std::string& code);
// "località 12"; "una località" without its id.
std::string LocalityRowName(const std::string& id);
// "periodo dal 01/02/2024 al 29/02/2024 della corsa 17"; without either date "un periodo della
// corsa 17 con cadenza FER" (without the day type too, "un periodo della corsa 17"); without the
// trip's id "... di una corsa".
std::string PeriodRowName(const std::string& id, const std::string& start, const std::string& end,
                          const std::string& code);
// "giorno 05/10/2026 del calendario"; without the date "un giorno del calendario con cadenza FER"
// (without the day type too, "un giorno del calendario").
std::string CalendarDayRowName(const std::string& date, const std::string& code);

// The whole number at `at` of the row the selection stands on, as a key of a row's name: empty when
// it is the value at fault or cannot be read as a whole number.
std::string KeyNumberAt(DbSelect& select, int at);
// The text at `at` without its trailing blanks (a date as "GG/MM/AAAA"), as a key of a row's name:
// empty when it is the value at fault.
std::string KeyTextAt(DbSelect& select, int at);

// The row of a walk over trips or their stops as the user knows it, "corsa N" or "corsa N,
// fermata S", the trip's id at `idAt` and the stop's sub at `subAt` (none when negative); with a
// key that cannot be read, named as StopRowName and TripRowName name it.
std::string StoredTripRow(DbSelect& select, int idAt, int subAt = -1);
