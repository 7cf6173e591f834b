#pragma once
// The SQL text that defines a table: its columns with the rules of their field type, its primary
// key, its foreign keys, and its other indexes. Both the special tables of the data dictionary
// and the tables built from the dictionary are written here, so every table follows the same
// rules: text columns compare with trailing blanks ignored, text sizes and required fields are
// enforced by the engine, every column holds only values of its kind, and the engine's own
// messages name the broken rule ("<field>__required", "<field>__size", "<field>__kind").

#include "db/FieldType.h"

#include <string>
#include <string_view>
#include <vector>

struct ColumnDef {
  std::string name;
  FieldType type;
  bool required = false;
};

// One relation as seen from its foreign table: `fields` of this table refer to `parentFields`
// of `parentTable`, pair by pair.
struct ForeignKeyDef {
  std::string name;
  std::string parentTable;
  std::vector<std::string> fields;
  std::vector<std::string> parentFields;
};

struct TableDef {
  std::string name;
  std::vector<ColumnDef> columns;
  std::string primaryKeyName;           // empty: no primary key
  std::vector<std::string> primaryKey;  // its fields in order
  std::vector<ForeignKeyDef> foreignKeys;
  // Whether each column is held to its kind (KindRuleSql). The builds before held none: their
  // definitions are these without it.
  bool kindRules = true;
};

// A table or an index as the builder makes it: its kind ("table" or "index"), its name, the
// table it belongs to, and the SQL text that makes it.
struct BuiltDefinition {
  std::string type;
  std::string name;
  std::string table;
  std::string sql;
};

// A name as an SQL identifier: "name", inner quotes doubled.
std::string SqlName(std::string_view name);

// The condition that a column's value is of its kind, as the layer writes it: a text column holds
// a text, a whole-number column an integer within its type's range (16 bits, 32), a number column
// a number, an amount the integer of its ten-thousandths, a date column a real date as the ISO
// text 2024-03-05, a yes/no column 0 or 1, a binary column bytes; NULL everywhere (a required
// column refuses it apart). Empty for a letter that is none of ours.
std::string KindRuleSql(std::string_view column, FieldType type);

// The column's definition inside CREATE TABLE, held to its kind unless `kindRules` is false;
// empty when the type letter is none of ours.
std::string ColumnSql(const ColumnDef& column, bool inPrimaryKey, bool kindRules = true);

// CREATE TABLE with columns, primary key and foreign keys; empty when a column's type letter is
// none of ours.
std::string CreateTableSql(const TableDef& table);

// CREATE INDEX (never unique: uniqueness comes from the primary key) named by SqlIndexName.
std::string CreateIndexSql(std::string_view table, std::string_view index, const std::vector<std::string>& fields);
