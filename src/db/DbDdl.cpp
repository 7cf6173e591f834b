#include "db/DbDdl.h"

#include <strings.h>
#include <algorithm>

namespace {

bool IsTextLetter(char letter) { return letter == 'A' || letter == 'M'; }

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return strcasecmp(n.c_str(), name.c_str()) == 0; });
}

std::string NameList(const std::vector<std::string>& names) {
  std::string out;
  for (size_t k = 0; k < names.size(); ++k) out += (k ? ", " : "") + SqlName(names[k]);
  return out;
}

}  // namespace

std::string SqlName(std::string_view name) {
  std::string q = "\"";
  for (char c : name) {
    if (c == '"') q.push_back('"');
    q.push_back(c);
  }
  q.push_back('"');
  return q;
}

std::string KindRuleSql(std::string_view column, FieldType type) {
  const std::string name = SqlName(column);
  // The rules are checked at every write of a row and, for every row, by the full check of a file:
  // they compare and convert rather than ask typeof(), whose text result and comparison cost more
  // than the rest of the rule. Each takes what the typeof() rule would: the column's affinity has
  // already turned a number written as text into its number, a whole real into its integer and,
  // in a text column, a number into its text.
  // A whole number within its range: a text or bytes is above every number, a real with a part
  // after the point differs from its integer.
  const auto integer = [&](const char* low, const char* high) {
    return name + " BETWEEN " + low + " AND " + high + " AND " + name + " = CAST(" + name + " AS INTEGER)";
  };
  std::string rule;
  switch (type.letter) {
    // Every text sorts before any bytes, the empty bytes X'' included.
    case 'A':
    case 'M': rule = name + " < X''"; break;
    case 'I': rule = integer("-32768", "32767"); break;
    case 'L': rule = integer("-2147483648", "2147483647"); break;
    case 'B': rule = name + " IN (0, 1)"; break;
    case 'F': rule = "typeof(" + name + ") IN ('real', 'integer')"; break;
    case 'N': rule = name + " = CAST(" + name + " AS INTEGER)"; break;
    case 'O': rule = "typeof(" + name + ") = 'blob'"; break;
    // Moved by a day's naught, the engine's date gives back a real date as it was and carries
    // any other day of the month (2026-02-31) into the next month.
    case 'D':
      rule = "typeof(" + name + ") = 'text' AND " + name +
             " GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' AND date(" + name + ", '+0 days') IS " + name;
      break;
    default: return {};
  }
  return name + " IS NULL OR (" + rule + ")";
}

std::string ColumnSql(const ColumnDef& column, bool inPrimaryKey, bool kindRules) {
  const std::string declared = SqlDeclaredType(column.type);
  if (declared.empty()) return {};
  const std::string name = SqlName(column.name);
  std::string sql = name + " " + declared;
  const bool text = IsTextLetter(column.type.letter);
  // Codes are often stored padded with blanks: "FER" and "FER       " are the same key.
  if (text) sql += " COLLATE RTRIM";
  if (column.required || inPrimaryKey) sql += " NOT NULL";
  // A required text refuses the empty text as well. A text of blanks is a value: length counts
  // them, whatever the collation.
  if (column.required && text)
    sql += " CONSTRAINT " + SqlName(column.name + "__required") + " CHECK (length(" + name + ") > 0)";
  if (column.type.letter == 'A')
    sql += " CONSTRAINT " + SqlName(column.name + "__size") + " CHECK (length(" + name +
           ") <= " + std::to_string(column.type.size) + ")";
  if (kindRules)
    sql += " CONSTRAINT " + SqlName(column.name + "__kind") + " CHECK (" + KindRuleSql(column.name, column.type) + ")";
  return sql;
}

std::string CreateTableSql(const TableDef& table) {
  std::string sql = "CREATE TABLE " + SqlName(table.name) + " (";
  for (size_t k = 0; k < table.columns.size(); ++k) {
    const std::string column =
        ColumnSql(table.columns[k], Contains(table.primaryKey, table.columns[k].name), table.kindRules);
    if (column.empty()) return {};
    sql += (k ? ",\n  " : "\n  ") + column;
  }
  if (!table.primaryKey.empty())
    sql += ",\n  CONSTRAINT " + SqlName(table.primaryKeyName) + " PRIMARY KEY (" + NameList(table.primaryKey) + ")";
  // No ON DELETE / ON UPDATE action: a parent with children can be neither deleted nor re-keyed.
  for (const ForeignKeyDef& fk : table.foreignKeys)
    sql += ",\n  CONSTRAINT " + SqlName(fk.name) + " FOREIGN KEY (" + NameList(fk.fields) + ") REFERENCES " +
           SqlName(fk.parentTable) + " (" + NameList(fk.parentFields) + ")";
  // A table with a primary key is stored in the order of that key: reading it in key order (the
  // exports, the editors) is a plain walk, and no second tree has to be kept up to date.
  sql += table.primaryKey.empty() ? "\n)" : "\n) WITHOUT ROWID";
  return sql;
}

std::string CreateIndexSql(std::string_view table, std::string_view index, const std::vector<std::string>& fields) {
  return "CREATE INDEX " + SqlName(SqlIndexName(table, index)) + " ON " + SqlName(table) + " (" + NameList(fields) +
         ")";
}
