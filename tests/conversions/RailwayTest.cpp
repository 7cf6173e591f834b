// The railway engines on sets laid out by hand: stations only from point records, sections whose
// kept part has no point, a route whose last stop is no station, the lookups' first of equals.

#include "common/Clock.h"
#include "conversions/railway/ItineraryReport.h"
#include "conversions/railway/RailArcs.h"
#include "conversions/railway/RailItineraries.h"
#include "conversions/railway/RailStations.h"
#include "conversions/shapechecks/ShapeCheck.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "db/DbDatabase.h"
#include "support/HandShapes.h"
#include "support/HyperPlanData.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void WriteSet(const std::string& base, const HandSet& set) {
  WriteFileBytes(base + ".SHP", set.shp);
  WriteFileBytes(base + ".SHX", set.shx);
  WriteFileBytes(base + ".DBF", set.dbf);
}

const std::vector<HandField> kStationFields{{"AZIENDA", 'N', 5}, {"COD_FERM", 'C', 10}, {"DENOM", 'C', 40}};

TEST(RailStations, APolylineSetGivesNoStation) {
  ScratchDir dir;
  WriteSet(dir.Path("linee"), HandPolylineSet(kStationFields, {{{{{1, 2}, {3, 4}}}, {"17", "A", "Alfa"}}}, 2024, 1, 1));
  const StationReading reading = ReadStationSet(dir.Path("linee.SHP"), 17, nullptr);
  EXPECT_FALSE(reading.ok);
  EXPECT_EQ(reading.Failure(), NoCompanyStopText());
  EXPECT_EQ(reading.stations.Count(), 0);
}

TEST(RailStations, SearchesFindTheFirstOfEquals) {
  StationList list;
  list.Append(0, 10, 0);
  list.Append(1, -10, 0);
  list.Append(2, 10, 0);
  list.Append(3, 50, 50);
  list.SetCode(0, "B");
  list.SetCode(1, "A");
  list.SetCode(2, "B");
  list.BuildIndex();
  EXPECT_EQ(list.FindByCode("B")->index, 0);
  EXPECT_EQ(list.FindByCode("A")->index, 1);
  EXPECT_EQ(list.FindByCode("C"), nullptr);
  EXPECT_EQ(list.FindAt(10, 0)->index, 0);
  EXPECT_EQ(list.FindAt(10, 1e-300), nullptr);
  EXPECT_EQ(list.FindNearest(0, 0)->index, 0);  // 10 from both 0 and 1
  EXPECT_EQ(list.FindNearest(40, 40)->index, 3);
  EXPECT_EQ(StationList().FindNearest(0, 0), nullptr);
}

TEST(RailArcs, FindTakesTheFirstOfEqualPairsAndOnlyItsDirection) {
  RailArcList arcs;
  arcs.Append(0, {{0, 0}});
  arcs.Append(1, {{1, 1}});
  arcs.Append(2, {{2, 2}});
  arcs.SetCodes(0, "B", "A");
  arcs.SetCodes(1, "A", "B");
  arcs.SetCodes(2, "A", "B");
  arcs.BuildIndex();
  EXPECT_EQ(arcs.Find("A", "B")->index, 1);
  EXPECT_EQ(arcs.Find("B", "A")->index, 0);
  EXPECT_EQ(arcs.Find("A", "C"), nullptr);
}

TEST(RailArcs, ASectionWithoutPointsGivesNoArc) {
  ScratchDir dir;
  // Record 0: two parts, the first without a point; record 1: one ordinary part.
  WriteSet(
      dir.Path("tratte"),
      HandPolylineSet({{"NOME", 'C', 10}}, {{{{}, {{5, 5}, {6, 6}}}, {"a"}}, {{{{0, 0}, {1, 0}}}, {"b"}}}, 2024, 1, 1));
  const RailArcReading reading = ReadSectionSet(dir.Path("tratte.SHP"), nullptr);
  ASSERT_TRUE(reading.ok) << reading.Failure();
  ASSERT_EQ(reading.messages.size(), 1u);  // the record of two parts is warned of
  EXPECT_TRUE(HasPrefix(reading.messages[0].text, "ATTENZIONE: l'entità 0 è rappresentata da 2 linee."));
  EXPECT_EQ(reading.messages[0].icon, NoticeIcon::Exclamation);
  ASSERT_EQ(reading.arcs.Count(), 1);
  EXPECT_EQ(reading.arcs.Arcs()[0].index, 1);
  // The arc reader keeps such a record as an arc without vertices.
  WriteSet(dir.Path("archi"),
           HandPolylineSet({{"NODO_INI", 'C', 10}, {"NODO_FIN", 'C', 10}}, {{{{}, {{5, 5}}}, {"A", "B"}}}, 2024, 1, 1));
  const RailArcReading arcs = ReadArcSet(dir.Path("archi.SHP"), nullptr);
  ASSERT_TRUE(arcs.ok) << arcs.Failure();
  ASSERT_NE(arcs.arcs.Find("A", "B"), nullptr);
  EXPECT_TRUE(arcs.arcs.Find("A", "B")->vertices.empty());
}

// Each section's ends take the codes of the stations on them; an end on no station is joined to
// the nearest one, whose point becomes the arc's first point (start) or last point (end).
TEST(RailArcs, EndsJoinedToTheirStations) {
  StationList stations;
  stations.Append(0, 0, 0);      // A
  stations.Append(1, 100, 0);    // B
  stations.Append(2, 200, 0);    // of another company: no code
  stations.Append(3, 300, 0);    // C
  stations.Append(4, 0, 100.0);  // D
  stations.SetCode(0, "A");
  stations.SetCode(1, "B");
  stations.SetCode(3, "C");
  stations.SetCode(4, "D");
  stations.BuildIndex();
  using Points = std::vector<std::pair<double, double>>;
  const double tiny = std::nextafter(0.0, 1.0);
  struct Case {
    Points section;
    std::string codes;
    Points arc;
  } cases[] = {
      {{{0, 0}, {50, 5}, {100, 0}}, "A-B", {{0, 0}, {50, 5}, {100, 0}}},
      {{{0, 0}, {50, 5}, {100, 30}}, "A-B", {{0, 0}, {50, 5}, {100, 30}, {100, 0}}},
      {{{3, 4}, {50, 5}, {100, 0}}, "A-B", {{0, 0}, {3, 4}, {50, 5}, {100, 0}}},
      {{{3, 4}, {50, 5}, {98, 2}}, "A-B", {{0, 0}, {3, 4}, {50, 5}, {98, 2}, {100, 0}}},
      {{{-3, 96}, {299, 1}}, "D-C", {{0, 100}, {-3, 96}, {299, 1}, {300, 0}}},
      // Stations at one distance: the first of the list.
      {{{50, 50}, {100, 0}}, "A-B", {{0, 0}, {50, 50}, {100, 0}}},
      // Off by the smallest step of a double: no exact match, joined all the same.
      {{{tiny, 0}, {100, 0}}, "A-B", {{0, 0}, {tiny, 0}, {100, 0}}},
      // The nearest station has no code: that end stays without one, and the line as it was.
      {{{0, 0}, {190, 0}}, "A-", {{0, 0}, {190, 0}}},
      {{{200, 0}, {300, 0}}, "-C", {{200, 0}, {300, 0}}},
  };
  for (const Case& c : cases) {
    RailArcList arcs;
    std::vector<Vertex> vertices;
    for (const auto& [x, y] : c.section) vertices.push_back({x, y});
    arcs.Append(0, vertices);
    IdentifyRailArcs(arcs, stations, nullptr);
    const RailArc& arc = arcs.Arcs()[0];
    Points drawn;
    for (const Vertex& v : arc.vertices) drawn.emplace_back(v.x, v.y);
    EXPECT_EQ(arc.start + "-" + arc.end, c.codes) << c.section[0].first << " " << c.section[0].second;
    EXPECT_EQ(drawn, c.arc) << c.section[0].first << " " << c.section[0].second;
  }
}

struct DrawCase {
  const char* name;
  std::vector<std::string> stops;
  std::vector<std::pair<double, double>> points;
  char verdict;
};

class RailDraw : public ::testing::TestWithParam<DrawCase> {};

TEST_P(RailDraw, DrawsTheRoute) {
  StationList stations;
  stations.Append(0, 0, 0);
  stations.Append(1, 100, 0);
  stations.Append(2, 200, 0);
  stations.SetCode(0, "A");
  stations.SetCode(1, "B");
  stations.SetCode(2, "C");
  stations.BuildIndex();
  RailArcList arcs;
  arcs.Append(0, {{100, 0}, {150, 5}, {200, 0}});
  arcs.SetCodes(0, "B", "C");
  arcs.BuildIndex();
  std::vector<ItineraryRoute> routes(1);
  routes[0].code = "R";
  routes[0].stops = GetParam().stops;
  ItineraryReport report;
  DrawItineraries(routes, stations, arcs, report, nullptr);
  std::vector<std::pair<double, double>> drawn;
  for (const PointNode& p : routes[0].points->points) drawn.emplace_back(p.x, p.y);
  EXPECT_EQ(drawn, GetParam().points);
  ASSERT_EQ(report.Verdicts().size(), 1u);
  EXPECT_EQ(report.Verdicts()[0][0], GetParam().verdict == 'S' ? 'O' : 'I');
  // The set written passes the route check: a route of fewer than two points is left out.
  ScratchDir dir;
  ASSERT_TRUE(WriteItinerarySet(dir.Path("RT_ITIN.SHP"), routes, 36, nullptr, ClockTime{2024, 3, 1, 8, 0, 0}).ok);
  const ShapeCheckReading checked = ReadShapeCheckSet(ShapeCheckKind::Routes, dir.Path("RT_ITIN.SHP"), 36, nullptr);
  EXPECT_TRUE(checked.ok) << checked.Texts();
  EXPECT_EQ(checked.check.Matches().size(), drawn.size() >= 2 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Routes, RailDraw,
                         ::testing::Values(
                             // The last stop is no station: the straight segment ends at B, the last station found.
                             DrawCase{"lastStopMissing", {"A", "B", "X"}, {{0, 0}, {100, 0}}, 'N'},
                             DrawCase{"straightThenArc", {"A", "B", "C"}, {{0, 0}, {100, 0}, {150, 5}, {200, 0}}, 'N'},
                             DrawCase{"backward", {"C", "B"}, {{200, 0}, {150, 5}, {100, 0}}, 'S'},
                             DrawCase{"missingBetween", {"A", "X", "C", "Y"}, {{0, 0}, {200, 0}}, 'N'},
                             DrawCase{"sameStopTwice", {"A", "A"}, {{0, 0}}, 'N'},
                             DrawCase{"oneStation", {"X", "A"}, {}, 'S'}),
                         [](const auto& p) { return std::string(p.param.name); });

// The routes of the timetable: each code's stops in position order; a stop code another tool
// stored as bytes refuses them all, naming the trip and the stop, with no notice before it.
struct TimetableCase {
  const char* name;
  const char* sql;
  const char* routes;   // "code: stop stop;" each
  const char* refusal;  // "" when read
};
void PrintTo(const TimetableCase& c, std::ostream* os) { *os << c.name; }

class RailRoutes : public ::testing::TestWithParam<TimetableCase> {};

TEST_P(RailRoutes, AreReadFromTheTimetable) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetableDatabase(path);
  RunSql(path, TripHeadSql(1, 1, 700) + TripStopsSql(1, "A,B") + TripHeadSql(2, 1, 800) + TripStopsSql(2, "A,C") +
                   "UPDATE tescor SET codperc = 'R';" + GetParam().sql);
  if (*GetParam().refusal) AllowReadingMismatches();
  NoticeLog notices;
  DbDatabase db(path);
  std::string refusal;
  std::string routes;
  for (const ItineraryRoute& r : ExtractItineraryRoutes(&db, nullptr, refusal)) {
    routes += r.code + ":";
    for (const std::string& stop : r.stops) routes += " " + stop;
    routes += ";";
  }
  EXPECT_EQ(routes, GetParam().routes);
  EXPECT_EQ(refusal, GetParam().refusal);
  EXPECT_EQ(notices.Texts(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Timetable, RailRoutes,
    ::testing::Values(TimetableCase{"TwoTripsOneRoute", "", "R: A B C;", ""},
                      TimetableCase{"AStopCodeAsBytes", "UPDATE detcor SET fermata = X'4181' WHERE id = 2 AND sub = 2;",
                                    "",
                                    "ATTENZIONE: corsa 2, fermata 2:\nil campo fermata (codice fermata) vale X'4181',"
                                    "\nche è un dato binario e non un testo come richiede la sua colonna.\n\n"
                                    "Nessun file è stato scritto: correggere il dato prima di esportare."}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ItineraryReport, MissingStopsAndArcsOnceEach) {
  ItineraryReport report;
  report.AddMissingStation("X");
  report.AddMissingStation("X");
  report.AddMissingArc("A", "B");
  report.AddMissingArc("B", "A");
  report.AddMissingArc("A", "B");
  EXPECT_EQ(report.MissingStations(), std::vector<std::string>{"manca fermata X\n"});
  EXPECT_EQ(report.MissingArcs(), (std::vector<std::string>{"manca arco A - B\n", "manca arco B - A\n"}));
  // No route at all: the heading and the routes' banner alone.
  ItineraryReport empty;
  EXPECT_EQ(empty.Text({2024, 5, 6, 7, 8, 0}),
            std::string(87, '=') + "\r\n06/05/2024 07.08 Report Generazione shapefile RT_ITIN RezuRuzada (Quendo)\r\n" +
                std::string(87, '=') + "\r\n\r\n\r\n******* Percorsi Generati " + std::string(41, '*') + "\r\n\r\n");
}

}  // namespace
