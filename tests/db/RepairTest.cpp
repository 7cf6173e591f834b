// The repair of a database file on real files: a sound file is rebuilt, a damaged one salvaged by
// the sqlite3 program's recovery into a new file that takes its name, the damaged file kept beside
// it; every failure leaves the damaged file as it was, under its own name.

#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbMaintenance.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr int kTrips = 1000;
constexpr int kStopsPerTrip = 10;

// Overwrites whole pages of a closed database file with a fixed pattern, as a failing disk
// would: the engine cannot read them as pages any more.
void DamagePages(const std::string& path, const std::vector<long>& pages) {
  std::fstream f(cp1252::ToUtf8(path), std::ios::in | std::ios::out | std::ios::binary);
  ASSERT_TRUE(f.is_open()) << path;
  const std::string garbage(4096, '\xA5');
  for (long page : pages) {
    f.seekp((page - 1) * 4096);
    f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  ASSERT_TRUE(f.good());
}

// The lines of a text.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// A page of a b-tree and the rows (cells) it holds.
struct Page {
  long number = 0;
  long cells = 0;
};

class Repair : public ::testing::Test {
 protected:
  // A timetable database of 1000 trips with 10 stops each, two day types and a year of calendar.
  void SetUp() override {
    path_ = dir_.Path("lavoro.mdb");
    ASSERT_EQ(CreateTimetableDatabase(path_, CreateMode::Menu, SeedLocalityZero), 1) << log_.Texts();
    const std::string trips = std::to_string(kTrips);
    const std::string stops = std::to_string(kTrips * kStopsPerTrip - 1);
    ASSERT_EQ(ExecOnFile(path_,
                         "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) "
                         "VALUES (0, 0, '1900-01-01', '2099-12-31', 0, 0);"
                         "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');"
                         "WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < 365) "
                         "INSERT INTO calend SELECT date('2024-01-01', '+' || k || ' days'), 'FER', 'L', 'n' FROM n;"
                         "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " +
                             trips +
                             ") INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, "
                             "lung, tempo, ct_lung, ct_tempo, gruppo) "
                             "SELECT k, 'C' || k, 'L' || (k % 7), 'A', 800, 900, 0, 0, 1000, 60, 1000, 60, 0 FROM n;"
                             "WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < " +
                             stops +
                             ") INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, "
                             "nonferma, reglocal) SELECT k / 10 + 1, k % 10, 'F' || (k % 50), 'Fermata ' || k, k * 10, "
                             "800, 800, 1, 0, 0, 0 FROM n;"),
              "ok");
    stored_ = Counts(path_);
    ASSERT_EQ(stored_["detcor"], kTrips * kStopsPerTrip);
    log_.Clear();  // the creation's notice
  }

  // The leaf pages of a table or index, in file order.
  std::vector<Page> Leaves(const std::string& name) const {
    std::vector<Page> out;
    for (const std::string& line : Lines(QueryFile(path_, "SELECT pageno, ncell FROM dbstat WHERE name = '" + name +
                                                              "' AND pagetype = 'leaf' ORDER BY pageno")))
      out.push_back({std::stol(line), std::stol(line.substr(line.find('|') + 1))});
    return out;
  }

  // The page of the schema that holds a table's definition.
  long SchemaPageOf(const std::string& table) const {
    const std::string bytes = FileBytes(path_);
    for (const std::string& line : Lines(QueryFile(path_, "SELECT pageno FROM dbstat WHERE name = 'sqlite_schema'"))) {
      const long page = std::stol(line);
      if (bytes.substr((page - 1) * 4096, 4096).find("CREATE TABLE \"" + table + "\"") != std::string::npos)
        return page;
    }
    ADD_FAILURE() << "no schema page holds " << table;
    return 0;
  }

  // Every table of a file with its rows.
  static std::map<std::string, long> Counts(const std::string& path) {
    std::map<std::string, long> out;
    for (const std::string& table : Lines(QueryFile(path, "SELECT name FROM sqlite_schema WHERE type = 'table'")))
      out[table] = std::stol(QueryFile(path, "SELECT count(*) FROM \"" + table + "\""));
    return out;
  }

  // A stand-in for the recovery program: a shell script with the given body.
  std::string Program(const std::string& name, const std::string& body) const {
    const std::string program = dir_.Path(name);
    WriteFileBytes(program, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(cp1252::ToQString(program), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return program;
  }

  ScratchDir dir_;
  NoticeLog log_;
  std::string path_;
  std::map<std::string, long> stored_;
};

TEST_F(Repair, SoundFileIsRebuiltWithoutItsFreePagesBesideAnOpenConnection) {
  ASSERT_EQ(ExecOnFile(path_, "DELETE FROM detcor WHERE id > 100"), "ok");
  stored_ = Counts(path_);
  const size_t before = FileBytes(path_).size();
  DbDatabase open(path_);
  ASSERT_EQ(open.isOpen, 1);
  RepairOptions options;
  options.path = path_;
  const RepairResult result = RepairDatabase(options);
  EXPECT_EQ(result.outcome, RepairOutcome::Rebuilt);
  EXPECT_EQ(result.message, "");
  EXPECT_LT(FileBytes(path_).size(), before / 2);
  EXPECT_EQ(Counts(path_), stored_);
  // The open connection goes on working on the rebuilt file.
  EXPECT_EQ(sqlite3_exec(open.Handle(), "DELETE FROM detcor WHERE id = 100", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(QueryFile(path_, "SELECT count(*) FROM detcor"), std::to_string(stored_["detcor"] - kStopsPerTrip) + "\n");
  EXPECT_TRUE(log_.Notices().empty()) << log_.Texts();
}

// Pages lost to damage, and what the salvage must then bring back: every row of the pages that
// survived, the exact rows of the damaged leaves lost, nothing else.
struct Damage {
  const char* what;
  std::vector<std::pair<const char*, std::vector<int>>> leaves;  // b-tree, indexes of its leaf pages
};

TEST_F(Repair, DamagedFileIsSalvagedAndTheRowsOfTheDamagedPagesAloneAreLost) {
  const Damage cases[] = {
      {"stop rows on three pages", {{"detcor", {10, 11, 100}}}},
      {"trip heads and stop rows", {{"tescor", {3}}, {"detcor", {50}}}},
      {"an index only", {{"detcor__fermata", {0, 7}}}},
  };
  const std::string pristine = FileBytes(path_);
  for (const Damage& damage : cases) {
    SCOPED_TRACE(damage.what);
    WriteFileBytes(path_, pristine);
    QFile::remove(cp1252::ToQString(path_ + ".danneggiato"));
    std::vector<long> pages;
    std::map<std::string, long> expected = stored_;
    for (const auto& [tree, indexes] : damage.leaves) {
      const std::vector<Page> leaves = Leaves(tree);
      for (int i : indexes) {
        pages.push_back(leaves.at(static_cast<size_t>(i)).number);
        if (expected.count(tree)) expected[tree] -= leaves.at(static_cast<size_t>(i)).cells;
      }
    }
    DamagePages(path_, pages);
    const std::string damaged = FileBytes(path_);
    std::string error;
    ASSERT_FALSE(CheckDatabaseFile(path_, CheckDepth::Full, error));

    RepairOptions options;
    options.path = path_;
    int pumped = 0;
    options.pump = [&pumped] { ++pumped; };
    const RepairResult result = RepairDatabase(options);
    ASSERT_EQ(result.outcome, RepairOutcome::Salvaged) << result.message;
    EXPECT_GT(pumped, 0);

    // The new file: sound, ours, holding exactly the rows of the pages that survived.
    EXPECT_TRUE(CheckDatabaseFile(path_, CheckDepth::Full, error)) << error;
    EXPECT_EQ(Counts(path_), expected);
    EXPECT_EQ(QueryFile(path_,
                        "SELECT count(*) FROM detcor WHERE denom <> 'Fermata ' || ((id - 1) * 10 + sub) "
                        "OR dist <> ((id - 1) * 10 + sub) * 10 OR reglocal <> 0"),
              "0\n");
    EXPECT_EQ(QueryFile(path_, "SELECT count(*) FROM detcor WHERE id NOT IN (SELECT id FROM tescor)"),
              std::to_string(result.orphanRows) + "\n");
    EXPECT_EQ(result.orphanRows > 0, expected["tescor"] < stored_["tescor"]);
    {
      DbDatabase reopened(path_);
      EXPECT_EQ(reopened.isOpen, 1) << log_.Texts();
    }
    // The damaged file beside it, as it was.
    EXPECT_EQ(result.damagedPath, path_ + ".danneggiato");
    EXPECT_TRUE(FileBytes(result.damagedPath) == damaged) << "the damaged file changed";
    EXPECT_EQ(Listing(dir_.Dir()), "lavoro.mdb\nlavoro.mdb.danneggiato\n");

    // The report: rows per table as they are in the file, the timetable's tables first.
    std::map<std::string, long> reported;
    for (const TableRows& t : result.recovered) reported[t.table] = t.rows;
    EXPECT_EQ(reported, expected);
    ASSERT_FALSE(result.recovered.empty());
    EXPECT_EQ(result.recovered[0].table, "master");
    EXPECT_TRUE(HasPrefix(result.message,
                          "Il file del database era danneggiato: i dati ancora leggibili sono stati "
                          "recuperati in un nuovo file, che ne ha preso il nome.\n\n" +
                              path_ + "\n\nRighe recuperate per tavola:\nmaster: 1\n"));
    EXPECT_TRUE(HasPart(result.message, "\ndetcor: " + std::to_string(expected["detcor"]) + "\n"));
    EXPECT_TRUE(HasPart(result.message, "\ntescor: " + std::to_string(expected["tescor"]) + "\n"));
    if (result.orphanRows > 0) {
      EXPECT_TRUE(HasPart(result.message,
                          "\nRighe che rimandano a righe andate perse: " + std::to_string(result.orphanRows) + ".\n"));
    }
    EXPECT_TRUE(HasPart(result.message, "\n\nIl file danneggiato è stato conservato come:\n" + path_ + ".danneggiato"));
  }
}

TEST_F(Repair, EveryFailedSalvageLeavesTheDamagedFileInPlaceAsItWas) {
  const long schemaPage = SchemaPageOf("tescor");
  const std::vector<long> stopPages = {Leaves("detcor").at(20).number};
  struct Failure {
    const char* what;
    std::vector<long> pages;
    std::string program;
    std::vector<std::string> reason;  // parts of the reason
  };
  const Failure cases[] = {
      {"the definition of a table lost",
       {schemaPage},
       "sqlite3",
       {"il file recuperato è incompleto.\n\nIl database non corrisponde al suo dizionario dei dati:\n\nManca la "
        "tavola ",
        "Manca la tavola \"tescor\""}},
      {"no recovery program",
       stopPages,
       dir_.Path("manca/sqlite3"),
       {"il programma " + dir_.Path("manca/sqlite3") + ", che legge un file danneggiato, non è stato trovato"}},
      {"a program without page access",
       stopPages,
       Program("senza-pagine", "echo 'Error: in prepare, no such table: sqlite_dbpage' >&2; exit 1"),
       {"senza-pagine non sa leggere le pagine di un file"}},
      {"a program that stops halfway",
       stopPages,
       Program("a-meta",
               "[ \"$4\" = :memory: ] && exit 0\nprintf 'BEGIN;\\nCREATE TABLE t(x);\\n'; echo guasto >&2; "
               "exit 3"),
       {"a-meta si è interrotto (guasto)"}},
      {"a program whose output is cut",
       stopPages,
       Program("troncato", "[ \"$4\" = :memory: ] && exit 0\nprintf 'BEGIN;\\nCREATE TABLE t(x);\\nINSERT INTO t'"),
       {"il recupero si è fermato a metà"}},
  };
  const std::string pristine = FileBytes(path_);
  const std::string before = Listing(dir_.Dir());
  for (const Failure& failure : cases) {
    SCOPED_TRACE(failure.what);
    WriteFileBytes(path_, pristine);
    DamagePages(path_, failure.pages);
    const std::string damaged = FileBytes(path_);
    RepairOptions options;
    options.path = path_;
    options.recoverProgram = failure.program;
    const RepairResult result = RepairDatabase(options);
    EXPECT_EQ(result.outcome, RepairOutcome::Failed);
    EXPECT_TRUE(HasPrefix(result.message, "Errore durante la riparazione del database\n\n" + path_ +
                                              "\n\nIl file del database è danneggiato"));
    EXPECT_TRUE(HasPart(result.message, "\n\nNon è stato possibile recuperarne i dati: "));
    for (const std::string& part : failure.reason) EXPECT_TRUE(HasPart(result.message, part));
    EXPECT_TRUE(result.recovered.empty());
    EXPECT_TRUE(FileBytes(path_) == damaged) << "the damaged file changed";
    EXPECT_EQ(Listing(dir_.Dir()), before);
  }
}

TEST_F(Repair, ADamagedFileOpenElsewhereIsRefusedUntilClosed) {
  DamagePages(path_, {Leaves("detcor").at(5).number});
  RepairOptions options;
  options.path = path_;
  {
    // Open as the program keeps it: it has read from it.
    DbDatabase open(path_);
    ASSERT_EQ(open.isOpen, 1);
    ASSERT_EQ(sqlite3_exec(open.Handle(), "SELECT count(*) FROM master", nullptr, nullptr, nullptr), SQLITE_OK);
    const RepairResult refused = RepairDatabase(options);
    EXPECT_EQ(refused.outcome, RepairOutcome::Failed);
    EXPECT_TRUE(HasPart(refused.message,
                        "Non è stato possibile recuperarne i dati: il file è aperto, in questo o in "
                        "un altro programma: chiuderlo prima di ripararlo"));
    EXPECT_FALSE(QFile::exists(cp1252::ToQString(path_ + ".danneggiato")));
  }
  EXPECT_EQ(RepairDatabase(options).outcome, RepairOutcome::Salvaged);
}

TEST_F(Repair, ANameInTheProgramsCodePageAndATakenAsideNameAreKept) {
  const Page page = Leaves("detcor").at(30);
  const std::string path = dir_.Path("citt\xE0.mdb");  // "città.mdb"
  ASSERT_TRUE(QFile::rename(cp1252::ToQString(path_), cp1252::ToQString(path)));
  WriteFileBytes(path + ".danneggiato", "un file dell'utente");
  DamagePages(path, {page.number});
  const std::string damaged = FileBytes(path);
  RepairOptions options;
  options.path = path;
  const RepairResult result = RepairDatabase(options);
  ASSERT_EQ(result.outcome, RepairOutcome::Salvaged) << result.message;
  EXPECT_EQ(Counts(path)["detcor"], stored_["detcor"] - page.cells);
  EXPECT_EQ(result.damagedPath, path + ".danneggiato-2");
  EXPECT_TRUE(FileBytes(result.damagedPath) == damaged) << "the damaged file changed";
  EXPECT_EQ(FileBytes(path + ".danneggiato"), "un file dell'utente");
  EXPECT_EQ(Listing(dir_.Dir()), "citt\xE0.mdb\ncitt\xE0.mdb.danneggiato\ncitt\xE0.mdb.danneggiato-2\n");
}

}  // namespace
