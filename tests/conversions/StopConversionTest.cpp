// The stop conversions of HyperPlan and MicroBus on sets made by GDAL from the CSV files of
// tests/data/conversions, and the coordinates of the stops read back from RT_NODI.

#include "conversions/georeferencing/Georeferencing.h"
#include "conversions/hyperplan/RouteConversion.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "conversions/stops/StopConversion.h"
#include "support/GdalTools.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const ClockTime kToday{2024, 3, 1, 8, 0, 0};

std::string Data(const std::string& name) { return TestDataDir() + "/conversions/" + name; }

struct ToolCase {
  const char* name;
  const StopConversionTexts& (*texts)();
  const char* csv;
};

class ToolStops : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ToolStops, BecomeTheHandMadeRtNodiOfTheCompany) {
  ScratchDir dir;
  MakeShapeSet(Data(GetParam().csv), dir.Path("NODI.shp"));
  StopReading reading = ReadStopSet(dir.Path("NODI.shp"), GetParam().texts(), nullptr);
  ASSERT_TRUE(reading.ok) << reading.Failure();
  EXPECT_EQ(reading.skipped, 0);
  const StopWriting writing = WriteStopSet(dir.Path("RT_NODI.shp"), reading.stops, 36, kToday);
  ASSERT_TRUE(writing.ok) << writing.Failure();
  // The output takes upper-case extensions beside the input's lower-case ones.
  for (const char* ext : {"shp", "shx", "dbf"})
    EXPECT_EQ(FileBytes(dir.Path(std::string("RT_NODI.") + static_cast<char>(ext[0] - 32) +
                                 static_cast<char>(ext[1] - 32) + static_cast<char>(ext[2] - 32))),
              BytesOfHex(FileBytes(Data(std::string("rt_nodi_atteso.") + ext + ".hex"))))
        << ext;
}

TEST_P(ToolStops, ARefusedInputGivesTheRefusalAndNoStop) {
  ScratchDir dir;
  const StopConversionTexts& texts = GetParam().texts();
  const std::string header = "WKT," + texts.codeField + "," + texts.nameField;
  struct Refused {
    std::string types;
    std::string wkt;
  };
  for (const Refused& r : {Refused{"\"WKT\",\"String(11)\",\"String(100)\"", "POINT (1 2)"},
                           Refused{"\"WKT\",\"String(10)\",\"String(101)\"", "POINT (1 2)"},
                           Refused{"\"WKT\",\"Integer(10)\",\"String(100)\"", "POINT (1 2)"},
                           Refused{"\"WKT\",\"String(10)\",\"String(100)\"", "LINESTRING (1 2,3 4)"}}) {
    ScratchDir one;
    MakeShapeSet(WriteCsv(one, "in", header, r.types, {"\"" + r.wkt + "\",1,Nome"}), one.Path("in.shp"));
    const StopReading reading = ReadStopSet(one.Path("in.shp"), texts, nullptr);
    EXPECT_FALSE(reading.ok) << r.types << r.wkt;
    EXPECT_EQ(reading.Failure(), StopRefusalText(texts));
  }
  EXPECT_EQ(StopRefusalText(texts),
            std::string("ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n"
                        "necessarie per effettuare la conversione in RT_NODI.SHP\n\n"
                        "Lo Shape File deve essere di tipo PUNTUALE.\n\n"
                        "All'interno dello Shape File devono esistere i seguenti attributi:\n") +
                (texts.codeField == "SIGLA" ? "* Sigla alfanumerico max. 10 caratteri\n"
                                              "* NomeEsteso alfanumerico max. 100 caratteri\n\n"
                                            : "* ABBREVIAZI alfanumerico max. 10 caratteri\n"
                                              "* DESCRIZION alfanumerico max. 100 caratteri\n\n"));
}

// A name longer than DENOM reaches it as its first 40 bytes (a Windows-1252 letter is one byte),
// and one warning names every stop so cut with its whole name.
TEST_P(ToolStops, NamesLongerThanDenomAreCutAndNamed) {
  ScratchDir dir;
  const StopConversionTexts& texts = GetParam().texts();
  const std::string accented = std::string(39, 'a') + "\xE0" + "b", forty(40, 'c'), sixty(60, 'n');
  MakeShapeSet(
      WriteCsv(dir, "in", "WKT," + texts.codeField + "," + texts.nameField, "\"WKT\",\"String(10)\",\"String(100)\"",
               {"\"POINT (1 2)\",F1,Nome", "\"POINT (3 4)\",F2," + accented, "\"POINT (5 6)\",F3," + forty,
                "\"POINT (7 8)\",F4," + sixty}),
      dir.Path("in.shp"));
  const StopReading reading = ReadStopSet(dir.Path("in.shp"), texts, nullptr);
  ASSERT_TRUE(reading.ok) << reading.Failure();
  std::vector<std::string> names;
  for (const StopNode& s : reading.stops.Stops()) names.push_back(s.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Nome", accented.substr(0, 40), forty, sixty.substr(0, 40)}));
  ASSERT_EQ(reading.messages.size(), 1u);
  EXPECT_EQ(reading.messages[0].icon, NoticeIcon::Exclamation);
  EXPECT_EQ(reading.messages[0].text,
            "ATTENZIONE: i nomi di 2 fermate superano i 40 caratteri del campo DENOM\ne in RT_NODI.SHP ne sono "
            "stati scritti solo i primi 40:\n\nl'entit\xE0 1 [F2 - " +
                accented + "]\nl'entit\xE0 3 [F4 - " + sixty + "]\n");
  ASSERT_TRUE(WriteStopSet(dir.Path("RT_NODI.SHP"), reading.stops, 36, kToday).ok);
  const std::string features = OgrInfoFeatures(dir.Path("RT_NODI.SHP"));
  EXPECT_TRUE(HasPart(features, "DENOM (String) = " + sixty.substr(0, 40) + "\n")) << features;
  EXPECT_TRUE(HasPart(features, "DENOM (String) = " + forty + "\n")) << features;
}

INSTANTIATE_TEST_SUITE_P(StopConversion, ToolStops,
                         ::testing::Values(ToolCase{"HyperPlan", HyperPlanStopTexts, "fermate_hyperplan.csv"},
                                           ToolCase{"MicroBus", MicroBusStopTexts, "fermate_microbus.csv"}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(StopConversion, RecordsThatAreNotPointsAreCountedAndLeftOut) {
  ScratchDir dir;
  // A null record (no geometry) between two points: the next point keeps its own coordinates.
  MakeShapeSet(WriteCsv(dir, "in", "WKT,sigla,nomeesteso", "\"WKT\",\"String(10)\",\"String(100)\"",
                        {"\"POINT (1 2)\",A,Uno", ",B,Due", "\"POINT (5 6)\",C,Tre"}),
               dir.Path("in.shp"));
  const StopReading reading = ReadStopSet(dir.Path("in.shp"), HyperPlanStopTexts(), nullptr);
  ASSERT_TRUE(reading.ok) << reading.Failure();
  EXPECT_EQ(reading.skipped, 1);
  ASSERT_EQ(reading.messages.size(), 1u);  // the reading tells what it left out
  EXPECT_EQ(reading.messages[0].text, SkippedStopsText(1));
  EXPECT_EQ(reading.messages[0].icon, NoticeIcon::Exclamation);
  std::string stops;
  for (const StopNode& s : reading.stops.Stops())
    stops += std::to_string(s.index) + " " + s.code + " " + std::to_string(static_cast<int>(s.x)) + "\n";
  EXPECT_EQ(stops, "0 A 1\n2 C 5\n");
  EXPECT_EQ(SkippedStopsText(1),
            "ATTENZIONE: 1 entità dello Shape File non è di tipo puntuale\ne non è stata convertita in RT_NODI.SHP.");
}

TEST(StopConversion, ACompanyWiderThanAziendaWritesNothing) {
  ScratchDir dir;
  StopList stops;
  stops.Append(0, 1, 2);
  const StopWriting writing = WriteStopSet(dir.Path("RT_NODI.SHP"), stops, 123456, kToday);
  EXPECT_FALSE(writing.ok);
  EXPECT_EQ(writing.Failure(),
            "ATTENZIONE: il codice dell'azienda 123456 non può essere scritto nel campo AZIENDA (5 caratteri).\n\n"
            "Nessun file è stato scritto.");
  EXPECT_EQ(WriteRouteSet(dir.Path("RT_ITIN.SHP"), {{0, "R1", {{0, 0}, {1, 1}}}}, -12345, kToday).Failure(),
            CompanyTooLongText(-12345));
  EXPECT_EQ(Listing(dir.Dir()), "");
  EXPECT_TRUE(WriteStopSet(dir.Path("RT_NODI.SHP"), stops, -1234, kToday).ok);  // five characters fit
}

// RT_NODI sets for the georeferencing: (company, code, x, y) a point, or a null record.
struct GeoPoint {
  int company;
  const char* code;
  double x, y;
  bool point = true;
};

std::string GeoSet(const ScratchDir& dir, const std::vector<GeoPoint>& points) {
  ShapeSetWriter w(StopsLayout());
  for (const GeoPoint& p : points)
    if (p.point)
      w.AddPoint(p.x, p.y, {std::to_string(p.company), p.code, "Fermata"});
    else
      w.AddPolyline(std::vector<Vertex>{}, {std::to_string(p.company), p.code, "Nessun punto"});
  std::string failed;
  EXPECT_TRUE(w.WriteTo(dir.Path("RT_NODI"), kToday, failed));
  return dir.Path("RT_NODI.SHP");
}

TEST(Georeferencing, PointsOfTheCompanyTakeTheirCodesRoundedToHundredths) {
  ScratchDir dir;
  const std::string path = GeoSet(dir, {{36, "1001", 1234.456, 4812.004},
                                        {12, "1002", 10, 20},
                                        {36, "1001", 7, 8},
                                        {36, "X", 0, 0, false},
                                        {36, "1003", -5.125, 99.999}});
  for (bool round : {true, false}) {
    GeoStopList list;
    const GeoreferenceResult result = GeoreferenceStops(path, list, 36, round);
    ASSERT_TRUE(result.ok) << result.Texts();
    EXPECT_EQ(result.Texts(), "");
    std::string read;
    for (const GeoStop& s : list.Stops()) read += std::to_string(s.id) + "[" + s.code + "] ";
    EXPECT_EQ(read, "0[1001] 1[] 2[1001] 4[1003] ");
    double x = 0, y = 0;
    list.GetCoordinates("1001", x, y);  // the first in record order
    EXPECT_EQ(std::pair(x, y), round ? std::pair(1234.46, 4812.00) : std::pair(1234.456, 4812.004));
    list.GetCoordinates("1002", x, y);  // another company's point has no code
    EXPECT_EQ(std::pair(x, y), std::pair(0.0, 0.0));
    list.GetCoordinates("", x, y);  // ... and gives nothing to a stop without one
    EXPECT_EQ(std::pair(x, y), std::pair(0.0, 0.0));
    EXPECT_EQ(list.FindById(3), nullptr);
    EXPECT_EQ(list.FindById(4)->y, round ? 100.0 : 99.999);
  }
}

TEST(Georeferencing, CodFermaServesAndUnsuitableSetsAreRefused) {
  const std::string types = "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"";
  struct Case {
    std::string header, types, wkt;
    bool accepted;
  };
  for (const Case& c : {Case{"WKT,azienda,cod_ferma,denom", types, "POINT (1 2)", true},
                        Case{"WKT,AZIENDA,COD_FERM,DENOM", types, "POINT (1 2)", true},
                        Case{"WKT,AZIENDA,COD_FERMATA,DENOM", types, "POINT (1 2)", false},
                        Case{"WKT,AZIENDA,COD_FERM,DENOM", "\"WKT\",\"Integer(6)\",\"String(10)\",\"String(40)\"",
                             "POINT (1 2)", false},
                        Case{"WKT,AZIENDA,COD_FERM,DENOM", "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(50)\"",
                             "POINT (1 2)", false},
                        Case{"WKT,AZIENDA,COD_FERM,DENOM", types, "LINESTRING (1 2,3 4)", false}}) {
    ScratchDir dir;
    MakeShapeSet(WriteCsv(dir, "nodi", c.header, c.types, {"\"" + c.wkt + "\",36,F1,Nome"}), dir.Path("nodi.shp"));
    GeoStopList list;
    const GeoreferenceResult result = GeoreferenceStops(dir.Path("nodi.shp"), list, 36, true);
    EXPECT_EQ(result.ok, c.accepted) << c.header << c.types << c.wkt;
    if (c.accepted) {
      double x = 0, y = 0;
      list.GetCoordinates("F1", x, y);
      EXPECT_EQ(std::pair(x, y), std::pair(1.0, 2.0));
    } else {
      EXPECT_EQ(result.Failure(), GeoreferenceRefusalText());
      EXPECT_EQ(result.messages[0].icon, NoticeIcon::Stop);
      // ... and then that the georeferencing failed.
      ASSERT_EQ(result.messages.size(), 2u);
      EXPECT_EQ(result.messages[1].text, GeoreferenceFailedText());
    }
  }
}

TEST(Georeferencing, ASetWithoutPointsIsReadAndSaysSo) {
  ScratchDir dir;
  GeoStopList list;
  const GeoreferenceResult result =
      GeoreferenceStops(GeoSet(dir, {{36, "A", 0, 0, false}, {36, "B", 0, 0, false}}), list, 36, true);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.messages[0].icon, NoticeIcon::Information);
  EXPECT_EQ(result.Texts(), NoCoordinatesText());
  EXPECT_TRUE(list.Empty());
}

}  // namespace
