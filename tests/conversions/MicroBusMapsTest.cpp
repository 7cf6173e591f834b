// The MicroBus map readers on sets made by GDAL (a set of the wrong geometry has no stop or no
// arc, a damaged one is named) and the route polylines drawn along hand-made arcs: the worked
// example, the end-vertex tolerance, missing arcs and stops, the verdicts and the report's lines.

#include "conversions/microbus/MicroBusMaps.h"
#include "conversions/microbus/RouteFile.h"
#include "conversions/microbus/RoutePolylines.h"
#include "conversions/shapechecks/ShapeCheck.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "support/GdalTools.h"

#include <gtest/gtest.h>

namespace {

std::string Data(const std::string& name) { return TestDataDir() + "/conversions/" + name; }

struct MapReaders : ::testing::Test {
  ScratchDir dir;
  // A set of RT_NODI's fields whose geometries are `wkt` (one record each).
  std::string StopFieldsSet(const std::vector<std::string>& wkt) {
    std::vector<std::string> rows;
    for (const std::string& w : wkt) rows.push_back("\"" + w + "\",36,A,Alfa");
    MakeShapeSet(WriteCsv(dir, "nodi", "WKT,azienda,cod_ferm,denom",
                          "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"", rows),
                 dir.Path("nodi.shp"));
    return dir.Path("nodi.shp");
  }
  std::string ArcFieldsSet(const std::vector<std::string>& wkt) {
    std::vector<std::string> rows;
    for (const std::string& w : wkt) rows.push_back("\"" + w + "\",A,B");
    MakeShapeSet(WriteCsv(dir, "archi", "WKT,abbreviazi,abbrevia0", "\"WKT\",\"String(10)\",\"String(10)\"", rows),
                 dir.Path("archi.shp"));
    return dir.Path("archi.shp");
  }
};

TEST_F(MapReaders, StopsComeFromPointsOfTheCompanyOnly) {
  MapStopTable stops;
  const MapReading r = ReadMicroBusStops(StopFieldsSet({"POINT (1 2)"}), 36, stops, nullptr);
  ASSERT_TRUE(r.ok) << r.Failure();
  ASSERT_NE(stops.FindByCode("A"), nullptr);
  EXPECT_EQ(stops.FindByCode("A")->x, 1.0);
  MapStopTable other;
  EXPECT_EQ(ReadMicroBusStops(dir.Path("nodi.shp"), 37, other, nullptr).Failure(), NoCompanyStopText());
  MapStopTable none;  // -1, the company of a database without master, matches no record
  EXPECT_EQ(ReadMicroBusStops(dir.Path("nodi.shp"), -1, none, nullptr).Failure(), NoCompanyStopText());
}

TEST_F(MapReaders, ALineSetReadAsStopsHasNoStop) {
  MapStopTable stops;
  const MapReading r = ReadMicroBusStops(StopFieldsSet({"LINESTRING (0 0,10 10)"}), 36, stops, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Failure(), NoCompanyStopText());
}

TEST_F(MapReaders, APointSetReadAsArcsHasNoArc) {
  MapArcTable arcs;
  const MapReading r = ReadMicroBusArcs(ArcFieldsSet({"POINT (3 4)"}), arcs, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Failure(), NoArcText("ARCHI Microbus Map"));
}

TEST_F(MapReaders, ArcsAreFoundByTheirOrderedPair) {
  MapArcTable arcs;
  MakeShapeSet(Data("archi_microbus.csv"), dir.Path("ARCHI.shp"));
  ASSERT_TRUE(ReadMicroBusArcs(dir.Path("ARCHI.shp"), arcs, nullptr).ok);
  ASSERT_NE(arcs.Find("A", "B"), nullptr);
  EXPECT_EQ(arcs.Find("A", "B")->vertices.size(), 4u);
  EXPECT_EQ(arcs.Find("B", "A"), nullptr);
  EXPECT_EQ(arcs.Find("a", "B"), nullptr);
}

TEST_F(MapReaders, SetsWithoutTheFieldsAreRefused) {
  MapStopTable stops;
  MapArcTable arcs;
  EXPECT_EQ(ReadMicroBusStops(ArcFieldsSet({"POINT (1 2)"}), 36, stops, nullptr).Failure(), StopSetRefusalText());
  EXPECT_EQ(ReadMicroBusArcs(StopFieldsSet({"POINT (1 2)"}), arcs, nullptr).Failure(), ArcMapRefusalText());
}

TEST_F(MapReaders, AShortIndexIsNamedNotRead) {
  const std::string path = ArcFieldsSet({"LINESTRING (0 0,10 10)", "LINESTRING (0 0,20 20)"});
  const std::string shx = FileBytes(dir.Path("archi.shx"));
  WriteFileBytes(dir.Path("archi.shx"), shx.substr(0, shx.size() - 4));
  MapArcTable arcs;
  const MapReading r = ReadMicroBusArcs(path, arcs, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(HasPart(r.Failure(), "archi.shx")) << r.Failure();
}

// --- Polylines ---

struct ArcSpec {
  const char* from;
  const char* to;
  std::vector<Vertex> vertices;
};

struct PolylineCase {
  const char* name;
  std::vector<ArcSpec> arcs;
  std::vector<const char*> stops;
  std::vector<Vertex> expected;
  const char* verdict;  // the route line
  std::vector<std::string> missingStops = {}, missingArcs = {}, suspectArcs = {};
};

class Polylines : public ::testing::TestWithParam<PolylineCase> {};

TEST_P(Polylines, FollowTheArcs) {
  const PolylineCase& c = GetParam();
  MapArcTable arcs;
  int i = 0;
  for (const ArcSpec& a : c.arcs) {
    arcs.Append(i, a.vertices);
    arcs.SetCodes(i++, a.from, a.to);
  }
  arcs.BuildIndex();
  MapStopTable stops;
  stops.Append(0, 0, 0);
  stops.SetCode(0, "A");
  stops.Append(1, 200, 0);
  stops.SetCode(1, "B");
  stops.Append(2, 300, 100);
  stops.SetCode(2, "C");
  stops.BuildIndex();
  RouteTable routes;
  std::vector<std::string> codes(c.stops.begin(), c.stops.end());
  routes.Append("R").AddTrip(1, codes);
  RouteReport report;
  BuildRoutePolylines(routes, stops, arcs, report, nullptr);
  std::vector<Vertex> got;
  for (const PointNode& p : routes.Routes()[0].variants[0].points.points) got.push_back({p.x, p.y});
  ASSERT_EQ(got.size(), c.expected.size());
  for (std::size_t k = 0; k < got.size(); ++k) {
    EXPECT_EQ(got[k].x, c.expected[k].x) << k;
    EXPECT_EQ(got[k].y, c.expected[k].y) << k;
  }
  EXPECT_EQ(report.Routes(), std::vector<std::string>{c.verdict});
  EXPECT_EQ(report.MissingStops(), c.missingStops);
  EXPECT_EQ(report.MissingArcs(), c.missingArcs);
  EXPECT_EQ(report.SuspectArcs(), c.suspectArcs);
  // The set written from the variant passes the route check: a variant without a line is left out.
  ScratchDir dir;
  const RouteWriting written = WriteMicroBusRoutes(dir.Path("RT_ITIN.SHP"), routes, 36, ClockTime{2024, 3, 1, 8, 0, 0});
  ASSERT_TRUE(written.ok) << written.Texts();
  EXPECT_EQ(written.records, c.expected.empty() ? 0 : 1);
  const ShapeCheckReading checked = ReadShapeCheckSet(ShapeCheckKind::Routes, dir.Path("RT_ITIN.SHP"), 36, nullptr);
  EXPECT_TRUE(checked.ok) << checked.Texts();
  EXPECT_EQ(checked.check.Matches().size(), written.records);
}

const std::vector<Vertex> kAB{{0, 0}, {5, 0}, {100, 0}, {200, 0}};
const std::vector<Vertex> kBC{{200, 0}, {300, 0}, {300, 100}};

INSTANTIATE_TEST_SUITE_P(
    MicroBus, Polylines,
    ::testing::Values(PolylineCase{"WorkedExample",
                                   {{"A", "B", kAB}, {"B", "C", kBC}},
                                   {"A", "B", "C"},
                                   {{5, 0}, {100, 0}, {200, 0}, {300, 0}, {300, 100}},
                                   "OK       - Percorso R\n"},
                      PolylineCase{"TwoVerticesTwentyApartAddNothing",
                                   {{"A", "B", {{0, 0}, {20, 0}}}},
                                   {"A", "B"},
                                   {},
                                   "SOSPETTO - Percorso R\n",
                                   {},
                                   {},
                                   {"arco sospetto A - B\n"}},
                      PolylineCase{"TwoVerticesTwentyAndAHalfApartAddBoth",
                                   {{"A", "B", {{0, 0}, {20.5, 0}}}},
                                   {"A", "B"},
                                   {{0, 0}, {20.5, 0}},
                                   "SOSPETTO - Percorso R\n",
                                   {},
                                   {},
                                   {"arco sospetto A - B\n"}},
                      PolylineCase{"OneStopHasNoLine", {{"A", "B", kAB}}, {"A"}, {}, "OK       - Percorso R\n"},
                      PolylineCase{"AReversedArcDoesNotServe",
                                   {{"B", "A", kAB}, {"B", "C", kBC}},
                                   {"A", "B", "C"},
                                   {{200, 0}, {300, 0}, {300, 100}},
                                   "ERRATO   - Percorso R\n",
                                   {},
                                   {"manca arco A - B\n"}},
                      PolylineCase{"AMissingLastArcEndsTheLineBefore",
                                   {{"A", "B", kAB}},
                                   {"A", "B", "C"},
                                   {{5, 0}, {100, 0}, {200, 0}},
                                   "ERRATO   - Percorso R\n",
                                   {},
                                   {"manca arco B - C\n"}},
                      PolylineCase{"EveryArcMissingIsNoLine",
                                   {},
                                   {"A", "B", "C"},
                                   {},
                                   "ERRATO   - Percorso R\n",
                                   {},
                                   {"manca arco A - B\n", "manca arco B - C\n"}},
                      PolylineCase{"ArcsOnTheStopsAloneAreNoLine",
                                   {{"A", "B", {{0, 0}, {10, 0}, {20, 0}}}},
                                   {"A", "B"},
                                   {},
                                   "OK       - Percorso R\n"},
                      PolylineCase{"AStopMissingFromTheMapIsReportedOnce",
                                   {{"X", "C", kBC}},
                                   {"A", "X", "C", "X", "C"},
                                   {{200, 0}, {300, 0}, {300, 100}, {200, 0}, {300, 0}, {300, 100}},
                                   "ERRATO   - Percorso R\n",
                                   {"manca fermata X\n"},
                                   {"manca arco A - X\n", "manca arco C - X\n"}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
