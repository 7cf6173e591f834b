#pragma once
// The code lists of the dialogs' combo boxes, each filled from one selection on the open
// database, one entry per row in the selection's order. A failed selection (shown by the
// selection itself) leaves the combo box empty.

class DbDatabase;
class QComboBox;

// The regional companies (`regazi`) by name: "0012 - Name".
void FillCompanyCombo(QComboBox* combo, DbDatabase* db);

// The granting authorities (`regent`) by name: "0012 - Name", the name without trailing blanks.
void FillAuthorityCombo(QComboBox* combo, DbDatabase* db);

// The day types (`cadenz`) by code, each entry written by the printf `format` from the code
// without trailing blanks and the name, both texts ("%-4s - %s": "FER  - Feriale").
void FillCadenceCombo(QComboBox* combo, DbDatabase* db, const char* format);

// The trips' line codes (`tescor`), each once, in order: the code as read.
void FillLineCombo(QComboBox* combo, DbDatabase* db);

// The trips' line codes (`tescor`), each once, in order, without trailing blanks.
void FillTrimmedLineCombo(QComboBox* combo, DbDatabase* db);

// The authorities that trips use (`tescor.ente` found in `regent`), by name: "0012 - Name".
void FillTripAuthorityCombo(QComboBox* combo, DbDatabase* db);
