// Building a new database from the data dictionary: what a new file holds, what the engine
// enforces in it, and what a failed build leaves behind.

#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbDictionary.h"
#include "db/DbSchema.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Names of the entries of a folder, hidden ones included, one a line.
std::string Listing(const std::string& folder) {
  std::string out;
  for (const QString& name : QDir(QString::fromStdString(folder))
                                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
    out += name.toStdString() + "\n";
  return out;
}

const Notice* FindMessage(const NoticeLog& script, const std::string& start) {
  for (const Notice& m : script.Notices())
    if (m.text.rfind(start, 0) == 0) return &m;
  return nullptr;
}

// One database built by the schema for the whole group: building takes a fraction of a second,
// but the cases only read it or work on copies.
class NewDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    path_ = dir_->Path("QUENDO.MDB");
    NoticeLog script;
    const auto start = std::chrono::steady_clock::now();
    result_ = CreateTimetableDatabase(path_, CreateMode::Menu, SeedLocalityZero);
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    messages_ = script.Notices();
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  // A copy of the new database to change freely.
  std::string Copy() {
    const std::string copy = scratch.Path("copy.mdb");
    std::ofstream(copy, std::ios::binary) << ReadAll(path_);
    return copy;
  }

  static ScratchDir* dir_;
  static std::string path_;
  static int result_;
  static double seconds_;
  static std::vector<Notice> messages_;
  ScratchDir scratch;
};

ScratchDir* NewDatabase::dir_ = nullptr;
std::string NewDatabase::path_;
int NewDatabase::result_ = 0;
double NewDatabase::seconds_ = 0;
std::vector<Notice> NewDatabase::messages_;

TEST_F(NewDatabase, IsCreatedWithOneInformationBoxAndNothingBesideIt) {
  ASSERT_EQ(result_, 1);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Il database " + path_ + " è stato creato con successo\n\n");
  EXPECT_EQ(messages_[0].caption, "Creazione database");
  EXPECT_EQ(messages_[0].icon, NoticeIcon::Information);
  // No scratch file, write-ahead log or shared-memory file is left in the folder.
  EXPECT_EQ(Listing(dir_->Dir()), "QUENDO.MDB\n");
  EXPECT_EQ(QueryFile(path_, "PRAGMA integrity_check"), "ok\n");
  EXPECT_EQ(QueryFile(path_, "PRAGMA foreign_key_check"), "");
  std::printf("[ info ] database created in %.3f s\n", seconds_);
}

TEST_F(NewDatabase, HoldsTheDictionaryAndTheNineTables) {
  EXPECT_EQ(QueryFile(path_, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"),
            "cadenz\ncalend\ncampi\ndetcor\nindici\nindici2\nlocal\nmaster\nperiod\nregazi\nregent\nrelaz\nrelaz2\n"
            "tavole\ntescor\nutenti\n");
  EXPECT_EQ(QueryFile(path_,
                      "SELECT (SELECT count(*) FROM tavole), (SELECT count(*) FROM campi), "
                      "(SELECT count(*) FROM indici), (SELECT count(*) FROM indici2), "
                      "(SELECT count(*) FROM relaz), (SELECT count(*) FROM relaz2), (SELECT count(*) FROM utenti)"),
            "9|63|10|16|5|5|0\n");
  // The special tables: their fields in order with the declared types, and their one index.
  EXPECT_EQ(QueryFile(path_, "SELECT name || ' ' || type FROM pragma_table_info('campi')"),
            "tavola VARCHAR(8)\nnome VARCHAR(8)\ntipo VARCHAR(1)\nsize SMALLINT\nobblig BOOLEAN\ndenom VARCHAR(30)\n"
            "note VARCHAR(240)\nregola VARCHAR(240)\nmess VARCHAR(240)\n");
  EXPECT_EQ(
      QueryFile(path_,
                "SELECT group_concat(name || ' ' || type || ' ' || \"notnull\", ',') FROM pragma_table_info('utenti')"),
      "nome VARCHAR(8) 0,denom VARCHAR(30) 0,passwd VARCHAR(9) 0,potere SMALLINT 0,progetto SMALLINT 0\n");
  EXPECT_EQ(QueryFile(path_, "SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL ORDER BY name"),
            "campi__nome\ndetcor__fermata\nindici2__elemento\nindici__nome\nrelaz2__elemento\nrelaz__nome\n"
            "tavole__nome\nutenti__nome\n");
  EXPECT_EQ(QueryFile(path_, "SELECT group_concat(name, ',') FROM pragma_index_info('indici2__elemento')"),
            "tavola,nome,progr\n");
}

TEST_F(NewDatabase, TablesFollowTheirDictionaryRows) {
  // Every field described in campi is a column of its table with the type of its letter, in
  // the order described; a required field or a key field refuses NULL.
  const std::string fromDictionary = QueryFile(
      path_,
      "SELECT c.tavola, c.nome, CASE c.tipo WHEN 'A' THEN 'VARCHAR(' || c.size || ')' WHEN 'B' THEN 'BOOLEAN' "
      "WHEN 'D' THEN 'DATE' WHEN 'I' THEN 'SMALLINT' WHEN 'L' THEN 'INT' END, c.obblig "
      "FROM campi c ORDER BY c.tavola, c.rowid");
  const std::string fromTables =
      QueryFile(path_,
                "SELECT t.name, p.name, p.type, p.\"notnull\" FROM sqlite_master t, pragma_table_info(t.name) p "
                "WHERE t.name IN (SELECT nome FROM tavole) ORDER BY t.name, p.cid");
  EXPECT_EQ(fromDictionary, fromTables);
  EXPECT_EQ(std::count(fromTables.begin(), fromTables.end(), '\n'), 63);
  // Primary keys in the order of their index fields.
  EXPECT_EQ(QueryFile(path_,
                      "SELECT group_concat(name, ',') FROM (SELECT name FROM pragma_table_info('period') "
                      "WHERE pk > 0 ORDER BY pk)"),
            "id,inizio,fine\n");
  EXPECT_EQ(QueryFile(path_, "SELECT group_concat(name, ',') FROM pragma_index_info('detcor__fermata')"),
            "fermata,denom,ubicaz\n");
  // The five relations, as foreign keys of the foreign tables.
  EXPECT_EQ(QueryFile(path_,
                      "SELECT t.name, f.\"table\", f.\"from\", f.\"to\", f.on_delete, f.on_update "
                      "FROM sqlite_master t, pragma_foreign_key_list(t.name) f WHERE t.type = 'table' "
                      "ORDER BY t.name, f.\"table\""),
            "calend|cadenz|caden|codice|NO ACTION|NO ACTION\n"
            "detcor|local|reglocal|id|NO ACTION|NO ACTION\n"
            "detcor|tescor|id|id|NO ACTION|NO ACTION\n"
            "period|cadenz|caden|codice|NO ACTION|NO ACTION\n"
            "period|tescor|id|id|NO ACTION|NO ACTION\n");
}

// Adds a row field by field through the table layer; returns Update's result.
int AddRow(DbDatabase& db, const char* table, std::initializer_list<std::pair<const char*, const char*>> fields) {
  DbTable t(&db, table);
  if (t.isOpen != 1 || !t.AddNew()) return 0;
  for (const auto& [name, value] : fields)
    if (!t.SetFieldText(name, value)) return 0;
  return t.Update();
}

int AddTrip(DbDatabase& db, const char* id) {
  return AddRow(db, "tescor",
                {{"id", id},
                 {"codcorsa", "C1"},
                 {"codlinea", "L1"},
                 {"verso", "A"},
                 {"parte", "800"},
                 {"arriva", "900"},
                 {"ente", "0"},
                 {"contratt", "0"},
                 {"lung", "1000"},
                 {"tempo", "60"},
                 {"ct_lung", "1000"},
                 {"ct_tempo", "60"},
                 {"gruppo", "0"}});
}

TEST_F(NewDatabase, EngineEnforcesTheRelationsWithoutCascading) {
  const std::string copy = Copy();
  NoticeLog script;
  {
    DbDatabase db(copy);
    ASSERT_EQ(db.isOpen, 1);
    ASSERT_EQ(AddRow(db, "cadenz", {{"codice", "FER"}, {"denom", "Feriale"}}), 1);
    ASSERT_EQ(AddTrip(db, "7"), 1);
    // A child needs its parent.
    EXPECT_EQ(
        AddRow(db, "period",
               {{"id", "8"}, {"caden", "FER"}, {"inizio", "01/01/2024"}, {"fine", "31/12/2024"}, {"escluso", "0"}}),
        0);
    ASSERT_EQ(script.Notices().size(), 1u);
    EXPECT_EQ(script.Notices()[0].text.rfind(
                  "Errore aggiornamento tavola (period)\n\nViolazione dell'integrità referenziale", 0),
              0u)
        << script.Notices()[0].text;
    EXPECT_EQ(AddRow(db, "detcor",
                     {{"id", "7"},
                      {"sub", "1"},
                      {"denom", "Piazza"},
                      {"dist", "0"},
                      {"arriva", "9999"},
                      {"parte", "800"},
                      {"primaria", "1"},
                      {"facolt", "0"},
                      {"nonferma", "0"},
                      {"reglocal", "4756"}}),
              0);  // no such locality
    ASSERT_EQ(AddRow(db, "detcor",
                     {{"id", "7"},
                      {"sub", "1"},
                      {"denom", "Piazza"},
                      {"dist", "0"},
                      {"arriva", "9999"},
                      {"parte", "800"},
                      {"primaria", "1"},
                      {"facolt", "0"},
                      {"nonferma", "0"},
                      {"reglocal", "0"}}),
              1);
    // A day type padded to ten characters is the same key.
    ASSERT_EQ(AddRow(db, "calend", {{"data", "02/01/2024"}, {"caden", "FER       "}, {"giorno", "2"}, {"note", " "}}),
              1);
    script.Clear();

    // A parent with children can be neither deleted nor re-keyed.
    DbTable cadenz(&db, "cadenz");
    ASSERT_EQ(cadenz.SetIndex("codice"), 1);
    ASSERT_EQ(cadenz.SeekEqual({"FER"}), 1);
    EXPECT_EQ(cadenz.Delete(), 0);
    ASSERT_EQ(script.Notices().size(), 1u);
    EXPECT_EQ(script.Notices()[0].text,
              "Errore eliminazione tavola (cadenz)\n\nLa riga non può essere eliminata: altre tavole vi fanno "
              "riferimento (FOREIGN KEY constraint failed)");
    DbTable tescor(&db, "tescor");
    ASSERT_EQ(tescor.SetIndex("codice"), 1);
    ASSERT_EQ(tescor.SeekEqual({"7"}), 1);
    ASSERT_EQ(tescor.Edit(), 1);
    ASSERT_EQ(tescor.SetFieldText("id", "70"), 1);
    EXPECT_EQ(tescor.Update(), 0);
    ASSERT_EQ(tescor.SeekEqual({"7"}), 1);
    EXPECT_EQ(tescor.Delete(), 0);
  }
  // Nothing was deleted or changed along the way.
  EXPECT_EQ(QueryFile(copy,
                      "SELECT (SELECT count(*) FROM cadenz), (SELECT count(*) FROM tescor), "
                      "(SELECT group_concat(id) FROM tescor), (SELECT count(*) FROM detcor), "
                      "(SELECT caden FROM calend)"),
            "1|1|7|1|FER       \n");
}

TEST_F(NewDatabase, EngineEnforcesRequiredFieldsAndSizes) {
  const std::string copy = Copy();
  NoticeLog script;
  {
    DbDatabase db(copy);
    ASSERT_EQ(db.isOpen, 1);
    // An empty text is stored as NULL, which a required field refuses.
    EXPECT_EQ(AddRow(db, "cadenz", {{"codice", "FER"}, {"denom", ""}}), 0);
    EXPECT_NE(script.Texts().find("Manca il valore di un campo obbligatorio"), std::string::npos) << script.Texts();
    // Not required: stored as NULL.
    ASSERT_EQ(AddTrip(db, "1"), 1);
    // The primary key refuses a second row with the same key.
    EXPECT_EQ(AddTrip(db, "1"), 0);
  }
  // Another program writing to the file meets the same rules: the empty text in a required
  // field, a text beyond its size, a NULL key.
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(copy.c_str(), &raw), SQLITE_OK);
  auto exec = [&](const char* sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(raw, sql, nullptr, nullptr, &msg);
    std::string out = rc == SQLITE_OK ? "ok" : (msg ? msg : "?");
    sqlite3_free(msg);
    return out;
  };
  EXPECT_EQ(exec("INSERT INTO cadenz VALUES ('', 'Vuoto')"), "CHECK constraint failed: codice__required");
  EXPECT_EQ(exec("INSERT INTO cadenz VALUES ('12345678901', 'Lungo')"), "CHECK constraint failed: codice__size");
  EXPECT_EQ(exec("INSERT INTO cadenz VALUES ('1234567890', 'Giusto')"), "ok");
  EXPECT_EQ(exec("INSERT INTO local VALUES (NULL, 'x', 1, 'y', 'z')"), "NOT NULL constraint failed: local.id");
  EXPECT_EQ(exec("UPDATE tescor SET regcorsa = '' WHERE id = 1"), "ok");  // not required: the empty text is allowed
  EXPECT_EQ(exec("UPDATE tescor SET codlinea = '' WHERE id = 1"), "CHECK constraint failed: codlinea__required");
  sqlite3_close(raw);
}

// Building from a dictionary of the test's own.

class BuildFailure : public ::testing::Test {
 protected:
  ScratchDir dir;
  NoticeLog script;
};

TEST_F(BuildFailure, UnknownTypeLetterIsRefusedAndLeavesNoFile) {
  const std::string path = dir.Path("bad.mdb");
  const int result = CreateTimetableDatabaseFrom(
      path, CreateMode::Menu,
      [](const DictionaryTables& t) {
        int ok = DescribeSchema(t);
        ok &= DictAddField(t.campi, "master", "strano", 'X', 0, 0, "Strano", "Un campo di tipo sconosciuto");
        return ok;
      },
      nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Listing(dir.Dir()), "");
  ASSERT_EQ(script.Notices().size(), 2u) << script.Texts();
  EXPECT_EQ(script.Notices()[0].caption, "Creazione Tavola \"master\"");
  EXPECT_EQ(script.Notices()[0].icon, NoticeIcon::Exclamation);
  EXPECT_EQ(
      script.Notices()[0].text.rfind("Errore in fase di inserimento campo \"strano\"\n\nTipo di campo sconosciuto", 0),
      0u)
      << script.Notices()[0].text;
  EXPECT_EQ(script.Notices()[1].text, "Errore durante la creazione del database " + path + "\n\n");
  EXPECT_EQ(script.Notices()[1].caption, "Creazione database");
}

TEST_F(BuildFailure, UnknownTypeOfAFirstFieldIsRefusedToo) {
  const std::string path = dir.Path("bad.mdb");
  EXPECT_EQ(CreateTimetableDatabaseFrom(
                path, CreateMode::Startup,
                [](const DictionaryTables& t) {
                  return DictAddField(t.campi, "prova", "primo", 'Z', 0, 1, "Primo", "") &
                         DictAddField(t.campi, "prova", "secondo", 'A', 8, 1, "Secondo", "") &
                         DictAddTable(t.tavole, "prova", "Prova", "");
                },
                nullptr),
            0);
  EXPECT_EQ(Listing(dir.Dir()), "");
  EXPECT_NE(FindMessage(script, "Errore in fase di inserimento campo \"primo\""), nullptr) << script.Texts();
}

TEST_F(BuildFailure, RelationWithoutFieldsIsReportedAndStopsTheCreation) {
  const std::string path = dir.Path("bad.mdb");
  EXPECT_EQ(CreateTimetableDatabaseFrom(
                path, CreateMode::Menu,
                [](const DictionaryTables& t) {
                  return DescribeSchema(t) & DictAddRelation(t.relaz, "vuota", "tescor", "detcor");
                },
                nullptr),
            0);
  EXPECT_EQ(Listing(dir.Dir()), "");
  // Only the bad relation is reported; the others are good.
  ASSERT_EQ(script.Notices().size(), 2u) << script.Texts();
  EXPECT_EQ(script.Notices()[0].caption, "Creazione relazioni");
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore creazione relazione \"vuota\"\n\n", 0), 0u);
}

TEST_F(BuildFailure, RelationToFieldsThatAreNoKeyIsReported) {
  const std::string path = dir.Path("bad.mdb");
  EXPECT_EQ(CreateTimetableDatabaseFrom(
                path, CreateMode::Menu,
                [](const DictionaryTables& t) {
                  return DescribeSchema(t) & DictAddRelation(t.relaz, "a_caso", "local", "detcor") &
                         DictAddRelationField(t.relaz2, "a_caso", 0, "denom", "denom") &
                         DictAddRelation(t.relaz, "tipi", "local", "tescor") &
                         DictAddRelationField(t.relaz2, "tipi", 0, "id", "codcorsa");
                },
                nullptr),
            0);
  EXPECT_EQ(Listing(dir.Dir()), "");
  const Notice* notKey = FindMessage(script, "Errore creazione relazione \"a_caso\"");
  ASSERT_NE(notKey, nullptr) << script.Texts();
  EXPECT_NE(notKey->text.find("chiave primaria"), std::string::npos);
  const Notice* types = FindMessage(script, "Errore creazione relazione \"tipi\"");
  ASSERT_NE(types, nullptr) << script.Texts();
  EXPECT_NE(types->text.find("stesso tipo"), std::string::npos);
}

TEST_F(BuildFailure, ExistingFileIsLeftUntouched) {
  const std::string path = dir.Path("QUENDO.MDB");
  std::ofstream(path) << "not a database";
  EXPECT_EQ(CreateTimetableDatabase(path, CreateMode::Menu, nullptr), 0);
  EXPECT_EQ(ReadAll(path), "not a database");
  EXPECT_EQ(Listing(dir.Dir()), "QUENDO.MDB\n");
  ASSERT_EQ(script.Notices().size(), 2u);
  EXPECT_EQ(script.Notices()[0].text, "Errore durante la creazione del database " + path + "\n\nIl file esiste già");
  EXPECT_EQ(script.Notices()[1].text, "Errore durante la creazione del database " + path + "\n\n");
  for (const auto& m : script.Notices()) {
    EXPECT_EQ(m.caption, "Creazione database");
    EXPECT_EQ(m.icon, NoticeIcon::Exclamation);
  }
}

TEST_F(BuildFailure, MissingFolderShowsTheEngineTextThenTheMessageAlone) {
  const std::string path = dir.Path("manca/QUENDO.MDB");
  EXPECT_EQ(CreateTimetableDatabase(path, CreateMode::Menu, nullptr), 0);
  EXPECT_EQ(Listing(dir.Dir()), "");
  ASSERT_EQ(script.Notices().size(), 2u);
  const std::string failed = "Errore durante la creazione del database " + path + "\n\n";
  EXPECT_EQ(script.Notices()[0].text.rfind(failed, 0), 0u);
  EXPECT_GT(script.Notices()[0].text.size(), failed.size());
  EXPECT_EQ(script.Notices()[1].text, failed);
}

// Building from dictionary rows that a describer wrote in an unusual way.

TEST(DictionaryBuild, IndexFieldsFollowTheirPositionsAndTextRulesFollowTheRequiredFlag) {
  ScratchDir dir;
  NoticeLog script;
  const std::string path = dir.Path("prova.mdb");
  ASSERT_EQ(CreateTimetableDatabaseFrom(
                path, CreateMode::Startup,
                [](const DictionaryTables& t) {
                  int ok = DescribeSchema(t);
                  ok &= DictAddField(t.campi, "prova", "uno", 'L', 0, 1, "Uno", "");
                  ok &= DictAddField(t.campi, "prova", "due", 'A', 5, 0, "Due", "");
                  ok &= DictAddField(t.campi, "prova", "tre", 'A', 5, 1, "Tre", "");
                  ok &= DictAddField(t.campi, "prova", "quattro", 'M', 0, 0, "Quattro", "");
                  ok &= DictAddIndex(t.indici, "prova", "codice", 1, "Codice", "");
                  ok &= DictAddIndexField(t.indici2, "prova", "codice", 0, "uno");
                  ok &= DictAddIndex(t.indici, "prova", "trio", 0, "Trio", "");
                  ok &= DictAddIndexField(t.indici2, "prova", "trio", 2, "uno");
                  ok &= DictAddIndexField(t.indici2, "prova", "trio", 0, "tre");
                  ok &= DictAddIndexField(t.indici2, "prova", "trio", 1, "due");
                  ok &= DictAddTable(t.tavole, "prova", "Prova", "Tavola di prova");
                  return ok;
                },
                nullptr),
            1)
      << script.Texts();
  EXPECT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text, "Il database " + path + " è stato creato con successo");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(name, ',') FROM pragma_index_info('prova__trio')"), "tre,due,uno\n");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(name || ' ' || type, ',') FROM pragma_table_info('prova')"),
            "uno INT,due VARCHAR(5),tre VARCHAR(5),quattro LONGTEXT\n");

  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  auto exec = [&](const char* sql) { return sqlite3_exec(raw, sql, nullptr, nullptr, nullptr); };
  EXPECT_EQ(exec("INSERT INTO prova VALUES (1, '', 'x', '')"), SQLITE_OK);  // not required: the empty text
  EXPECT_EQ(exec("INSERT INTO prova VALUES (2, NULL, 'x', NULL)"), SQLITE_OK);
  EXPECT_NE(exec("INSERT INTO prova VALUES (3, 'a', '', NULL)"), SQLITE_OK);    // required: neither the empty text
  EXPECT_NE(exec("INSERT INTO prova VALUES (4, 'a', NULL, NULL)"), SQLITE_OK);  // nor NULL
  EXPECT_EQ(exec("INSERT INTO prova VALUES (5, 'a', ' ', NULL)"), SQLITE_OK);   // blanks are a value
  EXPECT_NE(exec("INSERT INTO prova VALUES (6, '123456', 'x', NULL)"), SQLITE_OK);
  EXPECT_NE(exec("INSERT INTO prova VALUES (5, 'b', 'y', NULL)"), SQLITE_OK);  // key
  sqlite3_close(raw);
}

TEST(DictionaryBuild, FolderWithAccentsInItsName) {
  ScratchDir dir;
  NoticeLog script;
  const std::string folder = dir.Path("Località");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(cp1252::ToUtf8(folder))));
  const std::string path = folder + "/Quendo è qui.mdb";
  ASSERT_EQ(CreateTimetableDatabase(path, CreateMode::Menu, nullptr), 1) << script.Texts();
  EXPECT_EQ(Listing(cp1252::ToUtf8(folder)), cp1252::ToUtf8("Quendo è qui.mdb\n"));
  DbDatabase db(path);
  EXPECT_EQ(db.isOpen, 1);
}

}  // namespace
