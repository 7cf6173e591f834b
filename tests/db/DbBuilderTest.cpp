// Building a new database from the data dictionary: what a new file holds, what the engine
// enforces in it, its tables kept in the order of their keys, and what a failed build leaves.

#include "DbTestSupport.h"
#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbDictionary.h"
#include "db/DbSchema.h"

#include <gtest/gtest.h>
#include <QDir>
#include <algorithm>
#include <memory>

namespace {

// One database built by the schema for the whole group; each case works on its own copy.
class NewDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    NoticeLog creation;
    result_ = CreateTimetableDatabase(Built(), CreateMode::Menu, SeedLocalityZero);
    notices_ = creation.Notices();
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::string Built() { return dir_->Path("QUENDO.MDB"); }
  void SetUp() override {
    WriteFileBytes(path, FileBytes(Built()));
    db = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db->isOpen);
  }

  static ScratchDir* dir_;
  static int result_;
  static std::vector<Notice> notices_;
  ScratchDir scratch;
  const std::string path = scratch.Path("copy.mdb");
  NoticeLog notices;
  std::unique_ptr<DbDatabase> db;
};

ScratchDir* NewDatabase::dir_ = nullptr;
int NewDatabase::result_ = 0;
std::vector<Notice> NewDatabase::notices_;

TEST_F(NewDatabase, IsCreatedWithOneInformationBoxAndNothingBesideIt) {
  ASSERT_EQ(result_, 1);
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0].text, "Il database " + Built() + " è stato creato con successo\n\n");
  EXPECT_EQ(notices_[0].caption, "Creazione database");
  EXPECT_EQ(notices_[0].icon, NoticeIcon::Information);
  // No scratch file, write-ahead log or shared-memory file is left in the folder.
  EXPECT_EQ(Listing(dir_->Dir()), "QUENDO.MDB\n");
  EXPECT_EQ(QueryFile(Built(), "PRAGMA integrity_check"), "ok\n");
  EXPECT_EQ(QueryFile(Built(), "PRAGMA foreign_key_check"), "");
}

TEST_F(NewDatabase, TablesFollowTheirDictionaryRows) {
  const std::string file = Built();
  EXPECT_EQ(QueryFile(file,
                      "SELECT (SELECT count(*) FROM tavole), (SELECT count(*) FROM campi), "
                      "(SELECT count(*) FROM indici), (SELECT count(*) FROM indici2), "
                      "(SELECT count(*) FROM relaz), (SELECT count(*) FROM relaz2), (SELECT count(*) FROM utenti)"),
            "9|63|10|16|5|5|0\n");
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

TEST_F(NewDatabase, ARowIsChangedRekeyedAndDeletedByItsKey) {
  ASSERT_EQ(AddTrip(db.get(), "1", "C1"), 1);
  ASSERT_EQ(AddTrip(db.get(), "2", "C2"), 1);
  DbTable t(db.get(), "tescor");
  ASSERT_TRUE(t.SetIndex("codice") && t.SeekEqual({"2"}));
  // A new key, then a second edit of the same row under its new key.
  ASSERT_TRUE(t.Edit() && t.SetFieldText("id", "7") && t.Update()) << notices.Texts();
  ASSERT_TRUE(t.Edit() && t.SetFieldText("codcorsa", "C7") && t.Update()) << notices.Texts();
  EXPECT_EQ(QueryFile(path, "SELECT id, codcorsa FROM tescor ORDER BY id"), "1|C1\n7|C7\n");
  EXPECT_EQ(t.SeekEqual({"2"}), 0);
  ASSERT_TRUE(t.SeekEqual({"7"}) && t.Delete());
  EXPECT_EQ(QueryFile(path, "SELECT id FROM tescor"), "1\n");
  // A copied row keeps its NULL fields NULL.
  ASSERT_TRUE(t.SeekEqual({"1"}) && t.SaveRecord() && t.AddNew());
  t.RestoreRecord();
  ASSERT_TRUE(t.SetFieldText("id", "3") && t.Update()) << notices.Texts();
  EXPECT_EQ(QueryFile(path, "SELECT id, regcorsa IS NULL, mezzo IS NULL, codcorsa FROM tescor ORDER BY id"),
            "1|1|1|C1\n3|1|1|C1\n");
  EXPECT_EQ(notices.Texts(), "");
}

TEST_F(NewDatabase, EngineEnforcesTheRelationsWithoutCascading) {
  ASSERT_EQ(AddCadence(db.get(), "FER", "Feriale"), 1);
  ASSERT_EQ(AddTrip(db.get(), "7"), 1);
  // A child needs its parent.
  EXPECT_EQ(AddRow(db.get(), "period", "id=8;caden=FER;inizio=01/01/2024;fine=31/12/2024;escluso=0"), 0);
  EXPECT_TRUE(
      HasPrefix(notices.Texts(), "Errore aggiornamento tavola (period)\n\nViolazione dell'integrità referenziale"));
  EXPECT_EQ(AddStop(db.get(), "7", "1", "4756"), 0);  // no such locality
  ASSERT_EQ(AddStop(db.get(), "7", "2"), 1);
  ASSERT_EQ(AddStop(db.get(), "7", "1"), 1);
  // A day type padded to ten characters is the same key.
  ASSERT_EQ(AddRow(db.get(), "calend", "data=02/01/2024;caden=FER       ;giorno=2;note= "), 1);
  // Compound keys: the first stop in key order, and a stop re-keyed.
  DbTable stops(db.get(), "detcor");
  ASSERT_TRUE(stops.SetIndex("codice") && stops.SeekEqual({"7"}));
  EXPECT_EQ(FieldOf(stops, "sub"), "1");
  ASSERT_TRUE(stops.SeekEqual({"7", "2"}) && stops.Edit() && stops.SetFieldText("sub", "5") && stops.Update());
  notices.Clear();

  // A parent with children can be neither deleted nor re-keyed.
  DbTable cadenz(db.get(), "cadenz");
  ASSERT_TRUE(cadenz.SetIndex("codice") && cadenz.SeekEqual({"FER"}));
  EXPECT_EQ(cadenz.Delete(), 0);
  EXPECT_EQ(notices.Texts(),
            "Errore eliminazione tavola (cadenz)\n\nLa riga non può essere eliminata: altre tavole vi fanno "
            "riferimento (FOREIGN KEY constraint failed)");
  DbTable tescor(db.get(), "tescor");
  ASSERT_TRUE(tescor.SetIndex("codice") && tescor.SeekEqual({"7"}) && tescor.Edit() && tescor.SetFieldText("id", "70"));
  EXPECT_EQ(tescor.Update(), 0);
  ASSERT_EQ(tescor.SeekEqual({"7"}), 1);
  EXPECT_EQ(tescor.Delete(), 0);
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
  notices.Clear();
  EXPECT_EQ(AddTrip(db.get(), "1"), 0);  // the primary key refuses a second row with the same key
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore aggiornamento tavola (tescor)\n\nValore duplicato"));
  EXPECT_EQ(notices.Notices()[0].icon, NoticeIcon::Stop);
  ASSERT_EQ(AddTrip(db.get(), "2"), 1);  // a following row of its own is stored
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
  for (const auto& [sql, result] : cases) EXPECT_EQ(ExecOnFile(path, sql), result) << sql;
}

// Building from a dictionary of the test's own: every fault is reported with its caption, the
// creation's own failure comes last, and no file is left.
TEST(BuildFailure, DictionaryFaultsAreReportedAndLeaveNoFile) {
  struct Expected {
    std::string caption, start, part;
  };
  const struct {
    DescribeDictionary describe;
    std::vector<Expected> notices;  // before the creation's own failure
  } cases[] = {
      {[](const DictionaryTables& t) {
         return DescribeSchema(t) & DictAddField(t.campi, "master", "strano", 'X', 0, 0, "Strano", "");
       },
       {{"Creazione Tavola \"master\"", "Errore in fase di inserimento campo \"strano\"\n\nTipo di campo sconosciuto",
         ""}}},
      {[](const DictionaryTables& t) {  // the unknown type in the first field of a table
         return DictAddField(t.campi, "prova", "primo", 'Z', 0, 1, "Primo", "") &
                DictAddField(t.campi, "prova", "secondo", 'A', 8, 1, "Secondo", "") &
                DictAddTable(t.tavole, "prova", "Prova", "");
       },
       {{"Creazione Tavola \"prova\"", "Errore in fase di inserimento campo \"primo\"", ""}}},
      {[](const DictionaryTables& t) {
         return DescribeSchema(t) & DictAddRelation(t.relaz, "vuota", "tescor", "detcor");
       },
       {{"Creazione relazioni", "Errore creazione relazione \"vuota\"\n\n", ""}}},
      {[](const DictionaryTables& t) {  // fields that are no key; fields of different types
         return DescribeSchema(t) & DictAddRelation(t.relaz, "a_caso", "local", "detcor") &
                DictAddRelationField(t.relaz2, "a_caso", 0, "denom", "denom") &
                DictAddRelation(t.relaz, "tipi", "local", "tescor") &
                DictAddRelationField(t.relaz2, "tipi", 0, "id", "codcorsa");
       },
       {{"Creazione relazioni", "Errore creazione relazione \"a_caso\"", "chiave primaria"},
        {"Creazione relazioni", "Errore creazione relazione \"tipi\"", "stesso tipo"}}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    NoticeLog log;
    const std::string path = dir.Path("bad.mdb");
    EXPECT_EQ(CreateTimetableDatabaseFrom(path, CreateMode::Menu, c.describe, nullptr), 0);
    EXPECT_EQ(Listing(dir.Dir()), "");
    const std::vector<Notice>& n = log.Notices();
    ASSERT_EQ(n.size(), c.notices.size() + 1) << log.Texts();
    for (size_t k = 0; k < c.notices.size(); ++k) {
      EXPECT_EQ(n[k].caption, c.notices[k].caption);
      EXPECT_EQ(n[k].icon, NoticeIcon::Exclamation);
      EXPECT_TRUE(HasPrefix(n[k].text, c.notices[k].start));
      EXPECT_TRUE(HasPart(n[k].text, c.notices[k].part));
    }
    EXPECT_EQ(n.back().text, "Errore durante la creazione del database " + path + "\n\n");
    EXPECT_EQ(n.back().caption, "Creazione database");
  }
}

TEST(BuildFailure, MissingFolderShowsTheEngineTextThenTheMessageAlone) {
  ScratchDir dir;
  NoticeLog log;
  const std::string path = dir.Path("manca/QUENDO.MDB");
  EXPECT_EQ(CreateTimetableDatabase(path, CreateMode::Menu, nullptr), 0);
  EXPECT_EQ(Listing(dir.Dir()), "");
  ASSERT_EQ(log.Notices().size(), 2u);
  const std::string failed = "Errore durante la creazione del database " + path + "\n\n";
  EXPECT_TRUE(HasPrefix(log.Notices()[0].text, failed));
  EXPECT_GT(log.Notices()[0].text.size(), failed.size());
  EXPECT_EQ(log.Notices()[1].text, failed);
}

// Building from dictionary rows that a describer wrote in an unusual way, in a folder with
// accents in its name.
TEST(DictionaryBuild, IndexFieldsFollowTheirPositionsAndTextRulesFollowTheRequiredFlag) {
  ScratchDir dir;
  NoticeLog log;
  const std::string folder = dir.Path("Località");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(folder)));
  const std::string path = folder + "/Quendo è qui.mdb";
  ASSERT_EQ(CreateTimetableDatabaseFrom(
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
                nullptr),
            1)
      << log.Texts();
  EXPECT_EQ(log.Texts(), "Il database " + path + " è stato creato con successo");
  EXPECT_EQ(Listing(folder), "Quendo è qui.mdb\n");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(name, ',') FROM pragma_index_info('prova__trio')"), "tre,due,uno\n");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(name || ' ' || type, ',') FROM pragma_table_info('prova')"),
            "uno INT,due VARCHAR(5),tre VARCHAR(5),quattro LONGTEXT\n");
  for (const auto& [values, accepted] : {std::pair{"(1, '', 'x', '')", true},  // not required: the empty text
                                         {"(2, NULL, 'x', NULL)", true},       // and NULL
                                         {"(3, 'a', '', NULL)", false},        // required: neither the empty text
                                         {"(4, 'a', NULL, NULL)", false}})     // nor NULL
    EXPECT_EQ(ExecOnFile(path, std::string("INSERT INTO prova VALUES ") + values) == "ok", accepted) << values;
  DbDatabase db(path);
  EXPECT_TRUE(db.isOpen);
}

}  // namespace
