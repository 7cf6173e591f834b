#include "db/DbSchemaCheck.h"

#include "common/Cp1252.h"
#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbDdl.h"
#include "db/DbDictionary.h"
#include "db/DbFile.h"
#include "db/DbSchema.h"
#include "db/FieldType.h"
#include "db/SqliteValue.h"

#include <sqlite3.h>
#include <QByteArray>
#include <QCryptographicHash>
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <unordered_set>
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

// One word of a definition as the engine reads it: a keyword or type name (upper case), a name
// (its quotes removed), a text (with its quotes), or anything else (a number, an operator).
struct Token {
  enum Kind { Keyword, Name, Text, Other } kind;
  std::string text;
  bool operator==(const Token&) const = default;
};

// The words the engine reads without regard to case that are not among its keywords: the type
// names the builder declares (VARCHAR, SMALLINT, ...), the collations and ROWID.
bool IsTypeName(const std::string& upper) {
  static const std::set<std::string> names = [] {
    std::set<std::string> out{"ROWID", "RTRIM", "NOCASE", "BINARY"};
    for (char letter : std::string("ABDFILMNO")) {
      std::string declared = SqlDeclaredType({letter, 1});
      out.insert(declared.substr(0, declared.find('(')));
    }
    return out;
  }();
  return names.count(upper) > 0;
}

// The words of a definition: blanks and comments dropped, names unquoted, keywords in upper case.
std::vector<Token> Tokens(const std::string& sql) {
  std::vector<Token> out;
  for (size_t at = SkipSqlBlanks(sql, 0); at < sql.size(); at = SkipSqlBlanks(sql, at)) {
    const unsigned char c = static_cast<unsigned char>(sql[at]);
    if (c == '\'') {
      out.push_back({Token::Text, "'" + NextSqlName(sql, at) + "'"});
    } else if (c == '"' || c == '`' || c == '[') {
      out.push_back({Token::Name, NextSqlName(sql, at)});
    } else if (std::isdigit(c) ||
               (c == '.' && at + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[at + 1])))) {
      size_t end = at;
      while (end < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '.')) ++end;
      out.push_back({Token::Other, sql.substr(at, end - at)});
      at = end;
    } else if (std::isalpha(c) || c == '_' || c >= 0x80) {
      const std::string word = NextSqlName(sql, at);
      std::string upper = word;
      for (char& u : upper) u = static_cast<char>(std::toupper(static_cast<unsigned char>(u)));
      if (sqlite3_keyword_check(word.data(), static_cast<int>(word.size())) || IsTypeName(upper))
        out.push_back({Token::Keyword, upper});
      else
        out.push_back({Token::Name, word});
    } else {
      // Operators of more than one character (<=, <>, ||, ==) are one word.
      size_t end = at + 1;
      static const std::string joined = "<>=!|";
      if (joined.find(static_cast<char>(c)) != std::string::npos)
        while (end < sql.size() && joined.find(sql[end]) != std::string::npos) ++end;
      out.push_back({Token::Other, sql.substr(at, end - at)});
      at = end;
    }
  }
  return out;
}

// The builder's tables and indexes, by folded name, as words; and its tables as the builds before
// each column was held to its kind wrote them.
struct Expected {
  std::map<std::string, std::vector<Token>> tables, indexes, earlierTables;
  std::map<std::string, std::string> indexTable;  // folded index name -> folded table name
};

const Expected& BuilderDefinitions() {
  static const Expected expected = [] {
    Expected out;
    std::vector<BuiltDefinition> all = SchemaDefinitions();
    for (BuiltDefinition& d : DictionaryDefinitions()) all.push_back(std::move(d));
    for (const BuiltDefinition& d : all) {
      if (d.type == "table") {
        out.tables[Folded(d.name)] = Tokens(d.sql);
      } else {
        out.indexes[Folded(d.name)] = Tokens(d.sql);
        out.indexTable[Folded(d.name)] = Folded(d.table);
      }
    }
    std::vector<BuiltDefinition> earlier = SchemaDefinitions(false);
    for (BuiltDefinition& d : DictionaryDefinitions(false)) earlier.push_back(std::move(d));
    for (const BuiltDefinition& d : earlier)
      if (d.type == "table") out.earlierTables[Folded(d.name)] = Tokens(d.sql);
    return out;
  }();
  return expected;
}

// Whether a table's stored definition is the builder's, or the one the builds before tables were
// stored in key order wrote: the same without its closing WITHOUT ROWID.
bool SameTable(const std::vector<Token>& stored, const std::vector<Token>& built) {
  if (stored == built) return true;
  static const std::vector<Token> withoutRowid = Tokens("WITHOUT ROWID");
  return built.size() == stored.size() + 2 && std::equal(stored.begin(), stored.end(), built.begin()) &&
         std::equal(withoutRowid.begin(), withoutRowid.end(), built.end() - 2);
}

// The lines of a list with its heading, at most kShownLines shown and the rest counted.
std::string ListText(const std::string& heading, const std::vector<std::string>& lines, const char* others) {
  std::string text = heading + ":\n";
  for (size_t k = 0; k < lines.size() && k < kShownLines; ++k) text += "\n" + lines[k];
  if (lines.size() > kShownLines) text += "\n... e altri " + std::to_string(lines.size() - kShownLines) + " " + others;
  return text;
}

// The rows of a dictionary table (`tavole` or `campi`) for the program's tables against those the
// builder writes: the first `keys` columns name the row (its table, then its field) and compare as
// the engine compares names; the others compare exactly, trailing blanks aside. A row missing,
// changed or there twice adds a line to `unlike`; false with the engine's reason when the rows
// cannot be read.
bool CompareDescriptions(sqlite3* db, const char* table, const std::vector<DictionaryRow>& built, size_t keys,
                         std::vector<std::string>& unlike, std::string& error) {
  const auto key = [keys](const std::vector<std::string>& row) {
    std::string out;
    for (size_t k = 0; k < keys; ++k) out += Folded(row[k]) + '\n';
    return out;
  };
  // The builder's rows as the engine gives them back (UTF-8), by their names.
  std::map<std::string, std::vector<std::string>> expected;
  std::vector<std::vector<std::string>> order;
  std::set<std::string> tables;
  for (const DictionaryRow& row : built) {
    std::vector<std::string>& values = order.emplace_back();
    for (const auto& [column, text] : row) values.push_back(cp1252::ToUtf8(text));
    expected.emplace(key(values), values);
    tables.insert(Folded(values[0]));
  }
  const auto told = [&, keys](const std::vector<std::string>& row) {
    unlike.push_back(keys == 1 ? "Descrizione della tavola " + Shown(row[0]) + " nel dizionario dei dati"
                               : "Descrizione del campo " + Shown(row[1]) + " della tavola " + Shown(row[0]) +
                                     " nel dizionario dei dati");
  };
  std::string sql;
  for (const auto& [column, text] : built.front()) sql += (sql.empty() ? "SELECT " : ", ") + SqlName(column);
  sql += std::string(" FROM ") + table + " ORDER BY rowid";
  std::set<std::string> seen, shown;
  if (!EachRow(
          db, sql.c_str(),
          [&](sqlite3_stmt* st) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) row.push_back(Column(st, c));
            if (!tables.count(Folded(row[0]))) return;  // a table of its own
            const std::string name = key(row);
            const auto found = expected.find(name);
            bool same = found != expected.end() && seen.insert(name).second;
            for (size_t c = keys; same && c < row.size(); ++c) same = row[c] == found->second[c];
            if (!same && shown.insert(name).second) told(row);
          },
          error))
    return false;
  for (const std::vector<std::string>& row : order)
    if (!seen.count(key(row)) && shown.insert(key(row)).second) told(row);
  return true;
}

// A relation of one of the program's tables as the file declares it: its fields that refer to
// those of the parent table, pair by pair.
struct StoredRelation {
  int id = 0;
  std::string parent;
  std::vector<std::pair<std::string, std::string>> fields;  // (field, parent's field)
};

bool HasTable(sqlite3* db, const std::string& table) {
  return sqlite3_table_column_metadata(db, "main", table.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr) == SQLITE_OK;
}

// The relations of a table of the program, in the engine's order.
bool ReadRelations(sqlite3* db, const std::string& table, std::vector<StoredRelation>& out, std::string& error) {
  const std::string sql =
      "SELECT id, \"table\", \"from\", \"to\" FROM pragma_foreign_key_list(" + SqlQuote(table) + ") ORDER BY id, seq";
  return EachRow(
      db, sql.c_str(),
      [&out](sqlite3_stmt* st) {
        const int id = sqlite3_column_int(st, 0);
        if (out.empty() || out.back().id != id) out.push_back({id, Column(st, 1), {}});
        out.back().fields.emplace_back(Column(st, 2), Column(st, 3));
      },
      error);
}

// The condition on a row `c` of the table that finds no row of the parent (`p`) for the relation,
// compared as the engine compares them (the parent's field on the left: its kind and collation
// count); a row with a field NULL refers to nothing and keeps the relation.
std::string BreaksRelation(const StoredRelation& relation) {
  std::string given, match;
  for (const auto& [field, parentField] : relation.fields) {
    given += "c." + SqlName(field) + " IS NOT NULL AND ";
    match += (match.empty() ? "p." : " AND p.") + SqlName(parentField) + " = c." + SqlName(field);
  }
  return given + "NOT EXISTS (SELECT 1 FROM " + SqlName(relation.parent) + " AS p WHERE " + match + ")";
}

// The fields of a table's key, in the key's order; its row id when it has none.
bool KeyFields(sqlite3* db, const std::string& table, std::vector<std::string>& out, std::string& error) {
  const std::string sql = "SELECT name FROM pragma_table_info(" + SqlQuote(table) + ") WHERE pk > 0 ORDER BY pk";
  if (!EachRow(
          db, sql.c_str(), [&out](sqlite3_stmt* st) { out.push_back(Column(st, 0)); }, error))
    return false;
  if (out.empty()) out.push_back("rowid");
  return true;
}

// "id 12, sub 3": fields named, each with its value as the engine writes it in SQL (texts quoted).
std::string NamedValues(sqlite3_stmt* st, int first, const std::vector<std::string>& fields) {
  std::string out;
  for (size_t k = 0; k < fields.size(); ++k)
    out += (k ? ", " : "") + fields[k] + " " + cp1252::FromUtf8Lossy(Column(st, first + static_cast<int>(k)));
  return out;
}

// A column of the current row as the engine holds it, of the kind given, appended to `key` with
// its kind and length first: two values give the same bytes only when they are the same value of
// the same kind.
void AppendValue(std::string& key, sqlite3_stmt* st, int column, int kind) {
  key += static_cast<char>(kind);
  if (kind == SQLITE_INTEGER) {
    const sqlite3_int64 number = sqlite3_column_int64(st, column);
    key.append(reinterpret_cast<const char*>(&number), sizeof number);
  } else if (kind == SQLITE_FLOAT) {
    const double number = sqlite3_column_double(st, column);
    key.append(reinterpret_cast<const char*>(&number), sizeof number);
  } else {
    const void* bytes = kind == SQLITE_BLOB ? sqlite3_column_blob(st, column) : sqlite3_column_text(st, column);
    const int size = sqlite3_column_bytes(st, column);
    key.append(reinterpret_cast<const char*>(&size), sizeof size);
    if (bytes) key.append(static_cast<const char*>(bytes), static_cast<size_t>(size));
  }
}

// A prepared statement, finalized when it goes.
struct Statement {
  sqlite3_stmt* st = nullptr;
  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { sqlite3_finalize(st); }
};

// One relation of a table as the first pass reads it: the columns of the pass's row that hold its
// fields, the look-up of its parent row by them, the values already found and those of the row before.
// A relation of one field holding a whole number, the usual case, keeps those found as numbers.
struct RelationPass {
  std::vector<int> columns;
  Statement lookup;
  std::unordered_set<std::string> found;
  std::unordered_set<sqlite3_int64> foundNumbers;
  std::string last;  // empty when the row before's was a whole number
  sqlite3_int64 lastNumber = 0;
  bool lastIsNumber = false;
};

// Whether the parent holds the row that the current row's fields of `pass` look for.
bool ParentFound(RelationPass& pass, sqlite3_stmt* rows) {
  for (size_t k = 0; k < pass.columns.size(); ++k)
    sqlite3_bind_value(pass.lookup.st, static_cast<int>(k) + 1, sqlite3_column_value(rows, pass.columns[k]));
  const int found = sqlite3_step(pass.lookup.st);
  sqlite3_reset(pass.lookup.st);
  return found == SQLITE_ROW;
}

// Whether every row of `table` surely keeps its relations, in one pass over the table: a row's
// fields of a relation are looked up in the parent only when they differ from the row before's and
// were not found before (the stops of a trip share its id: one look-up per trip, not one per stop),
// where the engine's own check (PRAGMA foreign_key_check) looks up every row. The look-up compares
// as that check does: the parent's field on the left, its kind and collation counting, which are
// those of the parent's key that the check finds (it refuses to run otherwise); a row with a field
// NULL refers to nothing. False when a row finds no parent, when the check would refuse the table's
// relations or one's parent is missing, or when the engine fails: the engine's check then finds
// and names the rows as before. Only reads.
bool SurelyKeepsRelations(sqlite3* db, const std::string& table) {
  {
    // The engine's check finds each parent's key when it is prepared, and fails there when it cannot.
    Statement check;
    const std::string sql = "PRAGMA main.foreign_key_check(" + SqlQuote(table) + ")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &check.st, nullptr) != SQLITE_OK) return false;
  }
  std::vector<StoredRelation> relations;
  std::string error;
  if (!ReadRelations(db, table, relations, error)) return false;
  if (relations.empty()) return true;
  std::vector<std::string> fields;  // the fields the pass reads, each once
  std::vector<RelationPass> passes(relations.size());
  for (size_t r = 0; r < relations.size(); ++r) {
    const StoredRelation& relation = relations[r];
    if (!HasTable(db, relation.parent)) return false;
    std::vector<std::string> parentKey;
    std::string match;
    for (const auto& [field, parentField] : relation.fields) {
      // A relation naming no parent's fields refers to the parent's key, field by field.
      const size_t k = passes[r].columns.size();
      if (parentField.empty() && parentKey.empty() && !KeyFields(db, relation.parent, parentKey, error)) return false;
      if (parentField.empty() && k >= parentKey.size()) return false;
      match += (match.empty() ? "" : " AND ") + SqlName(parentField.empty() ? parentKey[k] : parentField) + " = ?";
      const auto at = std::find(fields.begin(), fields.end(), field);
      passes[r].columns.push_back(static_cast<int>(at - fields.begin()));
      if (at == fields.end()) fields.push_back(field);
    }
    const std::string lookup = "SELECT 1 FROM main." + SqlName(relation.parent) + " WHERE " + match + " LIMIT 1";
    if (sqlite3_prepare_v2(db, lookup.c_str(), -1, &passes[r].lookup.st, nullptr) != SQLITE_OK) return false;
  }
  std::string sql;
  for (const std::string& field : fields) sql += (sql.empty() ? "SELECT " : ", ") + SqlName(field);
  sql += " FROM main." + SqlName(table);
  Statement rows;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &rows.st, nullptr) != SQLITE_OK) return false;
  int rc = SQLITE_ROW;
  std::string key;
  std::vector<int> kinds(fields.size());
  while ((rc = sqlite3_step(rows.st)) == SQLITE_ROW) {
    for (size_t c = 0; c < fields.size(); ++c) kinds[c] = sqlite3_column_type(rows.st, static_cast<int>(c));
    for (RelationPass& pass : passes) {
      if (std::any_of(pass.columns.begin(), pass.columns.end(), [&](int c) { return kinds[c] == SQLITE_NULL; }))
        continue;  // refers to nothing
      if (pass.columns.size() == 1 && kinds[pass.columns[0]] == SQLITE_INTEGER) {
        const sqlite3_int64 number = sqlite3_column_int64(rows.st, pass.columns[0]);
        if (pass.lastIsNumber && number == pass.lastNumber) continue;
        if (!pass.foundNumbers.count(number)) {
          if (!ParentFound(pass, rows.st)) return false;
          pass.foundNumbers.insert(number);
        }
        pass.last.clear();
        pass.lastNumber = number;
        pass.lastIsNumber = true;
        continue;
      }
      key.clear();
      for (int column : pass.columns) AppendValue(key, rows.st, column, kinds[column]);
      if (key == pass.last) continue;
      if (!pass.found.count(key)) {
        if (!ParentFound(pass, rows.st)) return false;
        pass.found.insert(key);
      }
      pass.last = key;
      pass.lastIsNumber = false;
    }
  }
  return rc == SQLITE_DONE;
}

const char* const kForeignHeading = "Il database contiene oggetti che non fanno parte del suo dizionario dei dati";
const char* const kRedefinedHeading =
    "Il database contiene tavole o indici definiti diversamente da come li crea il programma";

}  // namespace

const char* const kRowsBreakingRelations = "Alcune righe del database non rispettano le relazioni tra le tavole:";

bool CheckRelations(sqlite3* db, std::string& error) {
  std::vector<std::string> lines;
  long long broken = 0;
  for (const SchemaTable& table : SchemaTables()) {
    if (!HasTable(db, table.name) || SurelyKeepsRelations(db, table.name)) continue;
    std::vector<std::pair<int, long long>> counts;  // relation -> rows that break it
    const std::string sql =
        "SELECT fkid, count(*) FROM pragma_foreign_key_check(" + SqlQuote(table.name) + ") GROUP BY fkid ORDER BY fkid";
    if (!EachRow(
            db, sql.c_str(),
            [&counts](sqlite3_stmt* st) {
              counts.emplace_back(sqlite3_column_int(st, 0), sqlite3_column_int64(st, 1));
            },
            error))
      return false;
    if (counts.empty()) continue;
    std::vector<StoredRelation> relations;
    std::vector<std::string> key;
    if (!ReadRelations(db, table.name, relations, error) || !KeyFields(db, table.name, key, error)) return false;
    for (const auto& [id, rows] : counts) {
      broken += rows;
      const auto relation =
          std::find_if(relations.begin(), relations.end(), [id = id](const StoredRelation& r) { return r.id == id; });
      if (relation == relations.end() || lines.size() >= kShownLines) continue;
      // The rows named: their key, and the parent's fields they look for.
      std::string named;
      std::vector<std::string> parentFields;
      for (const std::string& field : key) named += (named.empty() ? "" : ", ") + ("quote(c." + SqlName(field) + ")");
      for (const auto& [field, parentField] : relation->fields) {
        named += ", quote(c." + SqlName(field) + ")";
        parentFields.push_back(parentField);
      }
      const std::string query = "SELECT " + named + " FROM " + SqlName(table.name) + " AS c WHERE " +
                                BreaksRelation(*relation) + " LIMIT " + std::to_string(kShownLines - lines.size());
      if (!EachRow(
              db, query.c_str(),
              [&](sqlite3_stmt* st) {
                lines.push_back("Riga (" + NamedValues(st, 0, key) + ") della tavola " + Shown(table.name) +
                                ": manca la riga della tavola " + Shown(relation->parent) + " con " +
                                NamedValues(st, static_cast<int>(key.size()), parentFields));
              },
              error))
        return false;
    }
  }
  if (broken == 0) return true;
  error = kRowsBreakingRelations;
  for (const std::string& line : lines) error += "\n" + line;
  if (broken > static_cast<long long>(lines.size()))
    error += "\n... e altre " + std::to_string(broken - static_cast<long long>(lines.size())) + " righe";
  return false;
}

bool DropRowsThatBreakRelations(sqlite3* db, long long& dropped, std::string& error) {
  dropped = 0;
  // A row deleted may have been the one that rows of another table refer to: again until none goes.
  for (long long before = -1; before != dropped;) {
    before = dropped;
    for (const SchemaTable& table : SchemaTables()) {
      std::vector<StoredRelation> relations;
      if (!HasTable(db, table.name)) continue;
      if (!ReadRelations(db, table.name, relations, error)) return false;
      for (const StoredRelation& relation : relations) {
        if (!ExecSql(db, "DELETE FROM " + SqlName(table.name) + " AS c WHERE " + BreaksRelation(relation), error))
          return false;
        dropped += sqlite3_changes64(db);
      }
    }
  }
  return true;
}

bool SchemaDigest(sqlite3* db, std::string& digest, std::string& error) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  int version = 0;
  if (!QueryInt(db, "PRAGMA schema_version", version, error)) return false;
  hash.addData(QByteArray::number(version));
  // Each value with its length first, so that no two schemas give the same bytes.
  if (!EachRow(
          db, "SELECT type, name, tbl_name, rootpage, sql FROM sqlite_master ORDER BY rowid",
          [&hash](sqlite3_stmt* st) {
            for (int c = 0; c < 5; ++c) {
              const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
              const int bytes = sqlite3_column_bytes(st, c);
              hash.addData(QByteArray::number(text ? bytes : -1) + ':');
              if (text) hash.addData(QByteArrayView(text, bytes));
            }
          },
          error))
    return false;
  digest = hash.result().toHex().toStdString();
  return true;
}

bool ReadStoredObjects(sqlite3* db, std::vector<StoredObject>& objects, std::string& error) {
  return EachRow(
      db, "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY rowid",
      [&](sqlite3_stmt* st) {
        const auto text = [st](int column) {
          const unsigned char* value = sqlite3_column_text(st, column);
          return value ? std::string(reinterpret_cast<const char*>(value),
                                     static_cast<size_t>(sqlite3_column_bytes(st, column)))
                       : std::string();
        };
        objects.push_back({text(0), text(1), text(2), text(3)});
      },
      error);
}

SchemaFindings SchemaObjectsUnlikeTheBuilder(const std::vector<StoredObject>& objects) {
  const Expected& built = BuilderDefinitions();
  SchemaFindings found;
  for (const StoredObject& o : objects) {
    const std::string type = Folded(o.type), name = Folded(o.name), table = Folded(o.table);
    if (type == "trigger") {
      found.foreign.push_back("Trigger " + Shown(o.name) + " della tavola " + Shown(o.table));
      continue;
    }
    if (type == "view") {
      found.foreign.push_back("Vista " + Shown(o.name));
      continue;
    }
    const std::vector<Token> words = Tokens(o.sql);
    if (type == "table") {
      if (words.size() > 1 && words[1] == Token{Token::Keyword, "VIRTUAL"}) {
        found.foreign.push_back("Tavola virtuale " + Shown(o.name));
        continue;
      }
      const auto program = built.tables.find(name);
      if (program != built.tables.end()) {
        if (SameTable(words, built.earlierTables.at(name)))
          found.earlier.push_back(o.name);
        else if (!SameTable(words, program->second))
          found.redefined.push_back("Tavola " + Shown(o.name));
        continue;
      }
      // A table of its own (or one named as the engine's, which a file can hold all the same) may
      // stay, unless it refers to the program's: a deletion there would then act on it, or be
      // refused because of it. The engine takes the table after REFERENCES quoted in any way, a
      // text among them, and without regard to case.
      for (size_t k = 0; k + 1 < words.size(); ++k) {
        if (words[k] != Token{Token::Keyword, "REFERENCES"}) continue;
        std::string referred = words[k + 1].text;
        if (words[k + 1].kind == Token::Text && referred.size() >= 2)
          referred = referred.substr(1, referred.size() - 2);
        if (built.tables.count(Folded(referred))) {
          found.redefined.push_back("Tavola " + Shown(o.name) + ", collegata alla tavola " + Shown(referred));
          break;
        }
      }
      continue;
    }
    // An index: one of the program's tables holds only the builder's; the engine's own for a key
    // or a unique field (no text) belongs to its table, whose definition is compared.
    if (type == "index" && !built.tables.count(table)) continue;
    if (type == "index" && o.sql.empty()) continue;
    const auto program = built.indexes.find(name);
    if (type != "index" || program == built.indexes.end() || built.indexTable.at(name) != table ||
        words != program->second)
      found.redefined.push_back("Indice " + Shown(o.name) + " della tavola " + Shown(o.table));
  }
  return found;
}

std::string SchemaFindingsText(const SchemaFindings& findings) {
  std::string text;
  if (!findings.foreign.empty()) text = ListText(kForeignHeading, findings.foreign, "oggetti");
  if (!findings.redefined.empty())
    text += (text.empty() ? "" : "\n\n") + ListText(kRedefinedHeading, findings.redefined, "oggetti");
  return text;
}

bool CheckTablesAgainstDictionary(sqlite3* db, std::string& error) {
  // The file's schema; reading it also has the engine read the whole of it.
  std::vector<StoredObject> objects;
  if (!ReadStoredObjects(db, objects, error)) return false;
  std::set<std::string> present;
  for (const StoredObject& o : objects)
    if (Folded(o.type) == "table") present.insert(Folded(o.name));
  const auto has = [&](const std::string& table) { return present.count(Folded(table)) > 0; };

  // What the file must hold, in the order described.
  std::vector<Wanted> wanted;
  const bool dictionary = has("tavole") || has("campi");
  if (dictionary) {
    // Every table the builder makes, the dictionary's own two first (without them it says nothing),
    // then the others the dictionary lists, each with the fields the dictionary describes besides.
    wanted = {{"tavole", {"nome"}}, {"campi", {"tavola", "nome"}}};
    for (const BuiltDefinition& d : DictionaryDefinitions())
      if (d.type == "table" && d.name != "tavole" && d.name != "campi") wanted.push_back({d.name, {}});
    for (const SchemaTable& table : SchemaTables()) wanted.push_back({table.name, table.fields});
    std::map<std::string, size_t> position;  // folded name -> place in `wanted`
    for (size_t k = 0; k < wanted.size(); ++k) position.emplace(Folded(wanted[k].table), k);
    bool readable = true;
    for (size_t k = 0; k < 2; ++k)
      for (const std::string& field : wanted[k].fields)
        readable &= has(wanted[k].table) && HasField(db, wanted[k].table, field);
    if (readable && (!EachRow(
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
                           if (table == position.end() || field.empty()) return;
                           std::vector<std::string>& fields = wanted[table->second].fields;
                           if (std::none_of(fields.begin(), fields.end(),
                                            [&](const std::string& f) { return Folded(f) == Folded(field); }))
                             fields.push_back(std::move(field));
                         },
                         error)))
      return false;
  } else {
    // Without the dictionary the builder's timetable tables are wanted all the same.
    for (const SchemaTable& table : SchemaTables()) wanted.push_back({table.name, table.fields});
  }

  // A trigger runs on the program's own changes, unseen: a file that holds one is refused whole.
  const SchemaFindings findings = SchemaObjectsUnlikeTheBuilder(objects);
  if (!findings.foreign.empty()) {
    error = SchemaFindingsText({findings.foreign, {}, {}});
    return false;
  }

  std::vector<std::string> missing;
  for (const Wanted& w : wanted) {
    if (!has(w.table)) {
      // Without its master the database still opens: start-up and Connetti tell it.
      if (Folded(w.table) != "master") missing.push_back("Manca la tavola " + Shown(w.table));
      continue;
    }
    for (const std::string& field : w.fields)
      if (!HasField(db, w.table, field))
        missing.push_back("Manca il campo " + Shown(field) + " della tavola " + Shown(w.table));
  }
  if (!missing.empty()) {
    error = "Il database non corrisponde al suo dizionario dei dati:\n";
    for (size_t k = 0; k < missing.size() && k < kShownLines; ++k) error += "\n" + missing[k];
    if (missing.size() > kShownLines)
      error += "\n... e altre " + std::to_string(missing.size() - kShownLines) + " mancanze";
    return false;
  }
  // Tables and indexes of the program stored otherwise than the builder makes them, then the
  // dictionary's description of its tables otherwise than the builder writes it.
  std::vector<std::string> unlike = findings.redefined;
  if (unlike.empty() && dictionary) {
    const DescribedRows& built = SchemaDictionaryRows();
    if (!CompareDescriptions(db, "tavole", built.tables, 1, unlike, error) ||
        !CompareDescriptions(db, "campi", built.fields, 2, unlike, error))
      return false;
  }
  error = SchemaFindingsText({{}, unlike, {}});
  return error.empty();
}

std::string BroughtForwardDateSql(std::string_view column) {
  const std::string name = SqlName(column);
  return "CASE WHEN typeof(" + name + ") = 'text' AND length(" + name + ") > 10 AND substr(" + name +
         ", 11, 1) IN (' ', 'T') AND ltrim(substr(" + name + ", 12), ' ') NOT GLOB '*[^0-9:.]*' THEN substr(" + name +
         ", 1, 10) ELSE " + name + " END";
}

namespace {

// A column of a program's table with the rules the builder gives it.
struct RuledColumn {
  std::string name;  // UTF-8
  FieldType type;
  bool notNull = false;
  bool required = false;  // a required text: the empty text refused too
};

// Whether the dictionary the builder writes makes the field of one of the nine tables required.
bool RequiredInSchema(const std::string& table, const std::string& field) {
  for (const DictionaryRow& row : SchemaDictionaryRows().fields) {
    std::string tavola, nome, obblig;
    for (const auto& [column, text] : row) {
      const std::string name = column;
      if (name == "tavola") tavola = text;
      if (name == "nome") nome = text;
      if (name == "obblig") obblig = text;
    }
    if (Folded(tavola) == Folded(table) && Folded(nome) == Folded(field)) return obblig == "1";
  }
  return false;
}

bool ReadRuledColumns(sqlite3* db, const std::string& table, std::vector<RuledColumn>& out, std::string& error) {
  const std::string sql = "SELECT name, type, \"notnull\" FROM pragma_table_info(" + SqlQuote(table) + ") ORDER BY cid";
  return EachRow(
      db, sql.c_str(),
      [&](sqlite3_stmt* st) {
        RuledColumn c{Column(st, 0), FieldTypeFromDeclared(Column(st, 1)), sqlite3_column_int(st, 2) != 0};
        c.required = c.notNull && (c.type.letter == 'A' || c.type.letter == 'M') && RequiredInSchema(table, c.name);
        out.push_back(std::move(c));
      },
      error);
}

// Whether the value of the column named as it is in the query breaks one of its rules: 1 or 0.
std::string BreachSql(const RuledColumn& c) {
  const std::string name = SqlName(c.name);
  std::string breach;
  if (const std::string kind = KindRuleSql(c.name, c.type); !kind.empty()) breach = "NOT (" + kind + ")";
  const auto add = [&breach](const std::string& rule) { breach += (breach.empty() ? "" : " OR ") + rule; };
  if (c.notNull) add(name + " IS NULL");
  if (c.required) add("length(" + name + ") = 0");
  if (c.type.letter == 'A') add("length(" + name + ") > " + std::to_string(c.type.size));
  return breach.empty() ? "0" : "coalesce(" + breach + ", 0)";
}

// What its column holds, in the words of a refusal.
std::string WantedText(const FieldType& type) {
  switch (type.letter) {
    case 'A':
    case 'M': return "un testo";
    case 'I': return "un numero intero da -32768 a 32767";
    case 'L': return "un numero intero da -2147483648 a 2147483647";
    case 'B': return "un sì/no (0 o 1)";
    case 'F': return "un numero";
    case 'N': return "un importo";
    case 'O': return "un dato binario";
    case 'D': return "una data";
    default: return "un valore del suo tipo";
  }
}

// What the value is, from its class as the engine gives it (typeof).
const char* StoredKindText(const std::string& kind) {
  if (kind == "integer") return "un numero intero";
  if (kind == "real") return "un numero con decimali";
  if (kind == "text") return "un testo";
  if (kind == "blob") return "un dato binario";
  return "un campo vuoto";
}

// A stored value as SQL writes it (quote), shown whole up to a length.
std::string ShownValue(const std::string& quoted) {
  constexpr size_t kShown = 60;
  std::string shown = cp1252::FromUtf8Lossy(quoted.substr(0, kShown));
  return quoted.size() > kShown ? shown + "..." : shown;
}

}  // namespace

bool FindRuleBreach(sqlite3* db, const std::string& table, RuleBreach& out, std::string& error) {
  out = RuleBreach{};
  std::vector<RuledColumn> columns;
  std::vector<std::string> key;
  std::string stored;
  if (!ReadRuledColumns(db, table, columns, error) || !KeyFields(db, table, key, error) ||
      !EachRow(
          db, ("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = " + SqlQuote(table)).c_str(),
          [&stored](sqlite3_stmt* st) { stored = Column(st, 0); }, error))
    return false;
  // A table an earlier build wrote is looked at as it is brought forward.
  const auto earlier = BuilderDefinitions().earlierTables.find(Folded(table));
  const bool forward =
      earlier != BuilderDefinitions().earlierTables.end() && SameTable(Tokens(stored), earlier->second);
  // Each column as stored ("stored <n>") and as its rules see it (under its own name).
  std::string inner = key.front() == "rowid" ? "rowid AS \"stored rowid\"" : "";
  std::string named, breaches;
  for (size_t k = 0; k < columns.size(); ++k) {
    const RuledColumn& c = columns[k];
    const std::string storedAs = SqlName("stored " + std::to_string(k));
    inner += (inner.empty() ? "" : ", ") + SqlName(c.name) + " AS " + storedAs + ", " +
             (forward && c.type.letter == 'D' ? BroughtForwardDateSql(c.name) : SqlName(c.name)) + " AS " +
             SqlName(c.name);
    named += ", " + BreachSql(c) + ", quote(" + storedAs + "), typeof(" + SqlName(c.name) + "), length(" +
             SqlName(c.name) + ")";
    breaches += (breaches.empty() ? "" : " OR ") + BreachSql(c);
  }
  std::string keys;
  for (const std::string& field : key) {
    const auto at = std::find_if(columns.begin(), columns.end(),
                                 [&field](const RuledColumn& c) { return Folded(c.name) == Folded(field); });
    keys += (keys.empty() ? "quote(" : ", quote(") +
            SqlName(at == columns.end() ? "stored rowid" : "stored " + std::to_string(at - columns.begin())) + ")";
  }
  const std::string sql = "SELECT " + keys + named + " FROM (SELECT " + inner + " FROM " + SqlName(table) + ") WHERE " +
                          (breaches.empty() ? "0" : breaches) + " LIMIT 1";
  return EachRow(
      db, sql.c_str(),
      [&](sqlite3_stmt* st) {
        const int first = static_cast<int>(key.size());
        for (size_t k = 0; k < columns.size() && !out.found; ++k) {
          const int at = first + static_cast<int>(k) * 4;
          if (sqlite3_column_int(st, at) == 0) continue;
          const RuledColumn& c = columns[k];
          const std::string kind = Column(st, at + 2);
          const long long length = sqlite3_column_int64(st, at + 3);
          out.found = true;
          out.table = cp1252::FromUtf8Lossy(table);
          out.row = "riga (" + NamedValues(st, 0, key) + ") della tavola " + Shown(table);
          DbSelect::ValueFault& fault = out.fault;
          fault.position = static_cast<int>(k);
          fault.column = cp1252::FromUtf8Lossy(c.name);
          fault.value = ShownValue(Column(st, at + 1));
          fault.is = StoredKindText(kind);
          fault.wanted = WantedText(c.type);
          if (kind == "null") {
            fault.wanted = "un valore";
          } else if (kind == "text" && c.required && length == 0) {
            fault.is = "un testo vuoto";
          } else if (kind == "text" && c.type.letter == 'A' && length > c.type.size) {
            fault.is = "un testo troppo lungo";
            fault.wanted = "un testo di al più " + CharactersText(c.type.size);
          }
        }
      },
      error);
}

std::string RuleBreachRefusal(const RuleBreach& breach, Undone undone) {
  return StoredValueRefusal(breach.row, TitledFaultText(breach.fault, breach.table.c_str()), undone);
}
