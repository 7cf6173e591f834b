// The fixes of trip values and the two read-only checks on a real timetable database: the rows
// each fix writes, its count, and a run killed half way; the findings of the quality check and
// the lines and report of the coherence check.

#include "support/KilledWalk.h"
#include "support/UtilityData.h"

#include "db/DbDatabase.h"
#include "utilities/CoherenceCheck.h"
#include "utilities/QualityCheck.h"
#include "utilities/TripFixes.h"

#include <QFileInfo>
#include <functional>
#include <utility>

namespace {

std::string Head(int id, const char* rest = "NULL, 0, NULL, NULL") {
  return "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
         " ct_tempo, codperc, gruppo, prevcor, nextcor, mezzo) VALUES (" +
         std::to_string(id) + ", 'C" + std::to_string(id) + "', 'L1', 'A', 0, 0, 1, 0, 0, 0, 0, 0, " + rest + ", 'X');";
}

// Stop rows of one trip: (sub, arrival, departure, distance).
std::string Stops(int id, std::initializer_list<std::tuple<int, int, int, int>> rows) {
  std::string sql;
  for (const auto& [sub, arriva, parte, dist] : rows)
    sql +=
        "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma,"
        " reglocal) VALUES (" +
        std::to_string(id) + ", " + std::to_string(sub) + ", 'F" + std::to_string(sub) + "', 'Fermata " +
        std::to_string(sub) + "', 'Via', " + std::to_string(dist) + ", " + std::to_string(arriva) + ", " +
        std::to_string(parte) + ", 0, 0, 0, 1);";
  return sql;
}

using Fix = AssignmentResult (*)(DbDatabase*, WorkProgress*);

struct FixCase {
  const char* name;
  Fix fix;
  std::string sql;
  const char* query;
  const char* rows;
  int count;
  // A value planted of another kind than its column's: the run's one message (nothing changed).
  std::string refusal = {};
};
void PrintTo(const FixCase& c, std::ostream* os) { *os << c.name; }

// Two trips of three stops each, trip 2's values to be spoiled: the rows trip 1 has written by
// then are undone with the rest.
const std::string kTwoTrips = Head(1) + Stops(1, {{1, 655, 700, 0}, {2, 710, 0, 300}, {3, 730, 735, 900}}) + Head(2) +
                              Stops(2, {{1, 755, 800, 0}, {2, 0, 812, 300}, {3, 830, 835, 900}});
const char* const kEveryTime =
    "SELECT t.id, t.parte, t.arriva, t.tempo, t.lung, d.sub, d.arriva, d.parte FROM tescor t JOIN detcor d "
    "ON d.id = t.id ORDER BY t.id, d.sub";

const char* const kHeads = "SELECT id, parte, arriva, tempo, ct_tempo FROM tescor ORDER BY id";
const char* const kTimes = "SELECT id, sub, arriva, parte FROM detcor ORDER BY id, sub";

const FixCase kFixes[] = {
    // Over midnight: 23.50 -> 23.58 (dwell 2) -> 00.10 = 20 minutes.
    {"TimesOverMidnight", FixTripTimes,
     Head(1) + Stops(1, {{1, 2340, 2350, 0}, {2, 2356, 2358, 500}, {3, 10, 15, 900}}), kHeads, "1|2350|10|25|25\n", 1},
    // A departure of 9999 adds no dwell; a missing arrival (9999 or -1) moves nothing.
    {"MissingTimes", FixTripTimes,
     Head(1) + Stops(1, {{1, 9999, 700, 0}, {2, 710, 9999, 1}, {3, 9999, 720, 2}, {4, -1, 725, 3}, {5, 730, 9999, 4}}) +
         Head(2) + Stops(2, {{1, 9999, 800, 0}, {2, 9999, 9999, 1}, {3, 815, 9999, 2}}),
     kHeads, "1|700|730|30|30\n2|800|815|15|15\n", 2},
    {"FirstArrivalAndLastDeparture", FixTripTimes,
     Head(1) + Stops(1, {{1, 655, 700, 0}, {2, 710, 712, 1}, {3, 730, 735, 2}}), kTimes,
     "1|1|9999|700\n1|2|710|712\n1|3|730|9999\n", 1},
    // The last stop's dwell is counted before its departure goes.
    {"LastDwellCounted", FixTripTimes, Head(1) + Stops(1, {{1, 655, 700, 0}, {2, 730, 735, 2}}), kHeads,
     "1|700|730|35|35\n", 1},
    // One stop: its times kept, the head takes its time; the trip after it is not disturbed.
    {"SingleStop", FixTripTimes,
     Head(1) + Stops(1, {{1, 655, 700, 0}}) + Head(2) + Stops(2, {{1, 900, 9999, 0}}) + Head(3) +
         Stops(3, {{1, 9999, 1000, 0}, {2, 1010, 9999, 1}}),
     "SELECT t.id, t.parte, t.arriva, t.tempo, t.ct_tempo, d.arriva, d.parte FROM tescor t JOIN detcor d "
     "ON d.id = t.id AND d.sub = 1 ORDER BY t.id",
     "1|700|700|0|0|655|700\n2|900|900|0|0|900|9999\n3|1000|1010|10|10|9999|1000\n", 3},
    {"Lengths", FixRouteLengths,
     Head(1) + Stops(1, {{1, 0, 0, 0}, {2, 0, 0, 1200}, {3, 0, 0, 3400}}) + Head(2) +
         Stops(2, {{1, 0, 0, 0}, {2, 0, 0, 800}, {3, 0, 0, 0}}),
     "SELECT id, lung, ct_lung FROM tescor ORDER BY id", "1|3400|3400\n2|0|0\n", 2},
    // 5 names 7 as next, 7 names 6 as previous, 6 names no next: two corrections.
    {"Chains", FixTripChaining,
     Head(5, "NULL, 0, NULL, 7") + Head(6, "NULL, 0, NULL, NULL") + Head(7, "NULL, 0, 6, NULL"),
     "SELECT id, ifnull(prevcor, '-'), ifnull(nextcor, '-') FROM tescor ORDER BY id", "5|-|7\n6|-|7\n7|5|-\n", 2},
    {"ChainsConsistent", FixTripChaining, Head(5, "NULL, 0, NULL, 6") + Head(6, "NULL, 0, 5, 99"),
     "SELECT id, ifnull(prevcor, '-'), ifnull(nextcor, '-') FROM tescor ORDER BY id", "5|-|6\n6|5|99\n", 0},
    {"HalfTimes", FixHalfTransitTimes,
     Head(1) + Stops(1, {{1, 0, 0, 0}, {2, 9999, 0, 1}, {3, 0, 815, 2}, {4, 820, -1, 3}, {5, 830, 9999, 4}}), kTimes,
     "1|1|0|0\n1|2|9999|0\n1|3|815|815\n1|4|820|820\n1|5|830|9999\n", 2},
    {"ContractValues", AlignContractLengthsAndTimes,
     Head(1) + Head(2) + "UPDATE tescor SET lung = 4200, tempo = 17, ct_lung = 1, ct_tempo = 2 WHERE id = 2;",
     "SELECT id, lung, tempo, ct_lung, ct_tempo FROM tescor ORDER BY id", "1|0|0|0|0\n2|4200|17|4200|17\n", 2},
    {"TimesStopAtATextTime", FixTripTimes, kTwoTrips + "UPDATE detcor SET parte = 'abc' WHERE id = 2 AND sub = 2;",
     kEveryTime,
     "1|0|0|0|0|1|655|700\n1|0|0|0|0|2|710|0\n1|0|0|0|0|3|730|735\n"
     "2|0|0|0|0|1|755|800\n2|0|0|0|0|2|0|abc\n2|0|0|0|0|3|830|835\n",
     0, StoppedAtValue("corsa 2, fermata 2", "parte", "'abc'", "un testo")},
    {"LengthsStopAtADecimalDistance", FixRouteLengths,
     kTwoTrips + "UPDATE detcor SET dist = 412.5 WHERE id = 2 AND sub = 3;", kEveryTime,
     "1|0|0|0|0|1|655|700\n1|0|0|0|0|2|710|0\n1|0|0|0|0|3|730|735\n"
     "2|0|0|0|0|1|755|800\n2|0|0|0|0|2|0|812\n2|0|0|0|0|3|830|835\n",
     0, StoppedAtValue("corsa 2, fermata 3", "dist", "412.5", "un numero con decimali")},
    {"HalfTimesStopAtBytes", FixHalfTransitTimes,
     kTwoTrips + "UPDATE detcor SET arriva = X'0A' WHERE id = 2 AND sub = 3;",
     "SELECT id, sub, quote(arriva), parte FROM detcor ORDER BY id, sub",
     "1|1|655|700\n1|2|710|0\n1|3|730|735\n2|1|755|800\n2|2|0|812\n2|3|X'0A'|835\n", 0,
     StoppedAtValue("corsa 2, fermata 3", "arriva", "X'0A'", "un dato binario")},
    {"ChainsStopAtATextLink", FixTripChaining,
     Head(5, "NULL, 0, NULL, 7") + Head(6, "NULL, 0, NULL, 'sette'") + Head(7, "NULL, 0, 6, NULL"),
     "SELECT id, ifnull(prevcor, '-'), ifnull(nextcor, '-') FROM tescor ORDER BY id", "5|-|7\n6|-|sette\n7|6|-\n", 0,
     StoppedAtValue("corsa 6", "nextcor", "'sette'", "un testo")},
    // Met first on the trip a link leads to, read through the table: the same one message.
    {"ChainsStopAtATextLinkOfTheTripLinked", FixTripChaining,
     "PRAGMA ignore_check_constraints = ON;" + Head(5, "NULL, 0, NULL, 6") + Head(6, "NULL, 0, 'abc', NULL"),
     "SELECT id, ifnull(prevcor, '-'), ifnull(nextcor, '-') FROM tescor ORDER BY id", "5|-|6\n6|abc|-\n", 0,
     StoppedAtValue("corsa 6", "prevcor", "'abc'", "un testo")},
    {"ContractValuesStopAtATextTime", AlignContractLengthsAndTimes,
     Head(1) + Head(2) +
         "UPDATE tescor SET lung = 4200, tempo = 17 WHERE id = 1; UPDATE tescor SET tempo = '17m' WHERE id = 2;",
     "SELECT id, lung, tempo, ct_lung, ct_tempo FROM tescor ORDER BY id", "1|4200|17|0|0\n2|0|17m|0|0\n", 0,
     StoppedAtValue("corsa 2", "tempo", "'17m'", "un testo")},
};

struct Fixes : ::testing::TestWithParam<FixCase> {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override { MakeTimetableDatabase(path); }
};

TEST_P(Fixes, WriteTheirRows) {
  const FixCase& c = GetParam();
  RunSql(path, c.sql);
  if (!c.refusal.empty()) AllowReadingMismatches();  // told by the run itself, not by the layer
  NoticeLog notices;
  AssignmentResult r;
  {
    DbDatabase db(path);
    r = c.fix(&db, nullptr);
  }
  EXPECT_EQ(r.ok, c.refusal.empty());
  if (!c.refusal.empty()) {
    EXPECT_EQ(r.Texts(), c.refusal);
  }
  EXPECT_EQ(r.updated, c.count);
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(QueryFile(path, c.query), c.rows);
}

INSTANTIATE_TEST_SUITE_P(Cases, Fixes, ::testing::ValuesIn(kFixes),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(FixTexts, ChainsAndCounts) {
  AssignmentResult r;
  EXPECT_EQ(TripChainingResultText(r), "I concatenamenti tra corse sono risultati consistenti");
  r.updated = 2;
  EXPECT_EQ(TripChainingResultText(r),
            "I concatenamenti tra corse risultavano inconsistenti\n\nE' stato necessario apportare 2 correzioni.\n\n"
            "E' assolutamente consigliabile procedere alla verifica della\napposita RUBRICA di controllo !!!");
  EXPECT_EQ(FixedTripsResultText(r), "Risultati dell'elaborazione:\n\nSistemate 2 corse.");
  EXPECT_EQ(HalfTransitTimesResultText(r), "Risultati dell'elaborazione:\n\nAggiustati 2 tempi di transito \"zoppi\"");
  EXPECT_EQ(ContractValuesResultText(r), "Risultati dell'elaborazione:\n\nAggiustate 2 corse");
}

TEST(FixKilled, LeavesEveryRowAsItWas) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetableDatabase(path);
  RunSql(
      path,
      "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 3000)"
      " INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
      " ct_tempo, gruppo) SELECT k, 'C' || k, 'L1', 'A', 0, 0, 1, 0, 0, 0, 0, 0, 0 FROM n;"
      "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
      " SELECT id, s.k, 'F', 'Fermata di via Roma', 'Piazza', s.k * 100, 600 + s.k, 601 + s.k, 0, 0, 0, 0"
      " FROM tescor, (SELECT 1 AS k UNION SELECT 2 UNION SELECT 3 UNION SELECT 4) s;");
  const std::string before =
      QueryFile(path, "SELECT * FROM tescor ORDER BY id") + QueryFile(path, "SELECT * FROM detcor ORDER BY id, sub");
  for (long step : {5L, 11000L}) {
    EXPECT_TRUE(Killed([&] {
      DbDatabase db(path);
      KillAt kill(step);
      FixTripTimes(&db, &kill);
    }));
    EXPECT_EQ(
        QueryFile(path, "SELECT * FROM tescor ORDER BY id") + QueryFile(path, "SELECT * FROM detcor ORDER BY id, sub"),
        before);
  }
  DbDatabase db(path);
  EXPECT_EQ(FixTripTimes(&db, nullptr).updated, 3000);
}

// ---- the communication quality check

struct QualityCase {
  const char* name;
  const char* sql;
  std::string text;
};
void PrintTo(const QualityCase& c, std::ostream* os) { *os << c.name; }

const QualityCase kQuality[] = {
    {"Clean", "", "La qualità dei dati risulta ECCELLENTE\n\n"},
    {"SomeWithoutLocality", "UPDATE detcor SET reglocal = 0 WHERE id = 1",
     "La qualità dei dati risulta ECCELLENTE\n\nFermate senza località 2 su 4\n"},
    {"AllWithoutLocality", "UPDATE detcor SET reglocal = 0",
     "La qualità dei dati risulta CARENTE\n\n*** Fermate senza località 4 su 4\n"},
    {"SomeWithoutAuthority", "UPDATE tescor SET ente = 0 WHERE id = 2",
     "La qualità dei dati risulta ECCELLENTE\n\nCorse senza ente contrattuale 1 su 2\n"},
    {"AllWithoutAuthority", "UPDATE tescor SET ente = 0",
     "La qualità dei dati risulta CARENTE\n\n*** Corse senza ente contrattuale 2 su 2\n"},
    {"WithoutMode", "UPDATE tescor SET mezzo = NULL WHERE id = 1",
     "La qualità dei dati risulta CARENTE\n\n*** Corse senza indicazione del mezzo di trasporto 1 su 2\n"},
    {"WithoutRoute", "UPDATE tescor SET codperc = ' ' WHERE id = 1",
     "La qualità dei dati risulta CARENTE\n\nCorse senza codice percorso 1 su 2\n"},
    {"TripCodeTwice", "UPDATE tescor SET codcorsa = 'C1'",
     "La qualità dei dati risulta CARENTE\n\nCorse con codice duplicato 1 su 2\n"},
    // One code with three names: once per change of name in the code's run.
    {"StopCodeWithNames",
     "UPDATE detcor SET fermata = 'F1'; UPDATE detcor SET denom = 'Fermata 3' WHERE id = 2 AND sub = 2",
     "La qualità dei dati risulta CARENTE\n\nFermate con codice duplicato 2 su 4\n"},
    // Texts stored by another tool that read alike, with '?': two names of one code, two codes.
    {"StopCodeWithNamesReadAlike",
     "UPDATE detcor SET fermata = 'F1', ubicaz = 'Via', denom = char(0x141 + (id = 2) * 25) || 'odz'",
     "La qualità dei dati risulta CARENTE\n\nFermate con codice duplicato 1 su 4\n"},
    {"TripCodesReadAlike", "UPDATE tescor SET codcorsa = char(0x141 + (id = 2) * 25) || '1'",
     "La qualità dei dati risulta ECCELLENTE\n\n"},
    {"PlaceIsName", "UPDATE detcor SET ubicaz = denom",
     "La qualità dei dati risulta ECCELLENTE\n\nFermate con ubicazione identica alla denominazione 4 su 4\n"},
    {"WithoutPlace", "UPDATE detcor SET ubicaz = NULL WHERE sub = 2",
     "La qualità dei dati risulta ECCELLENTE\n\nFermate senza ubicazione 2 su 4\n"},
    // Equal distances: one bad each; a first stop at any distance never.
    {"EqualDistances",
     "UPDATE detcor SET dist = 0 WHERE id = 1; UPDATE detcor SET dist = 5000 WHERE id = 2 AND sub = 1",
     "La qualità dei dati risulta CARENTE\n\nDistanze progressive errate o assenti 2 su 4\n"},
    {"Empty", "DELETE FROM detcor; DELETE FROM tescor",
     "La qualità dei dati risulta ECCELLENTE\n\nTutte le fermate sono marcate come PRINCIPALE\n"
     "Nessuna fermata è marcata come PRINCIPALE\nTutte le fermate sono marcate come FACOLTATIVA\n"
     "Tutte le fermate sono marcate come NON FERMA\n"},
    // A value of another kind than its column's stops the check: its message, and no verdict.
    {"StopNameStoredAsBytes", "UPDATE detcor SET denom = X'436974E0' WHERE id = 2 AND sub = 1",
     StoppedAtValue("corsa 2, fermata 1", "denom", "X'436974E0'", "un dato binario", "un testo", true)},
    {"AuthorityAsText", "UPDATE tescor SET ente = 'abc' WHERE id = 1",
     StoppedAtValue("corsa 1", "ente", "'abc'", "un testo", "un numero intero", true)},
    {"DistanceWithDecimals", "UPDATE detcor SET dist = 0.5 WHERE id = 1 AND sub = 2",
     StoppedAtValue("corsa 1, fermata 2", "dist", "0.5", "un numero con decimali", "un numero intero", true)},
};

struct Quality : ::testing::TestWithParam<QualityCase> {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(path);
    // Two clean trips: codes, lines, authority, route, mode; stops with code, name, place,
    // locality, the first of each primary, growing distances.
    RunSql(path, Head(1, "'P1', 1, NULL, NULL") + Head(2, "'P1', 1, NULL, NULL") +
                     Stops(1, {{1, 9999, 700, 0}, {2, 710, 9999, 800}}) +
                     Stops(2, {{1, 9999, 800, 0}, {2, 810, 9999, 800}}) +
                     "UPDATE detcor SET primaria = 1 WHERE sub = 1;");
  }
};

TEST_P(Quality, FindingsAndVerdict) {
  if (*GetParam().sql) RunSql(path, GetParam().sql);
  const std::string rows = QueryFile(path, "SELECT * FROM detcor") + QueryFile(path, "SELECT * FROM tescor");
  const bool verdict = GetParam().text.rfind("La qualità", 0) == 0;
  if (!verdict) AllowReadingMismatches();  // told by the check itself, not by the layer
  {
    NoticeLog notices;
    DbDatabase db(path);
    const Outcome quality = CommunicationQuality(&db);
    EXPECT_EQ(quality.Texts(), GetParam().text);
    EXPECT_TRUE(quality.ok == verdict && quality.messages.size() == 1 &&
                quality.messages[0].icon == (verdict ? NoticeIcon::Information : NoticeIcon::Stop));
    EXPECT_EQ(notices.Texts(), "");
  }
  EXPECT_EQ(QueryFile(path, "SELECT * FROM detcor") + QueryFile(path, "SELECT * FROM tescor"), rows);
}

INSTANTIATE_TEST_SUITE_P(Cases, Quality, ::testing::ValuesIn(kQuality),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- the quadri and routes coherence check

struct Coherence : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override { MakeTimetableDatabase(path); }
  CoherenceMessageList Find(const std::string& heads) {
    RunSql(path, heads);
    DbDatabase db(path);
    return FindBoardRouteIncoherence(&db);
  }
};

TEST_F(Coherence, CoherentGivesNothing) {
  // Codes stored by another tool that read alike, with '?', are two routes.
  const CoherenceMessageList l =
      Find(Head(1, "'P1', 1, 0, 0") + Head(2, "'P1 ', 1, 0, 0") + Head(3, "'P2', 2, 0, 0") + Head(4, "NULL, 0, 0, 0") +
           Head(5, "'', 0, 0, 0") + Head(6, "char(0x141) || '1', 4, 0, 0") + Head(7, "char(0x15A) || '1', 5, 0, 0"));
  EXPECT_TRUE(l.Empty());
  EXPECT_EQ(std::pair(l.ok, l.Texts()), std::pair(true, std::string(kCoherentText)));
}

// A value of another kind than its column's, in either pass: the check's one message, no line, and
// no report written.
TEST_F(Coherence, AValueOfAnotherKindStopsTheCheckAndItsReport) {
  AllowReadingMismatches();  // told by the check itself, not by the layer
  const std::string heads = Head(1, "'P1', 1, 0, 0") + Head(2, "'P2', 1, 0, 0") + Head(3, "'P3', 2, 0, 0");
  const struct {
    const char* sql;
    std::string text;
  } planted[] = {
      {"UPDATE tescor SET codperc = X'5033' WHERE id = 3",
       StoppedAtValue("corsa 3", "codperc", "X'5033'", "un dato binario", "un testo", true)},
      {"UPDATE tescor SET gruppo = 'due' WHERE id = 2",
       StoppedAtValue("corsa 2", "gruppo", "'due'", "un testo", "un numero intero", true)},
  };
  int run = 0;
  for (const auto& p : planted) {
    path = dir.Path("orari" + std::to_string(++run) + ".mdb");
    MakeTimetableDatabase(path);
    NoticeLog notices;
    const CoherenceMessageList l = Find(heads + p.sql);
    EXPECT_TRUE(l.refused && !l.ok && l.Empty());
    EXPECT_EQ(l.Texts(), p.text);
    EXPECT_EQ(notices.Texts(), "");
    const std::string report = dir.Path("report.txt");
    EXPECT_EQ(WriteCoherenceReport(report, l, {2024, 3, 1, 8, 5, 0}).Texts(), p.text);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(report)));
  }
}

TEST_F(Coherence, LinesAndReport) {
  const CoherenceMessageList l =
      Find(Head(1, "'P1', 1, 0, 0") + Head(2, "'P2', 1, 0, 0") + Head(3, "'P3', 1, 0, 0") + Head(4, "NULL, 2, 0, 0") +
           Head(5, "'P4', 2, 0, 0") + Head(6, "NULL, 3, 0, 0") + Head(7, "'P4', 3, 0, 0"));
  EXPECT_EQ(l.boards, (std::vector<std::string>{"Quadro 1 Percorsi: P1 / P2\n", "Quadro 1 Percorsi: P2 / P3\n",
                                                "Quadro 2 Percorsi:  / P4\n", "Quadro 3 Percorsi:  / P4\n"}));
  EXPECT_EQ(l.routes, (std::vector<std::string>{"Percorso:  Quadri: 2 / 3\n", "Percorso: P4 Quadri: 2 / 3\n"}));
  EXPECT_EQ(std::pair(l.ok, l.Texts()), std::pair(false, std::string(kIncoherentText)));
  CoherenceMessageList routesOnly;
  routesOnly.AddRouteMessage("P9", 4, 5);
  const std::string rule(72, '=');
  const std::string nowhere = dir.Path("manca") + "/ERRORI_QUADRI_PERCORSI.TXT";
  const Outcome refused = WriteCoherenceReport(nowhere, routesOnly, {2024, 3, 1, 8, 5, 0});
  EXPECT_EQ(std::pair(refused.ok, refused.Failure()), std::pair(false, "Impossibile creare\n\n" + nowhere));
  EXPECT_TRUE(WriteCoherenceReport(dir.Path("report.txt"), routesOnly, {2024, 3, 1, 8, 5, 0}).ok);
  EXPECT_EQ(FileBytes(dir.Path("report.txt")), CoherenceReportText(routesOnly, {2024, 3, 1, 8, 5, 0}));
  EXPECT_EQ(CoherenceReportText(routesOnly, {2024, 3, 1, 8, 5, 0}),
            rule + "\r\n01/03/2024 08.05 Report verifica Coerenza Quadri Percorsi (Quendo)\r\n" + rule +
                "\r\n\r\n******* Quadri che utilizzano diversi percorsi ********\r\n\r\n"
                "\r\n******** Percorsi utilizzati in quadri diversi **********\r\n\r\nPercorso: P9 Quadri: 4 / 5\r\n");
}

}  // namespace
