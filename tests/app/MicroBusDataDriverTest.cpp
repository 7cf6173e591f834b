// The normalisation 5209 and the cadence rebuilding 5206 of MicroBus-IVU data end to end through
// the headless driver: the question, the closing message, and the refusals that leave the
// database exactly as it was.

#include "app/AppTestSupport.h"
#include "support/GdalTools.h"
#include "support/TimetableData.h"

namespace {

std::string TripSql(int id, const std::string& day) {
  const std::string n = std::to_string(id);
  return "INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom, ente,"
         " contratt, ct_lung, ct_tempo) VALUES (" +
         n + ", 0, 'P1', 'C1', 'L1', 'A', 800, 900, 5000, 60, 'Corsa', 1, 2, 0, 0);" +
         "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
         "VALUES (" +
         n + ", 1, 'F1', 'Fermata', 0, 800, 800, 0, 0, 0, 0);" +
         "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + n + ", 'UNICA', '" + day + "', '" + day +
         "', 0);";
}

const std::string kNormalisationQuestion =
    "I dati analizzati presentano le caratteristiche tipiche di MicroBus-IVU\n\nIntendi procedere con la "
    "normalizzazione della comunicazione?";
const std::string kCadenceQuestion =
    "I dati analizzati presentano le caratteristiche tipiche di MicroBus-IVU\n\nIntendi procedere con la "
    "ricostruzione delle cadenze?";
const std::string kNotMicroBus =
    "ATTENZIONE: i dati analizzati non presentano le caratteristiche tipiche\ndi MicroBus-IVU !!!\n\nPertanto la "
    "funzione non è applicabile";

struct MicroBusDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db,
           "DELETE FROM period; DELETE FROM detcor; DELETE FROM tescor; DELETE FROM calend;"
           "DELETE FROM cadenz WHERE codice IN ('UNICA', '0001', '0002');"
           "INSERT INTO cadenz (codice, denom) VALUES ('UNICA', 'Unica');" +
               TripSql(10, "2024-01-02") + TripSql(12, "2024-01-03"));
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const char* command, const std::vector<std::string>& answers) {
    return RunDriver(settings, answers, {command});
  }
  std::string Dump() const {
    return RunProgram(QStringLiteral("sqlite3"), {QString::fromStdString(db), QStringLiteral(".dump")});
  }
};

TEST_F(MicroBusDriver, NormalisationMergesTheTwins) {
  const DriverRun run = Run("5209", {"ok"});
  EXPECT_EQ(Boxes(run),
            (std::vector<std::string>{Box(0x21, kNormalisationQuestion), Box(0x40, "Eliminate 1 corse ridondanti")}));
  EXPECT_EQ(QueryFile(db, "SELECT id, inizio FROM period ORDER BY id, inizio"), "10|2024-01-02\n10|2024-01-03\n");
}

TEST_F(MicroBusDriver, CadencesAreRebuilt) {
  const DriverRun run = Run("5206", {"ok"});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x21, kCadenceQuestion), Box(0x40, "Elaborazione terminata")}));
  EXPECT_EQ(QueryFile(db, "SELECT id, caden, inizio, fine FROM period ORDER BY id"),
            "10|0001|2024-01-01|2024-06-30\n12|0002|2024-01-01|2024-06-30\n");
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM cadenz WHERE codice = 'UNICA'"), "0\n");
}

struct Refusal {
  const char* name;
  const char* command;
  const char* sql;
  std::vector<std::string> answers;
  std::vector<std::string> boxes;
};

class MicroBusRefusal : public MicroBusDriver, public ::testing::WithParamInterface<Refusal> {};

TEST_P(MicroBusRefusal, LeavesTheDatabaseAsItWas) {
  if (*GetParam().sql) RunSql(db, GetParam().sql);
  const std::string before = Dump();
  const DriverRun run = Run(GetParam().command, GetParam().answers);
  EXPECT_EQ(Boxes(run), GetParam().boxes);
  EXPECT_EQ(Dump(), before);
}

INSTANTIATE_TEST_SUITE_P(
    MicroBus, MicroBusRefusal,
    ::testing::Values(
        Refusal{"NormalisationOfLowerCaseUnica",
                "5209",
                "INSERT INTO cadenz (codice, denom) VALUES ('unica', 'Unica'); UPDATE period SET caden = 'unica' WHERE "
                "id = 12;",
                {},
                {Box(0x10, kNotMicroBus)}},
        Refusal{"NormalisationCancelled", "5209", "", {"cancel"}, {Box(0x21, kNormalisationQuestion)}},
        Refusal{"CadencesOverAnExistingCode",
                "5206",
                "INSERT INTO cadenz (codice, denom) VALUES ('0001', 'Feriale');",
                {},
                {Box(0x10,
                     "ATTENZIONE: il tipo cadenza 0001 è già presente in archivio !!!\n\nPertanto non è possibile "
                     "procedere con la ricostruzione delle cadenze.")}},
        Refusal{"CadencesEndingBeforeTheyStart",
                "5206",
                "UPDATE master SET datini = '2024-02-01', datfin = '2024-01-31';",
                {},
                {Box(0x10, "ATTENZIONE: non è definito il periodo di validità della comunicazione !!!")}},
        Refusal{"CadencesCancelled", "5206", "", {"cancel"}, {Box(0x21, kCadenceQuestion)}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
