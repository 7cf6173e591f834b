#pragma once
// Seeding a new database with the region's reference lists: `regazi`, `regent` and `local`.
// Each list is read from its data file (refdata/RefData.h) at every seeding, and written in one
// transaction. A list that cannot be read is told as a notice (caption "Creazione database") and
// nothing of it is written; a row that the database refuses is shown by the table layer and ends the
// seeding of that table. Each returns 1 when every row was written, else 0.

#include <string>

#include "db/DbBuilder.h"

class DbDatabase;

// The three lists, in turn; 1 when all were written. What a new timetable database is seeded with.
int SeedReferenceTables(DbDatabase* db);

// Creates a new timetable database seeded with the reference lists (CreateTimetableDatabase); a
// list that cannot be read fails the creation, its notice within the creation's failure message.
CreateOutcome CreateSeededDatabase(const std::string& path, CreateMode mode);

int FillRegaziTable(DbDatabase* db);
int FillRegentTable(DbDatabase* db);
// Every locality with its municipality's name and province; a locality whose ISTAT code is no
// municipality of the list (the locality 0, "not assigned") gets one blank for each.
int FillLocalityTable(DbDatabase* db);

// The same, from the lists in `folder`.
int FillRegaziTable(DbDatabase* db, const std::string& folder);
int FillRegentTable(DbDatabase* db, const std::string& folder);
int FillLocalityTable(DbDatabase* db, const std::string& folder);
