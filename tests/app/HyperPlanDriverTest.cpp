// The HyperPlan route commands end to end through the headless driver: 5189 on a route set made
// by ogr2ogr, written byte for byte as the hand-made RT_ITIN and read back by ogrinfo; 5190 on a
// hand-made database with the descriptor of tests/data/conversions and on refused descriptors,
// which change nothing; 5207 on day types made with SQL, twice.

#include "app/AppTestSupport.h"
#include "support/GdalTools.h"
#include "support/HandShapes.h"
#include "support/HyperPlanData.h"

#include <QDir>

namespace {

const std::string kShapeFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";
const std::string kMultiPart =
    "ATTENZIONE: l'entità 0 è rappresentata da 3 linee.\n\nVerrà conservata esclusivamente la 1^ linea, mentre le "
    "successive\nverranno eliminate !!!";
const std::string kInvalidDescriptor =
    "ATTENZIONE: il File indicato non ha le caratteristiche\nnecessarie per effettuare l'associazione dei codici "
    "percorso\n\n";

std::string Data(const std::string& name) { return TestDataDir() + "/conversions/" + name; }

std::string Dump(const std::string& db) {
  return RunProgram(QStringLiteral("sqlite3"), {QString::fromStdString(db), QStringLiteral(".dump")});
}

struct HyperPlanDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb"), in = dir.Path("ingresso"), out = dir.Path("uscita");
  void SetUp() override {
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(in)) && QDir().mkpath(QString::fromStdString(out)));
  }
  DriverRun Run(const char* id, const std::vector<std::string>& answers) {
    return RunDriver(settings, answers, {"--now", "2024-03-01 08:00", id});
  }
};

TEST_F(HyperPlanDriver, RoutesWriteTheHandMadeRtItinThatOgrinfoReads) {
  MakeTimetableDatabase(db);
  MakeShapeSet(Data("percorsi_hyperplan.csv"), in + "/percorsi.shp");
  const DriverRun run = Run("5189", {"file " + in + "/percorsi.shp", "file " + out + "/RT_ITIN.SHP"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            (std::vector<std::string>{"FILE\tConversione ShapeFile Percorsi di HyperPlan\tPERCORSI\t" + kShapeFilter,
                                      "FILE\tSelezione ShapeFile RT_ITIN (output)\tRT_ITIN\t" + kShapeFilter}));
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x30, kMultiPart),
                                                  Box(0x30,
                                                      "ATTENZIONE: 1 entità dello Shape File non contiene alcuna "
                                                      "linea\ne non è stata convertita in RT_ITIN.SHP.")}));
  for (const char* ext : {"SHP", "SHX", "DBF"}) {
    std::string hex = std::string("rt_itin_atteso.") + ext + ".hex";
    for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(FileBytes(out + "/RT_ITIN." + ext), BytesOfHex(FileBytes(Data(hex)))) << ext;
  }
  const std::string info = OgrInfoFeatures(out + "/RT_ITIN.SHP");
  for (const char* part : {"Feature Count: 2\n", "COD_PERC: String (20.0)\n", "DESCR: String (120.0)\n",
                           "OGRFeature(RT_ITIN):0\n  AZIENDA (Integer) = 17\n  COD_PERC (String) = R1\n"
                           "  DESCR (String) = (null)\n  LINESTRING (0 0,1 1)\n",
                           "  COD_PERC (String) = R3\n  DESCR (String) = (null)\n  LINESTRING (10 20,30 40,50 60)\n"})
    EXPECT_TRUE(HasPart(info, part)) << part << info;
}

TEST_F(HyperPlanDriver, APointSetIsRefusedAndNothingIsWritten) {
  MakeTimetableDatabase(db);
  MakeShapeSet(WriteCsv(dir, "punti", "WKT,ID MTRAM", "\"WKT\",\"String(20)\"", {"\"POINT (1 2)\",R1"}),
               in + "/punti.shp");
  const DriverRun run = Run("5189", {"file " + in + "/punti.shp"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10,
                                                     "ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n"
                                                     "necessarie per effettuare la conversione in RT_ITIN.SHP\n\n"
                                                     "All'interno dello Shape File deve esistere il seguente "
                                                     "attributo:\n* ID MTRAM alfanumerico max. 20 caratteri\n")});
  EXPECT_EQ(Listing(out), "");

  // A polygon among the lines is refused, naming it, where it would have given no route.
  HandSet set = HandPolylineSet({{"ID MTRAM", 'C', 20}}, {{{{{0, 0}, {1, 1}}}, {"R1"}}, {{{{2, 2}, {3, 3}}}, {"R2"}}},
                                2024, 3, 1);
  const std::size_t second = 2 * static_cast<std::size_t>(static_cast<unsigned char>(set.shx[111]));
  set.shp[second + 8] = 5;
  WriteFileBytes(in + "/misti.shp", set.shp);
  WriteFileBytes(in + "/misti.shx", set.shx);
  WriteFileBytes(in + "/misti.dbf", set.dbf);
  const DriverRun mixed = Run("5189", {"file " + in + "/misti.shp"});
  EXPECT_EQ(Boxes(mixed), std::vector<std::string>{Box(0x10,
                                                       "ATTENZIONE: lo Shape File indicato non può essere "
                                                       "letto.\n\n" +
                                                           in +
                                                           "/misti.shp\nIl record 1 è di tipo 5, mentre lo "
                                                           "Shape File è di tipo 3.")});
  EXPECT_EQ(Listing(out), "");
}

TEST_F(HyperPlanDriver, RouteCodesFromTheDescriptor) {
  MakeRouteCodeDatabase(db);
  // Any case of the extension names the same descriptor.
  WriteFileBytes(in + "/percorsi.Txt", FileBytes(Data("percorsi_hyperplan.txt")));
  const DriverRun run = Run("5190", {"file " + in + "/percorsi.Txt"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            std::vector<std::string>{"FILE\tAcquisizione Descrittore Fermate/Percorsi di HyperPlan\tPERCORSI\t"
                                     "File di testo|*.txt|Tutti i files (*.*)|*.*||"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  EXPECT_EQ(QueryFile(db, "SELECT id, codperc FROM tescor ORDER BY id"), kAssignedRouteCodes);
}

TEST_F(HyperPlanDriver, CancellingTheDescriptorChangesNothing) {
  MakeRouteCodeDatabase(db);
  const std::string before = Dump(db);
  const DriverRun run = Run("5190", {"cancel"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  EXPECT_EQ(Dump(db), before);
}

struct RefusedDescriptor {
  const char* name;
  std::string bytes;
};
void PrintTo(const RefusedDescriptor& r, std::ostream* os) { *os << r.name; }

struct RefusedDescriptorDriver : HyperPlanDriver, ::testing::WithParamInterface<RefusedDescriptor> {};

TEST_P(RefusedDescriptorDriver, IsToldAndChangesNothing) {
  MakeRouteCodeDatabase(db);
  const std::string before = Dump(db);
  ASSERT_NE(before.find("CREATE TABLE"), std::string::npos) << before;
  WriteFileBytes(in + "/percorsi.txt", GetParam().bytes);
  const DriverRun run = Run("5190", {"file " + in + "/percorsi.txt"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10, kInvalidDescriptor)});
  EXPECT_EQ(Dump(db), before);
}

INSTANTIATE_TEST_SUITE_P(
    HyperPlan, RefusedDescriptorDriver,
    ::testing::Values(RefusedDescriptor{"Empty", ""},
                      RefusedDescriptor{"FiveSemicolons", "0;R1;A1#F;1;\n0;R1;B2#F;2;;\n"},
                      RefusedDescriptor{"TrailingEmptyLine", "0;R1;A1#F;1;\n0;R1;B2#F;2;\n\n"},
                      RefusedDescriptor{"RouteCodeOf21", "0;R1;A1#F;1;\n0;" + std::string(21, 'R') + ";B2#F;2;\n"},
                      RefusedDescriptor{"LineOf2000", "0;R1;A1#F;1;\n0;R1;B2#F;2;" + std::string(1988, 'x') + "\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(HyperPlanDriver, MTramDayTypesMergedOnceAndForAll) {
  MakeMTramDatabase(db);
  DriverRun run = Run("5207", {});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, "Elaborazione terminata")});
  EXPECT_EQ(QueryFile(db, "SELECT id, caden FROM period ORDER BY id"), kMergedPeriods);
  EXPECT_EQ(QueryFile(db, "SELECT data, caden FROM calend ORDER BY data, caden"), kMergedCalendar);
  EXPECT_EQ(QueryFile(db, "SELECT codice, denom FROM cadenz ORDER BY codice"), kMergedDayTypes);
  const std::string after = Dump(db);
  run = Run("5207", {});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, "Elaborazione terminata")});
  EXPECT_EQ(Dump(db), after);
}

}  // namespace
