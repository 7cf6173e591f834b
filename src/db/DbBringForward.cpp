#include "db/DbBringForward.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbDdl.h"
#include "db/DbDictionary.h"
#include "db/DbFile.h"
#include "db/DbSchema.h"
#include "db/DbSchemaCheck.h"
#include "db/FieldType.h"

#include <sqlite3.h>
#include <strings.h>
#include <algorithm>
#include <vector>

namespace {

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// A name for the table made anew that the file does not use.
std::string ScratchName(const std::string& table, const std::vector<StoredObject>& objects) {
  for (int n = 0;; ++n) {
    const std::string name = table + "__nuova" + (n ? std::to_string(n) : std::string());
    if (std::none_of(objects.begin(), objects.end(), [&](const StoredObject& o) { return SameName(o.name, name); }))
      return name;
  }
}

// Why a table could not be brought forward, when no value of it is found to blame.
std::string NotBroughtForward(const std::string& table, const std::string& reason) {
  return "La tavola " + SqlName(cp1252::FromUtf8Lossy(table)) +
         " non può essere portata alle definizioni di questa versione del programma:\n" + reason;
}

// Makes `table` again from the builder's definition, under `scratch` until its rows are in, then
// under its own name with the builder's indexes.
bool Rebuild(sqlite3* db, const std::string& table, const std::string& scratch,
             const std::vector<BuiltDefinition>& builder, std::string& error) {
  const auto built = std::find_if(builder.begin(), builder.end(), [&](const BuiltDefinition& d) {
    return d.type == "table" && SameName(d.name, table);
  });
  const std::string head = built == builder.end() ? std::string() : "CREATE TABLE " + SqlName(built->name);
  if (head.empty() || built->sql.compare(0, head.size(), head) != 0) {
    error = NotBroughtForward(table, "il programma non ne ha la definizione");
    return false;
  }
  // A table without a key keeps the order of its rows (the dictionary's are read in it).
  const bool keyOrdered =
      built->sql.size() >= 13 && built->sql.compare(built->sql.size() - 13, 13, "WITHOUT ROWID") == 0;
  std::string columns = keyOrdered ? "" : "rowid", values = columns;
  const std::string info = "SELECT name, type FROM pragma_table_info(" + SqlQuote(table) + ") ORDER BY cid";
  if (!EachRow(
          db, info.c_str(),
          [&](sqlite3_stmt* st) {
            const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            const unsigned char* declared = sqlite3_column_text(st, 1);
            const FieldType type = FieldTypeFromDeclared(declared ? reinterpret_cast<const char*>(declared) : "");
            columns += (columns.empty() ? "" : ", ") + SqlName(name);
            values += (values.empty() ? "" : ", ") + (type.letter == 'D' ? BroughtForwardDateSql(name) : SqlName(name));
          },
          error) ||
      !ExecSql(db, "CREATE TABLE " + SqlName(scratch) + built->sql.substr(head.size()), error))
    return false;
  if (!ExecSql(db,
               "INSERT INTO " + SqlName(scratch) + " (" + columns + ") SELECT " + values + " FROM " + SqlName(table),
               error)) {
    // A value the new definition does not take is named; anything else is the engine's word.
    RuleBreach breach;
    std::string unread;
    if ((sqlite3_extended_errcode(db) & 0xFF) == SQLITE_CONSTRAINT && FindRuleBreach(db, table, breach, unread) &&
        breach.found)
      error = RuleBreachRefusal(breach, Undone::Opening);
    else
      error = NotBroughtForward(table, error);
    return false;
  }
  if (!ExecSql(db, "DROP TABLE " + SqlName(table), error) ||
      !ExecSql(db, "ALTER TABLE " + SqlName(scratch) + " RENAME TO " + SqlName(built->name), error))
    return false;
  for (const BuiltDefinition& d : builder)
    if (d.type == "index" && SameName(d.table, built->name) && !ExecSql(db, d.sql, error)) return false;
  return true;
}

}  // namespace

bool BringDefinitionsForward(sqlite3* db, std::string& error) {
  std::vector<StoredObject> objects;
  if (!ReadStoredObjects(db, objects, error)) return false;
  const std::vector<std::string> earlier = SchemaObjectsUnlikeTheBuilder(objects).earlier;
  if (earlier.empty()) return true;
  std::vector<BuiltDefinition> builder = SchemaDefinitions();
  for (BuiltDefinition& d : DictionaryDefinitions()) builder.push_back(std::move(d));
  // A table dropped while others still refer to it would otherwise be refused, or empty them.
  if (!ExecSql(db, "PRAGMA foreign_keys=OFF", error) || !ExecSql(db, "BEGIN IMMEDIATE", error)) return false;
  bool done = true;
  for (size_t k = 0; done && k < earlier.size(); ++k)
    done = Rebuild(db, earlier[k], ScratchName(earlier[k], objects), builder, error);
  // The file now holds the builder's definitions, and its rows keep every relation.
  if (done) {
    objects.clear();
    done = ReadStoredObjects(db, objects, error);
    const SchemaFindings left = done ? SchemaObjectsUnlikeTheBuilder(objects) : SchemaFindings{};
    if (done && (!left.earlier.empty() || !left.redefined.empty() || !left.foreign.empty())) {
      error =
          NotBroughtForward(left.earlier.empty() ? earlier.front() : left.earlier.front(), SchemaFindingsText(left));
      done = false;
    }
  }
  done = done && CheckRelations(db, error) && ExecSql(db, "COMMIT", error);
  std::string ignored;
  if (!done && sqlite3_get_autocommit(db) == 0) ExecSql(db, "ROLLBACK", ignored);
  return done;
}
