#include "db/DbDictionary.h"

#include "common/Notices.h"
#include "db/DbDdl.h"
#include "db/DbFile.h"
#include "db/DbTable.h"

#include <cstdio>

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

std::string Number(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return buffer;
}

// Adds one row: AddNew, every field in the order given, Update.
int AddRow(DbTable* table, const DictionaryRow& fields) {
  if (!table || !table->AddNew()) return 0;
  for (const auto& [name, value] : fields)
    if (!table->SetFieldText(name, value)) return 0;
  return table->Update();
}

// The special tables: no field is required; texts allow the empty text.
struct SpecialTable {
  const char* name;
  std::vector<ColumnDef> columns;
  const char* index;
  std::vector<std::string> indexFields;
};

ColumnDef Text(const char* name, int size) { return {name, {'A', size}, false}; }
ColumnDef Integer(const char* name) { return {name, {'I', 0}, false}; }
ColumnDef YesNo(const char* name) { return {name, {'B', 0}, false}; }

const std::vector<SpecialTable>& SpecialTables() {
  static const std::vector<SpecialTable> tables = {
      {"tavole", {Text("nome", 8), Text("denom", 30), Text("note", 240)}, "nome", {"nome"}},
      {"campi",
       {Text("tavola", 8), Text("nome", 8), Text("tipo", 1), Integer("size"), YesNo("obblig"), Text("denom", 30),
        Text("note", 240), Text("regola", 240), Text("mess", 240)},
       "nome",
       {"tavola", "nome"}},
      {"indici",
       {Text("tavola", 8), Text("nome", 8), YesNo("primkey"), Text("denom", 30), Text("note", 240)},
       "nome",
       {"tavola", "nome"}},
      {"indici2",
       {Text("tavola", 8), Text("nome", 8), Integer("progr"), Text("campo", 8)},
       "elemento",
       {"tavola", "nome", "progr"}},
      {"relaz", {Text("nome", 16), Text("interna", 8), Text("esterna", 8)}, "nome", {"nome"}},
      {"relaz2",
       {Text("nome", 16), Integer("progr"), Text("interno", 8), Text("esterno", 8)},
       "elemento",
       {"nome", "progr"}},
      {"utenti",
       {Text("nome", 8), Text("denom", 30), Text("passwd", 9), Integer("potere"), Integer("progetto")},
       "nome",
       {"nome"}},
  };
  return tables;
}

TableDef SpecialTableDef(const SpecialTable& t) {
  TableDef def;
  def.name = t.name;
  def.columns = t.columns;
  return def;
}

void Report(const std::string& text, const std::string& description) {
  Notify(text + "\n\n" + description, NoticeIcon::Exclamation, "Creazione Tavole Speciali");
}

}  // namespace

DictionaryRow DictTableRow(const char* name, const char* title, const char* description) {
  return {{"nome", OrEmpty(name)}, {"denom", OrEmpty(title)}, {"note", OrEmpty(description)}};
}

DictionaryRow DictFieldRow(const char* table, const char* field, char type, int size, int required, const char* title,
                           const char* description, const char* rule, const char* message) {
  return {{"tavola", OrEmpty(table)},
          {"nome", OrEmpty(field)},
          {"tipo", std::string(1, type)},
          {"size", Number(size)},
          {"obblig", required == 1 ? "1" : "0"},
          {"denom", OrEmpty(title)},
          {"note", OrEmpty(description)},
          {"regola", OrEmpty(rule)},
          {"mess", OrEmpty(message)}};
}

int DictAddTable(DbTable* tavole, const char* name, const char* title, const char* description) {
  return AddRow(tavole, DictTableRow(name, title, description));
}

int DictAddField(DbTable* campi, const char* table, const char* field, char type, int size, int required,
                 const char* title, const char* description, const char* rule, const char* message) {
  return AddRow(campi, DictFieldRow(table, field, type, size, required, title, description, rule, message));
}

int DictAddIndex(DbTable* indici, const char* table, const char* index, int primary, const char* title,
                 const char* description) {
  return AddRow(indici, {{"tavola", OrEmpty(table)},
                         {"nome", OrEmpty(index)},
                         {"primkey", primary == 1 ? "1" : "0"},
                         {"denom", OrEmpty(title)},
                         {"note", OrEmpty(description)}});
}

int DictAddIndexField(DbTable* indici2, const char* table, const char* index, int position, const char* field) {
  return AddRow(
      indici2,
      {{"tavola", OrEmpty(table)}, {"nome", OrEmpty(index)}, {"progr", Number(position)}, {"campo", OrEmpty(field)}});
}

int DictAddRelation(DbTable* relaz, const char* relation, const char* primaryTable, const char* foreignTable) {
  return AddRow(relaz,
                {{"nome", OrEmpty(relation)}, {"interna", OrEmpty(primaryTable)}, {"esterna", OrEmpty(foreignTable)}});
}

int DictAddRelationField(DbTable* relaz2, const char* relation, int position, const char* primaryField,
                         const char* foreignField) {
  return AddRow(relaz2, {{"nome", OrEmpty(relation)},
                         {"progr", Number(position)},
                         {"interno", OrEmpty(primaryField)},
                         {"esterno", OrEmpty(foreignField)}});
}

int CreateDictionaryTables(sqlite3* db) {
  std::string error;
  if (!ExecSql(db, "BEGIN", error)) {
    Report("Errore inizializzazione tavola " + SqlName(SpecialTables().front().name), error);
    return 0;
  }
  for (const SpecialTable& t : SpecialTables()) {
    if (!ExecSql(db, CreateTableSql(SpecialTableDef(t)), error)) {
      Report("Errore in fase di inserimento tavola " + SqlName(t.name), error);
      ExecSql(db, "ROLLBACK", error);
      return 0;
    }
    if (!ExecSql(db, CreateIndexSql(t.name, t.index, t.indexFields), error)) {
      Report("Tavola " + SqlName(t.name) + ": errore creazione indice " + SqlName(t.index), error);
      ExecSql(db, "ROLLBACK", error);
      return 0;
    }
  }
  if (!ExecSql(db, "COMMIT", error)) {
    Report("Errore in fase di inserimento tavola " + SqlName(SpecialTables().back().name), error);
    ExecSql(db, "ROLLBACK", error);
    return 0;
  }
  return 1;
}

std::vector<BuiltDefinition> DictionaryDefinitions(bool kindRules) {
  std::vector<BuiltDefinition> out;
  for (const SpecialTable& t : SpecialTables()) {
    TableDef def = SpecialTableDef(t);
    def.kindRules = kindRules;
    out.push_back({"table", t.name, t.name, CreateTableSql(def)});
    out.push_back({"index", SqlIndexName(t.name, t.index), t.name, CreateIndexSql(t.name, t.index, t.indexFields)});
  }
  return out;
}
