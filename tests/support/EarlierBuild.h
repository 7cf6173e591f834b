#pragma once
// A database file as the builds before each column was held to its kind wrote it: the builder's
// definitions without the rules of kind, holding the rows of a file the builder made.

#include "db/DbDatabase.h"
#include "db/DbDdl.h"
#include "db/DbDictionary.h"
#include "db/DbSchema.h"
#include "support/TestSupport.h"

#include <string>
#include <vector>

// Writes at `path` (which must not exist) a file of the earlier definitions, with the application
// id of ours, holding every row of `built` (a file of the builder: its dictionary rows among them).
// `keyOrdered` false: its tables stored in the order of their row id, as the builds before that wrote them.
inline void MakeEarlierBuildFile(const std::string& built, const std::string& path, bool keyOrdered = true) {
  std::vector<BuiltDefinition> all = SchemaDefinitions(false);
  for (BuiltDefinition& d : DictionaryDefinitions(false)) all.push_back(std::move(d));
  std::string definitions, rows = "ATTACH " + SqlQuote(built) + " AS built;";
  for (const BuiltDefinition& d : all) {
    std::string sql = d.sql;
    if (!keyOrdered && sql.size() > 14 && sql.compare(sql.size() - 14, 14, " WITHOUT ROWID") == 0)
      sql.resize(sql.size() - 14);
    definitions += sql + ";\n";
    if (d.type == "table")
      rows += "INSERT INTO main." + SqlName(d.name) + " SELECT * FROM built." + SqlName(d.name) + ";";
  }
  MakeDatabase(path, definitions);
  ASSERT_EQ(ExecOnFile(path, rows), "ok");
}
