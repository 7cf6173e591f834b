#include "db/DbTableBuilder.h"

#include "common/Notices.h"
#include "db/DbDatabase.h"
#include "db/DbFile.h"
#include "db/DbSelect.h"

#include <strings.h>
#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

// Indexes and relations hold at most ten fields (positions 0 to 9).
constexpr int kMaxPositions = 10;
// The engine's largest text field.
constexpr int kMaxTextSize = 255;

struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

std::string Text(DbSelect& s, const char* column) {
  std::string out;
  s.GetFieldText(column, out);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// A whole number in `text`; false when it is none.
bool ParseInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != 0 || v < -32768 || v > 32767) return false;
  value = static_cast<int>(v);
  return true;
}

// Fields given by position (indexes of `indici2`, pairs of `relaz2`): puts each in its slot and
// checks that the positions run 0, 1, 2 ... without gaps or repeats. On failure returns false
// with the reason.
template <typename T>
bool PlaceByPosition(std::vector<std::pair<std::string, T>>& rows, std::vector<T>& out, const char* what,
                     std::string& error) {
  std::vector<T> slots(kMaxPositions);
  std::vector<bool> used(kMaxPositions, false);
  int count = 0;
  for (auto& [positionText, value] : rows) {
    int position = -1;
    if (!ParseInt(positionText, position) || position < 0 || position >= kMaxPositions) {
      error = std::string("Posizione ") + what + " non valida: \"" + positionText + "\" (ammesse da 0 a 9)";
      return false;
    }
    if (used[position]) {
      error = std::string("Posizione ") + what + " ripetuta: " + std::to_string(position);
      return false;
    }
    used[position] = true;
    slots[position] = std::move(value);
    count = std::max(count, position + 1);
  }
  if (count == 0) {
    error = std::string("Nessun campo ") + what;
    return false;
  }
  for (int k = 0; k < count; ++k) {
    if (!used[k]) {
      error = std::string("Manca il campo ") + what + " in posizione " + std::to_string(k);
      return false;
    }
  }
  slots.resize(static_cast<size_t>(count));
  out = std::move(slots);
  return true;
}

// What the relations are checked against: the fields of every described table and its primary key.
struct DictionaryView {
  struct Table {
    std::map<std::string, FieldType, NoCase> fields;
    std::vector<std::string> primaryKey;
  };
  std::map<std::string, Table, NoCase> tables;

  void Load(DbDatabase* db) {
    DbSelect t(db, {.columns = "nome", .from = "tavole"});
    for (t.Open(); t.hasRow; t.MoveNext()) tables[Text(t, "nome")];
    DbSelect f(db, {.columns = "tavola, nome, tipo, size", .from = "campi"});
    for (f.Open(); f.hasRow; f.MoveNext()) {
      auto table = tables.find(Text(f, "tavola"));
      if (table == tables.end()) continue;
      const std::string tipo = Text(f, "tipo");
      FieldType type;
      type.letter = tipo.empty() ? 0 : tipo[0];
      ParseInt(Text(f, "size"), type.size);
      table->second.fields[Text(f, "nome")] = type;
    }
    DbSelect k(db, {.columns = "i2.tavola, i2.campo, i2.progr",
                    .from = "indici AS i JOIN indici2 AS i2 ON i2.tavola = i.tavola AND i2.nome = i.nome",
                    .where = "i.primkey <> 0",
                    .orderBy = "i2.tavola, i2.progr"});
    for (k.Open(); k.hasRow; k.MoveNext()) {
      auto table = tables.find(Text(k, "tavola"));
      if (table != tables.end()) table->second.primaryKey.push_back(Text(k, "campo"));
    }
  }
};

// Checks one relation; on failure returns false with the reason.
bool CheckRelation(const DictionaryView& view, const std::string& primaryTable, const RelationDef& relation,
                   std::string& error) {
  const auto primary = view.tables.find(primaryTable);
  if (primary == view.tables.end()) {
    error = "La tavola primaria " + SqlName(primaryTable) + " non è descritta nel dizionario";
    return false;
  }
  const auto foreign = view.tables.find(relation.foreignTable);
  if (foreign == view.tables.end()) {
    error = "La tavola collegata " + SqlName(relation.foreignTable) + " non è descritta nel dizionario";
    return false;
  }
  const ForeignKeyDef& key = relation.key;
  for (size_t k = 0; k < key.fields.size(); ++k) {
    const auto p = primary->second.fields.find(key.parentFields[k]);
    if (p == primary->second.fields.end()) {
      error = "Il campo " + SqlName(key.parentFields[k]) + " non esiste nella tavola " + SqlName(primaryTable);
      return false;
    }
    const auto f = foreign->second.fields.find(key.fields[k]);
    if (f == foreign->second.fields.end()) {
      error = "Il campo " + SqlName(key.fields[k]) + " non esiste nella tavola " + SqlName(relation.foreignTable);
      return false;
    }
    if (p->second.letter != f->second.letter) {
      error =
          "I campi " + SqlName(key.parentFields[k]) + " e " + SqlName(key.fields[k]) + " non sono dello stesso tipo";
      return false;
    }
  }
  // The engine needs the referenced fields to be exactly the primary table's key.
  std::vector<std::string> wanted = primary->second.primaryKey;
  std::vector<std::string> given = key.parentFields;
  auto lower = [](std::vector<std::string>& names) {
    for (std::string& n : names)
      for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::sort(names.begin(), names.end());
  };
  lower(wanted);
  lower(given);
  if (wanted.empty() || wanted != given) {
    error = "I campi collegati della tavola " + SqlName(primaryTable) + " non formano la sua chiave primaria";
    return false;
  }
  return true;
}

}  // namespace

int CreateRelationsFromDictionary(DbDatabase* dictionary, std::vector<RelationDef>& relations) {
  relations.clear();
  DictionaryView view;
  view.Load(dictionary);
  int result = 1;
  DbSelect r(dictionary, {.columns = "nome, interna, esterna", .from = "relaz", .orderBy = "rowid"});
  for (r.Open(); r.hasRow; r.MoveNext()) {
    RelationDef relation;
    relation.key.name = Text(r, "nome");
    const std::string primaryTable = Text(r, "interna");
    relation.foreignTable = Text(r, "esterna");
    relation.key.parentTable = primaryTable;

    std::vector<std::pair<std::string, std::pair<std::string, std::string>>> rows;
    DbSelect p(dictionary, {.columns = "progr, interno, esterno", .from = "relaz2"});
    p.SetWhere("nome = " + SqlQuote(relation.key.name));
    for (p.Open(); p.hasRow; p.MoveNext()) rows.push_back({Text(p, "progr"), {Text(p, "interno"), Text(p, "esterno")}});

    std::vector<std::pair<std::string, std::string>> pairs;
    std::string error;
    bool ok = PlaceByPosition(rows, pairs, "della relazione", error);
    if (ok) {
      for (auto& [primaryField, foreignField] : pairs) {
        relation.key.parentFields.push_back(primaryField);
        relation.key.fields.push_back(foreignField);
      }
      ok = CheckRelation(view, primaryTable, relation, error);
    }
    if (!ok) {
      Notify("Errore creazione relazione " + SqlName(relation.key.name) + "\n\n" + error, NoticeIcon::Exclamation,
             "Creazione relazioni");
      result = 0;
      continue;
    }
    relations.push_back(std::move(relation));
  }
  return result;
}

int CreateTableFromDictionary(const char* tableName, DbDatabase* dictionary, sqlite3* db,
                              const std::vector<RelationDef>& relations) {
  const std::string table = tableName ? tableName : "";
  const std::string caption = "Creazione Tavola " + SqlName(table);
  auto report = [&](const std::string& text, const std::string& description) {
    Notify(text + "\n\n" + description, NoticeIcon::Exclamation, caption);
  };

  TableDef def;
  def.name = table;
  if (table.empty()) {
    report("Errore inizializzazione tavola " + SqlName(table), "Nome della tavola mancante");
    return 0;
  }

  // Fields, in the order in which they were described.
  DbSelect f(dictionary, {.columns = "nome, tipo, size, obblig, regola, mess", .from = "campi"});
  f.SetWhere("tavola = " + SqlQuote(table));
  f.SetOrderBy("rowid");
  for (f.Open(); f.hasRow; f.MoveNext()) {
    ColumnDef column;
    column.name = Text(f, "nome");
    const std::string tipo = Text(f, "tipo");
    const std::string size = Text(f, "size");
    column.required = Text(f, "obblig").rfind('1', 0) == 0;
    const std::string rule = Text(f, "regola");
    const std::string failure = "Errore in fase di inserimento campo " + SqlName(column.name);
    column.type.letter = tipo.empty() ? 0 : tipo[0];
    if (column.name.empty()) {
      report(failure, "Nome del campo mancante");
      return 0;
    }
    if (!IsFieldTypeLetter(column.type.letter)) {
      report(failure, "Tipo di campo sconosciuto: \"" + tipo + "\" (ammessi A, B, D, F, I, L, M, N, O)");
      return 0;
    }
    if (column.type.letter == 'A' &&
        (!ParseInt(size, column.type.size) || column.type.size < 1 || column.type.size > kMaxTextSize)) {
      report(failure, "Dimensione del campo di testo non valida: \"" + size + "\" (ammessa da 1 a 255)");
      return 0;
    }
    if (!rule.empty()) {
      report(failure, "Le regole di convalida dei campi non sono ammesse: \"" + rule + "\"");
      return 0;
    }
    for (const ColumnDef& other : def.columns) {
      if (SameName(other.name, column.name)) {
        report(failure, "Il campo è descritto due volte");
        return 0;
      }
    }
    def.columns.push_back(std::move(column));
  }
  if (def.columns.empty()) {
    report("Errore inizializzazione tavola " + SqlName(table), "Il dizionario non descrive alcun campo della tavola");
    return 0;
  }
  auto hasColumn = [&](const std::string& name) {
    return std::any_of(def.columns.begin(), def.columns.end(),
                       [&](const ColumnDef& c) { return SameName(c.name, name); });
  };

  // Indexes: the primary one goes into the table's definition, the others are made after it.
  int result = 1;
  std::vector<std::pair<std::string, std::vector<std::string>>> otherIndexes;
  DbSelect i(dictionary, {.columns = "nome, primkey", .from = "indici"});
  i.SetWhere("tavola = " + SqlQuote(table));
  i.SetOrderBy("rowid");
  for (i.Open(); i.hasRow; i.MoveNext()) {
    const std::string index = Text(i, "nome");
    const bool primary = Text(i, "primkey").rfind('1', 0) == 0;
    std::vector<std::pair<std::string, std::string>> rows;
    DbSelect k(dictionary, {.columns = "campo, progr", .from = "indici2"});
    k.SetWhere("tavola = " + SqlQuote(table) + " AND nome = " + SqlQuote(index));
    for (k.Open(); k.hasRow; k.MoveNext()) rows.push_back({Text(k, "progr"), Text(k, "campo")});
    std::vector<std::string> fields;
    std::string error;
    bool ok = PlaceByPosition(rows, fields, "dell'indice", error);
    for (size_t n = 0; ok && n < fields.size(); ++n) {
      if (!hasColumn(fields[n])) {
        error = "Il campo " + SqlName(fields[n]) + " non esiste nella tavola";
        ok = false;
      }
    }
    if (ok && primary && !def.primaryKey.empty()) {
      error = "La tavola ha già una chiave primaria (" + SqlName(def.primaryKeyName) + ")";
      ok = false;
    }
    if (!ok) {
      report("Tavola " + SqlName(table) + ": errore creazione indice " + SqlName(index), error);
      result = 0;
      continue;
    }
    if (primary) {
      def.primaryKeyName = index;
      def.primaryKey = std::move(fields);
    } else {
      otherIndexes.emplace_back(index, std::move(fields));
    }
  }

  for (const RelationDef& relation : relations)
    if (SameName(relation.foreignTable, table)) def.foreignKeys.push_back(relation.key);

  std::string error;
  if (!ExecSql(db, CreateTableSql(def), error)) {
    // Without the table its indexes cannot be made either.
    report("Errore in fase di inserimento tavola " + SqlName(table), error);
    return 0;
  }
  for (const auto& [index, fields] : otherIndexes) {
    if (!ExecSql(db, CreateIndexSql(table, index, fields), error)) {
      report("Tavola " + SqlName(table) + ": errore creazione indice " + SqlName(index), error);
      result = 0;
    }
  }
  return result;
}

int CreateAllTablesFromDictionary(DbDatabase* dictionary, sqlite3* db, const std::vector<RelationDef>& relations) {
  std::vector<std::string> names;
  DbSelect t(dictionary, {.columns = "nome", .from = "tavole", .orderBy = "nome"});
  for (t.Open(); t.hasRow; t.MoveNext()) names.push_back(Text(t, "nome"));

  std::string error;
  if (!ExecSql(db, "BEGIN", error)) {
    Notify("Errore inizializzazione tavola " + SqlName(names.empty() ? "" : names.front()) + "\n\n" + error,
           NoticeIcon::Exclamation, "Creazione Tavola " + SqlName(names.empty() ? "" : names.front()));
    return 0;
  }
  for (const std::string& name : names) {
    EngineProgress();
    if (!CreateTableFromDictionary(name.c_str(), dictionary, db, relations)) {
      ExecSql(db, "ROLLBACK", error);
      return 0;
    }
  }
  if (!ExecSql(db, "COMMIT", error)) {
    Notify("Errore in fase di inserimento tavola " + SqlName(names.empty() ? "" : names.back()) + "\n\n" + error,
           NoticeIcon::Exclamation, "Creazione Tavola " + SqlName(names.empty() ? "" : names.back()));
    ExecSql(db, "ROLLBACK", error);
    return 0;
  }
  return 1;
}
