// The MicroBus route generation 5195 end to end through the headless driver: RT_NODI made by the
// stop conversion 5194, the arcs made by GDAL, RT_ITIN compared with a set written from the
// expected lines and read back by ogr2ogr, the route codes in the database and the report.

#include "app/AppTestSupport.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"
#include "support/GdalTools.h"
#include "support/TimetableData.h"

#include <QDir>

namespace {

std::string Data(const std::string& name) { return TestDataDir() + "/conversions/" + name; }

const std::string kFailure =
    ("A cause delle azioni precedenti non è possibile generare lo shapefile\ndei percorsi (RT_ITIN.SHP)");
const std::string kSuccess =
    ("Lo shapefile RT_ITIN.SHP è stato generato con successo\n\nE' opportuno consultare con attenzione il report che "
     "sta per essere\ngenerato, al fine di verificare la qualità del risultato.");

// A trip head of route `route` and its stops.
std::string TripSql(int id, const std::string& route, const std::vector<std::string>& stops) {
  std::string sql =
      TripHeadSql(id, 0, 800) + "UPDATE tescor SET codperc = '" + route + "' WHERE id = " + std::to_string(id) + ";";
  int sub = 1;
  for (const std::string& s : stops)
    sql +=
        "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
        "VALUES (" +
        std::to_string(id) + ", " + std::to_string(sub++) + ", '" + s + "', 'Fermata', 0, 800, 800, 0, 0, 0, 0);";
  return sql;
}

struct RouteDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb"), maps = dir.Path("mappe"), out = dir.Path("uscita");
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, "UPDATE master SET azienda = 36; DELETE FROM period; DELETE FROM detcor; DELETE FROM tescor;");
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(maps)) && QDir().mkpath(QString::fromStdString(out)));
    MakeShapeSet(Data("fermate_percorsi.csv"), maps + "/fermate.shp");
    const DriverRun stops = Run("5194", {"file " + maps + "/fermate.shp", "file " + maps + "/RT_NODI.SHP"});
    ASSERT_EQ(Boxes(stops), std::vector<std::string>{});
    MakeShapeSet(Data("archi_microbus.csv"), maps + "/ARCHI.shp");
  }
  DriverRun Run(const char* command, const std::vector<std::string>& answers) {
    return RunDriver(settings, answers, {"--now", "2024-03-01 08:00", command});
  }
  DriverRun RunRoutes() {
    return Run("5195", {"file " + maps + "/RT_NODI.SHP", "file " + maps + "/ARCHI.shp", "file " + out + "/RT_ITIN.SHP",
                        "file " + out + "/GENERAZIONE_RT_ITIN.TXT"});
  }
  std::string Routes() {
    std::string text = QueryFile(
        db, "SELECT group_concat(id || '=' || codperc, ' ') FROM (SELECT id, codperc FROM tescor ORDER BY id)");
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
};

TEST_F(RouteDriver, DrawsTheVariantsNamesTheirTripsAndReports) {
  RunSql(db, TripSql(7, "R", {"A", "B", "D"}) + TripSql(3, "R", {"A", "B", "C"}) + TripSql(9, "R", {"A", "B", "C"}) +
                 TripSql(20, "S", {"E", "F"}));
  const DriverRun run = RunRoutes();
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            (std::vector<std::string>{
                "FILE\tSelezione ShapeFile Fermate (RT_NODI.SHP)\tRT_NODI\tShape File|*.shp|Tutti i files (*.*)|*.*||",
                "FILE\tSelezione ShapeFile Archi di Microbus Map\tARCHI\tShape File|*.shp|Tutti i files (*.*)|*.*||",
                "FILE\tSelezione ShapeFile RT_ITIN (output)\tRT_ITIN\tShape File|*.shp|Tutti i files (*.*)|*.*||",
                "FILE\tReport Generazione RT_ITIN Microbus Map\tGENERAZIONE_RT_ITIN\tFile di testo (*.txt)|*.txt|Tutti "
                "i files (*.*)|*.*||"}));
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, kSuccess)});

  // The set as the writer makes it from the lines worked out by hand.
  ShapeSetWriter expected(RoutesLayout());
  expected.AddPolyline(std::vector<Vertex>{{5, 0}, {100, 0}, {200, 0}, {300, 0}, {300, 100}}, {"36", "R/0", ""});
  expected.AddPolyline(std::vector<Vertex>{{5, 0}, {100, 0}, {200, 0}}, {"36", "R/1", ""});
  expected.AddPolyline(std::vector<Vertex>{{1000, 0}, {1100, 0}}, {"36", "S", ""});
  EXPECT_EQ(FileBytes(out + "/RT_ITIN.SHP"), expected.MainBytes());
  EXPECT_EQ(FileBytes(out + "/RT_ITIN.SHX"), expected.IndexBytes());
  EXPECT_EQ(FileBytes(out + "/RT_ITIN.DBF"), expected.TableBytes({2024, 3, 1, 8, 0, 0}));

  const std::string csv = dir.Path("itin.csv");
  RunProgram(QStringLiteral("ogr2ogr"),
             {QStringLiteral("-f"), QStringLiteral("CSV"), QString::fromStdString(csv),
              QString::fromStdString(out + "/RT_ITIN.SHP"), QStringLiteral("-lco"), QStringLiteral("GEOMETRY=AS_WKT")});
  const std::string lines = FileBytes(csv);
  EXPECT_TRUE(HasPart(lines, "\"LINESTRING (5 0,100 0,200 0,300 0,300 100)\",\"36\",R/0,")) << lines;
  EXPECT_TRUE(HasPart(lines, "\"LINESTRING (5 0,100 0,200 0)\",\"36\",R/1,")) << lines;

  EXPECT_EQ(Routes(), "3=R/0 7=R/1 9=R/0 20=S");
  EXPECT_EQ(FileBytes(out + "/GENERAZIONE_RT_ITIN.TXT"), FileBytes(Data("generazione_rt_itin_atteso.txt")));
}

TEST_F(RouteDriver, CancellingTheStopSetChangesNothing) {
  RunSql(db, TripSql(7, "R", {"A", "B", "D"}) + TripSql(3, "R", {"A", "B", "C"}));
  const DriverRun run = Run("5195", {"cancel"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10, kFailure)});
  EXPECT_EQ(Routes(), "3=R 7=R");
  EXPECT_EQ(Listing(out), "");
}

TEST_F(RouteDriver, WithoutTripsTheSetIsEmpty) {
  const DriverRun run = RunRoutes();
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, kSuccess)});
  EXPECT_TRUE(HasPart(OgrInfo(out + "/RT_ITIN.SHP"), "Feature Count: 0\n"));
}

TEST_F(RouteDriver, VariantNamesTooLongAreRefusedBeforeAnythingIsWritten) {
  const std::string code = "R23456789012345678";  // 18 + "/0": 20 fits
  const std::string longCode = code + "9";        // 19 + "/0": 21 does not
  RunSql(db, TripSql(1, longCode, {"A", "B", "C"}) + TripSql(2, longCode, {"A", "B"}) + TripSql(3, code, {"A", "B"}) +
                 TripSql(4, code, {"A"}));
  const DriverRun run = Run("5195", {});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{
                            Box(0x10, ("ATTENZIONE: i nomi delle varianti dei seguenti percorsi superano\ni 20 "
                                       "caratteri di un codice percorso:\n\n" +
                                       longCode + "\n")),
                            Box(0x10, kFailure)}));
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{});
  EXPECT_EQ(Routes(), "1=" + longCode + " 2=" + longCode + " 3=" + code + " 4=" + code);
  EXPECT_EQ(Listing(out), "");
}

// Texts stored by another tool with a character Windows-1252 lacks read with '?': a route code
// RT_ITIN would carry so is refused before any file is asked for, naming the trip and the field;
// stop codes read alike are two stops, so their trips are two variants.
TEST_F(RouteDriver, TextsTheCodePageCannotHold) {
  RunSql(db, TripSql(3, "R", {"A", "B", "C"}) + TripSql(7, "R", {"A", "B", "C"}) + TripSql(9, "S", {"E", "F"}) +
                 "UPDATE detcor SET fermata = char(0x141) WHERE id = 3 AND sub = 3;"
                 "UPDATE detcor SET fermata = char(0x15A) WHERE id = 7 AND sub = 3;"
                 "UPDATE tescor SET codperc = 'S' || char(0x141) WHERE id = 9;");
  const DriverRun refused = Run("5195", {});
  // The refusal as the other writers word it.
  const std::string refusal = RefuseText("corsa 9", *TripHeadLayout().Field("codperc"), "S?", 0x141, 1);
  ASSERT_TRUE(HasPart(refusal, "U+0141 in posizione 2"));
  EXPECT_EQ(Boxes(refused), (std::vector<std::string>{Box(0x10, refusal), Box(0x10, kFailure)}));
  EXPECT_EQ(Listing(out), "");
  RunSql(db, "UPDATE tescor SET codperc = 'S' WHERE id = 9");
  RunRoutes();
  EXPECT_EQ(Routes(), "3=R/0 7=R/1 9=S");
}

TEST_F(RouteDriver, ASetThatCannotBeWrittenAssignsNoCode) {
  RunSql(db, TripSql(7, "R", {"A", "B", "D"}) + TripSql(3, "R", {"A", "B", "C"}));
  const std::string missing = dir.Path("manca") + "/RT_ITIN.SHP";
  const DriverRun run =
      Run("5195", {"file " + maps + "/RT_NODI.SHP", "file " + maps + "/ARCHI.shp", "file " + missing});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x30, "Impossibile creare\n\n" + missing), Box(0x10, kFailure)}));
  EXPECT_EQ(Routes(), "3=R 7=R");
}

TEST_F(RouteDriver, AReportThatCannotBeWrittenIsTold) {
  RunSql(db, TripSql(3, "R", {"A", "B", "C"}));
  const std::string missing = dir.Path("manca") + "/GENERAZIONE_RT_ITIN.TXT";
  const DriverRun run = Run("5195", {"file " + maps + "/RT_NODI.SHP", "file " + maps + "/ARCHI.shp",
                                     "file " + out + "/RT_ITIN.SHP", "file " + missing});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x40, kSuccess), Box(0x30, "Impossibile creare\n\n" + missing)}));
  EXPECT_TRUE(HasPart(OgrInfo(out + "/RT_ITIN.SHP"), "Feature Count: 1\n"));
}

}  // namespace
