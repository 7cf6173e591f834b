// The normalisations, the locality assignment, the clean-ups and the stop elimination run in the
// real program through the headless driver on the hand-made timetable: dialogs by control ids,
// questions by ok or cancel, the database read back with sqlite3.

#include "app/AppTestSupport.h"
#include "support/UtilityData.h"

#include "utilities/CleanUps.h"

namespace {

struct NormalisationDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  void SetUp() override {
    MakeNormalisationDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  std::string Rows() const {
    return QueryFile(db, "SELECT * FROM tescor ORDER BY id") + QueryFile(db, "SELECT * FROM detcor ORDER BY id, sub");
  }
  DriverRun Run(const std::vector<std::string>& answers, const std::string& command, int exitCode = 0) const {
    return RunDriver(settings, answers, {command}, exitCode);
  }
};

std::vector<std::string> Dialogs(const DriverRun& run) { return LinesStartingWith(run.transcript, "DIALOG\t"); }

TEST_F(NormalisationDriver, StopReplacedThenTheDialogAgainUntilAnnulla) {
  // Entry 4 of the list: Piazza "Duomo" with code F2 and no place.
  const DriverRun run =
      Run({"dialog 140", "  1135#=4", "  1143=F9", "  1144=Piazza Duomo", "dialog 140 cancel"}, "5154");
  EXPECT_EQ(Dialogs(run), std::vector<std::string>(2, "DIALOG\t140\tNormalizzazione Fermate"));
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(
                            0x40, "Risultati dell'elaborazione:\n\nLette 4 fermate corsa; Variate 4 fermate corsa.")});
  EXPECT_EQ(
      QueryFile(db, "SELECT id, sub, fermata, quote(ubicaz) FROM detcor WHERE denom = 'Piazza Duomo' ORDER BY id"),
      "1|2|F9|NULL\n2|2|F9|NULL\n5|2|F9|NULL\n6|1|F9|NULL\n");
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM detcor WHERE denom = 'Piazza \"Duomo\"'"), "2\n");
}

TEST_F(NormalisationDriver, LineAndRouteReplaced) {
  DriverRun run = Run({"dialog 139", "  1135=L1 R", "  1138=L10", "dialog 139 cancel"}, "5155");
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x40, "Risultati dell'elaborazione:\n\nLette 2 corse; Variate 2 corse.")});
  EXPECT_EQ(QueryFile(db, "SELECT group_concat(id || codlinea || verso) FROM tescor"),
            "1L1A,2L1A,3L10R,4L10R,5L2A,6L2 A\n");
  run = Run({"dialog 141", "  1135=P3", "  1148=P30", "dialog 141 cancel"}, "5156");
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x40, "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.")});
  EXPECT_EQ(QueryFile(db, "SELECT id, codperc, denom FROM tescor WHERE codperc = 'P30'"), "5|P30|fermata\n");
}

TEST_F(NormalisationDriver, EntriesChosenNameExactlyTheirStoredValues) {
  // A lower-case direction beside the upper-case one; a line code and a route code of one blank.
  RunSql(db,
         "UPDATE tescor SET verso = 'a' WHERE id = 2; UPDATE tescor SET codlinea = ' ' WHERE id = 5;"
         "UPDATE tescor SET codperc = ' ' WHERE id = 4;");
  const std::string replaced = "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.";
  DriverRun run = Run(
      {"dialog 139", "  1135=L1 a", "  1138=L9", "dialog 139", "  1135=  A", "  1138=L5", "dialog 139 cancel"}, "5155");
  EXPECT_EQ(Boxes(run), std::vector<std::string>(2, Box(0x40, replaced)));
  EXPECT_EQ(QueryFile(db, "SELECT group_concat(id || codlinea || verso) FROM tescor"),
            "1L1A,2L9A,3L1R,4L1R,5L5A,6L2 A\n");
  // Entry 1 of the routes (NULL first): the blank code of trip 4; trip 6 keeps its missing one.
  run = Run({"dialog 141", "  1135#=1", "  1148=P4", "dialog 141 cancel"}, "5156");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, replaced)});
  EXPECT_EQ(QueryFile(db, "SELECT id, quote(codperc), denom FROM tescor WHERE id IN (4, 6)"),
            "4|'P4'|Pontremoli - Aulla\n6|NULL|NULL\n");
}

TEST_F(NormalisationDriver, CodesReadAlikeNameOnlyTheirOwnTrips) {
  // Line and route codes "?1" (trips 5 and 6), and U+0141 and U+015A stored by another tool
  // (trips 1 and 2): three entries "?1" in each list, the last ones after the others. The entry
  // of trip 2, chosen by its place, changes trip 2 only. The line codes change last.
  RunSql(db,
         "UPDATE tescor SET codlinea = char(0x141 + (id = 2) * 25) || '1' WHERE id IN (1, 2);"
         "UPDATE tescor SET codperc = codlinea WHERE id IN (1, 2);"
         "UPDATE tescor SET codlinea = '?1' WHERE id = 5; UPDATE tescor SET codperc = '?1' WHERE id = 6;");
  const struct {
    const char* command;
    std::vector<std::string> answers;
    const char* result;
    const char* query;  // the trips changed
  } cases[] = {
      {"5156",
       {"dialog 141", "  1135#=5", "  1148=P8", "dialog 141 cancel"},
       "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.",
       "SELECT group_concat(id) FROM tescor WHERE codperc = 'P8'"},
      {"5138",
       {"dialog 129", "  1112=0", "  1113#=4", "  1115=7"},
       "Risultati dell'elaborazione:\n\nLette 1 corse; Assegnati 1 codici contratto.",
       "SELECT group_concat(id) FROM tescor WHERE contratt = 7"},
      {"5172",
       {"dialog 150", "  1184#=4", "  1182=1"},
       "Risultati dell'assegnazione del mezzo di trasporto.\nCorse lette 1\nCorse aggiornate 1\n",
       "SELECT group_concat(id) FROM tescor WHERE mezzo = 'T'"},
      {"5155",
       {"dialog 139", "  1135#=4", "  1138=L7", "dialog 139 cancel"},
       "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.",
       "SELECT group_concat(id) FROM tescor WHERE codlinea = 'L7'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const DriverRun run = Run(c.answers, c.command);
    EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, c.result)});
    EXPECT_EQ(QueryFile(db, c.query), "2\n");
  }
}

TEST_F(NormalisationDriver, LocalityAssignedStopByStopUntilFine) {
  // Stop entry 0 (Aulla, F1, Piazza) and the sixth locality; then "Assegna" without a locality.
  const DriverRun run = Run({"dialog 145", "  1157#=0", "  1161#=5", "  1=1", "  2=1", "  1157#=1", "  1=1"}, "5161");
  const std::string locality = QueryFile(db, "SELECT id FROM local ORDER BY denom, comune, prov LIMIT 1 OFFSET 5");
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x40, "Sono stati modificati 4 dettagli orari"),
                                                  Box(0x10,
                                                      "Non è stata selezionata la Località !!!\n\n"
                                                      "Occorre selezionare una delle Località presenti nella lista")}));
  EXPECT_EQ(QueryFile(db, "SELECT group_concat(id || '.' || sub) FROM detcor WHERE reglocal = " + locality),
            "1.1,2.1,3.3,4.3\n");
}

// A list takes an entry's text or, written "ID#=N", a position: a number that is no entry's text
// is not a row, and a value longer than its field is not cut to fit. Each ends the run at once.
TEST_F(NormalisationDriver, AnAnswerTheControlCannotTakeWholeEndsTheRunAndChangesNothing) {
  const std::string before = Rows();
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"dialog 139", "  1135=1", "  1138=L9"}, "5155"},
      {{"dialog 139", "  1135=L1", "  1138=L9"}, "5155"},
      {{"dialog 139", "  1135=L1 R", "  1138=L123456789X"}, "5155"},
      {{"dialog 145", "  1157=3", "  1161=2", "  1=1"}, "5161"},
  };
  for (const auto& [answers, command] : cases) {
    const DriverRun run = Run(answers, command, 3);
    EXPECT_TRUE(HasPart(run.err, "il controllo 11")) << answers[1] << run.err;
    EXPECT_EQ(Boxes(run), std::vector<std::string>{}) << answers[1];
    EXPECT_EQ(Rows(), before) << answers[1];
  }
}

TEST_F(NormalisationDriver, CleanUpsAskFirst) {
  const std::string before = Rows();
  DriverRun run = Run({"cancel"}, "5178");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x21, CleanUpQuestion(CleanUp::RouteCodes))});
  EXPECT_EQ(Rows(), before);
  run = Run({"ok"}, "5177");
  EXPECT_EQ(Boxes(run).back(), Box(0x40, "Risultati dell'elaborazione:\n\nLette 6 corse; Azzerati 6 codici corsa."));
  EXPECT_EQ(QueryFile(db, "SELECT DISTINCT quote(codcorsa) FROM tescor"), "' '\n");
  for (const char* command : {"5178", "5179", "5180"}) Run({"ok"}, command);
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM tescor WHERE codperc IS NULL"), "6\n");
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM detcor WHERE fermata IS NULL AND ubicaz IS NULL"), "17\n");
  run = Run({"ok"}, "5181");
  EXPECT_EQ(Boxes(run).back(),
            Box(0x40, "Risultati dell'elaborazione:\n\nEliminate 1 corse senza periodo di effettuazione."));
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM tescor WHERE id = 6"), "0\n");
}

TEST_F(NormalisationDriver, StopEliminationRefusesATerminus) {
  const std::string before = Rows();
  DriverRun run = Run({"dialog 154", "  1208=F2         Piazza \"Duomo\""}, "5191");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10, TerminusStopText())});
  EXPECT_EQ(Rows(), before);
  RunSql(db, "DELETE FROM detcor WHERE id = 6; DELETE FROM tescor WHERE id = 6;");
  run = Run({"dialog 154", "  1208=F2         Piazza \"Duomo\""}, "5191");
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{
                Box(0x40, "Risultati dell'elaborazione:\n\nLette 3 fermate corsa; Eliminate 3 fermate corsa.")});
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM detcor WHERE fermata = 'F2'"), "0\n");
}

}  // namespace
