#pragma once
// The dictionary order of texts, as a reader expects a list sorted by name: letters compare
// without regard to case or accents ("alba" < "àncora" < "Èrba" < "zona"), trailing blanks do
// not count, and texts equal so far are then put in a fixed order by their bytes. Selections ask
// for it with COLLATE DICTIONARY; every connection of the program has it.

#include <string_view>

struct sqlite3;

// Compares two texts of the database (UTF-8): negative, zero or positive.
int DictionaryCompare(std::string_view a, std::string_view b);

// Makes the DICTIONARY collation known to a connection.
void RegisterDictionaryCollation(sqlite3* db);
