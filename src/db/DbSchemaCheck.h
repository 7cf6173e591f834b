#pragma once
// Whether a database file holds the tables and fields that its data dictionary describes. A file
// whose table lost a field would otherwise take rows without it and report success.

#include <string>

struct sqlite3;

// Checks, on an open connection, that every table named in `tavole` and every field that `campi`
// describes for those tables exist in the file. A file without the dictionary tables is checked
// against the program's own schema (SchemaTables) instead, for the tables it has: a table it
// lacks is told by whoever needs it ("non esiste il MASTER"). Only reads: three small queries and
// look-ups in the schema the engine holds, whatever the size of the file. A file that holds a
// trigger or a view, which the dictionary never makes, is refused too, each of them named: a
// trigger would act on the user's changes unseen. Returns false with a
// text naming what is missing (Windows-1252), or with the engine's failure when the file's schema
// cannot be read.
bool CheckTablesAgainstDictionary(sqlite3* db, std::string& error);
