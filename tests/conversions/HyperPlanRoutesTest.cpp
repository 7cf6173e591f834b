// The HyperPlan descriptor, the route codes it gives and the merge of MTram day types, on real
// files and a real database: the descriptor's lines and their limits, the file named by a chosen
// path, an assignment killed half way (nothing of it kept), a refused row, the day types' marks.

#include "support/HyperPlanData.h"
#include "support/KilledWalk.h"

#include "common/InputFile.h"
#include "conversions/hyperplan/MTramCadences.h"
#include "conversions/hyperplan/RouteCodeAssignment.h"
#include "conversions/hyperplan/RouteDescriptor.h"
#include "db/DbDatabase.h"

#include <functional>
#include <tuple>

#include <sqlite3.h>

namespace {

// A descriptor's routes as "code: text text ...;" each.
std::string Routes(const DescriptorReading& r) {
  std::string all;
  for (const DescriptorRoute& route : r.routes) {
    all += route.code + ":";
    for (const DescriptorStop& s : route.stops) all += " " + s.text + "=" + std::to_string(s.number);
    all += ";";
  }
  return all;
}

struct DescriptorCase {
  const char* name;
  std::string bytes;
  bool valid;
  const char* routes;
};
void PrintTo(const DescriptorCase& c, std::ostream* os) { *os << c.name; }

struct DescriptorLines : ::testing::TestWithParam<DescriptorCase> {};

TEST_P(DescriptorLines, ReadAsTheyStand) {
  const DescriptorReading r = ParseDescriptor(GetParam().bytes);
  EXPECT_TRUE(r.opened);
  EXPECT_EQ(r.ok, GetParam().valid);
  EXPECT_EQ(Routes(r), GetParam().routes);
}

const std::string kField127(127, 'f');
const std::string kRoute127 = "R1: " + kField127 + "=1;";

INSTANTIATE_TEST_SUITE_P(
    HyperPlan, DescriptorLines,
    ::testing::Values(
        DescriptorCase{"EveryLineEnd", "x;R1;A#F;1;\r\nx;R1;B#F;2;\nx;R1;C#F;3;\rx;R2;D#F;12ab;", true,
                       "R1: A#F=1 B#F=2 C#F=3;R2: D#F=12;"},
        DescriptorCase{"LastLineWithItsEnd", "x;R1;A#F;1;\n", true, "R1: A#F=1;"},
        DescriptorCase{"TextAfterTheFourth", "x;R1;A#F;7;note e altro\n", true, "R1: A#F=7;"},
        DescriptorCase{"RouteCodeSplitInTwo", "x;R1;A;1;\nx;R2;B;2;\nx;R1;C;3;\n", true, "R1: A=1;R2: B=2;R1: C=3;"},
        DescriptorCase{"NoLines", "", false, ""},
        DescriptorCase{"RouteCodeOf20", "x;" + std::string(20, 'R') + ";A;1;", true, "RRRRRRRRRRRRRRRRRRRR: A=1;"},
        DescriptorCase{"FieldOf127", "x;R1;" + kField127 + ";1;", true, kRoute127.c_str()},
        DescriptorCase{"LineOf1023", "x;R1;A;1;" + std::string(1014, 'n'), true, "R1: A=1;"},
        DescriptorCase{"LineOf1024", "x;R1;A;1;" + std::string(1015, 'n'), false, ""},
        DescriptorCase{"FieldOf128", "x;R1;" + kField127 + "f;1;", false, ""},
        DescriptorCase{"RouteCodeOf21", "x;" + std::string(21, 'R') + ";A;1;", false, ""},
        DescriptorCase{"ThreeSemicolons", "x;R1;A;1\n", false, ""},
        DescriptorCase{"FiveSemicolons", "x;R1;A;1;;\n", false, ""},
        DescriptorCase{"EmptyLineBetween", "x;R1;A;1;\r\n\r\nx;R1;B;2;\r\n", false, ""},
        DescriptorCase{"TrailingEmptyLine", "x;R1;A;1;\n\n", false, ""},
        DescriptorCase{"LoneCrAtTheEnd", "x;R1;A;1;\r", true, "R1: A=1;"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(DescriptorFile, FromTheChosenPath) {
  ScratchDir dir;
  WriteFileBytes(dir.Path("percorsi.txt"), "x;R1;A;1;\n");
  EXPECT_EQ(DescriptorBase(dir.Path("percorsi.TXT")), dir.Path("percorsi"));
  EXPECT_EQ(DescriptorBase(dir.Path("percorsi.dat")), dir.Path("percorsi.dat"));
  EXPECT_EQ(DescriptorFile(dir.Path("percorsi.tXt")), dir.Path("percorsi.txt"));
  WriteFileBytes(dir.Path("percorsi.dat"), "x;R2;B;2;\n");
  EXPECT_EQ(Routes(ReadDescriptor(DescriptorFile(dir.Path("percorsi.dat")))), "R2: B=2;");
  EXPECT_FALSE(ReadDescriptor(dir.Path("manca.txt")).opened);
  // A named pipe: refused naming it, never waited on.
  const std::string pipe = dir.Path("tubo.txt");
  MakePipe(pipe);
  const PipeWatchdog watchdog({pipe});
  const DescriptorReading piped = ReadDescriptor(pipe);
  EXPECT_FALSE(piped.ok);
  EXPECT_EQ(piped.Texts(), "Impossibile aprire\n\n" + pipe + "\n\n" + kNotARegularFileText);
}

struct RouteCodes : ::testing::Test {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  std::vector<DescriptorRoute> routes =
      ParseDescriptor(FileBytes(TestDataDir() + "/conversions/percorsi_hyperplan.txt")).routes;
  void SetUp() override { MakeRouteCodeDatabase(path); }
};

TEST_F(RouteCodes, EachTripGetsItsQuadrosRoute) {
  NoticeLog notices;
  RouteCodeResult r;
  {
    DbDatabase db(path);
    r = AssignRouteCodesFromDescriptor(&db, routes, nullptr);
  }
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.trips, 10);
  EXPECT_EQ(r.matched, 6);
  EXPECT_EQ(r.updated, 10);
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(QueryFile(path, "SELECT id, codperc FROM tescor ORDER BY id"), kAssignedRouteCodes);
}

TEST_F(RouteCodes, ARowTheDatabaseRefusesIsToldAndTheOthersAreWritten) {
  NoticeLog notices;
  RouteCodeResult r;
  {
    // Planted on the program's connection: a file that holds a trigger is not opened.
    DbDatabase db(path);
    ASSERT_EQ(sqlite3_exec(db.Handle(),
                           "CREATE TEMP TRIGGER refuse BEFORE UPDATE OF codperc ON tescor WHEN NEW.id = 3"
                           " BEGIN SELECT RAISE(ABORT, 'rifiutata'); END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    r = AssignRouteCodesFromDescriptor(&db, routes, nullptr);
  }
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.updated, 9);
  EXPECT_TRUE(HasPart(notices.Texts(), "rifiutata"));
  EXPECT_EQ(QueryFile(path, "SELECT codperc FROM tescor WHERE id IN (2, 3, 4) ORDER BY id"), "R1\nP3\nR3\n");
}

// A stop code stored by another tool with a character the code page lacks reads with '?': its
// quadro is no match for a route whose stop is a '?' typed as such.
TEST_F(RouteCodes, AStopCodeReadWithAQuestionMarkIsNotThatCode) {
  for (const DescriptorRoute& r : ParseDescriptor("0;R7;?1#F;1;\n0;R7;B2#F;2;\n").routes) routes.push_back(r);
  RunSql(path, TripHeadSql(11, 7, 700) + TripStopsSql(11, "?1,B2") + TripHeadSql(12, 8, 700) +
                   TripStopsSql(12, "X,B2") +
                   "UPDATE detcor SET fermata = char(0x141) || '1' WHERE id = 12 AND sub = 1;");
  {
    DbDatabase db(path);
    EXPECT_TRUE(AssignRouteCodesFromDescriptor(&db, routes, nullptr).ok);
  }
  EXPECT_EQ(QueryFile(path, "SELECT id, codperc FROM tescor WHERE id > 10 ORDER BY id"), "11|R7\n12|GRUPPO_8\n");
}

// A disk that fills up as the codes are written: the run stops at the trip refused, told once,
// and no trip keeps a code of it.
TEST_F(RouteCodes, ADiskThatFillsUpStopsTheRunAndKeepsNothing) {
  RunSql(path,
         "WITH RECURSIVE n(k) AS (SELECT 100 UNION ALL SELECT k + 1 FROM n WHERE k < 3099)"
         " INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, ente,"
         " contratt, ct_lung, ct_tempo) SELECT k, k % 50, 'P', 'C', 'L1', 'A', 700, 800, 0, 0, 1, 2, 0, 0 FROM n;");
  const std::string before = QueryFile(path, "SELECT * FROM tescor ORDER BY id");
  NoticeLog notices;
  RouteCodeResult r;
  {
    DbDatabase db(path);
    FillDiskAfter(db.Handle(), 2);
    r = AssignRouteCodesFromDescriptor(&db, routes, nullptr);
  }
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(notices.Texts(),
            "Errore aggiornamento tavola (tescor)\n\nSpazio su disco esaurito (database or disk is full)\n\n"
            "Le modifiche della transazione sono state annullate.");
  EXPECT_EQ(QueryFile(path, "SELECT * FROM tescor ORDER BY id"), before);
}

TEST_F(RouteCodes, ARunKilledHalfWayLeavesEveryTripAsItWas) {
  // More trips than the engine's cache holds, so that some pages reach the file before the kill.
  RunSql(path,
         "WITH RECURSIVE n(k) AS (SELECT 100 UNION ALL SELECT k + 1 FROM n WHERE k < 30099)"
         " INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom,"
         " ente, contratt, ct_lung, ct_tempo) SELECT k, k % 50, 'P' || k, 'C' || k, 'L1', 'A', 700, 800, 0, 0,"
         " 'Corsa della linea principale numero ' || k, 1, 2, 0, 0 FROM n;");
  const std::string before = QueryFile(path, "SELECT * FROM tescor ORDER BY id");
  for (long step : {2L, 25000L}) {
    EXPECT_TRUE(Killed([&] {
      DbDatabase db(path);
      KillAt kill(step, kAssignmentStep);
      AssignRouteCodesFromDescriptor(&db, routes, &kill);
    })) << step;
    EXPECT_EQ(QueryFile(path, "PRAGMA integrity_check"), "ok\n");
    EXPECT_EQ(QueryFile(path, "SELECT * FROM tescor ORDER BY id"), before) << step;
  }
  DbDatabase db(path);
  EXPECT_EQ(AssignRouteCodesFromDescriptor(&db, routes, nullptr).updated, 30010);
}

TEST(MTramMarks, TheFirstOfEachEqualGroupKeepsTheOthers) {
  const auto day = [](const char* code, const char* name, std::vector<std::string> dates) {
    return MTramCadence{{code, {}}, {name, {}}, std::move(dates), -1};
  };
  std::vector<MTramCadence> c = {day("A", "N", {"01/01/2024"}), day("B", "N", {"01/01/2024"}),
                                 day("C", "M", {"01/01/2024"}), day("D", "N", {"01/01/2024"}),
                                 day("E", "N", {"02/01/2024"}), day("F", "N", {"01/01/2024", "02/01/2024"}),
                                 day("G", "n", {"01/01/2024"}), day("H", "N", {"02/01/2024"})};
  MarkDuplicateCadences(c);
  std::vector<int> keepers;
  for (const MTramCadence& d : c) keepers.push_back(d.keeper);
  EXPECT_EQ(keepers, (std::vector<int>{-1, 0, -1, 0, -1, -1, -1, 4}));
}

TEST(MTramLoad, DayTypesWithCalendarRowsInCodeOrder) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeMTramDatabase(path);
  DbDatabase db(path);
  std::string refusal;
  const std::vector<MTramCadence> c = LoadMTramCadences(&db, refusal);
  EXPECT_EQ(refusal, "");
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[3].code.text, "B'1");
  EXPECT_EQ(c[3].dates, (std::vector<std::string>{"02/01/2024", "03/01/2024", "10/02/2024"}));
  const CadenceRebuildResult r = RebuildMTramCadences(&db, nullptr);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.merged, 2);
  EXPECT_EQ(r.periods, 2);
  EXPECT_EQ(r.dates, 6);
}

// Day types stored by another tool with characters the code page lacks (L and S below), which
// read with '?': codes or names read alike stay apart; a merge moves and deletes as stored.
TEST(MTramLoad, DayTypesReadAlikeStayApart) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeMTramDatabase(path);
  // L1 and S1 (trips 6, 7) equal to A1; S2 (9) equal to L2 (8); X4 and Y4 of names read alike.
  std::string sql =
      "CREATE TEMP TABLE t (k, c, n, d); INSERT INTO t SELECT k, c, 'Feriale', data FROM calend, (SELECT 6 k, 'L1' c"
      " UNION SELECT 7, 'S1') WHERE caden = 'A1'; INSERT INTO t VALUES (8, 'L2', 'Estivo', '2024-07-01'),"
      " (9, 'S2', 'Estivo', '2024-07-01'), (10, 'X4', 'Lod', '2024-08-01'), (11, 'Y4', 'Sod', '2024-08-01');"
      "UPDATE t SET c = replace(replace(c, 'L', char(0x141)), 'S', char(0x15A)), n = replace(replace(n, 'L',"
      " char(0x141)), 'S', char(0x15A)); INSERT INTO cadenz SELECT DISTINCT c, n FROM t;"
      "INSERT INTO calend SELECT d, c, '2', 'x' FROM t; INSERT INTO period SELECT DISTINCT k, c, '2024-01-01',"
      " '2024-03-31', 0 FROM t;";
  for (int id = 6; id <= 11; ++id) sql = TripHeadSql(id, 1, 700) + sql;
  RunSql(path, sql);
  CadenceRebuildResult r;
  {
    DbDatabase db(path);
    r = RebuildMTramCadences(&db, nullptr);
  }
  EXPECT_EQ(std::tuple(r.ok, r.merged, r.periods, r.dates), std::tuple(true, 5, 5, 13));
  const auto shown = [](const char* column) {
    return "replace(replace(" + std::string(column) + ", char(0x141), 'L'), char(0x15A), 'S')";
  };
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(id || " + shown("caden") +
                                ") FROM (SELECT * FROM period WHERE id > 5 ORDER BY id)"),
            "6A1,7A1,8L2,9L2,10X4,11Y4\n");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(" + shown("codice") + ") FROM (SELECT * FROM cadenz ORDER BY codice)"),
            "A1,A3,C1,X4,Y4,L2\n");
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM calend"), "9\n");
}

// A value another tool stored where its column holds another kind (bytes for a text) stops the
// command before it changes anything, naming the row and the field, with no notice before it.
struct StoredValueCase {
  const char* name;
  void (*make)(const std::string& path);
  const char* sql;
  Outcome (*run)(DbDatabase* db);
  const char* text;
};
void PrintTo(const StoredValueCase& c, std::ostream* os) { *os << c.name; }

const std::string kNothingChanged =
    "\n\nNessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione.";

class HyperPlanStoredValues : public ::testing::TestWithParam<StoredValueCase> {};

TEST_P(HyperPlanStoredValues, StopTheCommandBeforeAnyChange) {
  const StoredValueCase& c = GetParam();
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  c.make(path);
  RunSql(path, c.sql);
  const auto rows = [&path] {
    return QueryFile(path, "SELECT id, gruppo, codperc FROM tescor ORDER BY id") +
           QueryFile(path, "SELECT * FROM period ORDER BY id, inizio") +
           QueryFile(path, "SELECT * FROM calend ORDER BY caden, data") +
           QueryFile(path, "SELECT codice FROM cadenz ORDER BY codice");
  };
  const std::string before = rows();
  AllowReadingMismatches();
  NoticeLog notices;
  Outcome r;
  {
    DbDatabase db(path);
    r = c.run(&db);
  }
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Texts(), c.text + kNothingChanged);
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(rows(), before);
}

INSTANTIATE_TEST_SUITE_P(
    HyperPlan, HyperPlanStoredValues,
    ::testing::Values(
        StoredValueCase{"RouteCodesOfAStopCodeAsBytes", MakeRouteCodeDatabase,
                        "UPDATE detcor SET fermata = X'4181' WHERE id = 3 AND sub = 2;",
                        [](DbDatabase* db) -> Outcome {
                          const std::vector<DescriptorRoute> routes =
                              ParseDescriptor(FileBytes(TestDataDir() + "/conversions/percorsi_hyperplan.txt")).routes;
                          return AssignRouteCodesFromDescriptor(db, routes, nullptr);
                        },
                        "ATTENZIONE: quadro 2, fermata 2:\nil campo fermata (codice fermata) vale X'4181',\nche è un "
                        "dato binario e non un testo come richiede la sua colonna."},
        StoredValueCase{"MTramDayTypesOfANameAsBytes", MakeMTramDatabase,
                        "UPDATE cadenz SET denom = X'436974E0' WHERE codice = 'A2';",
                        [](DbDatabase* db) -> Outcome { return RebuildMTramCadences(db, nullptr); },
                        "ATTENZIONE: cadenza A2, giorno 02/01/2024:\nil campo denom (denominazione cadenza) vale "
                        "X'436974E0',\nche è un dato binario e non un testo come richiede la sua colonna."}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
