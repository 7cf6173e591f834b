// The MicroBus-IVU data on a real database: the shape test, the merging of the trips that stand
// once for each set of days, the day types rebuilt from the single-day periods, and the routes
// the route generation loads again before it writes.

#include "conversions/microbus/MicroBusCadences.h"
#include "conversions/microbus/MicroBusNormalisation.h"
#include "conversions/microbus/MicroBusRoutes.h"
#include "conversions/microbus/MicroBusShape.h"
#include "db/DbDatabase.h"
#include "support/GdalTools.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <utility>

namespace {

// A trip of line L1 towards A with two stops; `code` is its trip code, `dates` its single days (ISO).
std::string TripSql(int id, const std::string& code, const std::vector<std::string>& dates,
                    const std::string& denom = "Corsa") {
  const std::string n = std::to_string(id);
  std::string sql =
      "INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom, ente,"
      " contratt, ct_lung, ct_tempo) VALUES (" +
      n + ", 0, 'P1', '" + code + "', 'L1', 'A', 800, 900, 5000, 60, '" + denom + "', 1, 2, 0, 0);";
  for (int sub = 1; sub <= 2; ++sub)
    sql +=
        "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
        "VALUES (" +
        n + ", " + std::to_string(sub) + ", 'F" + std::to_string(sub) + "', 'Fermata', 0, 800, 800, 0, 0, 0, 0);";
  for (const std::string& d : dates)
    sql += "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + n + ", 'UNICA', '" + d + "', '" + d +
           "', 0);";
  return sql;
}

std::string Day(int k) {  // 1 January 2024 plus k days
  const QDate d = QDate(2024, 1, 1).addDays(k);
  return d.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
}

struct MicroBusData : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(path);
    RunSql(path,
           "DELETE FROM period; DELETE FROM detcor; DELETE FROM tescor; DELETE FROM calend;"
           "DELETE FROM cadenz WHERE codice IN ('UNICA', '0001', '0002');"
           "INSERT INTO cadenz (codice, denom) VALUES ('UNICA', 'Unica');");
  }
  std::string Q(const std::string& sql) const { return QueryFile(path, sql); }
  // The whole database as the sqlite3 program writes it out.
  std::string Dump() const {
    return RunProgram(QStringLiteral("sqlite3"), {QString::fromStdString(path), QStringLiteral(".dump")});
  }
};

// --- The shape of the data ---

struct ShapeCase {
  const char* name;
  const char* periods;  // rows of (id, caden, inizio, fine, escluso)
  bool shape;
};

class Shape : public MicroBusData, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(Shape, IsTheSingleDayUnicaPeriodOfEveryRow) {
  RunSql(path, TripSql(1, "C1", {}));
  if (*GetParam().periods)
    RunSql(path, std::string("INSERT INTO period (id, caden, inizio, fine, escluso) VALUES ") + GetParam().periods);
  DbDatabase db(path);
  EXPECT_EQ(HasMicroBusShape(&db), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(
    MicroBus, Shape,
    ::testing::Values(ShapeCase{"NoPeriods", "", true},
                      ShapeCase{"SingleDays", "(1, 'UNICA', '2024-01-02', '2024-01-02', 0)", true},
                      ShapeCase{"TrailingBlanks", "(1, 'UNICA  ', '2024-01-02', '2024-01-02', 0)", true},
                      ShapeCase{"LowerCase", "(1, 'unica', '2024-01-02', '2024-01-02', 0)", false},
                      ShapeCase{"LongerWord", "(1, 'UNICAX', '2024-01-02', '2024-01-02', 0)", false},
                      ShapeCase{"TwoDays", "(1, 'UNICA', '2024-01-02', '2024-01-03', 0)", false},
                      ShapeCase{"Excluded", "(1, 'UNICA', '2024-01-02', '2024-01-02', 1)", false}),
    [](const auto& param) { return std::string(param.param.name); });

// --- The merging ---

struct MergeCase {
  const char* name;
  std::string sql;
  int deleted;
  const char* trips;    // the trips left
  const char* periods;  // "id:day" of every period left
};

class Merge : public MicroBusData, public ::testing::WithParamInterface<MergeCase> {};

TEST_P(Merge, KeepsTheLowestTripWithEveryDay) {
  RunSql(path, GetParam().sql);
  NoticeLog notices;
  {
    DbDatabase db(path);
    const NormalisationResult r = MergeMicroBusTrips(&db, nullptr);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.deleted, GetParam().deleted);
  }
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(Q("SELECT group_concat(id, ' ') FROM (SELECT id FROM tescor ORDER BY id)"), GetParam().trips);
  EXPECT_EQ(Q("SELECT group_concat(id || ':' || inizio, ' ') FROM (SELECT id, inizio FROM period ORDER BY id, inizio)"),
            GetParam().periods);
  // The stops of the trips left, and none of the others.
  EXPECT_EQ(Q("SELECT count(*) FROM detcor WHERE id NOT IN (SELECT id FROM tescor)"), "0\n");
  EXPECT_EQ(Q("SELECT count(*) FROM detcor"), Q("SELECT 2 * count(*) FROM tescor"));
}

// Trips 10 and 12 equal but for one compared value of 12 (head, or its second stop), on other days.
struct DifferenceCase {
  const char* field;
  const char* change;  // run on trip 12 or its stops
};
void PrintTo(const DifferenceCase& c, std::ostream* os) { *os << c.field; }

class OneDifference : public MicroBusData, public ::testing::WithParamInterface<DifferenceCase> {};

TEST_P(OneDifference, KeepsBothTrips) {
  RunSql(path, TripSql(10, "C1", {Day(0)}) + TripSql(12, "C1", {Day(1)}) + GetParam().change);
  const std::string before = Dump();
  {
    DbDatabase db(path);
    const NormalisationResult r = MergeMicroBusTrips(&db, nullptr);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.Texts(), "Eliminate 0 corse ridondanti");
  }
  EXPECT_EQ(Dump(), before);
}

#define HEAD(f, v) \
  DifferenceCase { "tescor_" #f, "UPDATE tescor SET " #f " = " v " WHERE id = 12;" }
#define STOP(f, v) \
  DifferenceCase { "detcor_" #f, "UPDATE detcor SET " #f " = " v " WHERE id = 12 AND sub = 2;" }
// A text stored by another tool, 10's and 12's read alike with '?'.
#define ALIKE(t, f) \
  DifferenceCase { #t "_" #f "_readAlike", "UPDATE " #t " SET " #f " = 'L' || char(0x141 + (id = 12) * 25);" }
INSTANTIATE_TEST_SUITE_P(
    MicroBus, OneDifference,
    ::testing::Values(HEAD(codlinea, "'L2'"), HEAD(verso, "'R'"), HEAD(codcorsa, "'C2'"), HEAD(parte, "801"),
                      HEAD(arriva, "901"), HEAD(ente, "3"), HEAD(codperc, "'P2'"), HEAD(contratt, "7"),
                      HEAD(lung, "5001"), HEAD(tempo, "61"), HEAD(ct_lung, "4000"), HEAD(ct_tempo, "50"),
                      HEAD(regcorsa, "'R1'"), HEAD(reglinea, "44"), HEAD(denom, "'Corsa bis'"), HEAD(mezzo, "'T'"),
                      HEAD(prevcor, "10"), HEAD(nextcor, "10"), STOP(sub, "3"), STOP(fermata, "'F9'"),
                      STOP(denom, "'Altra'"), STOP(ubicaz, "'Piazza'"), STOP(dist, "100"), STOP(arriva, "801"),
                      STOP(parte, "802"), STOP(primaria, "1"), STOP(facolt, "1"), STOP(nonferma, "1"),
                      STOP(regferma, "55"), STOP(regarea, "'A1'"), STOP(reglocal, "9"), ALIKE(tescor, codlinea),
                      ALIKE(tescor, denom), ALIKE(detcor, denom),
                      DifferenceCase{"OneStopMore",
                                     "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, "
                                     "facolt, nonferma, reglocal) VALUES (12, 3, 'F3', 'Fermata', 0, 800, 800, 0, "
                                     "0, 0, 0);"}),
    [](const auto& param) { return std::string(param.param.field); });
#undef HEAD
#undef STOP
#undef ALIKE

std::string ManyTrips() {
  std::string sql = "BEGIN;";
  for (int k = 0; k < 400; ++k) sql += TripSql(1000 + k, "C1", {Day(k % 366)});
  return sql + "COMMIT;";
}

INSTANTIATE_TEST_SUITE_P(
    MicroBus, Merge,
    ::testing::Values(
        MergeCase{"OtherDay", TripSql(10, "C1", {Day(0)}) + TripSql(12, "C1", {Day(1)}), 1, "10\n",
                  "10:2024-01-01 10:2024-01-02\n"},
        MergeCase{"SharedDayStays",
                  TripSql(10, "C1", {Day(0)}) + TripSql(11, "C1", {Day(1)}) + TripSql(12, "C1", {Day(1)}), 1, "10 12\n",
                  "10:2024-01-01 10:2024-01-02 12:2024-01-02\n"},
        MergeCase{"Apostrophe", TripSql(10, "C''1", {Day(0)}) + TripSql(12, "C''1", {Day(1)}), 1, "10\n",
                  "10:2024-01-01 10:2024-01-02\n"},
        MergeCase{"OtherCase", TripSql(10, "C1", {Day(0)}) + TripSql(12, "C1", {Day(1)}, "CORSA"), 0, "10 12\n",
                  "10:2024-01-01 12:2024-01-02\n"},
        MergeCase{"NoRouteCode",
                  TripSql(10, "C1", {Day(0)}) + TripSql(12, "C1", {Day(1)}) + "UPDATE tescor SET codperc = NULL;", 0,
                  "10 12\n", "10:2024-01-01 12:2024-01-02\n"},
        MergeCase{"WithoutDays", TripSql(10, "C1", {Day(0)}) + TripSql(12, "C1", {}), 1, "10\n", "10:2024-01-01\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(MicroBusData, AGroupOfFourHundredTripsBecomesOne) {
  RunSql(path, ManyTrips());
  DbDatabase db(path);
  const NormalisationResult r = MergeMicroBusTrips(&db, nullptr);
  EXPECT_TRUE(r.ok);
  // 400 trips on 366 days: the first takes the days of the next 365; the 366th shares a day with
  // it and takes the days of the 33 after it.
  EXPECT_EQ(r.deleted, 398);
  EXPECT_EQ(Q("SELECT id, count(*) FROM period GROUP BY id ORDER BY id"), "1000|366\n1366|34\n");
}

TEST_F(MicroBusData, ADataShapeLostWhileTheQuestionWaitsStopsTheMerging) {
  RunSql(path, TripSql(10, "C1", {Day(0)}) + TripSql(12, "C1", {Day(1)}));
  {
    DbDatabase db(path);
    ASSERT_TRUE(CheckMicroBusShape(&db).ok);
  }
  RunSql(path, "UPDATE period SET fine = '2024-01-03' WHERE id = 12;");
  const std::string before = Dump();
  {
    DbDatabase db(path);
    const NormalisationResult r = MergeMicroBusTrips(&db, nullptr);
    EXPECT_EQ(std::pair(r.ok, r.Failure()), std::pair(false, MicroBusShapeRefusalText()));
  }
  EXPECT_EQ(Dump(), before);
}

TEST_F(MicroBusData, RoutesChangedWhileTheDialogsWaitStopTheRouteGeneration) {
  RunSql(path, TripSql(10, "C1", {}) + TripSql(12, "C1", {}));
  DbDatabase db(path);
  RouteTable routes;
  ASSERT_TRUE(LoadRoutes(&db, routes, nullptr).ok);
  // Another program gives trip 12 a stop of its own while the shapefiles are chosen.
  RunSql(path, "UPDATE detcor SET fermata = 'F3' WHERE id = 12 AND sub = 2;");
  DbBatch batch(&db);
  const Outcome same = CheckRoutesUnchanged(&db, routes);
  EXPECT_EQ(std::pair(same.ok, same.Failure()),
            std::pair(false, std::string("ATTENZIONE: i percorsi delle corse sono stati modificati dopo la loro "
                                         "estrazione.\n\nNessun file è stato scritto e nessun codice percorso è "
                                         "stato assegnato.")));
}

// Kills its process when the pass is half done.
struct KillHalfWay : WorkProgress {
  void Begin(const std::string&) override {}
  void Step(long done, long total) override {
    if (done * 2 >= total) ::raise(SIGKILL);
  }
  void End() override {}
};

TEST_F(MicroBusData, AMergingKilledHalfWayLeavesTheDatabaseAsItWas) {
  RunSql(path, ManyTrips() + TripSql(10, "C2", {Day(0)}) + TripSql(12, "C2", {Day(1)}));
  const std::string before = Dump();
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    DbDatabase db(path);
    KillHalfWay progress;
    MergeMicroBusTrips(&db, &progress);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(Q("SELECT count(*) FROM tescor"), "402\n");
}

// --- The day types ---

struct CadenceData : MicroBusData {
  CadencePlan Plan() {
    DbDatabase db(path);
    return PlanMicroBusCadences(&db);
  }
  void Rebuild() {
    DbDatabase db(path);
    const CadencePlan plan = PlanMicroBusCadences(&db);
    ASSERT_EQ(plan.status, CadencePlan::Status::Ready) << plan.MessageText();
    EXPECT_TRUE(RebuildMicroBusCadences(&db, plan, nullptr).ok);
  }
  // A plan of one trip confirmed, then `meanwhile` made by another program while the question
  // waited: the rebuild says `text` and changes nothing.
  void RefusedOnceChanged(const std::string& meanwhile, const std::string& text) {
    RunSql(path, TripSql(1, "C1", {Day(0)}));
    const CadencePlan confirmed = Plan();
    ASSERT_TRUE(confirmed.ok);
    RunSql(path, meanwhile);
    const std::string before = Dump();
    {
      DbDatabase db(path);
      const Outcome rebuilt = RebuildMicroBusCadences(&db, confirmed, nullptr);
      EXPECT_EQ(std::pair(rebuilt.ok, rebuilt.Failure()), std::pair(false, text));
    }
    EXPECT_EQ(Dump(), before);
  }
};

TEST_F(CadenceData, TripsOnTheSameDatesShareADayType) {
  RunSql(path, TripSql(1, "C1", {Day(0), Day(5)}) + TripSql(2, "C2", {Day(0), Day(5)}) +
                   TripSql(3, "C3", {Day(0), Day(5)}) + TripSql(4, "C4", {Day(1)}));
  Rebuild();
  EXPECT_EQ(Q("SELECT codice, denom FROM cadenz WHERE codice IN ('0001', '0002', 'UNICA') ORDER BY codice"),
            "0001|Cadenza 1\n0002|Cadenza 2\n");
  EXPECT_EQ(Q("SELECT id, caden, inizio, fine, escluso FROM period ORDER BY id"),
            "1|0001|2024-01-01|2024-06-30|0\n2|0001|2024-01-01|2024-06-30|0\n3|0001|2024-01-01|2024-06-30|0\n"
            "4|0002|2024-01-01|2024-06-30|0\n");
  EXPECT_EQ(Q("SELECT data, caden, giorno, note FROM calend ORDER BY caden, data"),
            "2024-01-01|0001|1| \n2024-01-06|0001|6| \n2024-01-02|0002|2| \n");
}

TEST_F(CadenceData, SevenDaysFromAMondayGiveMondayAndSunday) {
  RunSql(path, "UPDATE master SET datini = '2024-01-01', datfin = '2024-01-07';" +
                   TripSql(1, "C1", {Day(0), Day(6), Day(20)}));
  EXPECT_EQ(Plan().trips.at(0).flags, "SNNNNNS");
  Rebuild();
  EXPECT_EQ(Q("SELECT data, giorno FROM calend ORDER BY data"), "2024-01-01|1\n2024-01-07|7\n");
}

TEST_F(CadenceData, AOneDayPeriodKeepsEveryTripsPeriod) {
  RunSql(path, "UPDATE master SET datini = '2024-01-03', datfin = '2024-01-03';" + TripSql(1, "C1", {Day(2)}) +
                   TripSql(2, "C2", {Day(2)}) + TripSql(3, "C3", {Day(4)}));
  Rebuild();
  EXPECT_EQ(Q("SELECT id, caden, inizio, fine FROM period ORDER BY id"),
            "1|0001|2024-01-03|2024-01-03\n2|0001|2024-01-03|2024-01-03\n3|0002|2024-01-03|2024-01-03\n");
}

TEST_F(CadenceData, APlanThatChangedAfterTheQuestionIsNotWritten) {
  // Another program adds a trip of other days, one day type more.
  RefusedOnceChanged(TripSql(2, "C2", {Day(1)}), kCadencePlanChangedText);
}

struct RefusalCase {
  const char* name;
  const char* sql;
  CadencePlan::Status status;
  const char* text;
};

class CadenceRefusal : public CadenceData, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CadenceRefusal, IsSaidBeforeAnyChange) {
  if (GetParam().status == CadencePlan::Status::Refused) AllowReadingMismatches();
  NoticeLog notices;  // the refusal alone: no notice of the database layer before it
  ASSERT_NO_FATAL_FAILURE(RefusedOnceChanged(GetParam().sql, GetParam().text));
  EXPECT_EQ(notices.Texts(), "");
  const CadencePlan plan = Plan();
  EXPECT_EQ(plan.status, GetParam().status);
  EXPECT_EQ(plan.MessageText(), GetParam().text);
  // The refusal the command shows, alone and with the stop icon.
  EXPECT_FALSE(plan.ok);
  ASSERT_EQ(plan.messages.size(), 1u);
  EXPECT_EQ(plan.messages[0].text, GetParam().text);
  EXPECT_EQ(plan.messages[0].icon, NoticeIcon::Stop);
}

INSTANTIATE_TEST_SUITE_P(
    MicroBus, CadenceRefusal,
    ::testing::Values(
        RefusalCase{"CodeInUse", "INSERT INTO cadenz (codice, denom) VALUES ('0001', 'Feriale');",
                    CadencePlan::Status::CodeInUse,
                    "ATTENZIONE: il tipo cadenza 0001 è già presente in archivio !!!\n\n"
                    "Pertanto non è possibile procedere con la ricostruzione delle cadenze."},
        RefusalCase{"EndBeforeStart", "UPDATE master SET datini = '2024-02-01', datfin = '2024-01-31';",
                    CadencePlan::Status::NoPeriod,
                    "ATTENZIONE: non è definito il periodo di validità della comunicazione !!!"},
        RefusalCase{"NoMaster", "DELETE FROM master;", CadencePlan::Status::NoPeriod,
                    "ATTENZIONE: non è definito il periodo di validità della comunicazione !!!"},
        RefusalCase{"NotMicroBus", "UPDATE period SET caden = 'unica';", CadencePlan::Status::NotMicroBus,
                    "ATTENZIONE: i dati analizzati non presentano le caratteristiche tipiche\ndi MicroBus-IVU !!!\n\n"
                    "Pertanto la funzione non è applicabile"},
        // Stored by another tool: a text where the column holds a number.
        RefusalCase{"ATextForANumber", "UPDATE period SET escluso = 'abc';", CadencePlan::Status::Refused,
                    "ATTENZIONE: corsa 1:\nil campo escluso (periodo escluso) vale 'abc',\nche è un testo e non un "
                    "numero intero come richiede la sua colonna.\n\nNessuna modifica è stata registrata: correggere "
                    "il dato prima di ripetere l'elaborazione."}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
