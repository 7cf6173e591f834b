#pragma once
// The code lists of the dialogs' combo boxes, each filled from one selection on the open
// database, one entry per row in the selection's order. A failed selection (shown by the
// selection itself) leaves the combo box empty.

#include "db/DbSelect.h"

#include <array>
#include <string>
#include <vector>

class DbDatabase;
class QComboBox;

// The two lists below size their combo box so that each entry shows whole, in the closed box and
// in the list.

// The regional companies (`regazi`) by name: "0012 - Name".
void FillCompanyCombo(QComboBox* combo, DbDatabase* db);

// The granting authorities (`regent`) by name: "0012 - Name", the name without trailing blanks.
void FillAuthorityCombo(QComboBox* combo, DbDatabase* db);

// The lists of codes below return, beside the combo box's entries and in their order, the code
// of each entry without trailing blanks and as stored when it lost a character (DbText): two
// codes that read alike ("\xC5\x811" and "\xC5\x9A1" both "?1") are two entries, each naming its
// own rows.

// The day types (`cadenz`) by code, each entry written by the printf `format` from the code
// without trailing blanks and the name, both texts ("%-4s - %s": "FER  - Feriale").
std::vector<DbText> FillCadenceCombo(QComboBox* combo, DbDatabase* db, const char* format);

// The trips' line codes (`tescor`), each once, in order: the code as read.
std::vector<DbText> FillLineCombo(QComboBox* combo, DbDatabase* db);

// The trips' line codes (`tescor`), each once, in order, without trailing blanks.
std::vector<DbText> FillTrimmedLineCombo(QComboBox* combo, DbDatabase* db);

// The code of an editable combo box filled by one of the lists above: the stored code of the
// entry it stands on when `code` is that entry's code, or when that entry holds bytes and is shown
// as listed (`code` then its literal as the field cut it); else `code` as typed.
DbText ChosenCode(const QComboBox* combo, const std::vector<DbText>& codes, const std::string& code);

// The authorities that trips use (`tescor.ente` found in `regent`), by name: "0012 - Name".
void FillTripAuthorityCombo(QComboBox* combo, DbDatabase* db);

// The lists below keep, beside the combo box's entries and in their order, the rows they show
// (the parallel list of the dialogs that take the whole row of the entry chosen).

// The trips' lines with their directions, each pair once: "L12 A".
// The values are the stored ones, so that the entry chosen names exactly its rows: the direction
// as stored (a lower-case one stays so), a code without its trailing blanks, a code of blanks only
// as a single blank and a missing one (NULL) empty; as stored, those that lost a character.
struct LineDirectionEntry {
  std::string line;
  char direction = ' ';
  std::array<std::string, 2> stored{};  // line and direction (DbText::stored)
};
std::vector<LineDirectionEntry> FillLineDirectionCombo(QComboBox* combo, DbDatabase* db);

// The stops of the trips by name, each code, name and place once (texts without trailing
// blanks): the entry is the name.
struct StopEntry {
  std::string code, name, place;
  std::array<std::string, 3> stored{};  // as stored, the texts that lost a character (StopSpelling::stored)
};
std::vector<StopEntry> FillStopCombo(QComboBox* combo, DbDatabase* db);

// The trips' routes with their names, each pair once: the entry is the route code. The values
// are the stored ones, as for the lines above.
struct RouteEntry {
  std::string route, name;
  std::array<std::string, 2> stored{};  // route and name (DbText::stored)
};
std::vector<RouteEntry> FillRouteCombo(QComboBox* combo, DbDatabase* db);

// The localities (`local`) by name, municipality and province: "Name [Municipality-PR]".
struct LocalityEntry {
  int id = 0;
  std::string name;
  std::string municipality;  // "Municipality [PR]"
};
std::vector<LocalityEntry> FillLocalityCombo(QComboBox* combo, DbDatabase* db);

// The stops' codes with their names, each pair once: "%-10s %s". The codes of the entries,
// without trailing blanks and as stored when they lost a character.
std::vector<DbText> FillStopCodeCombo(QComboBox* combo, DbDatabase* db);
