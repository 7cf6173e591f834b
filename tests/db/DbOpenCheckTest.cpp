// Opening a database checks its tables against its data dictionary and leaves a file that does not
// match as it was; a checkpoint leaves every committed change in the file itself; long statements
// and the building of a database call the progress hook.

#include "common/Cp1252.h"
#include "common/Notices.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <chrono>

namespace {

const std::string kRefused =
    "Errore in fase di apertura del database\n\nIl database non corrisponde al suo dizionario dei dati:\n\n";

// A timetable database as the program leaves it after working on it (its log in write-ahead
// mode), made once for the whole suite.
class OpenCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    templateDir_ = new ScratchDir;
    NoticeLog quiet;
    const std::string path = templateDir_->Path("modello.mdb");
    ASSERT_EQ(CreateTimetableDatabase(path, CreateMode::Startup, SeedLocalityZero), 1) << quiet.Texts();
    { DbDatabase once(path); }
    template_ = new std::string(FileBytes(path));
  }
  static void TearDownTestSuite() {
    delete template_;
    template_ = nullptr;
    delete templateDir_;
    templateDir_ = nullptr;
  }

  // A copy of the template with `sql` run on it by another program; its path.
  std::string Copy(const std::string& sql) {
    const std::string path = dir_.Path("lavoro.mdb");
    WriteFileBytes(path, *template_);
    if (!sql.empty()) {
      EXPECT_EQ(ExecOnFile(path, sql), "ok") << sql;
    }
    return path;
  }

  // Opens the file; the notices shown, and whether the file and its folder stayed as they were.
  std::string Open(const std::string& path, bool& opened, bool& untouched) {
    const std::string before = FileBytes(path), listing = Listing(dir_.Dir());
    NoticeLog log;
    {
      DbDatabase db(path);
      opened = db.isOpen;
    }
    untouched = FileBytes(path) == before && Listing(dir_.Dir()) == listing;
    return log.Texts();
  }

  inline static ScratchDir* templateDir_ = nullptr;
  inline static std::string* template_ = nullptr;
  ScratchDir dir_;
};

struct Mismatch {
  const char* name;
  const char* sql;      // run on the good file by another program
  const char* missing;  // the lines naming what is missing; empty: the file opens
};

const Mismatch kMismatches[] = {
    {"FieldDropped", "ALTER TABLE tescor DROP COLUMN lung", "Manca il campo \"lung\" della tavola \"tescor\""},
    {"TableDropped", "DROP TABLE period", "Manca la tavola \"period\""},
    {"TableRenamed", "ALTER TABLE local RENAME TO localita", "Manca la tavola \"local\""},
    {"FieldDescribedButNeverMade", "INSERT INTO campi (tavola, nome, tipo, size) VALUES ('local', 'zona', 'A', 10)",
     "Manca il campo \"zona\" della tavola \"local\""},
    {"TableDescribedButNeverMade",
     "INSERT INTO tavole (nome) VALUES ('linee'); INSERT INTO campi (tavola, nome) VALUES ('linee', 'codice')",
     "Manca la tavola \"linee\""},
    {"TwoAtOnce", "ALTER TABLE detcor DROP COLUMN regarea; ALTER TABLE master DROP COLUMN resple",
     "Manca il campo \"resple\" della tavola \"master\"\nManca il campo \"regarea\" della tavola \"detcor\""},
    {"DictionaryWithoutItsFields", "DROP TABLE campi", "Manca la tavola \"campi\""},
    {"DictionaryTableWithoutAField", "ALTER TABLE campi RENAME COLUMN tavola TO tav",
     "Manca il campo \"tavola\" della tavola \"campi\""},
    {"ManyAreCounted",
     "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 13)"
     " INSERT INTO campi (tavola, nome) SELECT 'local', printf('z%02d', k) FROM n",
     "Manca il campo \"z01\" della tavola \"local\"\nManca il campo \"z02\" della tavola \"local\"\n"
     "Manca il campo \"z03\" della tavola \"local\"\nManca il campo \"z04\" della tavola \"local\"\n"
     "Manca il campo \"z05\" della tavola \"local\"\nManca il campo \"z06\" della tavola \"local\"\n"
     "Manca il campo \"z07\" della tavola \"local\"\nManca il campo \"z08\" della tavola \"local\"\n"
     "Manca il campo \"z09\" della tavola \"local\"\nManca il campo \"z10\" della tavola \"local\"\n"
     "... e altre 3 mancanze"},
    // Names compare as the engine compares them; what the dictionary does not describe is no concern.
    {"NamesInAnotherCaseOrPadded",
     "UPDATE campi SET nome = upper(nome) WHERE tavola = 'tescor'; UPDATE tavole SET nome = 'DETCOR  ' WHERE nome = "
     "'detcor'",
     ""},
    {"MoreThanDescribed", "ALTER TABLE tescor ADD COLUMN nota TEXT; CREATE TABLE appunti (x)", ""},
    {"Untouched", "", ""},
};

void PrintTo(const Mismatch& m, std::ostream* os) { *os << m.name; }

class OpenCheckCase : public OpenCheck, public ::testing::WithParamInterface<Mismatch> {};

}  // namespace

TEST_P(OpenCheckCase, RefusesWhatTheDictionaryMissesAndLeavesTheFile) {
  const Mismatch& c = GetParam();
  const std::string path = Copy(c.sql);
  bool opened = false, untouched = false;
  const std::string notices = Open(path, opened, untouched);
  if (*c.missing) {
    EXPECT_FALSE(opened);
    EXPECT_EQ(notices, kRefused + c.missing);
    EXPECT_TRUE(untouched);
  } else {
    EXPECT_TRUE(opened);
    EXPECT_EQ(notices, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OpenCheckCase, ::testing::ValuesIn(kMismatches),
                         [](const ::testing::TestParamInfo<Mismatch>& p) { return std::string(p.param.name); });

// A file made by another program, without the dictionary tables: the tables of the program's own
// schema that it has are checked; those it lacks are for their users to tell.
TEST_F(OpenCheck, WithoutADictionaryTheProgramsSchemaIsTheMeasure) {
  struct Case {
    const char* sql;
    const char* missing;
  };
  const Case cases[] = {
      {"CREATE TABLE master (codice SMALLINT, azienda SMALLINT, p_data DATE, protoc INT, resple VARCHAR(40),"
       " datini DATE, datfin DATE, id_corsa INT)",
       "Manca il campo \"gruppo\" della tavola \"master\""},
      {"CREATE TABLE REGAZI (CODICE SMALLINT, DENOM VARCHAR(40)); CREATE TABLE local (id SMALLINT, denom TEXT)",
       "Manca il campo \"istat\" della tavola \"local\"\nManca il campo \"comune\" della tavola \"local\"\n"
       "Manca il campo \"prov\" della tavola \"local\""},
      {"CREATE TABLE regazi (codice SMALLINT, denom VARCHAR(40)); CREATE TABLE altro (x INT)", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const std::string path = dir_.Path("altro" + std::to_string(++n) + ".mdb");
    MakeDatabase(path, c.sql);
    bool opened = false, untouched = false;
    const std::string notices = Open(path, opened, untouched);
    EXPECT_EQ(opened, !*c.missing);
    EXPECT_EQ(notices, *c.missing ? kRefused + c.missing : "");
    EXPECT_TRUE(untouched);
  }
}

// A file fresh from the builder (its log not yet in write-ahead mode) is refused just as well, and
// not switched to that mode on the way.
TEST_F(OpenCheck, AFreshFileIsLeftInItsOwnJournalMode) {
  NoticeLog quiet;
  const std::string path = dir_.Path("nuovo.mdb");
  ASSERT_EQ(CreateTimetableDatabase(path, CreateMode::Startup, SeedLocalityZero), 1);
  ASSERT_EQ(QueryFile(path, "PRAGMA journal_mode"), "delete\n");
  ASSERT_EQ(ExecOnFile(path, "ALTER TABLE calend DROP COLUMN note"), "ok");
  bool opened = true, untouched = false;
  EXPECT_EQ(Open(path, opened, untouched), kRefused + "Manca il campo \"note\" della tavola \"calend\"");
  EXPECT_FALSE(opened);
  EXPECT_TRUE(untouched);
  EXPECT_EQ(QueryFile(path, "PRAGMA journal_mode"), "delete\n");
}

// What is committed is in the file itself once checkpointed, and when the database is closed while
// another program still has the file open: a copy of the file alone holds it.
TEST_F(OpenCheck, ACopyOfTheFileAloneHoldsWhatWasCommitted) {
  const std::string path = Copy("");
  const std::string copy = dir_.Path("copia.mdb");
  sqlite3* other = nullptr;  // another program with the file open
  ASSERT_EQ(sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "SELECT count(*) FROM local", nullptr, nullptr, nullptr), SQLITE_OK);
  {
    DbDatabase db(path);
    ASSERT_TRUE(db.isOpen);
    {
      DbBatch batch(&db);
      ASSERT_EQ(
          InsertRow(&db, "local", {{"id", "7"}, {"denom", "Borgo"}, {"istat", "1"}, {"comune", "C"}, {"prov", "P"}}),
          1);
      // Inside a transaction there is nothing to fold yet.
      EXPECT_FALSE(db.Checkpoint());
    }
    WriteFileBytes(copy, FileBytes(path));
    EXPECT_EQ(QueryFile(copy, "SELECT count(*) FROM local WHERE id = 7"), "0\n");  // still in the log
    EXPECT_TRUE(db.Checkpoint());
    WriteFileBytes(copy, FileBytes(path));
    EXPECT_EQ(QueryFile(copy, "SELECT denom FROM local WHERE id = 7"), "Borgo\n");
    EXPECT_EQ(FileBytes(path + "-wal"), "");  // the log is emptied

    ASSERT_EQ(
        InsertRow(&db, "local", {{"id", "8"}, {"denom", "Pieve"}, {"istat", "1"}, {"comune", "C"}, {"prov", "P"}}), 1);
  }
  WriteFileBytes(copy, FileBytes(path));
  EXPECT_EQ(QueryFile(copy, "SELECT denom FROM local WHERE id = 8"), "Pieve\n");
  sqlite3_close_v2(other);
}

// Counts the calls of the progress hook for its lifetime.
class HookCount {
 public:
  HookCount() {
    SetEngineProgressHook([this] { ++calls; });
  }
  ~HookCount() { SetEngineProgressHook({}); }
  HookCount(const HookCount&) = delete;
  HookCount& operator=(const HookCount&) = delete;
  int calls = 0;
};

// A statement of some millions of steps of the engine.
int LongStatement(DbDatabase* db) {
  DbSelect s(db);
  s.SetColumns("count(*)");
  s.SetFrom("(WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 200000) SELECT k FROM n)");
  return s.Open();
}

// The hook is called while a long statement runs, and while a database is built; with no hook,
// nothing is called.
TEST_F(OpenCheck, LongWorkCallsTheProgressHook) {
  const std::string path = Copy("");
  DbDatabase db(path);
  {
    HookCount hook;
    ASSERT_EQ(LongStatement(&db), 1);
    EXPECT_GT(hook.calls, 20);
    hook.calls = 0;
    NoticeLog quiet;
    ASSERT_EQ(CreateTimetableDatabase(dir_.Path("nuovo.mdb"), CreateMode::Startup, SeedLocalityZero), 1);
    EXPECT_GT(hook.calls, 9);  // at least once for each table
  }
  int calls = 0;
  {
    HookCount hook;
    SetEngineProgressHook({});
    ASSERT_EQ(LongStatement(&db), 1);
    calls = hook.calls;
  }
  EXPECT_EQ(calls, 0);
}
