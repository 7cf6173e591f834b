// The two grid editors run in the real program through the headless driver: a `dialog ID` answer
// whose lines act one after the other, the boxes and dialogs they raise taking the next answers.

#include "app/AppTestSupport.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "editing/EditorTransaction.h"
#include "editors/CadenceDialog.h"
#include "platform/Answers.h"
#include "support/ExchangeData.h"

#include <algorithm>

namespace {

// Answers written on one line, separated by '|': a control's line ("id=value") is indented.
std::vector<std::string> Answers(const std::string& text) {
  std::vector<std::string> out;
  for (size_t at = 0, bar = 0; at < text.size(); at = bar + 1) {
    bar = std::min(text.find('|', at), text.size());
    const std::string line = text.substr(at, bar - at);
    out.push_back(line.find('=') == std::string::npos ? line : "  " + line);
  }
  return out;
}

// FER and FES added, FER once more (refused with a stop box, which has only OK and so takes no
// answer), the panel closed, FES renamed, then "Fine".
const std::vector<std::string> kDayTypeAnswer = Answers(
    "dialog 116|1006=1|1010=FER|1011=Feriale|1=1|1010=FES|1011=Festivo|1=1|1010=FER|1011=Altro|1=1|2=1|6003=FES|1009=1|"
    "1011=Festivo e domenica|1=1|1012=1");
const char* const kDayTypeQuery = "SELECT codice, denom FROM cadenz ORDER BY codice";

struct EditorDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
};

TEST_F(EditorDriver, DayTypesAddedRefusedAndRenamedAsInProcess) {
  const DriverRun run = RunDriver(settings, kDayTypeAnswer, {"5115"});
  EXPECT_FALSE(HasPart(run.err, "risposta non usata"));
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"), std::vector<std::string>{"DIALOG\t116\tGestione Cadenze"});
  ASSERT_EQ(Boxes(run).size(), 1u) << run.err;
  EXPECT_TRUE(HasPrefix(Boxes(run)[0], "0x10\tErrore aggiornamento tavola (cadenz)\\n\\n"));
  EXPECT_EQ(QueryFile(db, kDayTypeQuery), "FER|Feriale\nFES|Festivo e domenica\n");

  // The same answer in process, on a database of its own.
  const std::string other = dir.Path("altro.mdb");
  MakeTimetableDatabase(other);
  std::string text;
  for (const std::string& line : kDayTypeAnswer) text += line + "\n";
  std::vector<ui::Answer> answers;
  std::string error;
  ASSERT_TRUE(ui::ParseAnswers(text, answers, error)) << error;
  ui::Script script;
  script.Push(answers.at(0));
  {
    DbDatabase database(other);
    EditorTransaction transaction(&database);
    CadenceDialog dialog(nullptr, &database, &transaction, 116);
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    transaction.Commit();
  }
  ASSERT_EQ(script.Messages().size(), 1u) << MessagesOf(script);
  EXPECT_TRUE(HasPrefix(script.Messages()[0].text, "Errore aggiornamento tavola (cadenz)\n\n"));
  EXPECT_EQ(QueryFile(other, kDayTypeQuery), QueryFile(db, kDayTypeQuery));
}

// A code typed with trailing blanks is stored as typed.
TEST_F(EditorDriver, ACodeKeepsItsTrailingBlanks) {
  RunDriver(settings, Answers("dialog 116|1006=1|1010=SCO  |1011=Scolastico|1=1|2=1|1012=1"), {"5115"});
  EXPECT_EQ(QueryFile(db, "SELECT quote(codice) FROM cadenz"), "'SCO  '\n");
}

// A day another program stored with a time of day while the file was in use is found as stored: the generation adds
// none beside it, and the export writes the day once.
TEST_F(EditorDriver, CalendarGeneratedFromItsDialog) {
  RunSql(db,
         "UPDATE master SET p_data = '2024-01-15', protoc = 7, resple = 'Mario Rossi';"
         "INSERT INTO cadenz VALUES ('FER', 'Feriale');"
         "INSERT INTO calend VALUES ('2024-01-31 00:00:00', 'FER', '3', ' ')");
  RecordCleanClose(settings, db);
  std::vector<std::string> answers = Answers(
      "dialog 118|1027=1|dialog 119|1020=FER|1029=01/01/2024|1030=31/01/2024|1031=1|1032=1|1033=1|1034=1|1035=1|"
      "dialog 131");
  answers.push_back("file " + dir.Path("RT_CADEN.TXT"));
  const DriverRun run = RunDriver(settings, answers, {"5116", "5119"});
  EXPECT_EQ(
      LinesStartingWith(run.transcript, "DIALOG\t"),
      (std::vector<std::string>{"DIALOG\t118\tGestione Calendario", "DIALOG\t119\tGenerazione Automatica Calendario",
                                "DIALOG\t131\tEsportazione Dati Orari Corse"}));
  ASSERT_EQ(Boxes(run).size(), 1u) << run.err;  // the export's results
  // January 2024 begins on a Monday: 23 days from Monday to Friday, the weekday digits 1 to 5.
  EXPECT_EQ(QueryFile(db, "SELECT caden, count(*), min(data), min(giorno), max(giorno) FROM calend GROUP BY caden"),
            "FER|23|2024-01-01|1|5\n");
  const std::vector<std::string> days = FileLines(dir.Path("RT_CALEN.TXT"));
  ASSERT_EQ(days.size(), 23u) << Boxes(run)[0];
  EXPECT_EQ(days[21].substr(0, 12) + "|" + days[22].substr(0, 12), "001720240130|001720240131");
}

// A value that its column cannot hold as its kind, stored by another tool: each editor refuses to
// open, naming row, field and value, and the run goes on to its end with nothing written.
TEST_F(EditorDriver, AValueOfAnotherKindKeepsTheEditorClosed) {
  RunSql(db,
         "INSERT INTO cadenz VALUES ('FER', 'Feriale');"
         "INSERT INTO calend VALUES ('2024-01-08', 'FER', '1', X'436974E0')");
  RecordCleanClose(settings, db);
  const std::string stored = QueryFile(db, "SELECT hex(data), hex(caden), hex(giorno), hex(note) FROM calend");
  const DriverRun run = RunDriver(settings, {}, {"5116"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"), std::vector<std::string>{});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{cp1252::ToUtf8(
                            "0x10\tATTENZIONE: giorno 08/01/2024 del calendario:\\nil campo note (Annotazioni) vale "
                            "X'436974E0',\\nche è un dato binario e non un testo come richiede la sua colonna.\\n\\n"
                            "L'editor non è stato aperto: correggere il dato prima di modificare questi dati.")})
      << run.err;
  EXPECT_EQ(QueryFile(db, "SELECT hex(data), hex(caden), hex(giorno), hex(note) FROM calend"), stored);
}

TEST_F(EditorDriver, AGridKeyThatIsNotThereEndsTheRun) {
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"5115", "116", "6003=NON"},
      {"5116", "118", "6004=01/01/2030"},
      {"5116", "118", "6004=02/01/2024,2"},
  };
  for (const auto& [command, idd, line] : cases) {
    const DriverRun run = RunDriver(settings, Answers("dialog " + idd + "|" + line), {command}, 3);
    EXPECT_TRUE(HasPart(run.err, "Dialogo " + idd + " (")) << line;
    EXPECT_TRUE(HasPart(run.err, "il controllo " + line.substr(0, 4) + ": ")) << line;
  }
}

}  // namespace
