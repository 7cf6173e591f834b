#pragma once
// A database file as the builds before each column was held to its kind wrote it: the
// definitions, dictionary rows and indexes such a build made (tests/data/db/earlier_build.sql),
// holding the other rows of a file the builder made.

#include "common/Cp1252.h"
#include "db/DbDdl.h"
#include "db/DbDictionary.h"
#include "support/TestSupport.h"

#include <string>

// Writes at `path` (which must not exist) the file an earlier build made, holding every row of
// `built` (a file of the builder) but its dictionary's, which are the earlier build's own.
// `keyOrdered` false: its tables stored in the order of their row id, as the builds before that wrote them.
inline void MakeEarlierBuildFile(const std::string& built, const std::string& path, bool keyOrdered = true) {
  std::string definitions = cp1252::FromUtf8Lossy(FileBytes(TestDataDir() + "/db/earlier_build.sql"));
  ASSERT_FALSE(definitions.empty());
  for (size_t at = 0; !keyOrdered && (at = definitions.find(") WITHOUT ROWID;", at)) != std::string::npos;)
    definitions.erase(at + 1, 14);
  MakeDatabase(path, definitions);
  std::string dictionary, rows = "ATTACH " + SqlQuote(built) + " AS built;";
  for (const BuiltDefinition& d : DictionaryDefinitions())
    dictionary += (dictionary.empty() ? "" : ", ") + SqlQuote(d.name);
  for (const std::string& table :
       QueryLines(path, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT IN (" + dictionary + ")"))
    rows += "INSERT INTO main." + SqlName(table) + " SELECT * FROM built." + SqlName(table) + ";";
  ASSERT_EQ(ExecOnFile(path, rows), "ok");
}
