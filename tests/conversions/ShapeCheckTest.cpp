// The shapefile check's reading on sets made by GDAL and by the program's writer: the required
// fields, the shape type of every record, the entries of the working company; the comparison
// with a real timetable database.

#include "conversions/routes/MultiLineRoutes.h"
#include "conversions/shapechecks/ShapeCheck.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "db/DbDatabase.h"
#include "support/GdalTools.h"
#include "support/TimetableData.h"

#include "support/HandShapes.h"

#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace {

const ClockTime kToday{2024, 3, 1, 8, 0, 0};

struct FieldCase {
  const char* name;
  const char* header;
  const char* types;
  bool accepted;
};
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class StopFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(StopFields, AreAcceptedOrRefusedWithMessageA) {
  ScratchDir dir;
  MakeShapeSet(WriteCsv(dir, "nodi", GetParam().header, GetParam().types, {"\"POINT (1 2)\",36,F1,Nome"}),
               dir.Path("nodi.shp"));
  const ShapeCheckReading r = ReadShapeCheckSet(ShapeCheckKind::Stops, dir.Path("nodi.shp"), 36, nullptr);
  if (GetParam().accepted) {
    ASSERT_TRUE(r.ok) << r.Failure();
    ASSERT_EQ(r.check.Matches().size(), 1u);
    EXPECT_EQ(r.check.Matches()[0].code, "F1");
    EXPECT_EQ(r.check.Matches()[0].name, "Nome");
  } else {
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.Failure(), ShapeFieldsRefusalText(ShapeCheckKind::Stops));
  }
}

INSTANTIATE_TEST_SUITE_P(ShapeFindings, StopFields,
                         ::testing::Values(FieldCase{"CodFerm", "WKT,AZIENDA,COD_FERM,DENOM",
                                                     "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"", true},
                                           FieldCase{"CodFerma", "WKT,AZIENDA,COD_FERMA,DENOM",
                                                     "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"", true},
                                           FieldCase{"CompanyOf6", "WKT,AZIENDA,COD_FERM,DENOM",
                                                     "\"WKT\",\"Integer(6)\",\"String(10)\",\"String(40)\"", false},
                                           FieldCase{"CompanyText", "WKT,AZIENDA,COD_FERM,DENOM",
                                                     "\"WKT\",\"String(5)\",\"String(10)\",\"String(40)\"", false},
                                           FieldCase{"CompanyWithDecimal", "WKT,AZIENDA,COD_FERM,DENOM",
                                                     "\"WKT\",\"Real(7.1)\",\"String(10)\",\"String(40)\"", true},
                                           FieldCase{"NameOf41", "WKT,AZIENDA,COD_FERM,DENOM",
                                                     "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(41)\"", false},
                                           FieldCase{"LowerCaseNames", "WKT,azienda,cod_ferm,denom",
                                                     "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"", true}),
                         [](const auto& param) { return std::string(param.param.name); });

class RouteFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(RouteFields, AreAcceptedOrRefusedWithMessageA) {
  ScratchDir dir;
  MakeShapeSet(WriteCsv(dir, "itin", GetParam().header, GetParam().types, {"\"LINESTRING (0 0,1 1)\",36,P1,Nome"}),
               dir.Path("itin.shp"));
  const ShapeCheckReading r = ReadShapeCheckSet(ShapeCheckKind::Routes, dir.Path("itin.shp"), 36, nullptr);
  EXPECT_EQ(r.ok, GetParam().accepted) << r.Failure();
  if (!GetParam().accepted) {
    EXPECT_EQ(r.Failure(), ShapeFieldsRefusalText(ShapeCheckKind::Routes));
  }
  // The clean-up asks for the same fields.
  const MultiLineReading m = ReadMultiLineRoutes(dir.Path("itin.shp"), nullptr);
  EXPECT_EQ(m.ok, GetParam().accepted) << m.Failure();
  if (m.ok) {
    EXPECT_EQ(m.Texts(), ValidRoutesText());  // drawn in one line: nothing to clean
  }
}

INSTANTIATE_TEST_SUITE_P(ShapeFindings, RouteFields,
                         ::testing::Values(FieldCase{"AsWritten", "WKT,AZIENDA,COD_PERC,DESCR",
                                                     "\"WKT\",\"Integer(5)\",\"String(20)\",\"String(120)\"", true},
                                           FieldCase{"DescriptionOf121", "WKT,AZIENDA,COD_PERC,DESCR",
                                                     "\"WKT\",\"Integer(5)\",\"String(20)\",\"String(121)\"", false},
                                           FieldCase{"CodeOf21", "WKT,AZIENDA,COD_PERC,DESCR",
                                                     "\"WKT\",\"Integer(5)\",\"String(21)\",\"String(120)\"", false},
                                           FieldCase{"CodPerco", "WKT,AZIENDA,COD_PERCO,DESCR",
                                                     "\"WKT\",\"Integer(5)\",\"String(20)\",\"String(120)\"", false}),
                         [](const auto& param) { return std::string(param.param.name); });

using hand::Put;
using hand::PutDouble;

using Patch = void (*)(std::string& shp, std::string& shx);

// The .SHP at `shp` and its index changed by `patch` (none: left as they are).
std::string Patched(const std::string& shp, const std::string& shx, Patch patch) {
  std::string main = FileBytes(shp), index = FileBytes(shx);
  if (patch) patch(main, index);
  WriteFileBytes(shp, main);
  WriteFileBytes(shx, index);
  return shp;
}

// The sets of the check's cases, of company 36, written by the program, then changed: three
// stops A Uno, B Due, C Tre (each record 8 + 20 bytes from byte 100), or three routes of which B
// has one point and C none.
std::string StopSet(ScratchDir& dir, Patch patch) {
  ShapeSetWriter w(StopsLayout());
  w.AddPoint(1, 2, {"36", "A", "Uno"});
  w.AddPoint(3, 4, {"36", "B", "Due"});
  w.AddPoint(5, 6, {"36", "C", "Tre"});
  std::string failed;
  EXPECT_TRUE(w.WriteTo(dir.Path("NODI"), kToday, failed));
  return Patched(dir.Path("NODI.SHP"), dir.Path("NODI.SHX"), patch);
}
std::string ShortRoutes(ScratchDir& dir, Patch) {
  ShapeSetWriter w(RoutesLayout());
  w.AddPolyline(std::vector<Vertex>{{0, 0}, {1, 1}}, {"36", "A", "Uno"});
  w.AddPolyline(std::vector<Vertex>{{2, 2}}, {"36", "B", "Due"});
  w.AddPolyline(std::vector<Vertex>{}, {"12", "C", "Tre"});
  std::string failed;
  EXPECT_TRUE(w.WriteTo(dir.Path("ITIN"), kToday, failed));
  return dir.Path("ITIN.SHP");
}

// The clean-up's own output of six routes, A, B and C drawn as lines: X's last line and Y's one
// line are a repeated point and N has none, so the three are left out and named; the input
// (A and X records of 8 + 116 bytes from byte 100, then Y) changed by the patch.
std::string CleanedRoutes(ScratchDir& dir, Patch patch) {
  MakeShapeSet(
      WriteCsv(dir, "in", "WKT,AZIENDA,COD_PERC,DESCR", "\"WKT\",\"Integer(5)\",\"String(20)\",\"String(120)\"",
               {"\"MULTILINESTRING ((0 0,1 1),(2 2,3 3))\",36,A,Uno", "\"MULTILINESTRING ((0 0,1 1),(2 2,2 2))\",36,X,",
                "\"LINESTRING (5 5,5 5)\",36,Y,Ypsilon", ",36,N,Nulla", "\"LINESTRING (5 5,6 6)\",36,B,Due",
                "\"LINESTRING (7 7,6 6)\",36,C,Tre"}),
      dir.Path("in.shp"));
  Patched(dir.Path("in.shp"), dir.Path("in.shx"), patch);
  const std::vector<RouteLines> routes = ReadMultiLineRoutes(dir.Path("in.shp"), nullptr).routes;
  const RouteWriting w = WriteReducedRoutes(dir.Path("ITIN.SHP"), routes, kToday, nullptr);
  EXPECT_EQ(w.Texts(),
            "ATTENZIONE: 3 percorsi non hanno una linea di almeno due punti\ne non sono stati scritti in "
            "RT_ITIN.SHP:\n\nl'entità 1 [X - ]\nl'entità 2 [Y - Ypsilon]\nl'entità 3 [N - Nulla]\n\n" +
                RoutesGeneratedText());
  // The report says so of the routes whose last line was left out; one without any line (Y made a
  // point by the patch, N) is confirmed.
  const std::string report = MultiLineReportText(routes, kToday);
  const std::string notWritten = ": Non scritto in RT_ITIN.SHP (non ha una linea di almeno due punti)\r\n";
  const std::string confirmed = ": Confermato\r\n";
  EXPECT_EQ(report.substr(report.find("Azienda")),
            "Azienda 36 Percorso A: Eliminate 1 linee\r\nAzienda 36 Percorso X" + notWritten + "Azienda 36 Percorso Y" +
                (patch ? confirmed : notWritten) + "Azienda 36 Percorso N" + confirmed + "Azienda 36 Percorso B" +
                confirmed + "Azienda 36 Percorso C" + confirmed);
  return dir.Path("ITIN.SHP");
}

const std::string kNotToBeSent =
    "Lo Shape File indicato risulta totalmente inutilizzabile\ne non deve essere inoltrato all'Osservatorio Traporti.";
std::string Damaged(const std::string& file, const std::string& reason) {
  return "ATTENZIONE: lo Shape File indicato non può essere letto.\n\n" + file + "\n" + reason + "\n\n" + kNotToBeSent;
}

struct CheckCase {
  const char* name;
  ShapeCheckKind kind;
  std::string (*make)(ScratchDir&, Patch);
  Patch patch;
  const char* file;     // the file a damage names, "" for none
  std::string failure;  // "" for a set the check takes; after the file's path for a damage
};
void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class CheckedSets : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckedSets, AreTakenOrRefusedNamingWhatCannotBeUsed) {
  ScratchDir dir;
  const CheckCase& c = GetParam();
  const ShapeCheckReading r = ReadShapeCheckSet(c.kind, c.make(dir, c.patch), 36, nullptr);
  const std::string expected = *c.file ? Damaged(dir.Path(c.file), c.failure) : c.failure;
  EXPECT_EQ(r.Failure(), expected);
  EXPECT_EQ(r.ok, expected.empty());
  if (r.ok) {
    EXPECT_EQ(r.check.Matches().size(), 3u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    ShapeFindings, CheckedSets,
    ::testing::Values(
        CheckCase{"AllPoints", ShapeCheckKind::Stops, StopSet, nullptr, "", ""},
        CheckCase{"PolylineInTheMiddle", ShapeCheckKind::Stops, StopSet,
                  [](std::string& shp, std::string&) { shp[100 + 28 + 8] = 3; }, "",
                  ShapeTypeRefusalText(ShapeCheckKind::Stops)},
        CheckCase{"PolylineFirst", ShapeCheckKind::Stops, StopSet, [](std::string& shp, std::string&) { shp[108] = 3; },
                  "", ShapeTypeRefusalText(ShapeCheckKind::Stops)},
        CheckCase{"LastRecordNull", ShapeCheckKind::Stops, StopSet,
                  [](std::string& shp, std::string&) { shp[100 + 56 + 8] = 0; }, "",
                  ShapeTypeRefusalText(ShapeCheckKind::Stops)},
        CheckCase{"AllNull", ShapeCheckKind::Stops, StopSet,
                  [](std::string& shp, std::string&) { shp[108] = shp[136] = shp[164] = 0; }, "",
                  ShapeTypeRefusalText(ShapeCheckKind::Stops)},
        CheckCase{"AllNullButTheLast", ShapeCheckKind::Stops, StopSet,
                  [](std::string& shp, std::string&) { shp[108] = shp[136] = 0; }, "",
                  "ATTENZIONE: nello Shape File indicato sono presenti entità senza una\ngeometria utilizzabile:\n\n"
                  "l'entità 0 [A - Uno]\nl'entità 1 [B - Due]\n\n" +
                      kNotToBeSent},
        CheckCase{"PointNaN", ShapeCheckKind::Stops, StopSet,
                  [](std::string& shp, std::string&) { PutDouble(shp, 140, std::nan("")); }, "NODI.SHP",
                  "Il record 1 ha coordinate non utilizzabili (nan, 4)."},
        CheckCase{"PointInfinite", ShapeCheckKind::Stops, StopSet,
                  [](std::string& shp, std::string&) { PutDouble(shp, 176, HUGE_VAL); }, "NODI.SHP",
                  "Il record 2 ha coordinate non utilizzabili (5, inf)."},
        CheckCase{"PointAbsurd", ShapeCheckKind::Stops, StopSet,
                  [](std::string& shp, std::string&) { PutDouble(shp, 112, 1e300); }, "NODI.SHP",
                  "Il record 0 ha coordinate non utilizzabili (1e+300, 2)."},
        CheckCase{"IndexAtOneRecord", ShapeCheckKind::Stops, StopSet,
                  [](std::string&, std::string& shx) { Put(shx, 108, 50, 'B'), Put(shx, 116, 50, 'B'); }, "NODI.SHX",
                  "Le voci 0 e 1 dell'indice indicano lo stesso record o record sovrapposti."},
        CheckCase{"LinesOfOnePointAndNone", ShapeCheckKind::Routes, ShortRoutes, nullptr, "",
                  UnusableShapesText({"l'entità 1 [B - Due]\n", "l'entità 2 [C - Tre]\n"})},
        CheckCase{"CleanedRoutes", ShapeCheckKind::Routes, CleanedRoutes, nullptr, "", ""},
        CheckCase{"CleanedRoutesOfAPointBeforeTheLast", ShapeCheckKind::Routes, CleanedRoutes,
                  [](std::string& shp, std::string&) { shp[100 + 124 + 124 + 8] = 1; }, "", ""}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ShapeFindings, AnEmptySetPassesTheTypeTestAndGivesC) {
  ScratchDir dir;
  ShapeSetWriter w(StopsLayout());
  std::string failed;
  ASSERT_TRUE(w.WriteTo(dir.Path("NODI"), kToday, failed));
  ShapeCheckReading r = ReadShapeCheckSet(ShapeCheckKind::Stops, dir.Path("NODI.SHP"), 36, nullptr);
  ASSERT_TRUE(r.ok) << r.Failure();
  EXPECT_EQ(JudgeShapeCheck(r.check).letter, 'C');
}

TEST(ShapeFindings, APointSetIsNotARouteSet) {
  // Nor is a set of lines whose last record is null: the last record gives the set its kind.
  for (const std::vector<std::string>& rows : {std::vector<std::string>{"\"POINT (0 0)\",36,P1,Nome"},
                                               {"\"LINESTRING (0 0,1 1)\",36,P1,Nome", ",36,P2,Nulla"}}) {
    ScratchDir dir;
    MakeShapeSet(WriteCsv(dir, "itin", "WKT,AZIENDA,COD_PERC,DESCR",
                          "\"WKT\",\"Integer(5)\",\"String(20)\",\"String(120)\"", rows),
                 dir.Path("itin.shp"));
    EXPECT_EQ(ReadShapeCheckSet(ShapeCheckKind::Routes, dir.Path("itin.shp"), 36, nullptr).Failure(),
              ShapeTypeRefusalText(ShapeCheckKind::Routes));
    EXPECT_EQ(ReadMultiLineRoutes(dir.Path("itin.shp"), nullptr).Failure(),
              ShapeTypeRefusalText(ShapeCheckKind::Routes));
  }
}

// Codes and names against the timetable: trailing blanks of the timetable dropped, case and
// leading blanks counting, the second of two equal codes unused.
TEST(ShapeFindings, CodesAndNamesAreComparedAsTheirBytes) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetableDatabase(path);
  RunSql(path,
         "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
         " VALUES (1, 1, 'F1  ', 'Piazza', 0, 9999, 700, 0, 0, 0, 0), (1, 2, 'F2', 'Ponte', 0, 701, 702, 0, 0, 0, 0),"
         " (1, 3, 'F3', 'Torre', 0, 703, 9999, 0, 0, 0, 0), (1, 4, 'F4', char(0x141) || 'odz', 0, 0, 0, 0, 0, 0, 0),"
         " (1, 5, char(0x15A) || '5', 'Lago', 0, 0, 0, 0, 0, 0, 0);");  // stored by another tool, read with '?
  ShapeFindings check(ShapeCheckKind::Stops);
  check.AddShapeEntry("F1", "Piazza");
  check.AddShapeEntry("F2", "PONTE");
  check.AddShapeEntry(" F3", "Torre");
  check.AddShapeEntry("F1", "Piazza");
  check.AddShapeEntry("F4", "?odz");
  check.AddShapeEntry("?5", "Lago");
  DbDatabase db(path);
  CompareWithTimetable(&db, check);
  EXPECT_EQ(check.Missing(), (std::vector<std::string>{"manca georeferenziazione fermata F3 - Torre\n",
                                                       "manca georeferenziazione fermata ?5 - Lago\n"}));
  EXPECT_EQ(check.Mismatched(), (std::vector<std::string>{"la fermata F2 - [Ponte] nello ShapeFile ha nome [PONTE]\n",
                                                          "la fermata F4 - [?odz] nello ShapeFile ha nome [?odz]\n"}));
  std::vector<int> matched;
  for (const ShapeMatch& m : check.Matches()) matched.push_back(m.matched);
  EXPECT_EQ(matched, (std::vector<int>{1, 1, 0, 0, 1, 0}));
}

// A code or name another tool stored as bytes stops the comparison: the verdict is its refusal
// alone, with no report offered and no notice before it.
struct KindCase {
  const char* name;
  ShapeCheckKind kind;
  const char* sql;
  const char* refusal;
};
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

class TimetableOfAnotherKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(TimetableOfAnotherKind, RefusesTheCheck) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetableDatabase(path);
  RunSql(path, TripHeadSql(4, 1, 700) +
                   "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma,"
                   " reglocal) VALUES (4, 1, 'F1', 'Piazza', 0, 9999, 700, 0, 0, 0, 0),"
                   " (4, 2, 'F2', 'Ponte', 0, 701, 702, 0, 0, 0, 0);" +
                   GetParam().sql);
  ShapeFindings check(GetParam().kind);
  check.AddShapeEntry("F1", "Piazza");
  check.AddShapeEntry("P4", "Corsa 4");
  AllowReadingMismatches();
  NoticeLog notices;
  {
    DbDatabase db(path);
    CompareWithTimetable(&db, check);
  }
  const ShapeVerdict v = JudgeShapeCheck(check);
  EXPECT_EQ(std::tuple(v.ok, v.letter, v.offersReport), std::tuple(false, 'R', false));
  EXPECT_EQ(v.Texts(), std::string(GetParam().refusal) +
                           ",\nche è un dato binario e non un testo come richiede la sua colonna.\n\n"
                           "Il prospetto non è stato preparato: correggere il dato prima di ripeterlo.");
  EXPECT_EQ(notices.Texts(), "");
}

INSTANTIATE_TEST_SUITE_P(
    ShapeFindings, TimetableOfAnotherKind,
    ::testing::Values(KindCase{"StopName", ShapeCheckKind::Stops,
                               "UPDATE detcor SET denom = X'436974E0' WHERE sub = 2;",
                               "ATTENZIONE: corsa 4, fermata 2:\nil campo denom (denominazione fermata) vale "
                               "X'436974E0'"},
                      KindCase{"RouteCode", ShapeCheckKind::Routes, "UPDATE tescor SET codperc = X'4181';",
                               "ATTENZIONE: corsa 4:\nil campo codperc (codice percorso) vale X'4181'"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ShapeFindings, TwentyThousandEntriesAreFoundByTheirFirstEntry) {
  ShapeFindings check(ShapeCheckKind::Routes);
  for (int k = 0; k < 20000; ++k) check.AddShapeEntry("P" + std::to_string(k), "Nome");
  check.AddShapeEntry("P7", "Altro");
  for (int k = 20000; k-- > 0;) check.CompareRow("P" + std::to_string(k), k == 7 ? "Altro" : "Nome");
  EXPECT_TRUE(check.Missing().empty());
  EXPECT_EQ(check.Mismatched(), std::vector<std::string>{"il percorso P7 - [Altro] nello ShapeFile ha nome [Nome]\n"});
  EXPECT_EQ(check.Matches().back().matched, 0);
}

}  // namespace
