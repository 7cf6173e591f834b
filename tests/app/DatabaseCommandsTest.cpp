// The Database menu and the working company on real files: create, connect, disconnect, repair (a damaged file
// salvaged) and duplicate; the company header written into the master row; a file that does not match its dictionary
// refused at start-up and by "&Connetti"; every command leaving what it committed in the file itself.

#include "app/ProgramTestSupport.h"
#include "db/DbDatabase.h"
#include "db/DbMaintenance.h"
#include "db/DbTable.h"
#include "support/OlviData.h"

#include <map>
#include <set>

namespace {

const std::string kStartTitle = "Quendo - Azienda 0 - Azienda non definita [periodo dal 01/01/1900 al 31/12/2099]";

std::string FileLine(const std::string& title) {
  return "FILE\t" + title + "\t*.MDB\tDatabase JET (*.mdb)|*.mdb|Tutti i files (*.*)|*.*||";
}

long Localities(const std::string& path) { return RowsPerTable(path).at("local"); }

using DatabaseMenuDriver = DriverFiles;
using OpenCheckDriver = DriverFiles;
using RepairCommandDriver = DriverFiles;

TEST_F(DatabaseMenuDriver, CreateConnectSetTheCompanyAndDisconnect) {
  const std::string current = dir.Path("lavoro.mdb"), fresh = dir.Path("nuovo.mdb");
  MakeDatabase(current, kShellSchema);
  WriteSettings(settings, {"Database=" + current});
  const DriverRun run = RunDriver(settings,
                                  {"file " + fresh, "file " + fresh, "dialog 115", "  1000=0012", "  1001=01/01/2024",
                                   "  1002=31/12/2024", "  1004=", "ok"},
                                  {"5103", "5104", "5108", "5105"});
  const std::string name = QueryFile(fresh, "SELECT denom FROM regazi WHERE codice = 12");
  ASSERT_FALSE(name.empty());
  const std::vector<std::string> expected = {
      "TITLE\t" + kStartTitle,
      // "&Crea": the dialog, the success box, and nothing else: the title stays.
      FileLine("Creazione Nuovo Database"),
      U8("0x40\tIl database " + fresh + " è stato creato con successo\\n\\n"),
      // "&Connetti": the closed file's company and period go first, then the new database's defaults.
      FileLine("Selezione del Database"),
      "TITLE\t" + U8(kFullCaption),
      "TITLE\tQuendo - Azienda 0 - *** azienda non assegnata *** [periodo dal 01/01/1900 al 31/12/2099]",
      // "&Azienda": the dialog, then the title of the company written.
      "DIALOG\t115\tIntestazione Azienda e Comunicazione",
      "TITLE\tQuendo - Azienda 12 - " + name.substr(0, name.size() - 1) + " [periodo dal 01/01/2024 al 31/12/2024]",
      // "&Sconnetti": the question, then the plain title; no database is remembered.
      U8("0x21\tConfermi sconnessione database ?"),
      "TITLE\t" + U8(kFullCaption),
  };
  ASSERT_EQ(run.transcript.size(), 12u);
  EXPECT_EQ(std::vector<std::string>(run.transcript.begin() + 2, run.transcript.end()), expected);
  EXPECT_EQ(QueryFile(fresh, "SELECT codice, azienda, p_data, protoc, resple, datini, datfin FROM master"),
            "0|12|NULL|NULL|NULL|2024-01-01|2024-12-31\n");
  EXPECT_EQ(SettingsValue(settings, "Database"), "");
  // The file that was open at first is untouched by all this.
  EXPECT_EQ(QueryFile(current, "SELECT azienda, datini FROM master"), "0|1900-01-01\n");
}

TEST_F(DatabaseMenuDriver, RefusedCompanyHeaderWritesNothing) {
  const std::string db = dir.Path("lavoro.mdb");
  MakeDatabase(db, std::string(kShellSchema) +
                       "INSERT INTO regazi VALUES (0, 'non assegnata'), (32767, 'Bus della Costa'),"
                       " (1000, 'Mille'), (10000, 'Diecimila');");
  WriteSettings(settings, {"Database=" + db});
  // A date in no form, one of a year that would read back as the open end "99/99/9999", and a
  // company of five digits typed, which is not company 1000.
  const std::pair<const char*, const char*> cases[] = {
      {"  1001=31/02/2024",
       "0x10\tATTENZIONE: la data di inizio periodo è espressa in un formato illegale.\\n\\nLe date devono essere "
       "espresse nella forma GG/MM/AAAA.\\n\\nI dati immessi non saranno registrati !!!"},
      {"  1002=31/12/9999",
       "0x10\tATTENZIONE: la data di fine periodo ha un anno non ammesso.\\n\\nL'anno deve essere compreso tra 1601 e "
       "2399 (99/99/9999 indica una data aperta, 00/00/0000 una data non ancora data).\\n\\nI dati immessi non "
       "saranno registrati !!!"},
      {"  1000=10000",
       "0x10\tATTENZIONE: Il Codice Regionale Azienda non è valido.\\n\\nSi possono digitare al più quattro cifre: "
       "un codice più lungo va scelto dalla lista.\\n\\nOccorre selezionare un Codice Regionale Azienda presente "
       "nella lista.\\n\\nI dati immessi non saranno registrati !!!"},
  };
  for (const auto& [control, message] : cases) {
    // Exit code 3: the user would be left at the dialog.
    const DriverRun run = RunDriver(settings, {"dialog 115", "  1004=7", control}, {"5108"}, 3);
    EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\t"), std::vector<std::string>{U8(message)});
    EXPECT_EQ(QueryFile(db, "SELECT azienda, protoc, datini, datfin FROM master"), "0|NULL|1900-01-01|2099-12-31\n");
    EXPECT_EQ(LastTitle(run), "Quendo - Azienda 0 - non assegnata [periodo dal 01/01/1900 al 31/12/2099]");
  }
  // A company of five digits chosen from the list is written whole, in the file and in the title.
  const DriverRun run = RunDriver(settings, {"dialog 115", "  1000=32767 - Bus della Costa"}, {"5108"});
  EXPECT_EQ(QueryFile(db, "SELECT azienda FROM master"), "32767\n");
  EXPECT_EQ(LastTitle(run), "Quendo - Azienda 32767 - Bus della Costa [periodo dal 01/01/1900 al 31/12/2099]");
}

// A file whose master table lacks its last field, refused whole and left as it was.
const std::string kMasterWithoutGroup =
    BuilderTables({"regazi", "regent", "cadenz", "calend", "tescor", "detcor", "period", "local"}) +
    "CREATE TABLE master (codice SMALLINT NOT NULL, azienda SMALLINT, p_data DATE, protoc INT, resple VARCHAR(40),"
    " datini DATE, datfin DATE, id_corsa INT, CONSTRAINT \"codice\" PRIMARY KEY (codice));";
const std::string kRefusedLine =
    "0x10\tErrore in fase di apertura del database\\n\\nIl database non corrisponde al suo dizionario dei "
    "dati:\\n\\nManca il campo \"gruppo\" della tavola \"master\"";

TEST_F(OpenCheckDriver, AFileThatDoesNotMatchIsRefusedAtStartUp) {
  const std::string db = dir.Path("vecchio.mdb");
  MakeDatabase(db, kMasterWithoutGroup);
  const std::string before = FileBytes(db);
  WriteSettings(settings, {"Database=" + db});
  const DriverRun run = RunDriver(settings, {}, {});
  EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\t"), std::vector<std::string>{kRefusedLine});
  EXPECT_EQ(LastTitle(run), U8(kFullCaption));
  EXPECT_EQ(FileBytes(db), before);
}

TEST_F(OpenCheckDriver, ConnectClosesTheOpenFileAndRefusesOneThatDoesNotMatch) {
  const std::string current = dir.Path("lavoro.mdb"), other = dir.Path("vecchio.mdb");
  MakeDatabase(current, kShellSchema);
  MakeDatabase(other, kMasterWithoutGroup);
  const std::string before = FileBytes(other);
  WriteSettings(settings, {"Database=" + current});
  const DriverRun run = RunDriver(settings, {"file " + other}, {"5104"});
  // The open database was closed first: the program is left without one, and records none.
  EXPECT_EQ(LinesStartingWith(run.transcript, "0x"), std::vector<std::string>{kRefusedLine});
  EXPECT_EQ(LastTitle(run), U8(kFullCaption));
  EXPECT_EQ(SettingsValue(settings, "Database"), "");
  EXPECT_EQ(FileBytes(other), before);
}

// A database received from elsewhere that keeps a trigger on the day types deleting every trip (its type stored as
// "Trigger", which the engine takes all the same), and a view; one whose index of the stops by stop code holds none of
// its rows (its stored definition the builder's); one whose rows break the builder's relations: refused at start-up and
// by "&Connetti" (which has closed the open database), what is wrong named, before anything could add a day type or
// find no stop; its trips stay.
TEST_F(OpenCheckDriver, AReceivedFileUnlikeOursIsRefusedAndItsTripsStay) {
  const std::string current = dir.Path("lavoro.mdb"), received = dir.Path("ricevuto.mdb");
  const std::string prefix = "0x10\tErrore in fase di apertura del database\\n\\n";
  const std::pair<std::string, std::string> cases[] = {
      {"CREATE TRIGGER \"svuota\" AFTER INSERT ON cadenz BEGIN DELETE FROM tescor; END;"
       "CREATE VIEW corse AS SELECT id FROM tescor;"
       "PRAGMA writable_schema = ON; UPDATE sqlite_master SET type = 'Trigger' WHERE name = 'svuota';",
       "Il database contiene oggetti che non fanno parte del suo dizionario dei dati:\\n\\nTrigger \"svuota\" della "
       "tavola \"cadenz\"\\nVista \"corse\""},
      {OlviStopSql(1, 1, "'F1'", "'Piazza'", "NULL", 0) + OlviStopSql(2, 1, "'F1'", "'Piazza'", "NULL", 0) +
           kEmptiedStopIndexSql,
       U8("Il file del database è danneggiato:\\nrow 1 missing from index detcor__fermata\\nrow 2 missing from index "
          "detcor__fermata\\nwrong # of entries in index detcor__fermata")},
      // Rows written with the relations off: stops of a trip that does not exist, a stop in no locality.
      {OlviStopSql(9, 1, "'F1'", "'Piazza'", "NULL", 0) + OlviStopSql(9, 2, "'F2'", "'Stazione'", "NULL", 800) +
           OlviStopSql(1, 1, "'F1'", "'Piazza'", "NULL", 0) + "UPDATE detcor SET reglocal = 7777 WHERE id = 1;",
       U8("Alcune righe del database non rispettano le relazioni tra le tavole:\\nRiga (id 1, sub 1) della tavola "
          "\"detcor\": manca la riga della "
          "tavola \"local\" con id 7777\\nRiga (id 9, sub 1) della tavola \"detcor\": manca la riga della tavola "
          "\"tescor\" con id 9\\nRiga (id 9, sub 2) della tavola \"detcor\": manca la riga della tavola \"tescor\" con "
          "id 9")},
  };
  MakeDatabase(current, kShellSchema);
  for (const auto& [sql, refused] : cases) {
    QFile::remove(cp1252::ToQString(received));
    MakeTimetableDatabase(received);
    RunSql(received, TripHeadSql(1, 0, 700) + TripHeadSql(2, 0, 800) + sql);
    const std::string before = FileBytes(received);
    // At start-up as the remembered database; then chosen by "&Connetti" while another one is open.
    for (const bool startUp : {true, false}) {
      SCOPED_TRACE(std::string(startUp ? "start-up: " : "connect: ") + sql);
      WriteSettings(settings, {"Database=" + (startUp ? received : current)});
      const DriverRun run = startUp ? RunDriver(settings, {}, {}) : RunDriver(settings, {"file " + received}, {"5104"});
      EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\t"), std::vector<std::string>{prefix + refused});
      EXPECT_EQ(LastTitle(run), U8(kFullCaption));
      EXPECT_TRUE(FileBytes(received) == before) << "the received file changed";
      EXPECT_EQ(QueryFile(received, "SELECT count(*) FROM tescor"), "2\n");
    }
  }
}

TEST_F(RepairCommandDriver, TheWholeProgramSalvagesAFileAndRebuildsTheOpenSoundOne) {
  const std::string damaged = dir.Path("rotto.mdb"), sound = dir.Path("sano.mdb");
  CopySeededDatabase(damaged);
  CopySeededDatabase(sound);
  const long all = Localities(damaged), localities = all - DamageLeaf(damaged, "local");
  WriteSettings(settings, {"Database=" + sound});  // the sound file is the open database
  const DriverRun run = RunDriver(settings, {"file " + damaged, "file " + sound}, {"5106", "5106"});
  const std::vector<std::string> shown = LinesStartingWith(run.transcript, "0x");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(HasPrefix(shown[0], U8("0x30\tIl file del database era danneggiato: ")));
  EXPECT_TRUE(HasPart(shown[0], "\\nlocal: " + std::to_string(localities) + "\\n"));
  EXPECT_EQ(Localities(damaged), localities);
  EXPECT_EQ(Localities(sound), all);
}

// The first half of a sound file, which the engine cannot read whole: "&Ripara" salvages the rows the half still
// holds under the file's name, lists them per table, and keeps the original beside it as it was.
TEST_F(RepairCommandDriver, TheFirstHalfOfASoundFileIsSalvagedAndTheOriginalKept) {
  const std::string sound = dir.Path("sano.mdb"), cut = dir.Path("troncato.mdb");
  CopySeededDatabase(sound);
  const std::string half = FirstHalfOf(sound);
  WriteFileBytes(cut, half);
  WriteSettings(settings, {"Database=" + sound});
  const DriverRun run = RunDriver(settings, {"file " + cut}, {"5106"});
  const std::vector<std::string> shown = Boxes(run);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(HasPrefix(shown[0], U8("0x30\tIl file del database era danneggiato: ")));
  EXPECT_TRUE(HasPart(shown[0], U8("Il file danneggiato è stato conservato come:\\n" + cut + ".danneggiato")));
  EXPECT_TRUE(FileBytes(cut + ".danneggiato") == half) << "the damaged file changed";
  // The new file is sound, and the message tells each of its tables' rows.
  EXPECT_EQ(QueryFile(cut, "PRAGMA integrity_check"), "ok\n");
  long recovered = 0;
  for (const auto& [table, rows] : RowsPerTable(cut)) {
    EXPECT_TRUE(HasPart(shown[0], "\\n" + table + ": " + std::to_string(rows) + "\\n"));
    recovered += rows;
  }
  EXPECT_GT(recovered, 0);
  EXPECT_GT(Localities(cut), 0);
  EXPECT_LT(Localities(cut), Localities(sound));
}

// A timetable of `trips` whole trips of ten stops each, numbered 1 to 10: each head departs as its first stop leaves
// and arrives as its last stop arrives (9999 where a stop has no time).
std::string WholeTripsSql(int trips) {
  const std::string n =
      "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " + std::to_string(trips * 10) + ") ";
  return n +
         "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
         "ct_tempo, gruppo) SELECT k, 'C' || k, 'L1', 'A', 600 + k, 609 + k, 1, 2, 5000, 40, 0, 0, 0 FROM n "
         "WHERE k <= " +
         std::to_string(trips) + ";" + n +
         "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
         "SELECT (k - 1) / 10 + 1, (k - 1) % 10 + 1, 'F' || (k % 10), 'Fermata ' || (k % 10), ((k - 1) % 10) * 500, "
         "CASE (k - 1) % 10 WHEN 0 THEN 9999 ELSE 600 + (k - 1) / 10 + 1 + (k - 1) % 10 END, "
         "CASE (k - 1) % 10 WHEN 9 THEN 9999 ELSE 600 + (k - 1) / 10 + 1 + (k - 1) % 10 END, 1, 0, 0, 0 FROM n;";
}

// A damaged file made elsewhere whose stored definition of `cadenz` carries statements of its own: attach the
// database open in the program and delete its trips, attach (and so create) a file at a path of its choosing.
// "&Ripara" runs none of them: it says what it found, the open database keeps its trips, no file is made, the
// damaged file stays as it was. A damaged file that stores a trigger is refused too, the trigger named.
TEST_F(RepairCommandDriver, AFilesOwnStatementsAreNeverRun) {
  const std::string user = dir.Path("lavoro.mdb"), received = dir.Path("ricevuto.mdb"), chosen = dir.Path("scelto");
  MakeTimetableDatabase(user);
  RunSql(user, WholeTripsSql(5));
  const struct {
    std::string stored;  // SQL run on the received file before its damage
    std::string reason;  // what the message says after "Non è stato possibile recuperarne i dati: "
  } cases[] = {
      {"PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = sql || '; ATTACH ''" + user +
           "'' AS u; DELETE FROM u.detcor; DELETE FROM u.tescor; ATTACH ''" + chosen +
           "'' AS c; CREATE TABLE c.x (y)' WHERE name = 'cadenz'",
       "la definizione di \"cadenz\" nel file porta con sé altre istruzioni, che non sono state eseguite:\\n\\n"
       "ATTACH '" +
           user + "' AS u; DELETE FROM u.detcor;"},
      {"CREATE TRIGGER svuota AFTER INSERT ON cadenz BEGIN DELETE FROM tescor; END",
       "la definizione di \"svuota\" nel file non è quella di una tavola o di un indice, e non è stata "
       "eseguita:\\n\\nCREATE TRIGGER svuota"},
      // A single statement, but not a definition: the engine cannot read the schema, the file is damaged.
      {"PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = 'ATTACH ''" + chosen +
           "'' AS c' WHERE name = 'period'",
       "la definizione di \"period\" nel file non è quella di una tavola o di un indice, e non è stata "
       "eseguita:\\n\\nATTACH '" +
           chosen + "' AS c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    QFile::remove(cp1252::ToQString(received));
    QFile::remove(cp1252::ToQString(received + ".danneggiato"));
    MakeTimetableDatabase(received);
    RunSql(received, WholeTripsSql(50));
    DamageLeaf(received, "detcor", 2);
    RunSql(received, c.stored);
    const std::string damaged = FileBytes(received);
    WriteSettings(settings, {"Database=" + user});
    const DriverRun run = RunDriver(settings, {"file " + received}, {"5106"});
    const std::vector<std::string> shown = Boxes(run);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(QueryFile(user, "SELECT count(*) FROM tescor UNION ALL SELECT count(*) FROM detcor"), "5\n50\n");
    EXPECT_FALSE(QFile::exists(cp1252::ToQString(chosen)));
    EXPECT_TRUE(HasPrefix(shown[0], U8("0x30\tErrore durante la riparazione del database\\n\\n" + received)));
    EXPECT_TRUE(HasPart(shown[0], U8("\\n\\nNon è stato possibile recuperarne i dati: " + c.reason)));
    EXPECT_TRUE(FileBytes(received) == damaged) << "the damaged file changed";
    EXPECT_FALSE(QFile::exists(cp1252::ToQString(received + ".danneggiato")));
  }
}

// After the salvage of a file whose pages of trip heads and of stops are lost, the message names, after the rows per
// table, every trip that lost stops (some, or all) and every trip whose stops remain without their head, by id, twenty
// at most; the trips that lost nothing are not named.
TEST_F(RepairCommandDriver, TheTripsThatLostStopsAreNamed) {
  const std::string db = dir.Path("rotto.mdb");
  MakeTimetableDatabase(db);
  // And one long trip, 0, whose stops fill the first pages (the fourth one lost: stops of its middle alone).
  RunSql(db,
         "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, "
         "ct_lung, ct_tempo, gruppo) VALUES (0, 'C0', 'L1', 'A', 700, 1099, 1, 2, 5000, 40, 0, 0, 0);"
         "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 400) "
         "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, "
         "reglocal) SELECT 0, k, 'F' || (k % 10), 'Fermata ' || (k % 10), k * 10, "
         "CASE k WHEN 1 THEN 9999 ELSE 699 + k END, CASE k WHEN 400 THEN 9999 ELSE 699 + k END, 1, 0, 0, 0 "
         "FROM n;" +
             WholeTripsSql(200));
  const auto stops = [](const std::string& path) {
    std::map<long, std::set<long>> out;
    for (const std::string& line : QueryLines(path, "SELECT id, sub FROM detcor"))
      out[std::stol(line)].insert(std::stol(line.substr(line.find('|') + 1)));
    return out;
  };
  const std::map<long, std::set<long>> whole = stops(db);
  // The stops that survive the damage: those of a copy damaged in the same pages of stops alone, salvaged here (the
  // file itself keeps no stop whose head was lost).
  const std::string copy = dir.Path("copia.mdb");
  WriteFileBytes(copy, FileBytes(db));
  DamageLeaf(db, "tescor", 1);
  for (const std::string& path : {db, copy}) {
    DamageLeaf(path, "detcor", 3);
    DamageLeaf(path, "detcor", 9);
  }
  RepairOptions salvage;
  salvage.path = copy;
  ASSERT_EQ(RepairDatabase(salvage).outcome, RepairOutcome::Salvaged);
  MakeDatabase(dir.Path("lavoro.mdb"), kShellSchema);
  WriteSettings(settings, {"Database=" + dir.Path("lavoro.mdb")});
  const DriverRun run = RunDriver(settings, {"file " + db}, {"5106"});
  const std::vector<std::string> shown = Boxes(run);
  ASSERT_EQ(shown.size(), 1u);

  // What was lost, from the files themselves.
  const std::map<long, std::set<long>> left = stops(copy);
  std::set<long> heads;
  for (const std::string& line : QueryLines(db, "SELECT id FROM tescor")) heads.insert(std::stol(line));
  // The file keeps the stops that survived of the trips whose head survived, and no other.
  std::map<long, std::set<long>> ofHeads = left;
  std::erase_if(ofHeads, [&heads](const auto& trip) { return !heads.count(trip.first); });
  EXPECT_EQ(stops(db), ofHeads);
  std::vector<std::string> named;
  for (const auto& [id, subs] : whole) {
    const auto kept = left.find(id);
    if (heads.count(id) && kept == left.end())
      named.push_back(std::to_string(id) + " C" + std::to_string(id) + ": nessuna fermata");
    else if (heads.count(id) && kept->second != subs)
      named.push_back(std::to_string(id) + " C" + std::to_string(id) + ": fermate mancanti");
    else if (!heads.count(id) && kept != left.end())
      named.push_back(std::to_string(id) + ": testata perduta");
  }
  // Trip 0 lost stops of its middle only: its head still matches its first and last stop.
  ASSERT_TRUE(heads.count(0));
  ASSERT_EQ(left.at(0).count(1) + left.at(0).count(400), 2u);
  ASSERT_LT(left.at(0).size(), 400u);
  ASSERT_GT(named.size(), 20u);
  ASSERT_LT(heads.size(), 200u);
  std::string expected = "\\n\\nCorse che hanno perso fermate, da controllare prima di inviarle alla Regione:";
  for (size_t k = 0; k < 20; ++k) expected += "\\n" + named[k];
  expected += "\\n... e altre " + std::to_string(named.size() - 20) + " corse\\n\\nLe righe";
  EXPECT_TRUE(HasPart(shown[0], expected)) << shown[0];
}

// The program started in this process on a full database of the test's own.
class DatabaseMenu : public ProgramTest {
 protected:
  void SetUp() override {
    CopySeededDatabase(db_);
    StartProgram(false);
    title_ = frame_->title;
    script_.Clear();
  }

  // The one message shown so far, with its type and caption.
  std::string OnlyMessage() {
    if (script_.Messages().size() != 1) return "<" + std::to_string(script_.Messages().size()) + " messages>";
    const ui::ShownMessage& m = script_.Messages()[0];
    return std::to_string(m.type) + "|" + m.caption + "|" + m.text;
  }

  // What another program reading a copy of the database file alone (without its log) finds.
  std::string CopyHolds(const std::string& sql) {
    WriteFileBytes(dir_.Path("copia.mdb"), FileBytes(db_));
    return QueryFile(dir_.Path("copia.mdb"), sql);
  }

  void ExpectStillWorking() {
    ASSERT_NE(frame_->Database(), nullptr);
    EXPECT_EQ(frame_->databasePath, db_);
    EXPECT_EQ(frame_->title, title_);
    EXPECT_TRUE(frame_->IsCommandEnabled(5110));
  }

  std::string title_;
};

TEST_F(DatabaseMenu, DisconnectAsksAndLeavesOnlyTheDatabaseCommandsEnabled) {
  script_.Cancel();
  ASSERT_TRUE(frame_->RunCommand(5105));
  ExpectStillWorking();
  script_.Ok();
  ASSERT_TRUE(frame_->RunCommand(5105));
  EXPECT_EQ(frame_->Database(), nullptr);
  EXPECT_FALSE(frame_->IsCommandEnabled(5108));
  EXPECT_TRUE(frame_->IsCommandEnabled(5104));
}

TEST_F(DatabaseMenu, CreateRefusesAnExistingFileAndCancelledDoesNothing) {
  script_.Cancel();
  ASSERT_TRUE(frame_->RunCommand(5103));
  EXPECT_TRUE(script_.Messages().empty());
  ExpectStillWorking();

  frame_->CloseDatabase();
  const std::string before = FileBytes(db_);
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5103));
  const std::string failed = "Errore durante la creazione del database " + db_ + "\n\n";
  EXPECT_EQ(MessagesOf(script_), failed + "Il file esiste già");
  EXPECT_TRUE(FileBytes(db_) == before) << "the file changed";
}

TEST_F(DatabaseMenu, ConnectReopensTheOpenFileAndRefusesWhatIsNotOneOfOurSoundDatabases) {
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5104));
  EXPECT_EQ(MessagesOf(script_), "");
  ExpectStillWorking();

  const std::string text = dir_.Path("appunti.mdb");
  WriteFileBytes(text, std::string(3000, 'x'));
  const std::string damaged = dir_.Path("rotto.mdb");
  CopySeededDatabase(damaged);
  DamageLeaf(damaged, "campi", 0);
  const std::string readOnly = dir_.Path("sola-lettura.mdb");
  CopySeededDatabase(readOnly);
  ASSERT_TRUE(QFile::setPermissions(cp1252::ToQString(readOnly), QFile::ReadOwner));
  for (const auto& [file, reason] : {std::pair{text, "Il file non è un database valido"},
                                     {damaged, "Il file del database è danneggiato"},
                                     {readOnly, "Il file è in sola lettura"}}) {
    SCOPED_TRACE(file);
    const std::string bytes = FileBytes(file);
    script_.File(db_);
    ASSERT_TRUE(frame_->RunCommand(5104));
    ExpectStillWorking();
    // The open database is closed first; the refused file leaves none, and no path to record.
    script_.Clear();
    script_.File(file);
    ASSERT_TRUE(frame_->RunCommand(5104));
    EXPECT_TRUE(HasPrefix(OnlyMessage(), std::string("16||Errore in fase di apertura del database\n\n") + reason));
    EXPECT_EQ(frame_->Database(), nullptr);
    EXPECT_EQ(frame_->databasePath, "");
    EXPECT_EQ(frame_->title, kFullCaption);
    EXPECT_FALSE(frame_->IsCommandEnabled(5110));
    EXPECT_TRUE(FileBytes(file) == bytes) << "the refused file changed";
  }
}

TEST_F(DatabaseMenu, DuplicateCopiesEveryRowAndRefusesAnExistingDestination) {
  const std::string copy = dir_.Path("copia.mdb");
  script_.File(db_).File(copy);
  ASSERT_TRUE(frame_->RunCommand(5107));
  EXPECT_EQ(MessagesOf(script_), "");
  EXPECT_EQ(script_.Transcript(), (std::vector<std::string>{FileLine("Selezione del Database di origine"),
                                                            FileLine("Selezione del Database di destinazione")}));
  EXPECT_EQ(RowsPerTable(copy), RowsPerTable(db_));
  ExpectStillWorking();

  // Again onto the copy: refused, the copy untouched.
  script_.Clear();
  const std::string copyBytes = FileBytes(copy);
  script_.File(db_).File(copy);
  ASSERT_TRUE(frame_->RunCommand(5107));
  EXPECT_EQ(OnlyMessage(), "48|Duplicazione database|Errore durante la duplicazione del database\n\n" + db_ + "\n" +
                               copy + "\n\nIl file di destinazione esiste già");
  EXPECT_TRUE(FileBytes(copy) == copyBytes) << "the file changed";
}

// Sound, the working database is rebuilt without a word, and a damaged file is salvaged
// (RepairCommandDriver); the working database damaged is refused and stays open.
TEST_F(DatabaseMenu, RepairRefusesTheOpenDatabaseDamagedAndKeepsItOpen) {
  frame_->CloseDatabase();
  DamageLeaf(db_, "local");
  frame_->OpenDatabase();
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5106));
  EXPECT_TRUE(HasPrefix(OnlyMessage(), "48|Riparazione database|Errore durante la riparazione del database\n\n" + db_ +
                                           "\n\nIl file del database è danneggiato"));
  EXPECT_TRUE(HasPart(OnlyMessage(), "il file è aperto"));
  EXPECT_FALSE(QFile::exists(cp1252::ToQString(db_ + ".danneggiato")));
  ExpectStillWorking();
}

TEST_F(DatabaseMenu, CompanyCancelledOrWithoutMasterRowWritesNothing) {
  const std::string master = "SELECT * FROM master";
  const std::string before = QueryFile(db_, master);
  script_.Push({ui::Answer::Kind::DialogCancel, "115", {}});
  ASSERT_TRUE(frame_->RunCommand(5108));
  EXPECT_TRUE(script_.Messages().empty());
  EXPECT_EQ(QueryFile(db_, master), before);

  // The master row gone behind the program's back: the command says so and writes nothing.
  {
    DbTable row(frame_->Database(), "master");
    ASSERT_TRUE(row.SetIndex("codice") && row.SeekEqual({"0"}) && row.Delete());
  }
  ASSERT_TRUE(frame_->RunCommand(5108));
  EXPECT_EQ(OnlyMessage(),
            "16||ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!");
  EXPECT_EQ(QueryFile(db_, "SELECT count(*) FROM master"), "0\n");
}

// Whatever a command committed is folded into the file when it ends, by an exception too.
TEST_F(DatabaseMenu, ACopyOfTheFileTakenAfterACommandHoldsWhatItCommitted) {
  // "&Azienda" with no answer for its dialog ends by an exception; the start-up's master row,
  // committed so far only in the log, is in the file all the same.
  EXPECT_THROW(frame_->RunCommand(5108), ui::UnansweredQuestion);
  EXPECT_EQ(CopyHolds("SELECT codice, azienda, datini FROM master"), "0|0|1900-01-01\n");
  script_.Push(
      {ui::Answer::Kind::Dialog,
       "115",
       {{"1000", "0012"}, {"1001", "01/01/2024"}, {"1002", "31/12/2024"}, {"1004", ""}, {"1005", "Mario Rossi"}}});
  ASSERT_TRUE(frame_->RunCommand(5108));
  EXPECT_EQ(CopyHolds("SELECT azienda, resple, datini, datfin FROM master"), "12|Mario Rossi|2024-01-01|2024-12-31\n");
}

}  // namespace
