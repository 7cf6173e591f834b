#pragma once
// The data dictionary: the seven special tables made directly in every new database, and the
// row writers that describe the schema in them. Six tables describe tables, fields, indexes
// and relations; `utenti` is made empty and nothing uses it.

#include "db/DbDdl.h"

#include <string>
#include <utility>
#include <vector>

class DbTable;
struct sqlite3;

// The open dictionary tables that the describers write into.
struct DictionaryTables {
  DbTable* tavole = nullptr;
  DbTable* campi = nullptr;
  DbTable* indici = nullptr;
  DbTable* indici2 = nullptr;
  DbTable* relaz = nullptr;
  DbTable* relaz2 = nullptr;
};

// A row of the dictionary as its writer makes it: each column with the text written into it.
using DictionaryRow = std::vector<std::pair<const char*, std::string>>;

// The rows DictAddTable and DictAddField write.
DictionaryRow DictTableRow(const char* name, const char* title, const char* description);
DictionaryRow DictFieldRow(const char* table, const char* field, char type, int size, int required, const char* title,
                           const char* description, const char* rule = nullptr, const char* message = nullptr);

// Each writer adds one row and returns 1 when it is stored, 0 when the table refused it (the
// table has shown why). A missing rule or message is written as the empty text.
int DictAddTable(DbTable* tavole, const char* name, const char* title, const char* description);
int DictAddField(DbTable* campi, const char* table, const char* field, char type, int size, int required,
                 const char* title, const char* description, const char* rule = nullptr, const char* message = nullptr);
int DictAddIndex(DbTable* indici, const char* table, const char* index, int primary, const char* title,
                 const char* description);
int DictAddIndexField(DbTable* indici2, const char* table, const char* index, int position, const char* field);
int DictAddRelation(DbTable* relaz, const char* relation, const char* primaryTable, const char* foreignTable);
int DictAddRelationField(DbTable* relaz2, const char* relation, int position, const char* primaryField,
                         const char* foreignField);

// Creates the seven special tables, each with its one index, on the connection that created
// the file, in one transaction. Shows the first failure (caption "Creazione Tavole Speciali")
// and returns 0; 1 on success.
int CreateDictionaryTables(sqlite3* db);

// The seven special tables and their indexes as CreateDictionaryTables makes them; without the
// rules that hold each column to its kind when `kindRules` is false, as the builds before wrote them.
std::vector<BuiltDefinition> DictionaryDefinitions(bool kindRules = true);
