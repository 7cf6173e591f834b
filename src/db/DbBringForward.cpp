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

// A stored value as the engine quotes it (UTF-8), shown in a refusal.
std::string Quoted(sqlite3_stmt* st, int column) {
  const unsigned char* text = sqlite3_column_text(st, column);
  return cp1252::FromUtf8Lossy(text ? reinterpret_cast<const char*>(text) : "NULL");
}

// Two rows of `table` that the new definition's key (the key fields of `scratch`) cannot keep apart
// once brought forward (a date with a time of day beside the same date without it): the refusal
// that names the table, both rows and the value that becomes the other's. Empty when no two rows
// are found so, or they cannot be read.
std::string SameKeyRefusal(sqlite3* db, const std::string& table, const std::string& scratch) {
  std::vector<std::string> key, dates;
  std::string unread;
  const std::string info =
      "SELECT name, type FROM pragma_table_info(" + SqlQuote(scratch) + ") WHERE pk > 0 ORDER BY pk";
  if (!EachRow(
          db, info.c_str(),
          [&](sqlite3_stmt* st) {
            key.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            const unsigned char* declared = sqlite3_column_text(st, 1);
            const bool date =
                FieldTypeFromDeclared(declared ? reinterpret_cast<const char*>(declared) : "").letter == 'D';
            dates.push_back(date ? BroughtForwardDateSql(key.back()) : SqlName(key.back()));
          },
          unread) ||
      key.empty())
    return {};
  // The first key shared, then its rows: the one whose value changes on the way first.
  std::string shared, by, match, stored, forward, same;
  for (size_t k = 0; k < key.size(); ++k) {
    const std::string as = SqlName("chiave " + std::to_string(k));
    shared += (k ? ", " : "") + dates[k] + " AS " + as;
    by += (k ? ", " : "") + std::to_string(k + 1);
    match += (k ? " AND " : "") + dates[k] + " IS k." + as;
    stored += (k ? ", quote(" : "quote(") + SqlName(key[k]) + ")";
    forward += ", quote(" + dates[k] + ")";
    same += (k ? " AND " : "") + SqlName(key[k]) + " IS " + dates[k];
  }
  const std::string sql = "WITH k AS (SELECT " + shared + " FROM " + SqlName(table) + " GROUP BY " + by +
                          " HAVING count(*) > 1 LIMIT 1) SELECT " + stored + forward + " FROM " + SqlName(table) +
                          ", k WHERE " + match + " ORDER BY " + same + " LIMIT 2";
  std::vector<std::vector<std::string>> rows;
  if (!EachRow(
          db, sql.c_str(),
          [&](sqlite3_stmt* st) {
            std::vector<std::string>& row = rows.emplace_back();
            for (int c = 0; c < sqlite3_column_count(st); ++c) row.push_back(Quoted(st, c));
          },
          unread) ||
      rows.size() < 2)
    return {};
  const auto named = [&](const std::vector<std::string>& row) {
    std::string text;
    for (size_t k = 0; k < key.size(); ++k) text += (k ? ", " : "") + cp1252::FromUtf8Lossy(key[k]) + " " + row[k];
    return "riga (" + text + ")";
  };
  // The field whose value changes on the way (the first of the key when none does).
  size_t at = 0;
  while (at + 1 < key.size() && rows[0][at] == rows[0][key.size() + at]) ++at;
  const std::string field = cp1252::FromUtf8Lossy(key[at]);
  const std::string title = SchemaFieldTitle(cp1252::FromUtf8Lossy(table), field);
  const std::string value = rows[0][at], becomes = rows[0][key.size() + at];
  std::string fault = "il campo " + field + (title.empty() ? "" : " (" + title + ")") + " vale " + value;
  if (becomes != value) fault += ", che come data è " + becomes;
  fault += ",\ne la riga avrebbe così la stessa chiave della " + named(rows[1]) +
           ": due righe non possono avere la stessa chiave.";
  return StoredValueRefusal(named(rows[0]) + " della tavola " + SqlName(cp1252::FromUtf8Lossy(table)), fault,
                            Undone::Opening);
}

// Makes `table` again from the builder's definition, under `scratch` until its rows are in, then
// under its own name with the builder's indexes.
// `told`: the refusal names a value and says what became of the file.
bool Rebuild(sqlite3* db, const std::string& table, const std::string& scratch,
             const std::vector<BuiltDefinition>& builder, std::string& error, bool& told) {
  const auto built = std::find_if(builder.begin(), builder.end(), [&](const BuiltDefinition& d) {
    return d.type == "table" && SameName(d.name, table);
  });
  const std::string head = built == builder.end() ? std::string() : "CREATE TABLE " + SqlName(built->name);
  if (head.empty() || built->sql.compare(0, head.size(), head) != 0) {
    error = NotBroughtForward(table, "il programma non ne ha la definizione");
    return false;
  }
  const auto failed = [&] {
    error = NotBroughtForward(table, error);
    return false;
  };
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
    return failed();
  if (!ExecSql(db,
               "INSERT INTO " + SqlName(scratch) + " (" + columns + ") SELECT " + values + " FROM " + SqlName(table),
               error)) {
    // A value the new definition does not take is named, and so are two rows it gives the same key;
    // anything else is the engine's word.
    const int rc = sqlite3_extended_errcode(db);
    RuleBreach breach;
    std::string unread, named;
    if (rc == SQLITE_CONSTRAINT_PRIMARYKEY || rc == SQLITE_CONSTRAINT_UNIQUE)
      named = SameKeyRefusal(db, table, scratch);
    else if ((rc & 0xFF) == SQLITE_CONSTRAINT && FindRuleBreach(db, table, breach, unread) && breach.found)
      named = RuleBreachRefusal(breach, Undone::Opening);
    told = !named.empty();
    if (!told) return failed();
    error = named;
    return false;
  }
  if (!ExecSql(db, "DROP TABLE " + SqlName(table), error) ||
      !ExecSql(db, "ALTER TABLE " + SqlName(scratch) + " RENAME TO " + SqlName(built->name), error))
    return failed();
  for (const BuiltDefinition& d : builder)
    if (d.type == "index" && SameName(d.table, built->name) && !ExecSql(db, d.sql, error)) return failed();
  return true;
}

}  // namespace

bool HoldsEarlierTables(sqlite3* db) {
  std::vector<StoredObject> objects;
  std::string unread;
  return ReadStoredObjects(db, objects, unread) && !SchemaObjectsUnlikeTheBuilder(objects).earlier.empty();
}

bool BringDefinitionsForward(sqlite3* db, std::string& error, WorkProgress* progress) {
  std::vector<StoredObject> objects;
  if (!ReadStoredObjects(db, objects, error)) return false;
  const std::vector<std::string> earlier = SchemaObjectsUnlikeTheBuilder(objects).earlier;
  if (earlier.empty()) return true;
  std::vector<BuiltDefinition> builder = SchemaDefinitions();
  for (BuiltDefinition& d : DictionaryDefinitions()) builder.push_back(std::move(d));
  if (progress) progress->Begin(kBringForwardCaption);
  // A table dropped while others still refer to it would otherwise be refused, or empty them.
  bool done = ExecSql(db, "PRAGMA foreign_keys=OFF", error) && ExecSql(db, "BEGIN IMMEDIATE", error);
  bool told = false;  // the refusal already says what became of the file
  for (size_t k = 0; done && k < earlier.size(); ++k) {
    done = Rebuild(db, earlier[k], ScratchName(earlier[k], objects), builder, error, told);
    if (progress) progress->Step(static_cast<long>(k + 1), static_cast<long>(earlier.size() + 1));
  }
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
  // Whatever stopped it (a full disk, a failing disk), nothing of it is in the file once rolled back.
  if (!done && !told && sqlite3_get_autocommit(db) != 0) error += "\n\n" + std::string(kLeftAsItWas);
  if (progress) progress->End();
  return done;
}
