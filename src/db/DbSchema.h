#pragma once
// The schema of the nine timetable tables and their five relations, written as rows of the data
// dictionary. This is the one definition of the schema: the builder makes every table, index
// and relation from these rows.

#include "db/DbDdl.h"
#include "db/DbDictionary.h"

#include <string>
#include <vector>

class DbTable;

// A table of the schema with its fields, in the order in which they are described.
struct SchemaTable {
  std::string name;
  std::vector<std::string> fields;
};

// The nine tables as DescribeSchema describes them (names only): what a database without its
// dictionary is checked against.
const std::vector<SchemaTable>& SchemaTables();

// The nine tables, with their relations, and their other indexes as the builder makes them from
// the rows DescribeSchema writes, in the order in which it writes them; without the rules that hold
// each column to its kind when `kindRules` is false, as the builds before wrote them.
std::vector<BuiltDefinition> SchemaDefinitions(bool kindRules = true);

// The rows DescribeSchema writes into `tavole` (tables) and `campi` (fields) for the nine tables,
// in the order written.
struct DescribedRows {
  std::vector<DictionaryRow> tables, fields;
};
const DescribedRows& SchemaDictionaryRows();
// The title the schema gives a field of the nine tables ("Lunghezza contrattuale" for `tescor`
// `ct_lung`); empty for any other.
std::string SchemaFieldTitle(const std::string& table, const std::string& field);

// Each writes its table's fields, indexes and table row; returns 1 when every row was stored.
int DescribeMasterTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);
int DescribeRegaziTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);
int DescribeRegentTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);
int DescribeCadenzTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);
int DescribeCalendTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);
int DescribeTescorTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);
int DescribeDetcorTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);
int DescribePeriodTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);
int DescribeLocalTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2);

// Each writes one relation and its one field pair; returns 1 when both rows were stored.
int DescribeRelationCalenCaden(DbTable* relaz, DbTable* relaz2);
int DescribeRelationDetcorTescor(DbTable* relaz, DbTable* relaz2);
int DescribeRelationPeriodTescor(DbTable* relaz, DbTable* relaz2);
int DescribeRelationPeriodCaden(DbTable* relaz, DbTable* relaz2);
int DescribeRelationFermaLocal(DbTable* relaz, DbTable* relaz2);

// The whole schema: the nine tables (master, regazi, regent, cadenz, calend, tescor, detcor,
// period, local), then the five relations. Returns 1 when every row was stored.
int DescribeSchema(const DictionaryTables& tables);
