// The trip editor run in the real program through the headless driver, on the hand-made imported
// set: a trip added through the head dialog, a period given to it, another trip deleted.

#include "app/AppTestSupport.h"
#include "support/ExchangeData.h"

#include <sstream>

namespace {

struct TripEditorDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  void SetUp() override {
    MakeImportedDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
};

// The answers of a run written on one line each, separated by '|': a control's line is indented.
std::vector<std::string> Answers(const std::vector<std::string>& dialogs) {
  std::vector<std::string> answers;
  for (const std::string& answer : dialogs) {
    std::istringstream lines(answer);
    for (std::string line; std::getline(lines, line, '|');)
      answers.push_back(line.rfind("dialog", 0) == 0 ? line : "  " + line);
  }
  return answers;
}

TEST_F(TripEditorDriver, AddsATripWithAPeriodAndDeletesAnother) {
  RunSql(db, "UPDATE period SET fine = '9999-12-31' WHERE id = 2");  // open, as an earlier build stored it
  // The new trip takes the master row's next id (4) and is selected: its periods open from the
  // popup, where two periods are added (the panel stays open for the next), the second excluding:
  // a click on the kind proposed switches to the other. Then trip 2 is deleted and "Fine" ends the
  // editor.
  const std::vector<std::string> answers =
      Answers({"dialog 120|1040=1|6101=1|6005=2|1041=1|1043=1", "dialog 122|1067=K40|1068=40|1134=A|1071=2500|1072=15",
               "dialog 126|1103=1|1091=01/03/2024|1095=31/03/2024|1098=FER|1=1|1091=01/04/2024|"
               "1095=30/04/2024|1098=FER|1100=1|1=1"});
  const DriverRun run = RunDriver(settings, answers, {"5118"});
  EXPECT_FALSE(HasPart(run.err, "risposta non usata")) << run.err;
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"),
            (std::vector<std::string>{"DIALOG\t120\tGestione Corse", "DIALOG\t122\tDati Testa Corsa",
                                      "DIALOG\t126\t" + U8("Periodi Validità Corsa")}));
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  EXPECT_EQ(QueryFile(db, "SELECT id, codcorsa, codlinea, verso, lung, tempo FROM tescor ORDER BY id"),
            "1|C001|L1|A|12500|35\n3| |L1|A|12500|35\n4|K40|40|A|2500|15\n");
  EXPECT_EQ(QueryFile(db, "SELECT id, caden, inizio, fine, escluso FROM period WHERE id IN (2, 4)"),
            "4|FER|2024-03-01|2024-03-31|0\n4|FER|2024-04-01|2024-04-30|1\n");
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM detcor WHERE id = 2"), "0\n");
  EXPECT_EQ(QueryFile(db, "SELECT id_corsa FROM master"), "5\n");
}

TEST_F(TripEditorDriver, TypesATimeAndInsertsAStopInTheQuadro) {
  // Trip 1's quadro: stop 2 gets new times, a stop goes below stop 1 (the insertion dialog stays
  // open until its "Fine"); "Fine" back to the list, "Fine" again ends the editor.
  const std::vector<std::string> answers =
      Answers({"dialog 120|6005=1|1059=1|6006=2,1|1059=1|1045=7.45|1049=7,46|1=1|6006=1|1040=1|1043=1|1043=1",
               "dialog 127|1060=F09|1061=Nuova fermata|1066=300|1132=1", "dialog 127|1108=1"});
  const std::string others = QueryFile(db, "SELECT * FROM detcor WHERE id <> 1 ORDER BY id, sub");
  const DriverRun run = RunDriver(settings, answers, {"5118"});
  EXPECT_FALSE(HasPart(run.err, "risposta non usata")) << run.err;
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  EXPECT_EQ(QueryFile(db, "SELECT sub, fermata, denom, dist, arriva, parte FROM detcor WHERE id = 1 ORDER BY sub"),
            "1|F01|Aulla Stazione|0|9999|730\n2|F09|Nuova fermata|300|-1|-1\n3|F02|Bivio Olivola|5000|745|746\n"
            "4|F03|Città|12500|805|9999\n");
  EXPECT_EQ(QueryFile(db, "SELECT * FROM detcor WHERE id <> 1 ORDER BY id, sub"), others);
}

// "99:99" typed at a stop between the first and the last is refused as an illegal time, with a box
// that takes no answer; the time typed next is stored.
TEST_F(TripEditorDriver, TheNoTimeMarkBetweenTheEndsIsRefusedAndTheNextTimeStored) {
  const DriverRun run =
      RunDriver(settings,
                Answers({"dialog 120|6005=1|1059=1|6006=2,1|1059=1|1045=99:99|1049=99:99|1=1|1045=7.45|1049=7,46|1=1|"
                         "6006=3,1|1059=1|1045=8.07|1049=99.99|1=1|1043=1|1043=1"}),
                {"5118"});
  EXPECT_FALSE(HasPart(run.err, "risposta non usata")) << run.err;
  EXPECT_EQ(Boxes(run), std::vector<std::string>{
                            Box(0x10, U8("ATTENZIONE l'orario di arrivo e l'orario di partenza sono espressi in modo "
                                         "illegale.\n\nGli orari devono essere espressi nel formato HH.MM\n\n"))});
  EXPECT_EQ(QueryFile(db, "SELECT sub, arriva, parte FROM detcor WHERE id = 1 ORDER BY sub"),
            "1|9999|730\n2|745|746\n3|807|9999\n");
}

// The head of a new trip takes no value longer than its field (a code of 20 characters, a contract
// of 4 digits): the run ends there and the editor's transaction stores nothing.
TEST_F(TripEditorDriver, AHeadValueLongerThanItsFieldEndsTheRun) {
  const std::string before = QueryFile(db, "SELECT * FROM tescor ORDER BY id") + QueryFile(db, "SELECT * FROM master");
  for (const std::string& head : {"1067=" + std::string(25, 'K'), std::string("1067=K40|1070=123456")}) {
    const DriverRun run = RunDriver(settings, Answers({"dialog 120|1040=1", "dialog 122|" + head}), {"5118"}, 3);
    EXPECT_TRUE(HasPart(run.err, "Dialogo 122 (")) << head << run.err;
    EXPECT_EQ(QueryFile(db, "SELECT * FROM tescor ORDER BY id") + QueryFile(db, "SELECT * FROM master"), before)
        << head;
  }
}

// A trip added in the quadro is its last column: "SUB,N" and the other keys of the columns reach
// the trips they showed before, and the new one at its end.
TEST_F(TripEditorDriver, ATripAddedInTheQuadroIsItsLastColumn) {
  RunSql(db, "UPDATE tescor SET gruppo = 9 WHERE id IN (1, 3); UPDATE tescor SET gruppo = 8 WHERE id = 2");
  const DriverRun run =
      RunDriver(settings,
                Answers({"dialog 120|6005=1|1059=1|1040=1|6006=2,3|1059=1|1045=7.50|1=1|6006=1,2|6106=1|1043=1|1043=1",
                         "dialog 122|1067=K50"}),
                {"5118"});
  EXPECT_FALSE(HasPart(run.err, "risposta non usata")) << run.err;
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  // The new trip (4) got the stop 2 time typed in column 3; column 2, trip 3, left the quadro.
  EXPECT_EQ(QueryFile(db, "SELECT id, codcorsa, gruppo = 9 FROM tescor ORDER BY id"),
            "1|C001|1\n2|C002|0\n3| |0\n4|K50|1\n");
  EXPECT_EQ(QueryFile(db, "SELECT id, sub, arriva, parte FROM detcor WHERE id IN (3, 4) AND sub = 2 ORDER BY id"),
            "3|2|1341|1342\n4|2|750|750\n");
}

}  // namespace
