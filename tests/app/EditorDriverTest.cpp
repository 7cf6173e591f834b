// The two grid editors run in the real program through the headless driver: a `dialog ID` answer
// whose lines act one after the other, the boxes and dialogs they raise taking the next answers.

#include "app/AppTestSupport.h"
#include "db/DbDatabase.h"
#include "editors/CadenceDialog.h"
#include "editors/model/EditorTransaction.h"

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

// The answers of an editor: its dialog line, then its lines indented.
std::vector<std::string> DialogAnswer(const std::string& idd, const Lines& lines) {
  std::vector<std::string> out{"dialog " + idd};
  for (const auto& [id, value] : lines) out.push_back("  " + id + "=" + value);
  return out;
}

// FER and FES added, FER once more (refused with a stop box, which has only OK and so takes no
// answer), the panel closed, FES renamed, then "Fine".
const Lines kDayTypeLines = {{"1006", "1"},       {"1010", "FER"},
                             {"1011", "Feriale"}, {"1", "1"},
                             {"1010", "FES"},     {"1011", "Festivo"},
                             {"1", "1"},          {"1010", "FER"},
                             {"1011", "Altro"},   {"1", "1"},
                             {"2", "1"},          {"6003", "FES"},
                             {"1009", "1"},       {"1011", "Festivo e domenica"},
                             {"1", "1"},          {"1012", "1"}};
const std::string kDayTypeRows = "FER|Feriale\nFES|Festivo e domenica\n";
const char* kDayTypeQuery = "SELECT codice, denom FROM cadenz ORDER BY codice";

struct EditorDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
};

TEST_F(EditorDriver, DayTypesAddedRefusedAndRenamed) {
  const DriverRun run = RunDriver(settings, DialogAnswer("116", kDayTypeLines), {"5115"});
  EXPECT_FALSE(HasPart(run.err, "risposte non usate"));
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"), std::vector<std::string>{"DIALOG\t116\tGestione Cadenze"});
  const auto boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), 1u) << run.err;
  EXPECT_TRUE(HasPrefix(boxes[0], "0x10\tErrore aggiornamento tavola (cadenz)\\n\\n"));
  EXPECT_EQ(QueryFile(db, kDayTypeQuery), kDayTypeRows);
}

TEST_F(EditorDriver, DayTypeLinesGiveTheSameRowsInProcess) {
  ui::Script script;
  script.Push({ui::Answer::Kind::Dialog, "116", kDayTypeLines});
  {
    DbDatabase database(db);
    EditorTransaction transaction(&database);
    CadenceDialog dialog(nullptr, &database, &transaction, 116);
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    transaction.Commit();
  }
  ASSERT_EQ(script.Messages().size(), 1u) << MessagesOf(script);
  EXPECT_TRUE(HasPrefix(script.Messages()[0].text, "Errore aggiornamento tavola (cadenz)\n\n"));
  EXPECT_EQ(QueryFile(db, kDayTypeQuery), kDayTypeRows);
}

TEST_F(EditorDriver, CalendarGeneratedFromItsDialog) {
  RunSql(db, "INSERT INTO cadenz VALUES ('FER', 'Feriale')");
  std::vector<std::string> answers = DialogAnswer("118", {{"1027", "1"}});
  for (const std::string& l : DialogAnswer("119", {{"1020", "FER"},
                                                   {"1029", "01/01/2024"},
                                                   {"1030", "31/01/2024"},
                                                   {"1031", "1"},
                                                   {"1032", "1"},
                                                   {"1033", "1"},
                                                   {"1034", "1"},
                                                   {"1035", "1"}}))
    answers.push_back(l);
  const DriverRun run = RunDriver(settings, answers, {"5116"});
  EXPECT_EQ(
      LinesStartingWith(run.transcript, "DIALOG\t"),
      (std::vector<std::string>{"DIALOG\t118\tGestione Calendario", "DIALOG\t119\tGenerazione Automatica Calendario"}));
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  // January 2024 begins on a Monday: 23 days from Monday to Friday, the weekday digits 1 to 5.
  EXPECT_EQ(QueryFile(db,
                      "SELECT count(*), min(data), max(data), min(giorno), max(giorno) FROM calend"
                      " WHERE caden = 'FER'"),
            "23|2024-01-01|2024-01-31|1|5\n");
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM calend"), "23\n");
}

TEST_F(EditorDriver, AGridKeyThatIsNotThereEndsTheRun) {
  const struct {
    std::string command, idd, line;
  } cases[] = {
      {"5115", "116", "6003=NON"},
      {"5116", "118", "6004=01/01/2030"},
      {"5116", "118", "6004=02/01/2024,2"},
  };
  for (const auto& c : cases) {
    const DriverRun run = RunDriver(settings, {"dialog " + c.idd, "  " + c.line}, {c.command}, 3);
    EXPECT_TRUE(HasPart(run.err, "Dialogo " + c.idd + " (")) << c.line;
    EXPECT_TRUE(HasPart(run.err, "il controllo " + c.line.substr(0, 4) + ": ")) << c.line;
  }
}

}  // namespace
