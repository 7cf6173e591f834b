#pragma once
// The single row of `master`, key `codice` 0: the company and the heading every export and
// communication reads.

class DbTable;

// Puts `master` (a table opened on "master") on the master row; false when the table or the row
// is missing.
bool SeekMasterRow(DbTable& master);
// What an operation tells the user when it cannot find the master row.
extern const char* const kMissingMasterText;
