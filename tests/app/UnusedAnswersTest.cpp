// An answer that nothing asked for means the run did not go as its answers file says: the driver
// names each one by its line and ends with its own exit code.

#include "app/AppTestSupport.h"
#include "common/Cp1252.h"

#include <sqlite3.h>

namespace {

constexpr int kExitUnusedAnswers = 5;

// Another program that has begun writing to the database and holds it.
class OtherProgramWriting {
 public:
  explicit OtherProgramWriting(const std::string& path) {
    EXPECT_EQ(sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    // The log mode the program keeps its databases in, so that it can still read while this one writes.
    EXPECT_EQ(Exec("PRAGMA journal_mode=WAL"), "");
    EXPECT_EQ(Exec("BEGIN IMMEDIATE"), "");
  }
  ~OtherProgramWriting() {
    Exec("ROLLBACK");
    sqlite3_close_v2(db_);
  }
  OtherProgramWriting(const OtherProgramWriting&) = delete;
  OtherProgramWriting& operator=(const OtherProgramWriting&) = delete;

 private:
  std::string Exec(const char* sql) {
    char* message = nullptr;
    std::string error;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) error = message ? message : "?";
    sqlite3_free(message);
    return error;
  }
  sqlite3* db_ = nullptr;
};

struct UnusedAnswers : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
};

TEST_F(UnusedAnswers, AreNamedByLineAndEndTheRunWithTheirCode) {
  const struct {
    std::vector<std::string> answers;
    std::vector<std::string> commands;
    std::vector<std::string> named;  // what the error output says of each
  } cases[] = {
      // The about box has only OK: it takes no answer.
      {{"ok"}, {"5102"}, {"riga 1: ok"}},
      {{"# nessuna domanda", "", "cancel", "file /tmp/x.txt"}, {}, {"riga 3: cancel", "riga 4: file /tmp/x.txt"}},
      {{"dialog 116", "  1006=1", "  1012=1", "dialog 119 cancel"},
       {},
       {"riga 1: dialog 116 (2 valori)", "riga 4: dialog 119 cancel"}},
      {{"printer /tmp/x.pdf landscape", "preview close"},
       {},
       {"riga 1: printer /tmp/x.pdf landscape", "riga 2: preview close"}},
      // The exit question answered, then one answer too many.
      {{"ok", "ok"}, {"5101"}, {"riga 2: ok"}},
  };
  for (const auto& c : cases) {
    const DriverRun run = RunDriver(settings, c.answers, c.commands, kExitUnusedAnswers);
    for (const std::string& named : c.named)
      EXPECT_TRUE(HasPart(run.err, "quendo-run: risposta non usata, " + named + "\n")) << run.err;
  }
}

TEST_F(UnusedAnswers, EveryAnswerTakenEndsWell) {
  const DriverRun run = RunDriver(settings, {"dialog 116", "  1012=1", "ok"}, {"5115", "5101"}, 0);
  EXPECT_FALSE(HasPart(run.err, "non usata")) << run.err;
}

TEST_F(UnusedAnswers, AfterAnEarlierFailureTheRunKeepsItsCode) {
  // The first command is disabled: nothing after it runs and its code stands.
  WriteSettings(settings, {"Database=", "Directory=" + dir.Dir()});
  const DriverRun run = RunDriver(settings, {"cancel", "dialog 116", "  1012=1"}, {"5115"}, 4);
  EXPECT_FALSE(HasPart(run.err, "non usata")) << run.err;
}

TEST_F(UnusedAnswers, AnEditorThatCannotBeginItsTransactionLeavesItsDialogAnswer) {
  const std::vector<std::string> answers = {"dialog 116", "  1006=1", "  1010=FER", "  1011=Feriale",
                                            "  1=1",      "  2=1",    "  1012=1"};
  {
    const OtherProgramWriting other(db);
    const DriverRun run = RunDriver(settings, answers, {"5115"}, kExitUnusedAnswers);
    EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\tErrore in fase di avvio della transazione\\n\\n").size(), 1u)
        << run.err;
    EXPECT_TRUE(LinesStartingWith(run.transcript, "DIALOG\t").empty());
    EXPECT_TRUE(HasPart(run.err, "quendo-run: risposta non usata, riga 1: dialog 116 (6 valori)\n")) << run.err;
  }
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM cadenz"), "0\n");
  // The other program gone, the same answers open the editor and are all taken.
  const DriverRun run = RunDriver(settings, answers, {"5115"}, 0);
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"), std::vector<std::string>{"DIALOG\t116\tGestione Cadenze"});
  EXPECT_EQ(QueryFile(db, "SELECT codice, denom FROM cadenz"), "FER|Feriale\n");
}

}  // namespace
