// Opening a database checks its tables against its data dictionary and leaves a file that does not
// match as it was; a checkpoint leaves every committed change in the file itself; long statements
// and the building of a database call the progress hook.

#include "DbTestSupport.h"
#include "common/Cp1252.h"
#include "db/DbBringForward.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbFile.h"
#include "db/DbMaintenance.h"
#include "db/DbSchemaCheck.h"
#include "support/EarlierBuild.h"
#include "support/FullDisk.h"
#include "support/KilledWalk.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <chrono>
#include <climits>
#include <cstdint>

namespace {

const std::string kRefused =
    "Errore in fase di apertura del database\n\nIl database non corrisponde al suo dizionario dei dati:\n\n";

std::string Field(const std::string& field, const std::string& table) {
  return "Manca il campo \"" + field + "\" della tavola \"" + table + "\"";
}

// A timetable database fresh from the builder, made once for the whole suite; each case works on
// a copy, as it is or as the program leaves it after working on it (its log in write-ahead mode).
class OpenCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static const ScratchDir dir;
    NoticeLog quiet;
    ASSERT_TRUE(CreateTimetableDatabase(dir.Path("modello.mdb"), CreateMode::Startup, SeedLocalityZero).ok);
    template_ = FileBytes(dir.Path("modello.mdb"));
  }

  // A copy of the template with `sql` run on it by another program; its path.
  std::string Copy(const std::string& sql, bool worked = true) {
    const std::string path = dir_.Path("lavoro.mdb");
    WriteFileBytes(path, template_);
    if (worked) DbDatabase once(path);
    EXPECT_EQ(sql.empty() ? "ok" : ExecOnFile(path, sql), "ok") << sql;
    return path;
  }

  // The template's definition of `name` with each (from, to) of `changes` made, everywhere in it.
  std::string Changed(const std::string& name, const std::vector<std::pair<std::string, std::string>>& changes) {
    const std::string path = dir_.Path("definizioni.mdb");
    WriteFileBytes(path, template_);
    std::string sql = QueryFile(path, "SELECT sql FROM sqlite_master WHERE name = '" + name + "'");
    sql.pop_back();  // the line's end
    for (const auto& [from, to] : changes) {
      EXPECT_NE(sql.find(from), std::string::npos) << from << " in " << sql;
      for (size_t at = sql.find(from); at != std::string::npos; at = sql.find(from, at + to.size()))
        sql.replace(at, from.size(), to);
    }
    return sql;
  }
  // The statements that make the template's table `name` again with the changes made.
  std::string Remade(const std::string& name, const std::vector<std::pair<std::string, std::string>>& changes) {
    return "DROP TABLE " + name + "; " + Changed(name, changes) + ";";
  }

  inline static std::string template_;
  ScratchDir dir_;
};

const std::string kRedefined =
    "Errore in fase di apertura del database\n\nIl database contiene tavole o indici definiti diversamente da come "
    "li crea il programma:\n\n";
const std::string kForeign =
    "Errore in fase di apertura del database\n\nIl database contiene oggetti che non fanno parte del suo dizionario "
    "dei dati:\n\n";
const std::string kNoDictionary =
    "DROP TABLE tavole; DROP TABLE campi; DROP TABLE indici; DROP TABLE indici2; DROP TABLE relaz; DROP TABLE relaz2; "
    "DROP TABLE utenti;";
// A table whose row in the schema has no pages behind it: damage to the check of the whole file.
const std::string kTableWithoutPages =
    "PRAGMA writable_schema = ON; INSERT INTO sqlite_master VALUES ('table', 'sqlite_y', 'sqlite_y', 0, "
    "'CREATE TABLE sqlite_y (corsa REFERENCES tescor (id))')";
const std::string kDamaged = "Errore in fase di apertura del database\n\nIl file del database è danneggiato:";
const std::string kBrokenRelations =
    "Errore in fase di apertura del database\n\nAlcune righe del database non rispettano le relazioni tra le tavole:";
const std::string kTrip =
    "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, ct_tempo, "
    "gruppo) VALUES (1, 'C1', 'L1', 'A', 800, 900, 0, 0, 1000, 60, 1000, 60, 0);";
const std::string kStopsInto =
    "INSERT INTO detcor (id, sub, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) ";
// The lines of the first `count` stops of trip 900, which does not exist.
std::string Orphans(int count) {
  std::string lines;
  for (int sub = 1; sub <= count; ++sub)
    lines += "\nRiga (id 900, sub " + std::to_string(sub) +
             ") della tavola \"detcor\": manca la riga della tavola \"tescor\" con id 900";
  return lines;
}
// 3000 stops of trip 1: a copy long enough to be stopped, written or filled at many points.
const std::string kThreeThousandStops =
    kStopsInto +
    "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 3000) "
    "SELECT 1, k, 'Piazza', 0, 900, 900, 0, 0, 0, 0 FROM n";
const std::string kValueRefused = "Errore in fase di apertura del database\n\nATTENZIONE:";
const std::string kNotOpened =
    "Il database non è stato aperto e il file è rimasto com'era: correggere il dato prima di aprirlo.";
const std::string kEmptyingTrigger = "CREATE TRIGGER svuota AFTER INSERT ON cadenz BEGIN DELETE FROM tescor; END;";

TEST_F(OpenCheck, RefusesWhatTheDictionaryMissesAndLeavesTheFile) {
  std::string many;  // ten lines shown, the rest counted
  for (int k = 1; k <= 10; ++k) many += Field(k < 10 ? "z0" + std::to_string(k) : "z10", "local") + "\n";
  // Every timetable table as the builds before tables were stored in key order wrote it.
  std::string earlier;
  for (const char* table : {"master", "regazi", "regent", "cadenz", "calend", "tescor", "detcor", "period", "local"})
    earlier += Remade(table, {{"\n) WITHOUT ROWID", "\n)"}});
  const std::pair<std::string, std::string> cases[] = {
      {"ALTER TABLE tescor DROP COLUMN lung", Field("lung", "tescor")},
      {"DROP TABLE period", "Manca la tavola \"period\""},
      // The tables the builder makes are wanted whatever the dictionary lists, and its rows for them are the builder's.
      {"DROP TABLE detcor; DELETE FROM tavole WHERE nome = 'detcor'; DELETE FROM campi WHERE tavola = 'detcor'",
       "Manca la tavola \"detcor\""},
      {"DROP TABLE utenti", "Manca la tavola \"utenti\""},
      {"UPDATE campi SET size = 60 WHERE tavola = 'tescor' AND nome = 'codcorsa'; DELETE FROM tavole WHERE nome = "
       "'local'",
       kRedefined + "Descrizione della tavola \"local\" nel dizionario dei dati\nDescrizione del campo \"codcorsa\" "
                    "della tavola \"tescor\" nel dizionario dei dati"},
      {"INSERT INTO tavole (nome) VALUES ('linee'); INSERT INTO campi (tavola, nome) VALUES ('linee', 'codice')",
       "Manca la tavola \"linee\""},
      {"ALTER TABLE detcor DROP COLUMN regarea; ALTER TABLE master DROP COLUMN resple",
       Field("resple", "master") + "\n" + Field("regarea", "detcor")},
      {"DROP TABLE campi", "Manca la tavola \"campi\""},
      {"ALTER TABLE campi RENAME COLUMN tavola TO tav", Field("tavola", "campi")},
      {"WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 13)"
       " INSERT INTO campi (tavola, nome) SELECT 'local', printf('z%02d', k) FROM n",
       many + "... e altre 3 mancanze"},
      // Names compare as the engine compares them; what the dictionary does not describe is no concern.
      {"UPDATE campi SET nome = upper(nome) WHERE tavola = 'tescor';"
       "UPDATE tavole SET nome = 'DETCOR  ' WHERE nome = 'detcor'",
       ""},
      // Tables of its own may stay; the program's tables and indexes must be as the builder makes them,
      // and nothing else may act on them.
      {"CREATE TABLE appunti (x); CREATE INDEX appunti__x ON appunti (x)", ""},
      {"ALTER TABLE tescor ADD COLUMN nota TEXT", kRedefined + "Tavola \"tescor\""},
      {Remade("detcor", {{"PRIMARY KEY (\"id\", \"sub\")",
                          "PRIMARY KEY (\"id\", \"sub\"), UNIQUE (\"id\") ON CONFLICT REPLACE"}}),
       kRedefined + "Tavola \"detcor\""},
      {Remade("period", {{"REFERENCES \"tescor\" (\"id\")", "REFERENCES \"tescor\" (\"id\") ON DELETE CASCADE"}}),
       kRedefined + "Tavola \"period\""},
      {Remade("cadenz", {{"\"codice__required\"", "\"CODICE__REQUIRED\""}}), kRedefined + "Tavola \"cadenz\""},
      {Remade("cadenz", {{"<= 10", "<= 20"}}), kRedefined + "Tavola \"cadenz\""},
      {"DROP INDEX detcor__fermata; CREATE UNIQUE INDEX detcor__fermata ON detcor (fermata, denom, ubicaz)",
       kRedefined + "Indice \"detcor__fermata\" della tavola \"detcor\""},
      {"DROP INDEX detcor__fermata; CREATE INDEX detcor__fermata ON detcor (fermata, denom, ubicaz) WHERE sub > 0",
       kRedefined + "Indice \"detcor__fermata\" della tavola \"detcor\""},
      {"CREATE UNIQUE INDEX solo_una ON tescor (codcorsa); CREATE INDEX appunti__y ON campi (nome)",
       kRedefined + "Indice \"solo_una\" della tavola \"tescor\"\nIndice \"appunti__y\" della tavola \"campi\""},
      {"CREATE TABLE note (corsa INT REFERENCES tescor (id) ON DELETE CASCADE)",
       kRedefined + "Tavola \"note\", collegata alla tavola \"tescor\""},
      {"CREATE TABLE note (corsa INT REFERENCES 'TESCOR' (id) ON DELETE CASCADE)",
       kRedefined + "Tavola \"note\", collegata alla tavola \"TESCOR\""},
      {kTableWithoutPages, kRedefined + "Tavola \"sqlite_y\", collegata alla tavola \"tescor\""},
      {kEmptyingTrigger +
           "PRAGMA writable_schema = ON; UPDATE sqlite_master SET type = 'Trigger' WHERE name = 'svuota'",
       kForeign + "Trigger \"svuota\" della tavola \"cadenz\""},
      {kEmptyingTrigger +
           "PRAGMA writable_schema = ON; UPDATE sqlite_master SET type = 'TRIGGER' WHERE name = 'svuota'",
       kForeign + "Trigger \"svuota\" della tavola \"cadenz\""},
      {"CREATE VIEW corse AS SELECT id FROM tescor", kForeign + "Vista \"corse\""},
      {"CREATE VIRTUAL TABLE ricerca USING fts5(testo)", kForeign + "Tavola virtuale \"ricerca\""},
      // Written otherwise, by hand or by another program, but the same: blanks, comments, quotes and
      // the case of keywords and type names do not count. Files of the earlier builds open too.
      {Remade("cadenz", {{"CREATE TABLE \"cadenz\" (\n  ", "create table [cadenz]( -- i tipi\n"},
                         {"\"codice\" VARCHAR(10) COLLATE RTRIM", "`codice`   varchar ( 10 ) collate rtrim"},
                         {",\n  ", " , "}}),
       ""},
      {earlier, ""},
      // Without its master table the database opens: start-up tells that it is missing.
      {"DROP TABLE master", ""},
      // Without the dictionary the builder's timetable tables are the measure all the same.
      {"DROP TABLE tavole; DROP TABLE campi; DROP TABLE period; ALTER TABLE local DROP COLUMN prov",
       "Manca la tavola \"period\"\n" + Field("prov", "local")},
      {kNoDictionary + "DROP TABLE detcor", "Manca la tavola \"detcor\""},
      {kNoDictionary, ""},
      // Rows written with the relations off: only the check of the whole file reads them.
      {"WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 17) " + kStopsInto +
           "SELECT 900, k, "
           "'Piazza', 0, 9999, 800, 1, 0, 0, 0 FROM n",
       kBrokenRelations + Orphans(10) + "\n... e altre 7 righe"},
      {kTrip + kStopsInto + "VALUES (1, 1, 'Piazza', 0, 9999, 800, 1, 0, 0, 77)",
       kBrokenRelations +
           "\nRiga (id 1, sub 1) della tavola \"detcor\": manca la riga della tavola \"local\" con id 77"},
      {kTrip + kStopsInto + "VALUES (1, 1, 'Piazza', 0, 9999, 800, 1, 0, 0, 0)", ""},
      // A value of another kind, written with the engine's checks off: only the check of the whole file reads it.
      {"PRAGMA ignore_check_constraints = ON; UPDATE local SET istat = 'abc' WHERE id = 0",
       kValueRefused +
           " riga (id 0) della tavola \"local\":\nil campo istat (Codice Istat) vale 'abc',\nche è un testo e non un "
           "numero intero da -2147483648 a 2147483647 come richiede la sua colonna.\n\n" +
           kNotOpened},
      {"", ""},
  };
  // Refused with the lines of `missing` by the check of the whole file (start-up after a session not closed cleanly,
  // "&Connetti") and, but for the rows, by the open itself; the file and its folder as they were, or (no lines)
  // opened in silence.
  for (const auto& [sql, missing] : cases)
    for (bool worked : {false, true}) {
      SCOPED_TRACE(std::string(worked ? "worked on: " : "fresh: ") + sql);
      const std::string path = Copy(sql, worked), before = FileBytes(path), listing = Listing(dir_.Dir());
      const std::string refused = missing.empty() || HasPrefix(missing, "Errore") ? missing : kRefused + missing;
      const Outcome checked = CheckDatabaseToOpen(path);
      EXPECT_EQ(checked.ok ? "" : checked.Failure(),
                sql == kTableWithoutPages
                    ? kDamaged.substr(0, kDamaged.size() - 1) + " (database disk image is malformed)"
                    : refused);
      EXPECT_TRUE(FileBytes(path) == before && Listing(dir_.Dir()) == listing) << "file changed by the check";
      const bool rows = HasPrefix(missing, kBrokenRelations) || HasPrefix(missing, kValueRefused);
      NoticeLog log;
      EXPECT_EQ(DbDatabase(path).isOpen, missing.empty() || rows);
      EXPECT_EQ(log.Texts(), rows ? "" : refused);
      EXPECT_TRUE(missing.empty() || rows || (FileBytes(path) == before && Listing(dir_.Dir()) == listing))
          << "file changed";
    }
}

// Whether the file still holds a table as an earlier build defined it.
bool HoldsEarlier(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  const bool earlier = HoldsEarlierTables(db);
  sqlite3_close_v2(db);
  return earlier;
}

// Another program's write of a day type "W<n>" and of a table of its own "u<n>" holding n, on a
// connection of its own that waits `waitMs` for the file; whether it was told the write was done.
bool WriteCadence(const std::string& path, int n, int waitMs) {
  sqlite3* db = nullptr;
  bool done = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
  sqlite3_busy_timeout(db, waitMs);
  const std::string k = std::to_string(n);
  const std::string sql = "BEGIN IMMEDIATE; INSERT INTO cadenz VALUES ('W" + k + "', 'scritta'); CREATE TABLE u" + k +
                          "(x); INSERT INTO u" + k + " VALUES (" + k + "); COMMIT";
  done = done && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close_v2(db);
  return done;
}

// The check of the relations alone, on tables of the program's names made otherwise by another
// program: each row is compared with its parent as the engine compares them, whichever rows came
// before it, on every field of a relation, and a parent key the engine cannot check against is its failure.
TEST(Relations, EveryRowIsComparedAsTheEngineComparesIt) {
  const std::string kTrips = "CREATE TABLE tescor (id INT, codcorsa TEXT, PRIMARY KEY (id, codcorsa)) WITHOUT ROWID;";
  const std::string kTwoFields =
      "CREATE TABLE detcor (id INT, sub INT, fermata TEXT, PRIMARY KEY (id, sub), "
      "FOREIGN KEY (id, fermata) REFERENCES tescor (id, codcorsa)) WITHOUT ROWID;";
  const std::string kDayTypes =
      "CREATE TABLE cadenz (codice TEXT COLLATE RTRIM PRIMARY KEY); INSERT INTO cadenz VALUES ('FER');"
      "CREATE TABLE period (id INT PRIMARY KEY, caden TEXT COLLATE RTRIM REFERENCES cadenz (codice));";
  const std::string heading = std::string(kRowsBreakingRelations) + "\n";
  const std::pair<std::string, std::string> cases[] = {
      // The second field of a relation differs from a row found before; a field NULL refers to nothing.
      {kTrips + kTwoFields +
           "INSERT INTO tescor VALUES (1, 'A'); INSERT INTO detcor VALUES (1, 1, 'A'), (1, 2, 'B'), "
           "(1, 3, NULL), (1, 4, 'A')",
       heading + "Riga (id 1, sub 2) della tavola \"detcor\": manca la riga della tavola \"tescor\" con id 1, codcorsa "
                 "'B'"},
      {kTrips + kTwoFields +
           "INSERT INTO tescor VALUES (1, 'A'); INSERT INTO detcor VALUES (1, 1, 'A'), (1, 2, NULL), (2, 1, NULL)",
       ""},
      // A whole number other than the row before's, after rows that found theirs.
      {"CREATE TABLE tescor (id INT PRIMARY KEY) WITHOUT ROWID; INSERT INTO tescor VALUES (1), (3);"
       "CREATE TABLE detcor (id INT REFERENCES tescor (id), sub INT, PRIMARY KEY (id, sub)) WITHOUT ROWID;"
       "INSERT INTO detcor VALUES (1, 1), (1, 2), (2, 1), (3, 1), (1, 3)",
       heading + "Riga (id 2, sub 1) della tavola \"detcor\": manca la riga della tavola \"tescor\" con id 2"},
      // The same bytes as a value found before, but of another kind; trailing blanks as the collation wants.
      {kDayTypes + "INSERT INTO period VALUES (1, 'FER'), (2, X'464552'), (3, 'FER  ')",
       heading + "Riga (id 2) della tavola \"period\": manca la riga della tavola \"cadenz\" con codice X'464552'"},
      {kDayTypes + "INSERT INTO period VALUES (1, 'FER'), (2, 'FER  ')", ""},
      // A parent's field that is not its key: the engine refuses to check the relation.
      {"CREATE TABLE cadenz (codice TEXT); INSERT INTO cadenz VALUES ('FER');"
       "CREATE TABLE period (id INT PRIMARY KEY, caden TEXT REFERENCES cadenz (codice));"
       "INSERT INTO period VALUES (1, 'FER')",
       "foreign key mismatch - \"period\" referencing \"cadenz\""},
  };
  const ScratchDir dir;
  int k = 0;
  for (const auto& [sql, expected] : cases) {
    SCOPED_TRACE(sql);
    const std::string path = dir.Path("relazioni" + std::to_string(++k) + ".mdb");
    MakeDatabase(path, "PRAGMA foreign_keys = OFF;" + sql);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::string error;
    const bool kept = CheckRelations(db, error);
    sqlite3_close_v2(db);
    if (HasPrefix(expected, "foreign key"))
      EXPECT_NE(error.find(expected), std::string::npos) << error;
    else
      EXPECT_EQ(kept ? "" : error, expected);
    EXPECT_EQ(kept, expected.empty());
  }
}

// Each table's rows, the tables by name, as the engine reads them.
std::string Dump(const std::string& path) {
  std::string out;
  for (const std::string& table : QueryLines(path, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
    out += table + ":\n" + QueryFile(path, "SELECT * FROM \"" + table + "\"");
  return out;
}

// A file an earlier build wrote, its tables stored in key order or not, is brought to the builder's
// definitions at its open, every row kept and a date with a time of day stored as its date; one
// that holds a value the new definitions refuse, or two rows they give one key, is left as it was,
// the value named.
TEST_F(OpenCheck, AnEarlierBuildsFileIsBroughtForwardOrRefusedAsItWas) {
  const std::string built = Copy(kTrip +
                                     "INSERT INTO cadenz VALUES ('FER', 'Feriale');"
                                     "INSERT INTO calend VALUES ('2026-09-25', 'FER', '5', 'n'), "
                                     "('2026-09-26', 'FER', '6', 'n'), ('2026-09-27', 'FER', '7', 'n');"
                                     "INSERT INTO period VALUES (1, 'FER', '2026-09-01', '2026-09-30', 0);" +
                                     kStopsInto + "VALUES (1, 1, 'Piazza', 0, 9999, 800, 1, 0, 0, 0)",
                                 false);
  const std::string kDefinitions = "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name";
  const std::string expected = Dump(built), definitions = QueryFile(built, kDefinitions);
  const std::string timed =
      "UPDATE calend SET data = data || ' 00:00:00' WHERE data = '2026-09-25';"
      "UPDATE calend SET data = data || 'T07:30' WHERE data = '2026-09-26';"
      "UPDATE period SET fine = fine || ' 23:59:59.250'";
  const std::pair<std::string, std::string> cases[] = {
      {timed, ""},
      {"UPDATE calend SET data = '05/10/2026' WHERE data = '2026-09-26'",
       " riga (data '05/10/2026', caden 'FER') della tavola \"calend\":\nil campo data (Data) vale '05/10/2026',\nche "
       "è un testo e non una data come richiede la sua colonna."},
      {"UPDATE tescor SET ente = 'abc'",
       " riga (id 1) della tavola \"tescor\":\nil campo ente (Codice Ente Gestore) vale 'abc',\nche è un testo e non "
       "un numero intero da -32768 a 32767 come richiede la sua colonna."},
      {"UPDATE detcor SET fermata = X'323134'",
       " riga (id 1, sub 1) della tavola \"detcor\":\nil campo fermata (Codice Fermata) vale X'323134',\nche è un "
       "dato binario e non un testo come richiede la sua colonna."},
      {"UPDATE calend SET data = '2026-09-26 00:00:00' WHERE data = '2026-09-26';"
       "INSERT INTO calend VALUES ('2026-09-26', 'FER', '6', 'n')",
       " riga (data '2026-09-26 00:00:00', caden 'FER') della tavola \"calend\":\nil campo data (Data) vale "
       "'2026-09-26 00:00:00', che come data è '2026-09-26',\ne la riga avrebbe così la stessa chiave della riga "
       "(data '2026-09-26', caden 'FER'): due righe non possono avere la stessa chiave."},
      // A stop row of a trip that does not exist: the relation it breaks is named.
      {kStopsInto + "VALUES (900, 1, 'Piazza', 0, 9999, 800, 1, 0, 0, 0)", Orphans(1)},
      // A page of the stops that cannot be read (DamagePages): the file is damaged.
      {"SELECT 1", kDamaged},
  };
  for (const auto& [sql, refused] : cases)
    for (bool keyOrdered : {true, false}) {
      SCOPED_TRACE(sql + (keyOrdered ? "" : ", by row id"));
      const std::string path = dir_.Path("precedente.mdb");
      QFile::remove(cp1252::ToQString(path));
      MakeEarlierBuildFile(built, path, keyOrdered);
      ASSERT_EQ(ExecOnFile(path, sql), "ok");
      if (refused == kDamaged) {
        DamagePages(path, {LeafPages(path, "detcor").at(0).number});
        for (const char* side : {"-wal", "-shm"}) QFile::remove(cp1252::ToQString(path + side));
      }
      const std::string before = FileBytes(path), listing = Listing(dir_.Dir());
      const Outcome checked = CheckDatabaseToOpen(path);
      EXPECT_TRUE(checked.ok) << checked.Failure();
      NoticeLog log;
      EXPECT_EQ(DbDatabase(path).isOpen, refused.empty());
      if (refused.empty()) {
        EXPECT_EQ(log.Texts(), "");
        EXPECT_EQ(QueryFile(path, kDefinitions), definitions);
        EXPECT_EQ(Dump(path), expected);
        EXPECT_TRUE(CheckDatabaseToOpen(path).ok);
      } else {
        if (refused == kDamaged)
          EXPECT_TRUE(HasPrefix(log.Texts(), kDamaged + "\n")) << log.Texts();
        else if (refused.compare(0, 5, "\nRiga") == 0)
          EXPECT_TRUE(HasPart(log.Texts(), refused + "\n\n" + kLeftAsItWas));
        else
          EXPECT_EQ(log.Texts(), kValueRefused + refused + "\n\n" + kNotOpened);
        EXPECT_TRUE(FileBytes(path) == before && Listing(dir_.Dir()) == listing) << "file changed";
      }
    }
}

// The bar of a bring-forward moves with the rows copied; killed at any moment (of its copy, at any
// of its writes: the scratch file's making, once it is marked as ours, once its content is in), it
// leaves the earlier file as it was or brought forward whole, and the next open brings it forward,
// removing whatever the killed one left beside it.
TEST_F(OpenCheck, AKilledBringForwardLeavesTheEarlierFileForTheNextOpen) {
  const std::string built = Copy(kTrip + kThreeThousandStops, false);
  const std::string path = dir_.Path("precedente.mdb");
  long calls = 0, killAt = 0;
  SetEngineProgressHook([&] {
    if (++calls == killAt) ::raise(SIGKILL);
  });
  MakeEarlierBuildFile(built, path);
  calls = 0;
  struct Shares : WorkProgress {
    void Begin(const std::string&) override {}
    void Step(long done, long total) override { shares.push_back(done * 100 / total); }
    void End() override {}
    std::vector<long> shares{0};
  } bar;
  EXPECT_TRUE(DbDatabase(path, DbOpening::Checked, &bar).isOpen);
  // The bar moves with the rows copied (its first four fifths), nearly all of them the stops', a few
  // hundredths at a time.
  for (size_t k = 1; k < bar.shares.size() && bar.shares[k] <= 80; ++k)
    EXPECT_LE(bar.shares[k] - bar.shares[k - 1], 10) << k;
  EXPECT_EQ(bar.shares.back(), 100);
  const long all = calls;
  ASSERT_GT(all, 20);
  const std::string expected = Dump(path);
  const auto remake = [&] {
    for (const char* side : {"", "-wal", "-shm", "-journal"}) QFile::remove(cp1252::ToQString(path + side));
    MakeEarlierBuildFile(built, path);
  };
  remake();
  long long writes = 0;
  {
    const FullDisk counted;
    ASSERT_TRUE(DbDatabase(path).isOpen);
    writes = FullDisk::Writes();
  }
  ASSERT_GT(writes, 20);
  // Killed at a step of the engine, or at a write: the first ones make the scratch file, the last
  // ones come once its content is in the earlier file.
  std::vector<std::pair<long, long long>> kills;
  for (const long at : {1L, all / 4, all / 2, all * 3 / 4, all - 1}) kills.push_back({at, 0});
  for (long long at = 1; at < writes; at += at < 4 || at > writes - 8 ? 1 : writes / 12) kills.push_back({0, at});
  for (const auto& [step, write] : kills) {
    SCOPED_TRACE(step ? "step " + std::to_string(step) : "write " + std::to_string(write));
    remake();
    const std::string before = FileBytes(path), listing = Listing(dir_.Dir());
    calls = 0;
    killAt = step;
    EXPECT_TRUE(Killed([&] {
      const FullDisk killing(-1, write);
      DbDatabase db(path);
    }));
    killAt = 0;
    // As it was, or, once its content is going in, as the engine leaves it: as it was or whole.
    if (step) {
      EXPECT_TRUE(FileBytes(path) == before) << "file changed";
    } else {
      EXPECT_EQ(Dump(path), expected);
    }
    EXPECT_TRUE(DbDatabase(path).isOpen);
    EXPECT_EQ(Listing(dir_.Dir()), listing);
    EXPECT_EQ(Dump(path), expected);
  }
  SetEngineProgressHook({});
}

// While another program keeps the earlier file (open in write-ahead mode; in a read transaction in
// rollback mode), the open waits about five seconds for it, then tells so, the file left as it was.
TEST_F(OpenCheck, AnEarlierFileOpenElsewhereIsLeftAsItWas) {
  const std::string built = Copy(kTrip, false), path = dir_.Path("precedente.mdb");
  for (const char* mode : {"WAL", "DELETE"}) {
    SCOPED_TRACE(mode);
    for (const char* side : {"", "-wal", "-shm", "-journal"}) QFile::remove(cp1252::ToQString(path + side));
    MakeEarlierBuildFile(built, path);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const std::string keep =
        std::string("PRAGMA journal_mode=") + mode + (*mode == 'D' ? "; BEGIN" : "") + "; SELECT count(*) FROM tescor";
    ASSERT_EQ(sqlite3_exec(other, keep.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string before = FileBytes(path), listing = Listing(dir_.Dir());
    NoticeLog log;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(DbDatabase(path).isOpen);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(9));
    EXPECT_EQ(log.Texts(), "Errore in fase di apertura del database\n\nIl file è aperto in un altro programma\n\n" +
                               std::string(kLeftAsItWas));
    EXPECT_TRUE(FileBytes(path) == before && Listing(dir_.Dir()) == listing) << "file changed";
    sqlite3_close_v2(other);
  }
}

// The earlier file is brought forward in itself: its owner, group and mode, its other names (a
// hard link, a symbolic link by which it is opened) and its identity stay; a journal another
// program left behind is handled as the engine handles it: an empty one (a program in TRUNCATE
// mode that ended) ignored, a hot one (a program killed half-way through a change) rolled back.
TEST_F(OpenCheck, AnEarlierFileIsBroughtForwardInItselfKeepingItsOwnerModeAndNames) {
  const std::string built = Copy(kTrip, false), path = dir_.Path("precedente.mdb");
  const std::string other = dir_.Path("altro nome.mdb"), linked = dir_.Path("collegamento.mdb");
  const std::string kCadences = "SELECT codice FROM cadenz ORDER BY codice";
  // What another program left beside the file.
  for (const std::string left : {"", "empty journal", "hot journal"}) {
    SCOPED_TRACE(left);
    for (const std::string& name : {path, other, linked}) QFile::remove(cp1252::ToQString(name));
    MakeEarlierBuildFile(built, path);
    std::string cadences = QueryFile(path, kCadences);
    if (left == "empty journal") {
      ASSERT_EQ(ExecOnFile(path, "PRAGMA journal_mode=TRUNCATE; INSERT INTO cadenz VALUES ('TRC', 'x')"), "ok");
      ASSERT_TRUE(QFile::exists(cp1252::ToQString(path + "-journal")));
      cadences = QueryFile(path, kCadences);
    } else if (left == "hot journal") {
      ASSERT_EQ(ExecOnFile(path, "PRAGMA journal_mode=DELETE"), "ok");
      // Its change spills into the file before it is killed: only the journal can undo it.
      EXPECT_TRUE(Killed([&] {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "PRAGMA cache_size=1; BEGIN; DELETE FROM cadenz; "
                     "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 2000) "
                     "INSERT INTO cadenz SELECT 'H' || k, printf('%.50c', 'x') FROM n",
                     nullptr, nullptr, nullptr);
        ::raise(SIGKILL);
      }));
      ASSERT_GT(FileBytes(path + "-journal").size(), 0u);
    }
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    const bool owner = geteuid() == 0;  // only the superuser gives a file to another
    if (owner) {
      ASSERT_EQ(chown(path.c_str(), 1000, 2000), 0);
    }
    ASSERT_EQ(link(path.c_str(), other.c_str()), 0);
    ASSERT_EQ(symlink("precedente.mdb", linked.c_str()), 0);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    NoticeLog log;
    EXPECT_TRUE(DbDatabase(linked).isOpen) << log.Texts();
    struct stat after {
    }, link{}, second{};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    ASSERT_EQ(lstat(linked.c_str(), &link), 0);
    ASSERT_EQ(stat(other.c_str(), &second), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0604u);
    if (owner) {
      EXPECT_EQ(std::make_pair(after.st_uid, after.st_gid), std::make_pair(1000u, 2000u));
    }
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(second.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_FALSE(HoldsEarlier(other));
    EXPECT_EQ(QueryFile(other, kCadences), cadences);
    EXPECT_TRUE(CheckDatabaseToOpen(path).ok);
  }
}

// Another program that writes the earlier file while its first open brings it forward loses no
// write it was told was done: each lands before the copy (and is carried over), or waits for the
// file and lands after it, or is refused to it by the engine. Here it writes at every step of the
// bar (a connection of its own, which does not wait), and, as another process, in a loop, with
// the file in write-ahead and in rollback mode.
TEST_F(OpenCheck, AnotherProgramWritingTheEarlierFileLosesNoWriteItWasToldWasDone) {
  const std::string built = Copy(kTrip + kThreeThousandStops, false);
  const std::string path = dir_.Path("precedente.mdb");
  const auto found = [&path](const std::vector<int>& done) {
    const std::string held = QueryFile(path, "SELECT ',' || group_concat(codice, ',') || ',' FROM cadenz");
    std::string tables;
    for (const std::string& table : QueryLines(path, "SELECT name FROM sqlite_master WHERE name GLOB 'u[0-9]*'"))
      tables += "," + QueryLines(path, "SELECT 'u' || x FROM " + table).at(0) + ",";
    std::string lost;
    for (const int n : done) {
      const std::string k = std::to_string(n);
      if (held.find(",W" + k + ",") == std::string::npos) lost += " W" + k;
      if (tables.find(",u" + k + ",") == std::string::npos) lost += " u" + k;
    }
    return lost;
  };
  for (const char* mode : {"WAL", "DELETE"}) {
    SCOPED_TRACE(mode);
    for (const char* side : {"", "-wal", "-shm", "-journal"}) QFile::remove(cp1252::ToQString(path + side));
    MakeEarlierBuildFile(built, path);
    ASSERT_EQ(ExecOnFile(path, std::string("PRAGMA journal_mode=") + mode), "ok");
    // It writes too as the bar begins, before the file is held.
    struct Writer : WorkProgress {
      void Begin(const std::string&) override { Step(0, 0); }
      void Step(long, long) override {
        if (WriteCadence(path, ++n, 0)) done.push_back(n);
      }
      void End() override {}
      explicit Writer(const std::string& p) : path(p) {}
      const std::string& path;
      int n = 0;
      std::vector<int> done;
    } writer(path);
    {
      NoticeLog log;
      EXPECT_TRUE(DbDatabase(path, DbOpening::Checked, &writer).isOpen) << log.Texts();
    }
    EXPECT_GT(writer.n, 10);
    EXPECT_EQ(found(writer.done), "");

    // Another process, in a loop, each write on a connection of its own that waits for the file.
    for (const char* side : {"", "-wal", "-shm", "-journal"}) QFile::remove(cp1252::ToQString(path + side));
    MakeEarlierBuildFile(built, path);
    ASSERT_EQ(ExecOnFile(path, std::string("PRAGMA journal_mode=") + mode), "ok");
    int told[2];
    ASSERT_EQ(pipe(told), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
      close(told[0]);
      for (int n = 1;; ++n)
        if (WriteCadence(path, n, 10000) && write(told[1], &n, sizeof n) != sizeof n) _exit(1);
    }
    close(told[1]);
    std::vector<int> done;
    const auto take = [&](size_t count) {
      for (int n = 0; done.size() < count && read(told[0], &n, sizeof n) == sizeof n;) done.push_back(n);
    };
    take(5);  // it writes before the open
    {
      NoticeLog log;
      EXPECT_TRUE(DbDatabase(path).isOpen) << log.Texts();
    }
    take(done.size() + 5);  // and after
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    take(SIZE_MAX);
    close(told[0]);
    EXPECT_GE(done.size(), 10u);
    EXPECT_EQ(found(done), "");
    EXPECT_TRUE(CheckDatabaseToOpen(path).ok);
    EXPECT_FALSE(HoldsEarlier(path));
  }
}

// A disk that fills at any moment of the bring-forward leaves the earlier file as it was, the box
// saying so, or, once its new content is in, brought forward whole.
TEST_F(OpenCheck, ADiskThatFillsLeavesTheEarlierFileAsItWasOrBroughtForwardWhole) {
  const std::string built = Copy(kTrip + kThreeThousandStops, false);
  const std::string path = dir_.Path("precedente.mdb"), expected = Dump(built);
  MakeEarlierBuildFile(built, path);
  long long all = 0;
  {
    const FullDisk counted;
    ASSERT_TRUE(DbDatabase(path).isOpen);
    all = FullDisk::Written();
  }
  int asItWas = 0, forward = 0;
  for (const int share : {5, 25, 50, 75, 90, 97, 99}) {
    SCOPED_TRACE(share);
    QFile::remove(cp1252::ToQString(path));
    MakeEarlierBuildFile(built, path);
    const std::string before = FileBytes(path), listing = Listing(dir_.Dir());
    NoticeLog log;
    bool opened = false;
    {
      const FullDisk full(all * share / 100);
      opened = DbDatabase(path).isOpen;
    }
    if (opened) {
      ++forward;
      EXPECT_EQ(Dump(path), expected);
    } else {
      ++asItWas;
      EXPECT_TRUE(HasPart(log.Texts(), "Spazio su disco esaurito")) << log.Texts();
      EXPECT_TRUE(HasPart(log.Texts(), kLeftAsItWas)) << log.Texts();
      EXPECT_TRUE(FileBytes(path) == before && Listing(dir_.Dir()) == listing) << "file changed";
      EXPECT_TRUE(DbDatabase(path).isOpen);
    }
    EXPECT_FALSE(HoldsEarlier(path));
  }
  EXPECT_GT(asItWas, 1);
}

// Only a scratch file the program left is removed: one of a process that has ended, bearing the
// mark of a file still being made, as a creation killed half-way leaves it; a file of the user's
// under such a name (a copy of a database, any other file, a pipe) stays, and so does the one a
// process that still runs is making.
TEST_F(OpenCheck, OnlyTheScratchFilesTheProgramLeftAreRemoved) {
  const std::string path = dir_.Path("nuovo.mdb");
  long calls = 0;
  SetEngineProgressHook([&calls] {
    if (++calls == 5) ::raise(SIGKILL);
  });
  EXPECT_TRUE(Killed([&] {
    NoticeLog quiet;
    CreateTimetableDatabase(path, CreateMode::Startup, SeedLocalityZero);
  }));
  SetEngineProgressHook({});
  const std::string left = Listing(dir_.Dir());
  ASSERT_TRUE(HasPart(left, ".nuovo.mdb.")) << left;
  const std::string copy = dir_.Path(".nuovo.mdb.99999999-0.tmp"), text = dir_.Path(".nuovo.mdb.99999998-0.tmp");
  WriteFileBytes(copy, template_);
  WriteFileBytes(text, "note");
  const std::string pipe = dir_.Path(".nuovo.mdb.99999997-0.tmp");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string running = dir_.Path(".nuovo.mdb." + std::to_string(getppid()) + "-0.tmp");
  std::string error;
  ASSERT_TRUE(CreateScratchFile(running, 4096, error)) << error;
  NoticeLog quiet;
  ASSERT_TRUE(CreateTimetableDatabase(path, CreateMode::Startup, SeedLocalityZero).ok);
  EXPECT_TRUE(QFile::remove(cp1252::ToQString(running))) << "the running process's file was removed";
  EXPECT_EQ(Listing(dir_.Dir()), ".nuovo.mdb.99999998-0.tmp\n.nuovo.mdb.99999999-0.tmp\nnuovo.mdb\n");
  struct stat info {};
  EXPECT_TRUE(lstat(pipe.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
  EXPECT_TRUE(FileBytes(copy) == template_) << "the copy was changed";
}

// A database named through a symbolic link, or in a folder reached through one, opens and is checked.
TEST_F(OpenCheck, ADatabaseThroughASymbolicLinkOpens) {
  const std::string path = Copy("");
  ASSERT_EQ(symlink(dir_.Dir().c_str(), dir_.Path("cartella").c_str()), 0);
  ASSERT_EQ(symlink("lavoro.mdb", dir_.Path("collegamento.mdb").c_str()), 0);
  for (const std::string& name : {dir_.Path("cartella/lavoro.mdb"), dir_.Path("collegamento.mdb")}) {
    SCOPED_TRACE(name);
    NoticeLog log;
    const Outcome checked = CheckDatabaseToOpen(name);
    EXPECT_TRUE(checked.ok) << checked.Failure();
    EXPECT_TRUE(DbDatabase(name).isOpen) << log.Texts();
  }
}

// A file this user may not write is refused before the engine opens it: nothing is left beside it
// (a log and an index that only reading would leave there, unwritable, would keep refusing it),
// and once it is made writable it opens. The superuser may write any file: the open is then tried
// as another user, who may make files in the folder but not write this one.
TEST_F(OpenCheck, AFileThatCannotBeWrittenIsRefusedLeavingNothingBesideIt) {
  const std::string built = Copy(kTrip, false), path = dir_.Path("precedente.mdb");
  MakeEarlierBuildFile(built, path);
  ASSERT_EQ(ExecOnFile(path, "PRAGMA wal_checkpoint(TRUNCATE)"), "ok");
  for (const char* side : {"-wal", "-shm"}) QFile::remove(cp1252::ToQString(path + side));
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  const std::string listing = Listing(dir_.Dir());
  const auto refused = [&path] {
    NoticeLog log;
    return !CheckDatabaseToOpen(path).ok && !DbDatabase(path).isOpen &&
           HasPart(log.Texts(), "Il file è in sola lettura");
  };
  if (geteuid() != 0) {
    EXPECT_TRUE(refused());
  } else {
    ASSERT_EQ(chmod(dir_.Dir().c_str(), 0777), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 && refused() ? 0 : 1);
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(Listing(dir_.Dir()), listing);
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  EXPECT_TRUE(CheckDatabaseToOpen(path).ok);
  EXPECT_TRUE(DbDatabase(path).isOpen);
}

// The program's connection cannot write the schema as rows, nor run a function of it that is not harmless.
TEST_F(OpenCheck, TheConnectionKeepsTheSchemaFromActing) {
  DbDatabase db(Copy(""));
  ASSERT_TRUE(db.isOpen);
  EXPECT_NE(sqlite3_exec(db.Handle(), "PRAGMA writable_schema = ON; UPDATE sqlite_master SET type = 'Trigger'", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  std::string error;
  int trusted = -1;
  ASSERT_TRUE(QueryInt(db.Handle(), "PRAGMA trusted_schema", trusted, error)) << error;
  EXPECT_EQ(trusted, 0);
}

// What is committed is in the file itself once checkpointed, and when the database is closed while
// another program still has the file open: a copy of the file alone holds it.
TEST_F(OpenCheck, ACopyOfTheFileAloneHoldsWhatWasCommitted) {
  const std::string path = Copy(""), copy = dir_.Path("copia.mdb");
  const auto copied = [&](const char* sql) {
    WriteFileBytes(copy, FileBytes(path));
    return QueryFile(copy, sql);
  };
  const auto exec = [](sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); };
  sqlite3* other = nullptr;  // another program with the file open
  ASSERT_EQ(sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_EQ(exec(other, "SELECT count(*) FROM local"), SQLITE_OK);
  {
    DbDatabase db(path);
    ASSERT_TRUE(db.isOpen);
    {
      DbBatch batch(&db);
      ASSERT_EQ(exec(db.Handle(), "INSERT INTO local VALUES (7, 'Borgo', 1, 'C', 'P')"), SQLITE_OK);
      EXPECT_FALSE(db.Checkpoint());  // inside a transaction there is nothing to fold yet
    }
    EXPECT_EQ(copied("SELECT count(*) FROM local WHERE id = 7"), "0\n");  // still in the log
    EXPECT_TRUE(db.Checkpoint());
    EXPECT_EQ(copied("SELECT denom FROM local WHERE id = 7"), "Borgo\n");
    EXPECT_EQ(FileBytes(path + "-wal"), "");  // the log is emptied
    ASSERT_EQ(exec(db.Handle(), "INSERT INTO local VALUES (8, 'Pieve', 1, 'C', 'P')"), SQLITE_OK);
  }
  EXPECT_EQ(copied("SELECT denom FROM local WHERE id = 8"), "Pieve\n");
  sqlite3_close_v2(other);
}

// The hook is called while a database is built (and while a long statement runs: MainWindowTest).
TEST_F(OpenCheck, BuildingADatabaseCallsTheProgressHook) {
  int calls = 0;
  SetEngineProgressHook([&calls] { ++calls; });
  NoticeLog quiet;
  EXPECT_TRUE(CreateTimetableDatabase(dir_.Path("nuovo.mdb"), CreateMode::Startup, SeedLocalityZero).ok);
  SetEngineProgressHook({});
  EXPECT_GT(calls, 9);  // at least once for each table
}

}  // namespace
