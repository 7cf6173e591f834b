// Building a new database from the data dictionary: what a new file holds, what the engine
// enforces in it, its tables kept in the order of their keys, and what a failed build leaves.

#include "DbTestSupport.h"
#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbDictionary.h"
#include "db/DbSchema.h"
#include "db/DbSelect.h"

#include <gtest/gtest.h>
#include <QDir>
#include <algorithm>
#include <memory>

namespace {

// One database built by the schema for the whole group; each case works on its own copy.
class NewDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    NoticeLog creation;
    const CreateOutcome created = CreateTimetableDatabase(Built(), CreateMode::Menu, SeedLocalityZero);
    result_ = created.ok;
    notices_ = creation.Notices();
    notices_.insert(notices_.end(), created.messages.begin(), created.messages.end());
  }
  static std::string Built() { return dir_.Path("QUENDO.MDB"); }
  void SetUp() override {
    WriteFileBytes(path, FileBytes(Built()));
    db = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db->isOpen);
  }

  inline static const ScratchDir dir_;
  inline static int result_ = 0;
  inline static std::vector<Notice> notices_;
  ScratchDir scratch;
  const std::string path = scratch.Path("copy.mdb");
  NoticeLog notices;
  std::unique_ptr<DbDatabase> db;
};

// The build shows one information box, leaves no scratch file, write-ahead log or shared-memory
// file beside the new one, and makes every table from its dictionary rows.
TEST_F(NewDatabase, IsCreatedWithOneInformationBoxAndFollowsItsDictionaryRows) {
  ASSERT_EQ(result_, 1);
  EXPECT_TRUE(notices_.size() == 1 && notices_[0].icon == NoticeIcon::Information);
  EXPECT_EQ(Listing(dir_.Dir()), "QUENDO.MDB\n");
  const std::string file = Built();
  EXPECT_EQ(QueryFile(file, "PRAGMA integrity_check"), "ok\n");
  EXPECT_EQ(QueryFile(file, "PRAGMA foreign_key_check"), "");
  // Every field described in campi is a column of its table with the type of its letter, in
  // the order described; a required field or a key field refuses NULL.
  const std::string fromTables =
      QueryFile(file,
                "SELECT t.name, p.name, p.type, p.\"notnull\" FROM sqlite_master t, pragma_table_info(t.name) p "
                "WHERE t.name IN (SELECT nome FROM tavole) ORDER BY t.name, p.cid");
  EXPECT_EQ(QueryFile(file,
                      "SELECT c.tavola, c.nome, CASE c.tipo WHEN 'A' THEN 'VARCHAR(' || c.size || ')' "
                      "WHEN 'B' THEN 'BOOLEAN' WHEN 'D' THEN 'DATE' WHEN 'I' THEN 'SMALLINT' WHEN 'L' THEN 'INT' END, "
                      "c.obblig FROM campi c ORDER BY c.tavola, c.rowid"),
            fromTables);
  EXPECT_EQ(std::count(fromTables.begin(), fromTables.end(), '\n'), 63);
  // Keys and index fields in the order of their positions.
  EXPECT_EQ(QueryFile(file,
                      "SELECT group_concat(name, ',') FROM (SELECT name FROM pragma_table_info('period') "
                      "WHERE pk > 0 ORDER BY pk)"),
            "id,inizio,fine\n");
  EXPECT_EQ(QueryFile(file, "SELECT group_concat(name, ',') FROM pragma_index_info('detcor__fermata')"),
            "fermata,denom,ubicaz\n");
  // The five relations, as foreign keys of the foreign tables.
  EXPECT_EQ(QueryFile(file,
                      "SELECT t.name, f.\"table\", f.\"from\", f.\"to\", f.on_delete, f.on_update "
                      "FROM sqlite_master t, pragma_foreign_key_list(t.name) f WHERE t.type = 'table' "
                      "ORDER BY t.name, f.\"table\""),
            "calend|cadenz|caden|codice|NO ACTION|NO ACTION\n"
            "detcor|local|reglocal|id|NO ACTION|NO ACTION\n"
            "detcor|tescor|id|id|NO ACTION|NO ACTION\n"
            "period|cadenz|caden|codice|NO ACTION|NO ACTION\n"
            "period|tescor|id|id|NO ACTION|NO ACTION\n");
}

TEST_F(NewDatabase, ARowIsChangedRekeyedAndCopiedByItsKey) {
  ASSERT_TRUE(AddTrip(db.get(), "1", "C1") && AddTrip(db.get(), "2", "C2"));
  DbTable t(db.get(), "tescor");
  ASSERT_TRUE(t.SetIndex("codice") && t.SeekEqual({"2"}));
  // A new key, then a second edit of the same row under its new key.
  ASSERT_TRUE(t.Edit() && t.SetFieldText("id", "7") && t.Update()) << notices.Texts();
  ASSERT_TRUE(t.Edit() && t.SetFieldText("codcorsa", "C7") && t.Update()) << notices.Texts();
  EXPECT_EQ(QueryFile(path, "SELECT id, codcorsa FROM tescor ORDER BY id"), "1|C1\n7|C7\n");
  EXPECT_EQ(t.SeekEqual({"2"}), 0);
  // A copied row keeps its NULL fields NULL.
  ASSERT_TRUE(t.SeekEqual({"1"}) && t.SaveRecord() && t.AddNew());
  t.RestoreRecord();
  ASSERT_TRUE(t.SetFieldText("id", "3") && t.Update()) << notices.Texts();
  EXPECT_EQ(QueryFile(path, "SELECT id, regcorsa IS NULL, mezzo IS NULL, codcorsa FROM tescor ORDER BY id"),
            "1|1|1|C1\n3|1|1|C1\n7|1|1|C7\n");
  EXPECT_EQ(notices.Texts(), "");
}

TEST_F(NewDatabase, EngineEnforcesTheRelationsWithoutCascading) {
  ASSERT_TRUE(AddCadence(db.get(), "FER", "Feriale") && AddTrip(db.get(), "7"));
  // A child needs its parent.
  EXPECT_EQ(AddRow(db.get(), "period", "id=8;caden=FER;inizio=01/01/2024;fine=31/12/2024;escluso=0"), 0);
  EXPECT_TRUE(
      HasPrefix(notices.Texts(), "Errore aggiornamento tavola (period)\n\nViolazione dell'integrità referenziale"));
  EXPECT_EQ(AddStop(db.get(), "7", "1", "4756"), 0);  // no such locality
  ASSERT_TRUE(AddStop(db.get(), "7", "2") && AddStop(db.get(), "7", "1"));
  // A day type padded to ten characters is the same key, also for a seek by date and day type.
  ASSERT_EQ(AddRow(db.get(), "calend", "data=02/01/2024;caden=FER       ;giorno=2;note= "), 1);
  DbTable calend(db.get(), "calend");
  EXPECT_TRUE(calend.SetIndex("codice") && calend.SeekEqual({"02/01/2024", "FER"}));
  // Compound keys: the first stop in key order, and a stop re-keyed.
  DbTable stops(db.get(), "detcor");
  ASSERT_TRUE(stops.SetIndex("codice") && stops.SeekEqual({"7"}));
  EXPECT_EQ(FieldOf(stops, "sub"), "1");
  ASSERT_TRUE(stops.SeekEqual({"7", "2"}) && stops.Edit() && stops.SetFieldText("sub", "5") && stops.Update());
  notices.Clear();

  // A parent with children can be neither deleted nor re-keyed.
  DbTable cadenz(db.get(), "cadenz");
  ASSERT_TRUE(cadenz.SetIndex("codice") && cadenz.SeekEqual({"FER"}) && !cadenz.Delete());
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore eliminazione tavola (cadenz)\n\nLa riga non può essere eliminata"));
  DbTable tescor(db.get(), "tescor");
  ASSERT_TRUE(tescor.SetIndex("codice") && tescor.SeekEqual({"7"}) && tescor.Edit() && tescor.SetFieldText("id", "70"));
  EXPECT_FALSE(tescor.Update() || !tescor.SeekEqual({"7"}) || tescor.Delete());
  db.reset();
  // Nothing was deleted or changed along the way.
  EXPECT_EQ(QueryFile(path,
                      "SELECT (SELECT count(*) FROM cadenz), (SELECT group_concat(id) FROM tescor), "
                      "(SELECT group_concat(sub) FROM detcor), (SELECT caden FROM calend)"),
            "1|7|1,5|FER       \n");
}

TEST_F(NewDatabase, EngineEnforcesRequiredFieldsAndSizes) {
  // An empty text is stored as NULL, which a required field refuses.
  EXPECT_EQ(AddCadence(db.get(), "FER", ""), 0);
  EXPECT_TRUE(HasPart(notices.Texts(), "Manca il valore di un campo obbligatorio"));
  ASSERT_EQ(AddTrip(db.get(), "1"), 1);
  db.reset();
  // Another program writing to the file meets the same rules.
  const std::pair<const char*, const char*> cases[] = {
      {"INSERT INTO cadenz VALUES ('', 'Vuoto')", "CHECK constraint failed: codice__required"},
      {"INSERT INTO cadenz VALUES ('12345678901', 'Lungo')", "CHECK constraint failed: codice__size"},
      {"INSERT INTO cadenz VALUES ('1234567890', 'Giusto')", "ok"},
      {"INSERT INTO cadenz VALUES ('12', ' ')", "ok"},  // blanks are a value
      {"INSERT INTO local VALUES (NULL, 'x', 1, 'y', 'z')", "NOT NULL constraint failed: local.id"},
      {"UPDATE tescor SET regcorsa = '' WHERE id = 1", "ok"},  // not required: the empty text is allowed
      {"UPDATE tescor SET codlinea = '' WHERE id = 1", "CHECK constraint failed: codlinea__required"},
  };
  for (const auto& [sql, result] : cases) EXPECT_EQ(ExecOnFile(path, sql, EngineChecks::On), result) << sql;
}

// Another program writing through the engine alone meets each column's kind: the engine's own message names the rule,
// and nothing is stored. So does the layer's own SQL writer, in its words.
TEST_F(NewDatabase, EngineHoldsEachColumnToItsKind) {
  ASSERT_TRUE(AddTrip(db.get(), "1") && AddStop(db.get(), "1", "1") && AddCadence(db.get(), "FER"));
  ASSERT_EQ(AddRow(db.get(), "calend", "data=05/10/2026;caden=FER;giorno=1;note= "), 1);
  ASSERT_EQ(DbExecute(db.get(), "detcor", "UPDATE detcor SET primaria = ?1", {{"2", {}}}), -1);
  EXPECT_EQ(notices.Texts(),
            "Errore aggiornamento tavola (detcor)\n\nIl valore non è del tipo del campo (CHECK constraint failed: "
            "primaria__kind)");
  db.reset();
  const auto stored = [&] {
    return QueryFile(path, "SELECT quote(codlinea), quote(parte), quote(lung) FROM tescor") +
           QueryFile(path, "SELECT quote(data) FROM calend") + QueryFile(path, "SELECT quote(primaria) FROM detcor");
  };
  // The field whose rule refuses the write, or nullptr for a value at the edge of the column's range, which is taken.
  const std::pair<const char*, const char*> cases[] = {
      {"UPDATE tescor SET codlinea = X'4C31'", "codlinea"},  // text
      {"UPDATE tescor SET parte = 40000", "parte"},          // SMALLINT
      {"UPDATE tescor SET parte = 'abc'", "parte"},         {"UPDATE tescor SET parte = 2.5", "parte"},
      {"UPDATE tescor SET parte = 32767", nullptr},         {"UPDATE tescor SET parte = 32768", "parte"},
      {"UPDATE tescor SET parte = -32768", nullptr},        {"UPDATE tescor SET parte = -32769", "parte"},
      {"UPDATE tescor SET lung = 123456789012", "lung"},  // INT
      {"UPDATE tescor SET lung = 2147483647", nullptr},     {"UPDATE tescor SET lung = 2147483648", "lung"},
      {"UPDATE tescor SET lung = -2147483648", nullptr},    {"UPDATE tescor SET lung = -2147483649", "lung"},
      {"UPDATE calend SET data = '05/10/2026'", "data"},  // date
      {"UPDATE calend SET data = 20261005", "data"},        {"UPDATE calend SET data = 'abc'", "data"},
      {"UPDATE calend SET data = '2026-02-31'", "data"},    {"UPDATE detcor SET primaria = 2", "primaria"},  // yes/no
      {"UPDATE detcor SET primaria = -1", "primaria"},      {"UPDATE detcor SET primaria = 0", nullptr},
      {"UPDATE detcor SET primaria = 1", nullptr},
  };
  for (const auto& [sql, field] : cases) {
    const std::string before = stored();
    EXPECT_EQ(ExecOnFile(path, sql, EngineChecks::On),
              field ? "CHECK constraint failed: " + std::string(field) + "__kind" : "ok")
        << sql;
    EXPECT_EQ(stored() == before, field != nullptr) << sql;
  }
}

// Building from a dictionary of the test's own, or into a folder that does not exist: the creation
// fails in one box that carries every fault, and no file is left.
TEST(BuildFailure, DictionaryFaultsAreReportedAndLeaveNoFile) {
  struct Expected {
    std::string start, part;
  };
  const struct {
    DescribeDictionary describe;
    std::vector<Expected> notices;  // the faults the creation's failure tells
    const char* file = "bad.mdb";
  } cases[] = {
      {DescribeSchema, {{"Impossibile aprire il file", ""}}, "manca/bad.mdb"},
      {[](const DictionaryTables& t) {
         return DescribeSchema(t) & DictAddField(t.campi, "master", "strano", 'X', 0, 0, "Strano", "");
       },
       {{"Errore in fase di inserimento campo \"strano\"\n\nTipo di campo sconosciuto", ""}}},
      {[](const DictionaryTables& t) {  // the unknown type in the first field of a table
         return DictAddField(t.campi, "prova", "primo", 'Z', 0, 1, "Primo", "") &
                DictAddField(t.campi, "prova", "secondo", 'A', 8, 1, "Secondo", "") &
                DictAddTable(t.tavole, "prova", "Prova", "");
       },
       {{"Errore in fase di inserimento campo \"primo\"", ""}}},
      {[](const DictionaryTables& t) {
         return DescribeSchema(t) & DictAddRelation(t.relaz, "vuota", "tescor", "detcor");
       },
       {{"Errore creazione relazione \"vuota\"\n\n", ""}}},
      {[](const DictionaryTables& t) {  // fields that are no key; fields of different types
         return DescribeSchema(t) & DictAddRelation(t.relaz, "a_caso", "local", "detcor") &
                DictAddRelationField(t.relaz2, "a_caso", 0, "denom", "denom") &
                DictAddRelation(t.relaz, "tipi", "local", "tescor") &
                DictAddRelationField(t.relaz2, "tipi", 0, "id", "codcorsa");
       },
       {{"Errore creazione relazione \"a_caso\"", "chiave primaria"},
        {"Errore creazione relazione \"tipi\"", "stesso tipo"}}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    NoticeLog log;
    const std::string path = dir.Path(c.file);
    const CreateOutcome created = CreateTimetableDatabaseFrom(path, CreateMode::Menu, c.describe, nullptr);
    EXPECT_FALSE(created.ok);
    EXPECT_EQ(Listing(dir.Dir()), "");
    std::vector<Notice> n = log.Notices();
    n.insert(n.end(), created.messages.begin(), created.messages.end());
    ASSERT_EQ(n.size(), 1u) << log.Texts() << created.Texts();
    EXPECT_EQ(n[0].caption, "Creazione database");
    EXPECT_EQ(n[0].icon, NoticeIcon::Exclamation);
    const std::string failed = "Errore durante la creazione del database " + path + "\n\n";
    ASSERT_TRUE(HasPrefix(n[0].text, failed)) << n[0].text;
    // Each fault in its turn, after the failure.
    size_t from = failed.size();
    for (const Expected& fault : c.notices) {
      const size_t at = n[0].text.find(fault.start, from);
      ASSERT_NE(at, std::string::npos) << fault.start << " in " << n[0].text;
      EXPECT_TRUE(HasPart(n[0].text.substr(at), fault.part)) << fault.part;
      from = at + fault.start.size();
    }
  }
}

// Building from dictionary rows that a describer wrote in an unusual way, in a folder with accents in its name.
TEST(DictionaryBuild, IndexFieldsFollowTheirPositions) {
  ScratchDir dir;
  NoticeLog log;
  const std::string folder = dir.Path("Località");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(folder)));
  const std::string path = folder + "/Quendo è qui.mdb";
  const CreateOutcome created = CreateTimetableDatabaseFrom(
      path, CreateMode::Startup,
      [](const DictionaryTables& t) {
        return DescribeSchema(t) & DictAddField(t.campi, "prova", "uno", 'L', 0, 1, "Uno", "") &
               DictAddField(t.campi, "prova", "due", 'A', 5, 0, "Due", "") &
               DictAddField(t.campi, "prova", "tre", 'A', 5, 1, "Tre", "") &
               DictAddField(t.campi, "prova", "quattro", 'M', 0, 0, "Quattro", "") &
               DictAddIndex(t.indici, "prova", "codice", 1, "Codice", "") &
               DictAddIndexField(t.indici2, "prova", "codice", 0, "uno") &
               DictAddIndex(t.indici, "prova", "trio", 0, "Trio", "") &
               DictAddIndexField(t.indici2, "prova", "trio", 2, "uno") &
               DictAddIndexField(t.indici2, "prova", "trio", 0, "tre") &
               DictAddIndexField(t.indici2, "prova", "trio", 1, "due") &
               DictAddTable(t.tavole, "prova", "Prova", "Tavola di prova");
      },
      nullptr);
  ASSERT_TRUE(created.ok) << log.Texts() << created.Texts();
  EXPECT_EQ(log.Texts() + created.Texts(), "Il database " + path + " è stato creato con successo");
  EXPECT_EQ(Listing(folder), "Quendo è qui.mdb\n");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(name, ',') FROM pragma_index_info('prova__trio')"), "tre,due,uno\n");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(name || ' ' || type, ',') FROM pragma_table_info('prova')"),
            "uno INT,due VARCHAR(5),tre VARCHAR(5),quattro LONGTEXT\n");
  EXPECT_TRUE(DbDatabase(path).isOpen);
}

}  // namespace
