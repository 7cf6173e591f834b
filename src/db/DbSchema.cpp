#include "db/DbSchema.h"

#include "db/DbDdl.h"
#include "db/DbDictionary.h"

#include <strings.h>
#include <string_view>
#include <vector>

namespace {

struct FieldRow {
  const char* name;
  char type;
  int size;  // text only
  int required;
  const char* title;
  const char* description;
};

struct IndexRow {
  const char* name;
  int primary;
  std::vector<const char*> fields;
  const char* title;
  const char* description;
};

// A table as the builder makes it from its rows: its definition and its other indexes.
struct BuiltTable {
  TableDef def;
  std::vector<std::pair<std::string, std::vector<std::string>>> indexes;  // name, fields
};

struct Describer {
  DbTable* tavole = nullptr;
  DbTable* campi = nullptr;
  DbTable* indici = nullptr;
  DbTable* indici2 = nullptr;
  std::vector<SchemaTable>* names = nullptr;  // when set, only the names are gathered here
  std::vector<BuiltTable>* built = nullptr;   // when set, the tables the builder makes of the rows
  DescribedRows* rows = nullptr;              // when set, the rows of `tavole` and `campi` are gathered here

  // Fields in order, then each index with its fields, then the table row.
  int Describe(const char* table, const char* title, const char* description, const std::vector<FieldRow>& fields,
               const std::vector<IndexRow>& indexes) const {
    if (names) {
      SchemaTable& t = names->emplace_back();
      t.name = table;
      for (const FieldRow& f : fields) t.fields.emplace_back(f.name);
      return 1;
    }
    if (built) {
      // As the builder reads the rows: the fields in order, the primary index into the table, the
      // others made after it.
      BuiltTable& t = built->emplace_back();
      t.def.name = table;
      for (const FieldRow& f : fields)
        t.def.columns.push_back({f.name, {f.type, f.type == 'A' ? f.size : 0}, f.required == 1});
      for (const IndexRow& i : indexes) {
        std::vector<std::string> keyFields(i.fields.begin(), i.fields.end());
        if (i.primary == 1) {
          t.def.primaryKeyName = i.name;
          t.def.primaryKey = std::move(keyFields);
        } else {
          t.indexes.emplace_back(i.name, std::move(keyFields));
        }
      }
      return 1;
    }
    if (rows) {
      for (const FieldRow& f : fields)
        rows->fields.push_back(DictFieldRow(table, f.name, f.type, f.size, f.required, f.title, f.description));
      rows->tables.push_back(DictTableRow(table, title, description));
      return 1;
    }
    int ok = 1;
    for (const FieldRow& f : fields)
      ok &= DictAddField(campi, table, f.name, f.type, f.size, f.required, f.title, f.description, "", "");
    for (const IndexRow& i : indexes) {
      ok &= DictAddIndex(indici, table, i.name, i.primary, i.title, i.description);
      for (size_t k = 0; k < i.fields.size(); ++k)
        ok &= DictAddIndexField(indici2, table, i.name, static_cast<int>(k), i.fields[k]);
    }
    ok &= DictAddTable(tavole, table, title, description);
    return ok;
  }
};

// A relation of one field pair.
struct RelationRow {
  const char* name;
  const char* primaryTable;
  const char* primaryField;
  const char* foreignTable;
  const char* foreignField;
};

// The five relations, in the order in which they are described.
constexpr RelationRow kCalenCaden{"calen_caden", "cadenz", "codice", "calend", "caden"};
constexpr RelationRow kDetcorTescor{"detcor_tescor", "tescor", "id", "detcor", "id"};
constexpr RelationRow kPeriodTescor{"period_tescor", "tescor", "id", "period", "id"};
constexpr RelationRow kPeriodCaden{"period_caden", "cadenz", "codice", "period", "caden"};
constexpr RelationRow kFermaLocal{"ferma_local", "local", "id", "detcor", "reglocal"};

int Relation(DbTable* relaz, DbTable* relaz2, const RelationRow& r) {
  const int a = DictAddRelation(relaz, r.name, r.primaryTable, r.foreignTable);
  const int b = DictAddRelationField(relaz2, r.name, 0, r.primaryField, r.foreignField);
  return a & b;
}

int MasterRows(const Describer& d) {
  return d.Describe(
      "master", "RDG Principale",
      "Contiene le impostazioni generali del sistema Quendo per la gestione degli orari del trasporto pubblico locale",
      {
          {"codice", 'I', 0, 1, "Codice", "Codice = Zero"},
          {"azienda", 'I', 0, 1, "Codice Azienda", "Codice Regionale Azienda"},
          {"p_data", 'D', 0, 0, "Data Invio", "Data di invio comunicazione"},
          {"protoc", 'L', 0, 0, "Protocollo", "N.ro protocollo invio comunicazione"},
          {"resple", 'A', 40, 0, "Responsabile", "Nominativo del responsabile dell'invio"},
          {"datini", 'D', 0, 1, "Data Inizio", "Data di inizio periodo"},
          {"datfin", 'D', 0, 1, "Data Fine", "Data di fine periodo"},
          {"id_corsa", 'L', 0, 1, "ID Corsa", "Prossimo ID univoco Corsa da assegnare"},
          {"gruppo", 'L', 0, 1, "ID Gruppo", "Prossimo ID univoco Raggruppamento Corse da assegnare"},
      },
      {{"codice", 1, {"codice"}, "Codice", "Indice di comodo"}});
}

int RegaziRows(const Describer& d) {
  return d.Describe(
      "regazi", "Codici Regionali Azienda", "Contiene la codificazione regionale delle Aziende",
      {
          {"codice", 'I', 0, 1, "Codice", "Contiene il codice regionale dell'Azienda"},
          {"denom", 'A', 40, 1, "Denominazione", "Contiene la denominazione dell'Azienda"},
      },
      {{"codice", 1, {"codice"}, "Codici Regionali Azienda", "Elenca le aziende in ordine di codice regionale"}});
}

int RegentRows(const Describer& d) {
  return d.Describe(
      "regent", "Codici Regionali Enti", "Contiene la codificazione regionale degli Enti Concedenti",
      {
          {"codice", 'I', 0, 1, "Codice", "Contiene il codice regionale dell'Ente Concedente"},
          {"denom", 'A', 40, 1, "Denominazione", "Contiene la denominazione dell'Ente Concedente"},
      },
      {{"codice", 1, {"codice"}, "Codici Regionali Enti", "Elenca gli Enti in ordine di codice regionale"}});
}

int CadenzRows(const Describer& d) {
  return d.Describe("cadenz", "Tipo Cadenza Corse", "Contiene la codificazione dei tipi cadenza corse",
                    {
                        {"codice", 'A', 10, 1, "Codice", "Contiene il codice della cadenza corsa"},
                        {"denom", 'A', 60, 1, "Denominazione", "Contiene la denominazione della cadenza corsa"},
                    },
                    {{"codice", 1, {"codice"}, "Tipo Cadenza", "Elenca le cadenze corse in ordine di codice"}});
}

int CalendRows(const Describer& d) {
  return d.Describe("calend", "Calendario", "Contiene il calendario giornaliero per lo sviluppo del piano di esercizio",
                    {
                        {"data", 'D', 0, 1, "Data", "Contiene la data del giorno di calendario"},
                        {"caden", 'A', 10, 1, "Cadenza Attiva", "Cadenza corsa valida per il giorno"},
                        {"giorno", 'A', 1, 1, "Giorno della Settimana",
                         "Giorno della settimana (1=Lun/2=Mar/3=Mer/4=Gio/5=Ven/6=Sab/7=Dom"},
                        {"note", 'A', 20, 1, "Annotazioni", "Annotazioni (festività particolari etc.)"},
                    },
                    {{"codice", 1, {"data", "caden"}, "Data", "Ordina il calendario per data"}});
}

int TescorRows(const Describer& d) {
  return d.Describe(
      "tescor", "Testa Corsa", "Contiene le informazioni relative alle singole corse",
      {
          {"id", 'L', 0, 1, "Id Corsa", "Contiene l'identificativo univoco della corsa"},
          {"codcorsa", 'A', 20, 1, "Codice Corsa", "Contiene il codice aziendale della corsa"},
          {"codlinea", 'A', 10, 1, "Codice Linea", "Contiene il codice aziendale della linea"},
          {"verso", 'A', 1, 1, "Verso Linea", "Contiene il verso della linea (A=Andata; R=Ritorno)"},
          {"parte", 'I', 0, 1, "Partenza Capolinea", "Indica il tempo di partenza dal capolinea iniziale"},
          {"arriva", 'I', 0, 1, "Arrivo Capolinea", "Indica il tempo di arrivo al capolinea finale"},
          {"ente", 'I', 0, 1, "Codice Ente Gestore", "Contiene il codice dell'Ente gestore"},
          {"contratt", 'I', 0, 1, "Codice Contratto", "Contiene il codice del contratto"},
          {"lung", 'L', 0, 1, "Lunghezza (metri)", "Esprime la lunghezza totale del percorso (in metri)"},
          {"tempo", 'I', 0, 1, "Tempo (minuti)", "Esprime il tempo totale di durata della corsa (in minuti)"},
          {"ct_lung", 'L', 0, 1, "Lunghezza contrattuale",
           "Esprime la lunghezza del percorso (in metri) ai fini contrattuali"},
          {"ct_tempo", 'I', 0, 1, "Tempo contrattuale",
           "Esprime il tempo di durata della corsa (in minuti) ai fini contrattuali"},
          {"regcorsa", 'A', 10, 0, "Codice Reg.le Corsa", "Contiene il codice regionale della corsa"},
          {"codperc", 'A', 20, 0, "Codice Percorso", "Contiene il codice regionale della corsa"},
          {"reglinea", 'L', 0, 0, "Codice Reg.le Percorso", "Contiene il codice regionale del percorso"},
          {"denom", 'A', 120, 0, "Descrittore", "Contiene la descrizione sommaria del percorso"},
          {"gruppo", 'L', 0, 1, "Codice Quadro", "Contiene il codice interno per il raggruppamento dei quadri"},
          {"mezzo", 'A', 1, 0, "Mezzo Utilizzato", "Contiene il codice del mezzo di trasporto utilizzato"},
          {"prevcor", 'L', 0, 0, "ID Corsa Precedente", "Contiene l'ID della corsa precedente (prosecuzione)"},
          {"nextcor", 'L', 0, 0, "Codice Corsa Successiva", "Contiene l'ID della corsa successiva (prosecuzione)"},
      },
      {{"codice", 1, {"id"}, "Identificativo Corsa", "Ordina le corse per identificativo univoco"}});
}

int DetcorRows(const Describer& d) {
  return d.Describe(
      "detcor", "Dettagli Corsa", "Contiene le informazioni di dettaglio relative alle singole corse",
      {
          {"id", 'L', 0, 1, "Id Corsa", "Contiene l'identificativo univoco della corsa"},
          {"sub", 'I', 0, 1, "Dettaglio", "Contiene il progressivo ordinamentale del dettaglio"},
          {"fermata", 'A', 10, 0, "Codice Fermata", "Contiene il codice aziendale della fermata"},
          {"denom", 'A', 40, 1, "Denominazione Fermata", "Contiene la denominazione aziendale della fermata"},
          {"ubicaz", 'A', 40, 0, "Ubicazione Fermata", "Contiene l'ubicazione aziendale della fermata"},
          {"dist", 'L', 0, 1, "Progressiva (metri)",
           "Indica la distanza progressiva dal capolinea di partenza (in metri)"},
          {"arriva", 'I', 0, 1, "Tempo di arrivo", "Indica il tempo di arrivo alla fermata"},
          {"parte", 'I', 0, 1, "Tempo di partenza", "Indica il tempo di partenza dalla fermata"},
          {"primaria", 'B', 0, 1, "Fermata principale", "Indica se è una fermata principale"},
          {"facolt", 'B', 0, 1, "Fermata facoltativa", "Indica se è una fermata facoltativa"},
          {"nonferma", 'B', 0, 1, "Non ferma", "Indica se è un passaggio misurato senza fermata"},
          {"regferma", 'L', 0, 0, "Codice Reg.le Fermata", "Contiene il codice regionale della fermata"},
          {"regarea", 'A', 6, 0, "Codice Reg.le Area", "Contiene il codice regionale dell'area di fermata"},
          {"reglocal", 'I', 0, 1, "Codice Reg.le Località", "Contiene il codice regionale della località"},
      },
      {{"codice", 1, {"id", "sub"}, "Dettaglio Corsa", "Ordina i dettagli corse per identificativo univoco"},
       {"fermata", 0, {"fermata", "denom", "ubicaz"}, "Fermate", "Ordina le fermate"}});
}

int PeriodRows(const Describer& d) {
  return d.Describe("period", "Periodi validità corse",
                    "Contiene le informazioni relative ai periodi di validità delle singole corse",
                    {
                        {"id", 'L', 0, 1, "Identificativo Corsa", "Contiene l'identificativo univoco della corsa"},
                        {"caden", 'A', 10, 1, "Cadenza", "Contiene il codice cadenza associato alla corsa"},
                        {"inizio", 'D', 0, 1, "Data inizio", "Contiene la data di inizio del periodo"},
                        {"fine", 'D', 0, 1, "Data fine", "Contiene la data di fine del periodo"},
                        {"escluso", 'B', 0, 1, "Periodo Escluso",
                         "VERO indica un periodo di validità esclusa; FALSO indica un periodo di validità attiva"},
                    },
                    {{"codice",
                      1,
                      {"id", "inizio", "fine"},
                      "Identificativo Periodo",
                      "Ordina i dettagli periodi validità corsa per identificativo univoco"}});
}

int LocalRows(const Describer& d) {
  return d.Describe(
      "local", "Località", "Contiene le informazioni relative alle località",
      {
          {"id", 'I', 0, 1, "Identificativo Località", "Contiene l'identificativo univoco della località"},
          {"denom", 'A', 40, 1, "Denominazione", "Contiene la denominazione della località"},
          {"istat", 'L', 0, 1, "Codice Istat", "Contiene il codice istat del Comune"},
          {"comune", 'A', 40, 1, "Comune", "Contiene la denominazione del comune cui appartiene la località"},
          {"prov", 'A', 4, 1, "Provincia", "Contiene la sigla della provincia"},
      },
      {{"codice", 1, {"id"}, "Località", "Ordina le località"}});
}

}  // namespace

int DescribeMasterTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return MasterRows({tavole, campi, indici, indici2});
}

int DescribeRegaziTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return RegaziRows({tavole, campi, indici, indici2});
}

int DescribeRegentTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return RegentRows({tavole, campi, indici, indici2});
}

int DescribeCadenzTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return CadenzRows({tavole, campi, indici, indici2});
}

int DescribeCalendTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return CalendRows({tavole, campi, indici, indici2});
}

int DescribeTescorTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return TescorRows({tavole, campi, indici, indici2});
}

int DescribeDetcorTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return DetcorRows({tavole, campi, indici, indici2});
}

int DescribePeriodTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return PeriodRows({tavole, campi, indici, indici2});
}

int DescribeLocalTable(DbTable* tavole, DbTable* campi, DbTable* indici, DbTable* indici2) {
  return LocalRows({tavole, campi, indici, indici2});
}

int DescribeRelationCalenCaden(DbTable* relaz, DbTable* relaz2) { return Relation(relaz, relaz2, kCalenCaden); }

int DescribeRelationDetcorTescor(DbTable* relaz, DbTable* relaz2) { return Relation(relaz, relaz2, kDetcorTescor); }

int DescribeRelationPeriodTescor(DbTable* relaz, DbTable* relaz2) { return Relation(relaz, relaz2, kPeriodTescor); }

int DescribeRelationPeriodCaden(DbTable* relaz, DbTable* relaz2) { return Relation(relaz, relaz2, kPeriodCaden); }

int DescribeRelationFermaLocal(DbTable* relaz, DbTable* relaz2) { return Relation(relaz, relaz2, kFermaLocal); }

namespace {

// The nine tables, in the order described, to one describer.
void DescribeNine(const Describer& d) {
  for (int (*describe)(const Describer&) :
       {MasterRows, RegaziRows, RegentRows, CadenzRows, CalendRows, TescorRows, DetcorRows, PeriodRows, LocalRows})
    describe(d);
}

}  // namespace

std::vector<BuiltDefinition> SchemaDefinitions(bool kindRules) {
  std::vector<BuiltTable> tables;
  Describer rows;
  rows.built = &tables;
  DescribeNine(rows);
  // Each relation goes into the definition of its foreign table, in the order described.
  for (const RelationRow& r : {kCalenCaden, kDetcorTescor, kPeriodTescor, kPeriodCaden, kFermaLocal})
    for (BuiltTable& t : tables)
      if (strcasecmp(t.def.name.c_str(), r.foreignTable) == 0)
        t.def.foreignKeys.push_back({r.name, r.primaryTable, {r.foreignField}, {r.primaryField}});
  std::vector<BuiltDefinition> out;
  for (BuiltTable& t : tables) {
    t.def.kindRules = kindRules;
    out.push_back({"table", t.def.name, t.def.name, CreateTableSql(t.def)});
    for (const auto& [index, fields] : t.indexes)
      out.push_back({"index", SqlIndexName(t.def.name, index), t.def.name, CreateIndexSql(t.def.name, index, fields)});
  }
  return out;
}

const DescribedRows& SchemaDictionaryRows() {
  static const DescribedRows described = [] {
    DescribedRows out;
    Describer rows;
    rows.rows = &out;
    DescribeNine(rows);
    return out;
  }();
  return described;
}

std::string SchemaFieldTitle(const std::string& table, const std::string& field) {
  const auto value = [](const DictionaryRow& row, std::string_view column) {
    for (const auto& [name, text] : row)
      if (name == column) return text;
    return std::string();
  };
  for (const DictionaryRow& row : SchemaDictionaryRows().fields)
    if (value(row, "tavola") == table && value(row, "nome") == field) return value(row, "denom");
  return {};
}

const std::vector<SchemaTable>& SchemaTables() {
  static const std::vector<SchemaTable> tables = [] {
    std::vector<SchemaTable> out;
    Describer names;
    names.names = &out;
    DescribeNine(names);
    return out;
  }();
  return tables;
}

int DescribeSchema(const DictionaryTables& t) {
  int ok = 1;
  ok &= DescribeMasterTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribeRegaziTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribeRegentTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribeCadenzTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribeCalendTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribeTescorTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribeDetcorTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribePeriodTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribeLocalTable(t.tavole, t.campi, t.indici, t.indici2);
  ok &= DescribeRelationCalenCaden(t.relaz, t.relaz2);
  ok &= DescribeRelationDetcorTescor(t.relaz, t.relaz2);
  ok &= DescribeRelationPeriodTescor(t.relaz, t.relaz2);
  ok &= DescribeRelationPeriodCaden(t.relaz, t.relaz2);
  ok &= DescribeRelationFermaLocal(t.relaz, t.relaz2);
  return ok;
}
