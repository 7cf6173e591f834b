#include "db/DbSchemaCheck.h"

#include "db/DbDdl.h"
#include "db/DbFile.h"
#include "db/DbSchema.h"
#include "db/SqliteValue.h"

#include <sqlite3.h>
#include <map>
#include <set>
#include <vector>

namespace {

// Missing tables and fields shown at most; the rest are counted.
constexpr size_t kShownLines = 10;

// A table that the file must hold: its name and its fields' names, as the engine has them (UTF-8,
// without trailing blanks).
struct Wanted {
  std::string table;
  std::vector<std::string> fields;
};

// A column of the current row as engine text (UTF-8), without trailing blanks; empty for NULL.
std::string Column(sqlite3_stmt* st, int column) {
  const unsigned char* text = sqlite3_column_text(st, column);
  std::string out =
      text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(st, column)))
           : std::string();
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// A table name as the engine compares identifiers: ASCII letters in either case are the same.
std::string Folded(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

// A name as the messages show it (Windows-1252), quoted.
std::string Shown(const std::string& name) {
  return SqlName(TextFromEngine(reinterpret_cast<const unsigned char*>(name.data()), static_cast<int>(name.size())));
}

// Whether the table has the field: a look-up in the schema the engine has already read.
bool HasField(sqlite3* db, const std::string& table, const std::string& field) {
  return sqlite3_table_column_metadata(db, "main", table.c_str(), field.c_str(), nullptr, nullptr, nullptr, nullptr,
                                       nullptr) == SQLITE_OK;
}

// The objects stored in the file that the dictionary never makes and that would run on their own:
// triggers, which act on every change of their table, and views. One line each, in the order they
// were stored.
bool ForeignObjects(sqlite3* db, std::vector<std::string>& lines, std::string& error) {
  return EachRow(
      db, "SELECT type, name, tbl_name FROM sqlite_master WHERE type IN ('trigger', 'view') ORDER BY rowid",
      [&](sqlite3_stmt* st) {
        if (Column(st, 0) == "view")
          lines.push_back("Vista " + Shown(Column(st, 1)));
        else
          lines.push_back("Trigger " + Shown(Column(st, 1)) + " della tavola " + Shown(Column(st, 2)));
      },
      error);
}

}  // namespace

bool CheckTablesAgainstDictionary(sqlite3* db, std::string& error) {
  // The file's tables; reading them also has the engine read the whole schema.
  std::set<std::string> present;
  if (!EachRow(
          db, "SELECT name FROM sqlite_master WHERE type = 'table'",
          [&](sqlite3_stmt* st) { present.insert(Folded(Column(st, 0))); }, error))
    return false;
  const auto has = [&](const std::string& table) { return present.count(Folded(table)) > 0; };

  // What the file must hold, in the order described.
  std::vector<Wanted> wanted;
  if (has("tavole") || has("campi")) {
    // The dictionary's own two tables come first: without them it says nothing.
    wanted = {{"tavole", {"nome"}}, {"campi", {"tavola", "nome"}}};
    bool readable = true;
    for (const Wanted& w : wanted)
      for (const std::string& field : w.fields) readable &= has(w.table) && HasField(db, w.table, field);
    if (readable) {
      std::map<std::string, size_t> position{{"tavole", 0}, {"campi", 1}};  // folded name -> place in `wanted`
      if (!EachRow(
              db, "SELECT nome FROM tavole ORDER BY rowid",
              [&](sqlite3_stmt* st) {
                std::string table = Column(st, 0);
                if (table.empty() || !position.emplace(Folded(table), wanted.size()).second) return;
                wanted.push_back({std::move(table), {}});
              },
              error) ||
          !EachRow(
              db, "SELECT tavola, nome FROM campi ORDER BY rowid",
              [&](sqlite3_stmt* st) {
                const auto table = position.find(Folded(Column(st, 0)));
                std::string field = Column(st, 1);
                if (table != position.end() && !field.empty()) wanted[table->second].fields.push_back(std::move(field));
              },
              error))
        return false;
    }
  } else {
    for (const SchemaTable& table : SchemaTables())
      if (has(table.name)) wanted.push_back({table.name, table.fields});
  }

  // A trigger runs on the program's own changes, unseen: a file that holds one is refused whole.
  std::vector<std::string> foreign;
  if (!ForeignObjects(db, foreign, error)) return false;
  if (!foreign.empty()) {
    error = "Il database contiene oggetti che non fanno parte del suo dizionario dei dati:\n";
    for (size_t k = 0; k < foreign.size() && k < kShownLines; ++k) error += "\n" + foreign[k];
    if (foreign.size() > kShownLines)
      error += "\n... e altri " + std::to_string(foreign.size() - kShownLines) + " oggetti";
    return false;
  }

  std::vector<std::string> missing;
  for (const Wanted& w : wanted) {
    if (!has(w.table)) {
      missing.push_back("Manca la tavola " + Shown(w.table));
      continue;
    }
    for (const std::string& field : w.fields)
      if (!HasField(db, w.table, field))
        missing.push_back("Manca il campo " + Shown(field) + " della tavola " + Shown(w.table));
  }
  if (missing.empty()) return true;
  error = "Il database non corrisponde al suo dizionario dei dati:\n";
  for (size_t k = 0; k < missing.size() && k < kShownLines; ++k) error += "\n" + missing[k];
  if (missing.size() > kShownLines)
    error += "\n... e altre " + std::to_string(missing.size() - kShownLines) + " mancanze";
  return false;
}
