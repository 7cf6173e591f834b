// The duplicate-trip fix and the code assignments run in the real program through the headless
// driver, on the hand-made timetable: questions answered ok or cancel, dialog 129 by control ids,
// the report's save dialog by file; the database read back with the plain engine.

#include "app/AppTestSupport.h"
#include "support/UtilityData.h"

#include "utilities/CodeAssignment.h"
#include "utilities/DuplicateTrips.h"

namespace {

const std::string kNow = "2024-03-01 08:00";
const std::string kReportDialog =
    "FILE\tReport Corse Doppie\tCORSE_DOPPIE\tFile di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

struct UtilityDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  const std::string out = dir.Path("rapporti");
  void SetUp() override {
    MakeDuplicateTripsDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  }
  // Every row of the trip tables.
  std::string Rows() const {
    return QueryFile(db, "SELECT * FROM tescor ORDER BY id") + QueryFile(db, "SELECT * FROM detcor ORDER BY id, sub");
  }
  DriverRun Run(const std::vector<std::string>& answers, const std::string& command, int exitCode = 0) const {
    return RunDriver(settings, answers, {"--now", kNow, command}, exitCode);
  }
};

TEST_F(UtilityDriver, DuplicateTripsReportedThenMoved) {
  const std::string report = out + "/CORSE_DOPPIE.TXT";
  const DriverRun run = Run({"file " + report}, "5187");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{kReportDialog});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40,
                                                     "Risultati sistemazione corse doppie:\n\n"
                                                     "Modificate 4 corse\nModificate 10 righe orario")});
  EXPECT_EQ(FileBytes(report), ExpectedDuplicateReport(db));
  EXPECT_EQ(Listing(out), "CORSE_DOPPIE.TXT\n");
  EXPECT_EQ(QueryFile(db, "SELECT id, parte, arriva FROM tescor WHERE id IN (11, 21) ORDER BY id"),
            "11|701|9999\n21|0|31\n");
  EXPECT_EQ(QueryFile(db, "SELECT sub, arriva, parte FROM detcor WHERE id = 11 ORDER BY sub"),
            "1|9999|701\n2|731|732\n3|-1|-1\n4|801|9999\n");
}

TEST_F(UtilityDriver, NoDuplicateTripNoReportNoChange) {
  RunSql(db,
         "DELETE FROM detcor WHERE id NOT IN (30, 31); DELETE FROM period WHERE id NOT IN (30, 31); DELETE FROM tescor "
         "WHERE id NOT IN (30, 31);");
  const std::string before = Rows();
  const DriverRun run = Run({}, "5187");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, kNoDuplicateTripsText)});
  EXPECT_EQ(Rows(), before);
}

TEST_F(UtilityDriver, AReportThatCannotBeWrittenChangesNothing) {
  const std::string notAFolder = dir.Path("documento");
  WriteFileBytes(notAFolder, "x");
  const std::string before = Rows();
  const DriverRun run = Run({"file " + notAFolder + "/CORSE_DOPPIE.TXT"}, "5187");
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x30, "Impossibile creare\n\n" + notAFolder + "/CORSE_DOPPIE.TXT")});
  EXPECT_EQ(Rows(), before);
  EXPECT_EQ(FileBytes(notAFolder), "x");
}

TEST_F(UtilityDriver, TripCodesInTheOrderQuadroLineId) {
  RunSql(db, "UPDATE tescor SET gruppo = 0 WHERE id = 62; UPDATE tescor SET codlinea = 'L0' WHERE id = 11;");
  const DriverRun run = Run({"ok"}, "5121");
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{
                            Box(0x21, TripCodesQuestion()),
                            Box(0x40, "Risultati dell'elaborazione:\n\nLette 13 corse; Assegnati 13 codici corsa.")}));
  EXPECT_EQ(QueryFile(db, "SELECT group_concat(id || '=' || codcorsa, ' ') FROM (SELECT * FROM tescor ORDER BY id)"),
            "10=000003 11=000002 20=000004 21=000005 30=000006 31=000007 40=000008 41=000009 50=000010 51=000011 "
            "60=000012 61=000013 62=000001\n");
}

TEST_F(UtilityDriver, ContractsOfEveryLineOrOfOne) {
  const std::string contracts =
      "SELECT group_concat(ente || '/' || contratt, ' ') FROM (SELECT * FROM tescor ORDER BY id)";
  DriverRun run = Run({"dialog 129", "  1114=0005", "  1115=12"}, "5138");
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"),
            std::vector<std::string>{"DIALOG\t129\tAssegnazione Contratti"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(
                            0x40, "Risultati dell'elaborazione:\n\nLette 13 corse; Assegnati 13 codici contratto.")});
  EXPECT_EQ(QueryFile(db, contracts), "5/12 5/12 5/12 5/12 5/12 5/12 5/12 5/12 5/12 5/12 5/12 5/12 5/12\n");
  run = Run({"dialog 129", "  1112=0", "  1113=L2", "  1114=0001", "  1115=0007"}, "5138");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{
                            Box(0x40, "Risultati dell'elaborazione:\n\nLette 2 corse; Assegnati 2 codici contratto.")});
  EXPECT_EQ(QueryFile(db, contracts), "5/12 5/12 1/7 1/7 5/12 5/12 5/12 5/12 5/12 5/12 5/12 5/12 5/12\n");
}

TEST_F(UtilityDriver, AnAuthorityNotInTheListIsRefused) {
  const std::string before = Rows();
  const DriverRun run = Run({"dialog 129", "  1114=9998", "  1115=7"}, "5138", 3);
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10,
                                                     "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n"
                                                     "Occorre selezionare un Codice Regionale Ente presente nella "
                                                     "lista.\n\n"
                                                     "L'assegnazione automatica degli estremi contrattuali risulta\n"
                                                     "impossibile.")});
  EXPECT_EQ(Rows(), before);
}

TEST_F(UtilityDriver, StopCodesOnePerNameAndPlaceThenTheWarning) {
  RunSql(db,
         "UPDATE detcor SET fermata = NULL;"
         "UPDATE detcor SET ubicaz = 'Piazza' WHERE id = 10 AND sub = 1;"
         "UPDATE detcor SET ubicaz = 'Piazza ' WHERE id = 11 AND sub = 1;"
         "UPDATE detcor SET denom = 'AULLA', ubicaz = 'Piazza' WHERE id = 20 AND sub = 1;");
  const std::string result =
      "Risultati dell'assegnazione Codici Fermate:\n\nFermate Lette: 20\nFermate Aggiornate: 20\n";
  const DriverRun run = RunDriver(settings, {"ok", "ok", "ok", "ok"}, {"5164", "5164"});
  EXPECT_EQ(Boxes(run),
            (std::vector<std::string>{Box(0x21, StopCodesFirstQuestion()), Box(0x21, StopCodesSecondQuestion(false)),
                                      Box(0x40, result), Box(0x21, StopCodesFirstQuestion()),
                                      Box(0x21, StopCodesSecondQuestion(true)), Box(0x40, result)}));
  EXPECT_TRUE(HasPrefix(StopCodesSecondQuestion(true), "ATTENZIONE; alcuni Codici Fermata risultano già assegnati."));
  EXPECT_EQ(QueryFile(db, "SELECT id, sub, fermata FROM detcor WHERE sub = 1 AND id IN (10, 11, 20, 21) ORDER BY id"),
            "10|1|AUTO00002\n11|1|AUTO00002\n20|1|AUTO00001\n21|1|AUTO00006\n");
  EXPECT_EQ(QueryFile(db, "SELECT count(DISTINCT fermata) FROM detcor"), "10\n");
}

TEST_F(UtilityDriver, RouteCodesOfTheQuadriThenTheWarning) {
  RunSql(db, "UPDATE tescor SET codperc = NULL; UPDATE tescor SET gruppo = 0 WHERE id = 62;");
  const std::string result = "Risultati dell'assegnazione Codici Percorso:\n\nCorse Lette: 13\nCorse Aggiornate: 13\n";
  const DriverRun run = RunDriver(settings, {"ok", "ok", "ok", "ok"}, {"5165", "5165"});
  EXPECT_EQ(Boxes(run),
            (std::vector<std::string>{Box(0x21, RouteCodesFirstQuestion()), Box(0x21, RouteCodesSecondQuestion(false)),
                                      Box(0x40, result), Box(0x21, RouteCodesFirstQuestion()),
                                      Box(0x21, RouteCodesSecondQuestion(true)), Box(0x40, result)}));
  EXPECT_EQ(QueryFile(db, "SELECT id, codperc FROM tescor WHERE id IN (10, 21, 62) ORDER BY id"),
            "10|AUTO00001\n21|AUTO00002\n62|AUTO00000\n");
}

TEST_F(UtilityDriver, QuadroAsLine) {
  RunSql(db, "UPDATE tescor SET gruppo = 7 WHERE id = 61");
  const DriverRun run = Run({"ok"}, "5160");
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x21, BoardAsLineQuestion()),
                                                  Box(0x40, "Risultati dell'elaborazione:\n\nSistemate 13 corse.")}));
  EXPECT_EQ(QueryFile(db, "SELECT id, codlinea FROM tescor WHERE id IN (10, 60, 61) ORDER BY id"),
            "10|Q_0001\n60|Q_0006\n61|Q_0007\n");
}

// Giving up at any question, dialog or save dialog changes nothing.
struct GivingUp {
  const char* name;
  const char* command;
  std::vector<std::string> answers;
};
void PrintTo(const GivingUp& g, std::ostream* os) { *os << g.name; }

const GivingUp kGivingUp[] = {
    {"TripCodes", "5121", {"cancel"}},       {"Contracts", "5138", {"dialog 129 cancel"}},
    {"StopCodesFirst", "5164", {"cancel"}},  {"StopCodesSecond", "5164", {"ok", "cancel"}},
    {"RouteCodesFirst", "5165", {"cancel"}}, {"RouteCodesSecond", "5165", {"ok", "cancel"}},
    {"QuadroAsLine", "5160", {"cancel"}},    {"DuplicateReport", "5187", {"cancel"}},
};

struct GiveUp : UtilityDriver, ::testing::WithParamInterface<GivingUp> {};

TEST_P(GiveUp, ChangesNothing) {
  const std::string before = Rows();
  const DriverRun run = Run(GetParam().answers, GetParam().command);
  for (const std::string& box : Boxes(run)) EXPECT_TRUE(HasPrefix(box, "0x21\t")) << box;  // only questions
  EXPECT_EQ(Rows(), before);
  EXPECT_EQ(Listing(out), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, GiveUp, ::testing::ValuesIn(kGivingUp),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
