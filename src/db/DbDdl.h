#pragma once
// The SQL text that defines a table: its columns with the rules of their field type, its primary
// key, its foreign keys, and its other indexes. Both the special tables of the data dictionary
// and the tables built from the dictionary are written here, so every table follows the same
// rules: text columns compare with trailing blanks ignored, text sizes and required fields are
// enforced by the engine, and the engine's own messages name the broken rule
// ("<field>__required", "<field>__size").

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

// The column's definition inside CREATE TABLE; empty when the type letter is none of ours.
std::string ColumnSql(const ColumnDef& column, bool inPrimaryKey);

// CREATE TABLE with columns, primary key and foreign keys; empty when a column's type letter is
// none of ours.
std::string CreateTableSql(const TableDef& table);

// CREATE INDEX (never unique: uniqueness comes from the primary key) named by SqlIndexName.
std::string CreateIndexSql(std::string_view table, std::string_view index, const std::vector<std::string>& fields);
