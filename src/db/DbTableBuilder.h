#pragma once
// Making the timetable tables from the rows of the data dictionary. The dictionary is read
// through the DbDatabase; the tables are made on the connection that created the file. Every
// routine shows its own failures (exclamation icon) and returns 1 on success, 0 after any.
//
// The engine takes a table's foreign keys as part of its definition, so the relations are read
// and checked first and each relation is then written into the definition of its foreign table.

#include "db/DbDdl.h"

#include <string>
#include <vector>

class DbDatabase;
struct sqlite3;

// One relation of the dictionary: the foreign table and its key towards the primary table.
struct RelationDef {
  std::string foreignTable;
  ForeignKeyDef key;
};

// Reads every relation of `relaz`/`relaz2` and checks it against the dictionary: both tables
// described, every field present in its table with the same type on both sides, and the fields
// of the primary table making up its primary key. A bad relation is shown as
// "Errore creazione relazione \"<name>\"" (caption "Creazione relazioni") and the next one is
// read; the result is then 0.
int CreateRelationsFromDictionary(DbDatabase* dictionary, std::vector<RelationDef>& relations);

// Makes one table with its fields, primary key, the foreign keys of `relations` whose foreign
// table it is, and its other indexes (caption "Creazione Tavola \"<name>\"").
int CreateTableFromDictionary(const char* table, DbDatabase* dictionary, sqlite3* db,
                              const std::vector<RelationDef>& relations);

// Makes every table of `tavole`, in order of name, in one transaction; stops at the first
// table that fails.
int CreateAllTablesFromDictionary(DbDatabase* dictionary, sqlite3* db, const std::vector<RelationDef>& relations);
