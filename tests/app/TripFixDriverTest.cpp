// The fixes of trip values, the transport-mode dialogs and the two checks run in the real program
// through the headless driver on a hand-made timetable: questions by ok or cancel, dialogs by
// control ids, the report's save dialog by file; the database read back with the plain engine.

#include "app/AppTestSupport.h"
#include "support/UtilityData.h"

#include "utilities/TransportModes.h"
#include "utilities/TripFixes.h"

namespace {

struct FixDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  const std::string out = dir.Path("rapporti");
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, cp1252::FromQStringLossy(QString::fromUtf8(FileBytes(UtilityDataFile("correzioni.sql")))));
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  }
  std::string Rows() const {
    return QueryFile(db, "SELECT * FROM tescor ORDER BY id") + QueryFile(db, "SELECT * FROM detcor ORDER BY id, sub");
  }
  DriverRun Run(const std::vector<std::string>& answers, const std::string& command, int exitCode = 0) const {
    return RunDriver(settings, answers, {"--now", "2024-03-01 08:00", command}, exitCode);
  }
};

TEST_F(FixDriver, TripTimes) {
  const DriverRun run = Run({"ok"}, "5139");
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x21, TripTimesQuestion()),
                                                  Box(0x40, "Risultati dell'elaborazione:\n\nSistemate 3 corse.")}));
  EXPECT_EQ(QueryFile(db, "SELECT id, parte, arriva, tempo, ct_tempo FROM tescor WHERE id <= 3 ORDER BY id"),
            "1|2350|10|20|20\n2|700|720|20|20\n3|700|700|0|0\n");
  EXPECT_EQ(QueryFile(db, "SELECT id, sub, arriva, parte FROM detcor ORDER BY id, sub"),
            "1|1|9999|2350\n1|2|2358|9999\n1|3|10|9999\n2|1|9999|700\n2|2|-1|705\n2|3|9999|710\n2|4|720|9999\n"
            "3|1|655|700\n");
}

TEST_F(FixDriver, LengthsThenContractValues) {
  DriverRun run = Run({"ok"}, "5159");
  EXPECT_EQ(Boxes(run).back(), Box(0x40, "Risultati dell'elaborazione:\n\nSistemate 3 corse."));
  EXPECT_EQ(QueryFile(db, "SELECT id, lung, ct_lung FROM tescor WHERE id <= 3 ORDER BY id"),
            "1|0|0\n2|2500|2500\n3|0|0\n");
  RunSql(db, "UPDATE tescor SET tempo = 33 WHERE id = 2");
  run = Run({"ok"}, "5183");
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x21, ContractValuesQuestion()),
                                                  Box(0x40, "Risultati dell'elaborazione:\n\nAggiustate 6 corse")}));
  EXPECT_EQ(QueryFile(db, "SELECT lung, tempo, ct_lung, ct_tempo FROM tescor WHERE id = 2"), "2500|33|2500|33\n");
}

// A stored batch of `read` rows, `updated` of them written.
AssignmentResult Stored(int read, int updated) {
  AssignmentResult r;
  r.ok = true;
  r.read = read;
  r.updated = updated;
  return r;
}

TEST_F(FixDriver, ChainsThenConsistent) {
  DriverRun run = Run({}, "5175");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, TripChainingResultText(Stored(6, 2)))});
  EXPECT_EQ(QueryFile(db, "SELECT id, ifnull(prevcor, '-'), ifnull(nextcor, '-') FROM tescor WHERE id >= 5"),
            "5|-|7\n6|-|7\n7|5|-\n");
  // Two trips naming one next trip: rewritten on every run.
  run = Run({}, "5175");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, TripChainingResultText(Stored(6, 1)))});
  EXPECT_EQ(QueryFile(db, "SELECT prevcor FROM tescor WHERE id = 7"), "6\n");
  RunSql(db, "UPDATE tescor SET nextcor = NULL WHERE id = 5");
  run = Run({}, "5175");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, "I concatenamenti tra corse sono risultati consistenti")});
}

TEST_F(FixDriver, HalfTimes) {
  RunSql(db,
         "UPDATE detcor SET arriva = 0, parte = 0 WHERE id = 2 AND sub = 2;"
         "UPDATE detcor SET arriva = 0, parte = 815 WHERE id = 2 AND sub = 3;");
  const DriverRun run = Run({"ok"}, "5182");
  EXPECT_EQ(Boxes(run).back(), Box(0x40, "Risultati dell'elaborazione:\n\nAggiustati 1 tempi di transito \"zoppi\""));
  EXPECT_EQ(QueryFile(db, "SELECT sub, arriva, parte FROM detcor WHERE id = 2 ORDER BY sub"),
            "1|9999|700\n2|0|0\n3|815|815\n4|720|9999\n");
}

const char* const kModes =
    "SELECT group_concat(id || '=' || ifnull(mezzo, '-'), ' ') FROM (SELECT * FROM tescor ORDER BY id)";

TEST_F(FixDriver, ModesOfTheCompanyLineAndAuthority) {
  DriverRun run = Run({"dialog 149"}, "5171");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40,
                                                     "Risultati dell'assegnazione del mezzo di trasporto.\n"
                                                     "Tutte le corse dell'azienda.\n\nCorse lette 6\nCorse "
                                                     "aggiornate 6\n")});
  EXPECT_EQ(QueryFile(db, kModes), "1=X 2=X 3=X 5=X 6=X 7=X\n");
  // Two lines one after the other in the dialog that stays open.
  run = Run({"dialog 150", "  1184=L1", "  1182=1", "  1183=1", "  1=1", "  1184=L3", "  1178=1", "  1=1", "  2=1"},
            "5172");
  EXPECT_EQ(
      Boxes(run),
      (std::vector<std::string>{
          Box(0x40, "Risultati dell'assegnazione del mezzo di trasporto.\nCorse lette 2\nCorse aggiornate 2\n"),
          Box(0x40, "Risultati dell'assegnazione del mezzo di trasporto.\nCorse lette 3\nCorse aggiornate 3\n")}));
  EXPECT_EQ(QueryFile(db, kModes), "1=N 2=N 3=X 5=U 6=U 7=U\n");
  run = Run({"dialog 152", "  1200=0005", "  1180=1"}, "5176");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40,
                                                     "Risultati dell'assegnazione del mezzo di trasporto.\n"
                                                     "Corse dell'Ente Contrattuale selezionato.\n\nCorse lette 2\n"
                                                     "Corse aggiornate 2\n")});
  EXPECT_EQ(QueryFile(db, kModes), "1=W 2=W 3=X 5=U 6=U 7=U\n");
}

TEST_F(FixDriver, AnAuthorityNotDigitsIsRefused) {
  const std::string before = Rows();
  const DriverRun run = Run({"dialog 152", "  1200=00x5"}, "5176", 3);
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10, TransportModeAuthorityRefusal())});
  EXPECT_EQ(Rows(), before);
}

TEST_F(FixDriver, QualityOnlyReads) {
  const std::string before = Rows();
  const DriverRun run = Run({}, "5167");
  ASSERT_EQ(Boxes(run).size(), 1u);
  EXPECT_TRUE(HasPrefix(Boxes(run)[0], U8("0x40\tLa qualità dei dati risulta CARENTE"))) << Boxes(run)[0];
  EXPECT_EQ(Rows(), before);
}

TEST_F(FixDriver, CoherenceReport) {
  RunSql(db, "DELETE FROM tescor WHERE id IN (5, 6)");
  const std::string report = out + "/ERRORI_QUADRI_PERCORSI.TXT";
  const DriverRun run = Run({"file " + report}, "5196");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            std::vector<std::string>{"FILE\tReport Errori Riscontrati\tERRORI_QUADRI_PERCORSI\tFile di testo "
                                     "(*.txt)|*.txt|Tutti i files (*.*)|*.*||"});
  EXPECT_EQ(FileBytes(report), FileBytes(UtilityDataFile("ERRORI_QUADRI_PERCORSI.TXT")));
  EXPECT_EQ(Listing(out), "ERRORI_QUADRI_PERCORSI.TXT\n");
}

// A stored value of another kind than its column's: the fix, the coherence check and the
// duplicate trips each stop at it with the one message that names it, ask for no report file and
// change nothing.
TEST_F(FixDriver, AValueOfAnotherKindStopsEachRunWithOneMessage) {
  RunSql(db,
         "UPDATE detcor SET parte = 'abc' WHERE id = 2 AND sub = 2;"
         "UPDATE tescor SET codperc = X'5031' WHERE id = 3;");
  RecordCleanClose(settings, db);
  const std::string before = Rows();
  const struct {
    const char* command;
    std::vector<std::string> answers;
    std::vector<std::string> boxes;
  } runs[] = {
      {"5139",
       {"ok"},
       {Box(0x21, TripTimesQuestion()), Box(0x10, StoppedAtValue("corsa 2, fermata 2", "parte", "'abc'", "un testo"))}},
      {"5196", {}, {Box(0x10, StoppedAtValue("corsa 3", "codperc", "X'5031'", "un dato binario", "un testo", true))}},
      {"5187", {}, {Box(0x10, StoppedAtValue("corsa 3", "codperc", "X'5031'", "un dato binario", "un testo"))}},
  };
  for (const auto& r : runs) {
    const DriverRun run = Run(r.answers, r.command);
    EXPECT_EQ(Boxes(run), r.boxes) << r.command;
    EXPECT_TRUE(LinesStartingWith(run.transcript, "FILE").empty()) << r.command;
  }
  EXPECT_EQ(Listing(out), "");
  EXPECT_EQ(Rows(), before);
}

TEST_F(FixDriver, CoherenceCancelAndCoherent) {
  DriverRun run = Run({"cancel"}, "5196");
  EXPECT_EQ(Boxes(run).size(), 1u);
  EXPECT_EQ(Listing(out), "");
  RunSql(db, "UPDATE tescor SET codperc = 'Q' || gruppo");
  run = Run({}, "5196");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40,
                                                     "La codifica dei percorsi è perfettamente coerente con la "
                                                     "codifica dei quadri orari")});
}

struct FixGivingUp {
  const char* name;
  const char* command;
  std::vector<std::string> answers;
};
void PrintTo(const FixGivingUp& g, std::ostream* os) { *os << g.name; }

const FixGivingUp kFixGivingUp[] = {
    {"TripTimes", "5139", {"cancel"}},          {"Lengths", "5159", {"cancel"}},
    {"HalfTimes", "5182", {"cancel"}},          {"Contract", "5183", {"cancel"}},
    {"Company", "5171", {"dialog 149 cancel"}}, {"Line", "5172", {"dialog 150 cancel"}},
};

struct FixGiveUp : FixDriver, ::testing::WithParamInterface<FixGivingUp> {};

TEST_P(FixGiveUp, ChangesNothing) {
  const std::string before = Rows();
  const DriverRun run = Run(GetParam().answers, GetParam().command);
  for (const std::string& box : Boxes(run)) EXPECT_TRUE(HasPrefix(box, "0x21\t")) << box;
  EXPECT_EQ(Rows(), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, FixGiveUp, ::testing::ValuesIn(kFixGivingUp),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
