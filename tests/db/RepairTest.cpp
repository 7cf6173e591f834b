// The repair of a database file on real files: a sound file is rebuilt, a damaged one salvaged by
// the sqlite3 program's recovery into a new file that takes its name, the damaged file kept beside
// it; every failure leaves the damaged file as it was, under its own name.

#include "DbTestSupport.h"
#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbMaintenance.h"
#include "support/EarlierBuild.h"
#include "support/FullDisk.h"
#include "support/KilledWalk.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace {

class Repair : public ::testing::Test {
 protected:
  // A timetable database of 1000 trips with 10 stops each, two day types and a year of calendar.
  void SetUp() override {
    path_ = dir_.Path("lavoro.mdb");
    const CreateOutcome created = CreateTimetableDatabase(path_, CreateMode::Menu, SeedLocalityZero);
    ASSERT_TRUE(created.ok) << log_.Texts() << created.Texts();
    ASSERT_EQ(ExecOnFile(path_,
                         "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) "
                         "VALUES (0, 0, '1900-01-01', '2099-12-31', 0, 0);"
                         "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');"
                         "WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < 365) "
                         "INSERT INTO calend SELECT date('2024-01-01', '+' || k || ' days'), 'FER', 'L', 'n' FROM n;"
                         "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 1000) "
                         "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, "
                         "tempo, ct_lung, ct_tempo, gruppo) "
                         "SELECT k, 'C' || k, 'L' || (k % 7), 'A', 800, 900, 0, 0, 1000, 60, 1000, 60, 0 FROM n;"
                         "WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < 9999) "
                         "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, "
                         "nonferma, reglocal) SELECT k / 10 + 1, k % 10, 'F' || (k % 50), 'Fermata ' || k, k * 10, "
                         "800, 800, 1, 0, 0, 0 FROM n;"),
              "ok");
    stored_ = RowsPerTable(path_);
    log_.Clear();  // the creation's notice
  }

  // A stand-in for the recovery program: a shell script with the given body.
  std::string Program(const std::string& name, const std::string& body) const {
    WriteFileBytes(dir_.Path(name), "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(cp1252::ToQString(dir_.Path(name)), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return dir_.Path(name);
  }

  RepairResult Run(const std::string& path, const std::string& program = "sqlite3") {
    RepairOptions options;
    options.path = path;
    options.recoverProgram = program;
    return RepairDatabase(options);
  }

  // The file put back as `pristine`, `sql` run on it, the first leaf page of `tree` damaged, then repaired.
  RepairResult SalvageOf(const std::string& pristine, const std::string& sql, const std::string& tree) {
    QFile::remove(cp1252::ToQString(path_ + ".danneggiato"));
    WriteFileBytes(path_, pristine);
    EXPECT_EQ(ExecOnFile(path_, sql), "ok");
    DamageLeaf(path_, tree, 0);
    return Run(path_);
  }

  ScratchDir dir_;
  NoticeLog log_;
  std::string path_;
  std::map<std::string, long> stored_;
};

TEST_F(Repair, SoundFileIsRebuiltWithoutItsFreePagesBesideAnOpenConnection) {
  ASSERT_EQ(ExecOnFile(path_, "DELETE FROM detcor WHERE id > 100"), "ok");
  const size_t before = FileBytes(path_).size();
  DbDatabase open(path_);
  ASSERT_EQ(sqlite3_exec(open.Handle(), "SELECT count(*) FROM tescor", nullptr, nullptr, nullptr), SQLITE_OK);
  const std::vector<std::string> locks = LocksHeld(path_);
  ASSERT_FALSE(locks.empty());
  const RepairResult result = Run(path_);
  EXPECT_EQ(std::pair(result.outcome, result.Texts()), std::pair(RepairOutcome::Rebuilt, std::string()));
  EXPECT_EQ(LocksHeld(path_), locks);  // the file's header was read without letting them go
  EXPECT_LT(FileBytes(path_).size(), before / 2);
  // The open connection goes on working on the rebuilt file, which keeps its rows.
  EXPECT_EQ(sqlite3_exec(open.Handle(), "DELETE FROM detcor WHERE id = 100", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(QueryFile(path_, "SELECT count(*) FROM detcor"), "990\n");
  EXPECT_EQ(log_.Texts(), "");
}

// Pages lost to damage (the b-trees and the indexes of their leaf pages), and what the salvage
// must then bring back: every row of the pages that survived, nothing else. The last file has a
// name in the program's code page, and the name it would be kept under is taken already.
TEST_F(Repair, DamagedFileIsSalvagedAndTheRowsOfTheDamagedPagesAloneAreLost) {
  const std::vector<std::pair<const char*, std::vector<int>>> cases[] = {
      {{"detcor", {10, 11, 100}}},
      {{"tescor", {3}}, {"detcor", {50}}},
      {{"detcor__fermata", {0, 7}}, {"detcor", {30}}}};
  const std::string pristine = FileBytes(path_);
  for (const auto& damage : cases) {
    const bool last = &damage == &cases[2];
    const std::string path = last ? dir_.Path("citt\xE0.mdb") : path_,
                      kept = path + (last ? ".danneggiato-2" : ".danneggiato");
    SCOPED_TRACE(path);
    QFile::remove(cp1252::ToQString(path_ + ".danneggiato"));
    WriteFileBytes(path_, pristine);
    std::vector<long> pages;
    std::map<std::string, long> expected = stored_;
    for (const auto& [tree, indexes] : damage)
      for (int i : indexes) {
        const LeafPage page = LeafPages(path_, tree).at(static_cast<size_t>(i));
        pages.push_back(page.number);
        if (expected.count(tree)) expected[tree] -= page.rows;
      }
    DamagePages(path_, pages);
    if (last) {
      ASSERT_TRUE(QFile::rename(cp1252::ToQString(path_), cp1252::ToQString(path)));
      WriteFileBytes(path + ".danneggiato", "un file dell'utente");
    }
    const std::string damaged = FileBytes(path), before = Listing(dir_.Dir());
    RepairOptions options;
    options.path = path;
    int pumped = 0;
    options.pump = [&pumped] { ++pumped; };
    const RepairResult result = RepairDatabase(options);
    ASSERT_EQ(result.outcome, RepairOutcome::Salvaged) << result.Texts();
    EXPECT_GT(pumped, 0);

    // The new file: sound, ours, holding exactly the rows of the pages that survived, but for those that referred
    // to a row lost.
    std::string error;
    EXPECT_TRUE(CheckDatabaseFile(path, CheckDepth::Full, error)) << error;
    EXPECT_TRUE(CheckDatabaseToOpen(path).ok);
    expected["detcor"] -= static_cast<long>(result.orphanRows);
    EXPECT_EQ(RowsPerTable(path), expected);
    EXPECT_EQ(QueryFile(path,
                        "SELECT count(*) FROM detcor WHERE denom <> 'Fermata ' || ((id - 1) * 10 + sub) "
                        "OR dist <> ((id - 1) * 10 + sub) * 10 OR reglocal <> 0"),
              "0\n");
    EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM detcor WHERE id NOT IN (SELECT id FROM tescor)"), "0\n");
    EXPECT_EQ(result.orphanRows > 0, expected["tescor"] < stored_["tescor"]);
    EXPECT_EQ(DbDatabase(path).isOpen, 1) << log_.Texts();
    // The damaged file beside it, as it was, and nothing else new.
    EXPECT_EQ(result.damagedPath, kept);
    EXPECT_TRUE(FileBytes(kept) == damaged) << "the damaged file changed";
    EXPECT_EQ(Listing(dir_.Dir()), before + kept.substr(dir_.Dir().size() + 1) + "\n");

    // The report: rows per table as they are in the file, the timetable's tables first; the rows
    // left out for pointing at lost ones, if any.
    std::map<std::string, long> reported;
    for (const TableRows& t : result.recovered) reported[t.table] = t.rows;
    EXPECT_EQ(reported, expected);
    EXPECT_TRUE(HasPart(result.Texts(), "\n\nRighe recuperate per tavola:\nmaster: 1\n"));
    EXPECT_EQ(HasPart(result.Texts(), "\nRighe che rimandavano a righe andate perse, non riportate: " +
                                          std::to_string(result.orphanRows) + ".\n"),
              result.orphanRows > 0);
  }
  EXPECT_EQ(FileBytes(dir_.Path("citt\xE0.mdb.danneggiato")), "un file dell'utente");
}

// A stop in a locality the file does not hold (written with the relations off), in a file damaged
// elsewhere: the stop keeps its place in its trip, in the locality 0, and the trip is named; in a
// file without the locality 0 the stop goes, and its trip is named as one that lost a stop.
TEST_F(Repair, AStopWhoseLocalityIsLostKeepsItsPlaceOrItsTripIsNamed) {
  const std::string relocated =
      "\n\nCorse con fermate la cui località è andata persa, riportate nella località 0 (non assegnata):\n7 C7: 1 "
      "fermata\n\n";
  const std::string shortened =
      "\n\nCorse che hanno perso fermate, da controllare prima di inviarle alla Regione:\n7 C7: fermate mancanti\n\n";
  const struct {
    const char* more;   // run on the file before its damage
    std::string stops;  // of trip 7 in the salvaged file, sub:reglocal
    const std::string& told;
  } cases[] = {
      {"", "0:0,1:0,2:0,3:0,4:0,5:0,6:0,7:0,8:0,9:0", relocated},
      {"INSERT INTO local VALUES (1, 'Uno', 1, 'Uno', 'UN'); UPDATE detcor SET reglocal = 1; DELETE FROM local "
       "WHERE id = 0",
       "1:1,2:1,3:1,4:1,5:1,6:1,7:1,8:1,9:1", shortened},
  };
  // Whole trips, the last stop arriving at the head's arrival.
  ASSERT_EQ(ExecOnFile(path_, "UPDATE detcor SET arriva = 900 WHERE sub = 9"), "ok");
  const std::string pristine = FileBytes(path_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stops);
    const RepairResult result = SalvageOf(
        pristine, std::string(c.more) + ";UPDATE detcor SET reglocal = 30000 WHERE id = 7 AND sub = 0", "calend");
    ASSERT_EQ(result.outcome, RepairOutcome::Salvaged) << result.Texts();
    EXPECT_EQ(QueryFile(path_,
                        "SELECT group_concat(sub || ':' || reglocal) FROM (SELECT * FROM detcor WHERE id = 7 "
                        "ORDER BY sub)"),
              c.stops + "\n");
    EXPECT_TRUE(HasPart(result.Texts(), c.told)) << result.Texts();
    EXPECT_FALSE(HasPart(result.Texts(), &c.told == &relocated ? "Corse che" : "Corse con")) << result.Texts();
  }
}

// Values another program wrote past the rules of their fields, in a file damaged elsewhere: a date
// with a time of day is its date; a row with a value its field does not admit is left out and named,
// a stop row's trip with it.
TEST_F(Repair, AValueItsFieldDoesNotAdmitLeavesItsRowOutNamedADateWithATimeIsItsDate) {
  const struct {
    const char* planted;
    std::string held;               // the planted rows as the salvaged file holds them
    std::vector<std::string> told;  // what the report says of them
    long lost;                      // stop rows the new file lacks
  } cases[] = {
      {"UPDATE calend SET data = data || ' 00:00:00' WHERE data = '2024-03-05';"
       "UPDATE calend SET data = data || 'T08:30:15.250' WHERE data = '2024-03-06';"
       "UPDATE master SET datfin = '2099-12-31 23:59'",
       "2024-03-05|2024-03-06|2099-12-31|366\n",
       {},
       0},
      {"UPDATE calend SET data = '05/10/2024' WHERE data = '2024-10-05';"
       "UPDATE tescor SET lung = 2.5 WHERE id = 9; UPDATE detcor SET fermata = X'323134' WHERE id = 7 AND sub = 0",
       "2024-03-05|2024-03-06|2099-12-31|365\n",
       {"\n\nCorse che hanno perso fermate, da controllare prima di inviarle alla Regione:\n7 C7: fermate "
        "mancanti\n9: testata perduta\n\n",
        "\n\nRighe che il nuovo file non ammette, non riportate: 3.\nRiga (data '05/10/2024', caden 'FER') della "
        "tavola \"calend\": il campo \"data\" vale '05/10/2024'\nRiga (id 9) della tavola \"tescor\": il campo "
        "\"lung\" vale 2.5\nRiga (id 7, sub 0) della tavola \"detcor\": il campo \"fermata\" vale X'323134'\n\n"},
       11},
  };
  ASSERT_EQ(ExecOnFile(path_, "UPDATE detcor SET arriva = 900 WHERE sub = 9"), "ok");  // whole trips
  const std::string pristine = FileBytes(path_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.planted);
    const RepairResult result =
        SalvageOf(pristine, std::string("PRAGMA ignore_check_constraints = ON;") + c.planted, "detcor__fermata");
    ASSERT_EQ(result.outcome, RepairOutcome::Salvaged) << result.Texts();
    EXPECT_EQ(QueryFile(path_,
                        "SELECT group_concat(data, '|'), (SELECT datfin FROM master), (SELECT count(*) FROM calend) "
                        "FROM calend WHERE data IN ('2024-03-05', '2024-03-06')"),
              c.held);
    EXPECT_EQ(RowsPerTable(path_)["detcor"], stored_["detcor"] - c.lost);
    for (const std::string& part : c.told) EXPECT_TRUE(HasPart(result.Texts(), part));
    EXPECT_EQ(HasPart(result.Texts(), "Corse che"), !c.told.empty()) << result.Texts();
    EXPECT_EQ(HasPart(result.Texts(), "non ammette"), !c.told.empty()) << result.Texts();
  }
}

// A disk that fills while a sound file, or one an earlier build wrote, is rebuilt: the repair says
// so and that nothing was kept, and the file is left as it was.
TEST_F(Repair, ADiskThatFillsDuringTheRebuildLeavesTheFileAsItWasAndSaysSo) {
  const std::string earlier = dir_.Path("precedente.mdb");
  MakeEarlierBuildFile(path_, earlier);
  for (const std::string& path : {path_, earlier}) {
    SCOPED_TRACE(path);
    const std::string pristine = FileBytes(path);
    long long all = 0;
    {
      const FullDisk counted;
      ASSERT_EQ(Run(path).outcome, RepairOutcome::Rebuilt);
      all = FullDisk::Written();
    }
    WriteFileBytes(path, pristine);
    const std::string before = FileBytes(path), listing = Listing(dir_.Dir());
    RepairResult result;
    {
      const FullDisk full(all / 2);
      result = Run(path);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(HasPart(result.Texts(), "Spazio su disco esaurito")) << result.Texts();
    EXPECT_TRUE(HasPart(result.Texts(), "Nessuna modifica è stata registrata: il file è rimasto com'era."))
        << result.Texts();
    EXPECT_TRUE(FileBytes(path) == before && Listing(dir_.Dir()) == listing) << "file changed";
  }
}

// Every failure, and a damaged file open elsewhere (as the program keeps it: it has read from it).
TEST_F(Repair, EveryFailedSalvageLeavesTheDamagedFileInPlaceAsItWas) {
  // The schema page that holds the definition of tescor.
  long schemaPage = 0;
  for (const std::string& line : QueryLines(path_, "SELECT pageno FROM dbstat WHERE name = 'sqlite_schema'"))
    if (FileBytes(path_).substr((std::stol(line) - 1) * 4096, 4096).find("CREATE TABLE \"tescor\"") !=
        std::string::npos)
      schemaPage = std::stol(line);
  ASSERT_NE(schemaPage, 0);
  const long stopPage = LeafPages(path_, "detcor").at(20).number;
  const struct {
    long page;
    std::string program, reason, alsoReason = "", before = "";  // `before`: run on the file before its damage
  } cases[] = {
      // A definition that cannot be read cannot be known to be a single statement.
      {schemaPage, "sqlite3", "le definizioni delle tavole del file non si possono leggere tutte ("},
      {stopPage, dir_.Path("manca/sqlite3"),
       "il programma " + dir_.Path("manca/sqlite3") + ", che legge un file danneggiato, non è stato trovato"},
      {stopPage, Program("senza-pagine", "echo 'Error: in prepare, no such table: sqlite_dbpage' >&2; exit 1"),
       "il programma " + dir_.Path("senza-pagine") + " non sa leggere le pagine di un file"},
      {stopPage,
       Program("a-meta",
               "[ \"$4\" = :memory: ] && exit 0\nprintf 'BEGIN;\\nCREATE TABLE t(x);\\n'; echo guasto >&2; exit 3"),
       "il programma " + dir_.Path("a-meta") + " si è interrotto (guasto)"},
      {stopPage,
       Program("troncato", "[ \"$4\" = :memory: ] && exit 0\nprintf 'BEGIN;\\nCREATE TABLE t(x);\\nINSERT INTO t'"),
       "il recupero si è fermato a metà"},
      // Of what the recovery hands back only single inserts into the program's tables are run.
      {stopPage,
       Program("estraneo",
               "[ \"$4\" = :memory: ] && exit 0\nprintf 'BEGIN;\\nINSERT INTO \"cadenz\" VALUES "
               "(1, 2); ATTACH \"x\" AS y;\\nCOMMIT;\\n'"),
       "il file contiene istruzioni che non sono dati delle tavole del programma; non sono state eseguite e il file "
       "non viene ripreso:\n\nATTACH \"x\" AS y;"},
      {stopPage,
       Program("lettura",
               "[ \"$4\" = :memory: ] && exit 0\nprintf 'BEGIN;\\nINSERT INTO cadenz SELECT "
               "name, sql FROM sqlite_schema;\\nCOMMIT;\\n'"),
       "il file contiene istruzioni che non sono dati delle tavole del programma; non sono state eseguite e il file "
       "non viene ripreso:\n\nINSERT INTO cadenz SELECT name, sql FROM sqlite_schema;"},
      {stopPage, "sqlite3", "il file è aperto, in questo o in un altro programma: chiuderlo prima di ripararlo"},
      // A file whose tables or indexes are not the builder's is not handed to the recovery.
      {stopPage, "sqlite3",
       "il file non è stato dato al recupero.\n\nIl database contiene tavole o indici definiti diversamente da come "
       "li crea il programma:\n\nIndice \"solo_una\" della tavola \"tescor\"",
       "", "CREATE UNIQUE INDEX solo_una ON tescor (codcorsa)"},
  };
  const std::string pristine = FileBytes(path_), before = Listing(dir_.Dir());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    WriteFileBytes(path_, pristine);
    if (!c.before.empty()) {
      ASSERT_EQ(ExecOnFile(path_, c.before), "ok");
    }
    DamagePages(path_, {c.page});
    std::unique_ptr<DbDatabase> open;
    if (&c == &cases[7]) {
      open = std::make_unique<DbDatabase>(path_);
      ASSERT_EQ(sqlite3_exec(open->Handle(), "SELECT count(*) FROM master", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    const std::string damaged = FileBytes(path_);
    const RepairResult result = Run(path_, c.program);
    EXPECT_EQ(result.outcome, RepairOutcome::Failed);
    EXPECT_TRUE(HasPrefix(result.Texts(), "Errore durante la riparazione del database\n\n" + path_ +
                                              "\n\nIl file del database è danneggiato") &&
                HasPart(result.Texts(), "\n\nNon è stato possibile recuperarne i dati: " + c.reason) &&
                HasPart(result.Texts(), c.alsoReason));
    EXPECT_TRUE(result.recovered.empty());
    EXPECT_TRUE(FileBytes(path_) == damaged) << "the damaged file changed";
    open.reset();
    EXPECT_EQ(Listing(dir_.Dir()), before);
  }
}

// The rows a file cut short after `pages` pages still holds where the salvage can find them: those
// of the pages before the cut whose every parent page is before the cut too. A table stored in key
// order keeps rows on its inner pages as well; the others only on their leaves.
std::map<std::string, long> RowsBeforeTheCut(const std::string& path, long pages) {
  std::map<std::string, long> rows;
  for (const std::string& line :
       QueryLines(path,
                  "SELECT s.name, sum(d.ncell) FROM sqlite_schema s LEFT JOIN dbstat d ON d.name = s.name AND "
                  "(d.pagetype = 'leaf' OR (d.pagetype = 'internal' AND s.sql LIKE '%WITHOUT ROWID%')) AND NOT EXISTS "
                  "(SELECT 1 FROM dbstat a WHERE a.name = d.name AND a.pageno > " +
                      std::to_string(pages) +
                      " AND substr(d.path, 1, length(a.path)) = a.path) WHERE s.type = 'table' GROUP BY s.name"))
    rows[line.substr(0, line.find('|'))] = std::atol(line.substr(line.find('|') + 1).c_str());
  return rows;
}

// A folder's listing with one more name in it, and without `gone`.
std::string ListingWith(const std::string& listing, const std::string& name, const std::string& gone) {
  std::set<std::string> names{name};
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) names.insert(line);
  names.erase(gone);
  std::string out;
  for (const std::string& n : names) out += n + "\n";
  return out;
}

// Each kind of file "Ripara" may be given, made on disk from the timetable database: a sound file
// is rebuilt; a file the engine cannot read whole, with a damaged page or with an index that lacks
// its table's rows, is salvaged, the
// original kept beside it; a sound file that lacks a table or a field is refused with the open's
// own reason, and so is a file that is not a database of ours, cut short or not: every refused file
// stays as it was, byte for byte, and nothing is left beside it. A rollback journal that a killed
// writer left is played into the file first, as the engine plays it on every open.
TEST_F(Repair, EachKindOfFileIsRebuiltSalvagedOrRefusedUntouched) {
  const std::string pristine = FileBytes(path_), half = FirstHalfOf(path_);
  const LeafPage stopPage = LeafPages(path_, "detcor").at(40);
  std::map<std::string, long> damagedRows = stored_;
  damagedRows["detcor"] -= stopPage.rows;
  std::string unjournaled;  // the file as it was before the killed writer's transaction
  const std::map<std::string, long> halfRows = RowsBeforeTheCut(path_, static_cast<long>(half.size()) / 4096);
  const std::string missing = "Il database non corrisponde al suo dizionario dei dati:\n\n";
  const struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    RepairOutcome outcome;
    std::string reason;                       // refused: what the message says after the path
    const std::map<std::string, long>* rows;  // salvaged: the rows the new file holds
    const std::string* kept = nullptr;        // salvaged: the original as kept, when not as it was given
  } cases[] = {
      {"sano.mdb", [&](const std::string& p) { WriteFileBytes(p, pristine); }, RepairOutcome::Rebuilt, "", &stored_},
      {"troncato.mdb", [&](const std::string& p) { WriteFileBytes(p, half); }, RepairOutcome::Salvaged, "", &halfRows},
      {"pagina.mdb",
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         DamagePages(p, {stopPage.number});
       },
       RepairOutcome::Salvaged, "", &damagedRows},
      {"indice-vuoto.mdb",
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         ASSERT_EQ(ExecOnFile(p, kEmptiedStopIndexSql), "ok");
       },
       RepairOutcome::Salvaged, "", &stored_},
      {"senza-tavola.mdb",
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         ASSERT_EQ(ExecOnFile(p, "DROP TABLE period"), "ok");
       },
       RepairOutcome::Failed, missing + "Manca la tavola \"period\"", nullptr},
      {"senza-campo.mdb",
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         ASSERT_EQ(ExecOnFile(p, "ALTER TABLE tescor DROP COLUMN denom"), "ok");
       },
       RepairOutcome::Failed, missing + "Manca il campo \"denom\" della tavola \"tescor\"", nullptr},
      {"senza-localita.mdb",  // written with the relations off: a stop in a locality that does not exist
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         ASSERT_EQ(ExecOnFile(p, "UPDATE detcor SET reglocal = 77 WHERE id = 3 AND sub = 2"), "ok");
       },
       RepairOutcome::Failed,
       "Alcune righe del database non rispettano le relazioni tra le tavole:\nRiga (id 3, sub 2) della tavola "
       "\"detcor\": manca la riga della tavola \"local\" con id 77\n\nIl file non è danneggiato: la riparazione non "
       "può correggere queste righe e il file è rimasto com'era. Correggere le righe indicate prima di usare il "
       "database.",
       nullptr},
      {"tipo.mdb",  // written with the engine's checks off: an authority beyond its column's range
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         ASSERT_EQ(ExecOnFile(p, "PRAGMA ignore_check_constraints = ON; UPDATE tescor SET ente = 70000 WHERE id = 7"),
                   "ok");
       },
       RepairOutcome::Failed,
       "ATTENZIONE: riga (id 7) della tavola \"tescor\":\nil campo ente (Codice Ente Gestore) vale 70000,\nche è un "
       "numero intero e non un numero intero da -32768 a 32767 come richiede la sua colonna.\n\nNessuna modifica è "
       "stata registrata: correggere il dato prima di ripetere l'elaborazione.",
       nullptr},
      {"verso.mdb",  // a direction of two letters in a column of one
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         ASSERT_EQ(ExecOnFile(p, "UPDATE tescor SET verso = 'AR' WHERE id = 7"), "ok");
       },
       RepairOutcome::Failed,
       "ATTENZIONE: riga (id 7) della tavola \"tescor\":\nil campo verso (Verso Linea) vale 'AR',\nche è un testo "
       "troppo lungo e non un testo di al più 1 carattere come richiede la sua colonna.\n\nNessuna modifica è stata "
       "registrata: correggere il dato prima di ripetere l'elaborazione.",
       nullptr},
      // A file an earlier build wrote is rebuilt as its open brings it forward, which judges each
      // value: a value the builder's rules refuse, or a date with a time of day beside the same date,
      // is refused as in a file of this build.
      {"precedente.mdb", [&](const std::string& p) { MakeEarlierBuildFile(path_, p); }, RepairOutcome::Rebuilt, "",
       &stored_},
      {"precedente-intero.mdb",
       [&](const std::string& p) {
         MakeEarlierBuildFile(path_, p);
         ASSERT_EQ(ExecOnFile(p, "UPDATE tescor SET ente = 2.5 WHERE id = 7"), "ok");
       },
       RepairOutcome::Failed,
       "ATTENZIONE: riga (id 7) della tavola \"tescor\":\nil campo ente (Codice Ente Gestore) vale 2.5,\nche è un "
       "numero con decimali e non un numero intero da -32768 a 32767 come richiede la sua colonna.\n\nNessuna modifica "
       "è "
       "stata registrata: correggere il dato prima di ripetere l'elaborazione.",
       nullptr},
      {"precedente-si.mdb",
       [&](const std::string& p) {
         MakeEarlierBuildFile(path_, p);
         ASSERT_EQ(ExecOnFile(p, "UPDATE detcor SET primaria = 'si' WHERE id = 3 AND sub = 2"), "ok");
       },
       RepairOutcome::Failed,
       "ATTENZIONE: riga (id 3, sub 2) della tavola \"detcor\":\nil campo primaria (Fermata principale) vale "
       "'si',\nche "
       "è un testo e non un sì/no (0 o 1) come richiede la sua colonna.\n\nNessuna modifica è stata registrata: "
       "correggere il dato prima di ripetere l'elaborazione.",
       nullptr},
      {"precedente-giorno.mdb",
       [&](const std::string& p) {
         MakeEarlierBuildFile(path_, p);
         ASSERT_EQ(ExecOnFile(p, "INSERT INTO calend VALUES ('2024-03-05 00:00:00', 'FER', 'L', 'n')"), "ok");
       },
       RepairOutcome::Failed,
       "ATTENZIONE: riga (data '2024-03-05 00:00:00', caden 'FER') della tavola \"calend\":\nil campo data (Data) vale "
       "'2024-03-05 00:00:00', che come data è '2024-03-05',\ne la riga avrebbe così la stessa chiave della riga "
       "(data '2024-03-05', caden 'FER'): due righe non possono avere la stessa chiave.\n\nNessuna modifica è stata "
       "registrata: correggere il dato prima di ripetere l'elaborazione.",
       nullptr},
      {"giornale.mdb",
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         DamagePages(p, {stopPage.number});
         unjournaled = FileBytes(p);
         ASSERT_TRUE(Killed([&p] {  // a writer killed once it has written part of its transaction into the file
           sqlite3* db = nullptr;
           sqlite3_open(p.c_str(), &db);
           const char* sql = "PRAGMA journal_mode=DELETE; PRAGMA cache_size=2; BEGIN; UPDATE tescor SET codcorsa = 'X'";
           sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
           ::raise(SIGKILL);
         }));
         ASSERT_FALSE(FileBytes(p) == unjournaled);
       },
       RepairOutcome::Salvaged, "", &damagedRows, &unjournaled},
      {"testo.mdb", [&](const std::string& p) { WriteFileBytes(p, "non un database, solo testo\n" + half); },
       RepairOutcome::Failed, "Il file non è un database valido", nullptr},
      {"altro.mdb",
       [&](const std::string& p) {
         WriteFileBytes(p, pristine);
         ASSERT_EQ(ExecOnFile(p, "PRAGMA application_id = 7"), "ok");
       },
       RepairOutcome::Failed, "Il file non è un database di Quendo", nullptr},
      {"altro-troncato.mdb",
       [&](const std::string& p) {
         std::string bytes = half;
         bytes[68] = bytes[69] = bytes[70] = 0;
         bytes[71] = 7;  // another program's mark
         WriteFileBytes(p, bytes);
       },
       RepairOutcome::Failed, "Il file non è un database di Quendo", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_.Path(c.name), kept = path + ".danneggiato";
    c.make(path);
    for (const char* side : {"-wal", "-shm"}) QFile::remove(cp1252::ToQString(path + side));
    const std::string bytes = FileBytes(path), listing = Listing(dir_.Dir());
    const RepairResult result = Run(path);
    EXPECT_EQ(result.outcome, c.outcome) << result.Texts();
    EXPECT_EQ(log_.Texts(), "");
    switch (c.outcome) {
      case RepairOutcome::Rebuilt:
        EXPECT_EQ(result.Texts(), "");
        EXPECT_EQ(Listing(dir_.Dir()), listing);
        break;
      case RepairOutcome::Salvaged: {
        // The original kept as it was; the rows recovered listed per table, as the new file has them.
        EXPECT_EQ(result.damagedPath, kept);
        EXPECT_TRUE(FileBytes(kept) == (c.kept ? *c.kept : bytes)) << "the damaged file changed";
        EXPECT_EQ(Listing(dir_.Dir()),
                  ListingWith(listing, kept.substr(dir_.Dir().size() + 1), std::string(c.name) + "-journal"));
        std::map<std::string, long> reported;
        for (const TableRows& t : result.recovered) {
          reported[t.table] = t.rows;
          EXPECT_TRUE(HasPart(result.Texts(), "\n" + t.table + ": " + std::to_string(t.rows) + "\n"));
        }
        EXPECT_EQ(reported, RowsPerTable(path));
        EXPECT_TRUE(HasPart(result.Texts(), "Il file danneggiato è stato conservato come:\n" + kept));
        break;
      }
      case RepairOutcome::Failed: {
        EXPECT_EQ(result.Texts(), "Errore durante la riparazione del database\n\n" + path + "\n\n" + c.reason);
        EXPECT_TRUE(FileBytes(path) == bytes) << "the refused file changed";
        EXPECT_EQ(Listing(dir_.Dir()), listing);
        EXPECT_TRUE(result.recovered.empty());
        break;
      }
    }
    if (c.rows) {
      EXPECT_EQ(RowsPerTable(path), *c.rows);
      std::string error;
      EXPECT_TRUE(CheckDatabaseFile(path, CheckDepth::Full, error)) << error;
    }
    // What the repair refuses for a missing table or field, the open refuses with the same reason.
    if (c.reason.find("Manca") != std::string::npos) {
      EXPECT_FALSE(DbDatabase(path).isOpen);
      EXPECT_EQ(log_.Texts(), "Errore in fase di apertura del database\n\n" + c.reason);
      EXPECT_TRUE(FileBytes(path) == bytes) << "the refused file changed";
    }
    log_.Clear();
    for (const char* side : {"-wal", "-shm"}) QFile::remove(cp1252::ToQString(path + side));
  }
}

// A salvage killed after each of its steps on the disk: the name holds a whole file all along,
// the damaged original (its log, which held a committed change, folded into it) until the new file
// replaces it whole; a further repair then ends the work, takes the second name the killed one
// gave the original, and leaves no scratch file of the killed one behind.
TEST_F(Repair, SalvageKilledAfterAnyStepLeavesTheNameWholeAndTheNextRepairEndsIt) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; INSERT INTO cadenz VALUES ('DOM', 'x')",
                   nullptr, nullptr, nullptr),
      SQLITE_OK);
  const std::string withoutLog = FileBytes(path_), log = FileBytes(path_ + "-wal"), kept = path_ + ".danneggiato";
  sqlite3_close(db);
  const LeafPage stopPage = LeafPages(path_, "detcor").at(30);
  std::map<std::string, long> salvagedRows = stored_;
  salvagedRows["cadenz"] += 1;
  salvagedRows["detcor"] -= stopPage.rows;
  const std::string held = "SELECT count(*), (SELECT group_concat(codice) FROM cadenz) FROM tescor";
  // What the name holds after the kill: the damaged original or, once renamed, the new file.
  const std::pair<const char*, bool> cases[] = {{"folded the log of ", false},         {"linked ", false},
                                                {"began the recovery of ", false},     {"recovered into ", false},
                                                {"removed the side files of ", false}, {"renamed ", true}};
  for (const auto& [step, salvaged] : cases) {
    SCOPED_TRACE(step);
    for (const char* side : {"", "-wal", "-shm"}) QFile::remove(cp1252::ToQString(kept + side));
    WriteFileBytes(path_, withoutLog);
    WriteFileBytes(path_ + "-wal", log);
    DamagePages(path_, {stopPage.number});
    RepairOptions options;
    options.path = path_;
    options.step = [step = std::string(step)](const std::string& done) {
      if (done.rfind(step, 0) == 0) ::raise(SIGKILL);
    };
    ASSERT_TRUE(Killed([&options] { RepairDatabase(options); }));
    std::string error;
    bool damaged = false;
    EXPECT_EQ(CheckDatabaseFile(path_, CheckDepth::Full, error, &damaged), salvaged) << error;
    EXPECT_EQ(damaged, !salvaged);
    EXPECT_EQ(QueryFile(path_, held), "1000|DOM,FER,FES\n");

    const RepairResult again = Run(path_);
    EXPECT_EQ(again.outcome, salvaged ? RepairOutcome::Rebuilt : RepairOutcome::Salvaged) << again.Texts();
    EXPECT_EQ(again.damagedPath, salvaged ? std::string() : kept);
    EXPECT_EQ(RowsPerTable(path_), salvagedRows);
    EXPECT_EQ(Listing(dir_.Dir()), "lavoro.mdb\nlavoro.mdb.danneggiato\n");
    EXPECT_EQ(QueryFile(kept, held), "1000|DOM,FER,FES\n");
  }
}

}  // namespace
