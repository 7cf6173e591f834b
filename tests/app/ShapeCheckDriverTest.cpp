// The shapefile checks 5168 and 5169 and the multiple-line clean-up 5197 end to end through the
// headless driver: the hand-made imported timetable, shapefiles made by ogr2ogr, the verdict
// boxes answered, the reports compared with hand-made files and the cleaned set read by ogrinfo.

#include "app/AppTestSupport.h"
#include "support/ExchangeData.h"
#include "support/GdalTools.h"
#include "support/HyperPlanData.h"

#include <QDir>
#include <QFile>

namespace {

const std::string kShapeFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";
const char* kStopHeader = "WKT,AZIENDA,COD_FERM,DENOM";
const char* kStopTypes = "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"";
const char* kRouteHeader = "WKT,AZIENDA,COD_PERC,DESCR";
const char* kRouteTypes = "\"WKT\",\"Integer(5)\",\"String(20)\",\"String(120)\"";
const std::string kNotToBeSent =
    "Lo Shape File indicato risulta totalmente inutilizzabile\ne non deve essere inoltrato all'Osservatorio Traporti.";
const std::string kSave = "Vuoi salvare il Report completo degli errori ?";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

struct ShapeCheckDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb"), in = dir.Path("ingresso"), out = dir.Path("uscita");
  void SetUp() override {
    // The imported timetable (company 17) with one name for F03: stops F01 Aulla Stazione, F02
    // Bivio Olivola, F03 Città, f01 AULLA STAZIONE.
    MakeImportedDatabase(db);
    RunSql(db, "UPDATE detcor SET denom = 'Città' WHERE fermata = 'F03'");
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(in)) && QDir().mkpath(QString::fromStdString(out)));
  }
  std::string Stops(const std::vector<std::string>& rows) {
    MakeShapeSet(WriteCsv(dir, "nodi", kStopHeader, kStopTypes, rows), in + "/nodi.shp");
    return in + "/nodi.shp";
  }
  std::string Routes(const std::vector<std::string>& rows, const char* types = kRouteTypes) {
    MakeShapeSet(WriteCsv(dir, "itin", kRouteHeader, types, rows), in + "/itin.shp");
    return in + "/itin.shp";
  }
  DriverRun Run(const char* id, const std::vector<std::string>& answers) {
    return RunDriver(settings, answers, {"--now", "2024-03-01 08:00", id});
  }
};

const std::vector<std::string> kAllStops = {"\"POINT (1 1)\",17,F01,Aulla Stazione",
                                            "\"POINT (2 2)\",17,F02,Bivio Olivola", "\"POINT (3 3)\",17,F03,Città",
                                            "\"POINT (4 4)\",17,f01,AULLA STAZIONE"};

struct VerdictCase {
  const char* name;
  std::vector<std::string> rows;
  std::string extraSql;
  std::string box;
};
void PrintTo(const VerdictCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::string> With(std::vector<std::string> rows, const std::vector<std::string>& more) {
  rows.insert(rows.end(), more.begin(), more.end());
  return rows;
}

std::string MissingBox(const std::string& listed) {
  return Box(0x11, "ATTENZIONE: nello Shape File indicato mancano le seguenti fermate:\n\n" + listed +
                       "\nAnche se lo Shape File indicato risulta solo parzialmente utilizzabile \npotrebbe essere "
                       "inoltrato all'Osservatorio Traporti.\n\nE' comunque fortemente consigliato inserire le "
                       "fermate mancanti e poi\nprocedere ad una nuova verifica prima dell'invio.\n\n" +
                       kSave);
}

// Stops M1 .. Mn of a further trip, all missing from the shapefile.
std::string FurtherStops(int n) {
  std::string sql;
  for (int k = 1; k <= n; ++k)
    sql +=
        "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
        " VALUES (1, " +
        std::to_string(100 + k) + ", 'M" + std::to_string(k) + "', 'Via " + std::to_string(k) +
        "', 0, 800, 801, 0, 0, 0, 0);";
  return sql;
}

struct StopVerdict : ShapeCheckDriver, ::testing::WithParamInterface<VerdictCase> {};

TEST_P(StopVerdict, IsTheMessageWithItsIcon) {
  if (!GetParam().extraSql.empty()) RunSql(db, GetParam().extraSql);
  // Only a question takes an answer: Cancel, which writes no report.
  std::vector<std::string> answers{"file " + Stops(GetParam().rows)};
  if (HasPrefix(GetParam().box, "0x11")) answers.push_back("cancel");
  const DriverRun run = Run("5168", answers);
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            std::vector<std::string>{"FILE\tVerifica Shape Fermate\tRT_NODI\t" + kShapeFilter});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{GetParam().box});
}

INSTANTIATE_TEST_SUITE_P(
    ShapeFindings, StopVerdict,
    ::testing::Values(
        VerdictCase{"C_OtherCompany",
                    {"\"POINT (1 1)\",36,F01,Aulla Stazione"},
                    "",
                    Box(0x10,
                        "ATTENZIONE: lo Shape File indicato non contiene neppure una fermata\ngeoreferenziata "
                        "associabile alla comunicazione degli orari corrente.\n\n" +
                            kNotToBeSent)},
        VerdictCase{
            "D_TwoMissingOneRenamed",
            {"\"POINT (1 1)\",17,F01,Aulla Stazione", "\"POINT (3 3)\",17,F03,Citta", "\"POINT (5 5)\",17,X7,Extra"},
            "",
            MissingBox("manca georeferenziazione fermata F02 - Bivio Olivola\n"
                       "manca georeferenziazione fermata f01 - AULLA STAZIONE\n")},
        VerdictCase{"D_FiveMissing",
                    {"\"POINT (1 1)\",17,F01,Aulla Stazione", "\"POINT (3 3)\",17,F03,Città"},
                    FurtherStops(3),
                    MissingBox("manca georeferenziazione fermata F02 - Bivio Olivola\n"
                               "manca georeferenziazione fermata M1 - Via 1\n"
                               "manca georeferenziazione fermata M2 - Via 2\n"
                               "manca georeferenziazione fermata M3 - Via 3\n"
                               "manca georeferenziazione fermata f01 - AULLA STAZIONE\n")},
        VerdictCase{"D_SixMissing",
                    {"\"POINT (1 1)\",17,F01,Aulla Stazione", "\"POINT (3 3)\",17,F03,Città"},
                    FurtherStops(4),
                    MissingBox("manca georeferenziazione fermata F02 - Bivio Olivola\n"
                               "manca georeferenziazione fermata M1 - Via 1\n"
                               "manca georeferenziazione fermata M2 - Via 2\n"
                               "manca georeferenziazione fermata M3 - Via 3\n"
                               "manca georeferenziazione fermata M4 - Via 4\n"
                               "... altri errori omessi ...\n")},
        VerdictCase{"E_NameInCapitals",
                    {kAllStops[0], kAllStops[1], "\"POINT (3 3)\",17,F03,CITTÀ", kAllStops[3]},
                    "",
                    Box(0x11,
                        "ATTENZIONE: nello Shape File indicato sono presenti le seguenti criticità:\n\nla fermata "
                        "F03 - [Città] nello ShapeFile ha nome [CITTÀ]\n\nLo Shape File indicato risulta comunque "
                        "utilizzabile e potrebbe\ntranquillamente essere inoltrato all'Osservatorio Traporti.\n\nE' "
                        "comunque fortemente consigliato correggere le fermate incongruenti\ne poi procedere ad una "
                        "nuova verifica prima dell'invio.\n\n" +
                            kSave)},
        VerdictCase{"F_UnusedAndSecondOfTwo",
                    With(kAllStops, {"\"POINT (5 5)\",17,X7,Extra", "\"POINT (6 6)\",17,F02,Doppia",
                                     "\"POINT (7 7)\",17, F03,Città"}),
                    "",
                    Box(0x11,
                        "ATTENZIONE: nello Shape File indicato sono presenti alcune fermate inutili:\n\nX7 - "
                        "Extra\nF02 - Doppia\n F03 - Città\n\nLo Shape File indicato risulta comunque utilizzabile "
                        "e potrebbe\ntranquillamente essere inoltrato all'Osservatorio Traporti.\n\nE' comunque "
                        "fortemente consigliato eliminare le fermate inutili\ne poi procedere ad una nuova verifica "
                        "prima dell'invio.\n\n" +
                            kSave)},
        VerdictCase{"G_PerfectWithTrailingBlanks", kAllStops,
                    "UPDATE detcor SET fermata = 'F02  ' WHERE fermata = 'F02'",
                    Box(0x40,
                        "Lo Shape File indicato risulta perfettamente utilizzabile\ne può tranquillamente essere "
                        "inoltrato all'Osservatorio Traporti.")}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ShapeCheckDriver, TheStopReportIsTheHandMadeOne) {
  const std::string input =
      Stops({"\"POINT (1 1)\",17,F01,Aulla Stazione", "\"POINT (3 3)\",17,F03,Citta", "\"POINT (5 5)\",17,X7,Extra"});
  const DriverRun run = Run("5168", {"file " + input, "ok", "file " + out + "/errori.txt"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t").back(),
            "FILE\tReport Errori Riscontrati\tERRORI_RT_NODI\tFile di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||");
  const std::string expected =
      Replaced(Replaced(FileBytes(TestDataDir() + "/conversions/errori_rt_nodi_atteso.txt"), "<DATABASE>", db),
               "<BASE>", in + "/nodi");
  EXPECT_EQ(FileBytes(out + "/errori.txt"), expected);
}

TEST_F(ShapeCheckDriver, AReportThatCannotBeWrittenIsToldWhole) {
  const std::string input = Stops({"\"POINT (1 1)\",17,F01,Aulla Stazione"});
  const DriverRun run = Run("5168", {"file " + input, "ok", "file " + out + "/assente/errori.txt"});
  EXPECT_EQ(Boxes(run).back(), Box(0x30, "Impossibile creare\n\n" + out + "/assente/errori.txt"));
  EXPECT_EQ(Listing(out), "");
}

TEST_F(ShapeCheckDriver, ADamagedOrUnusableSetIsNamedWithoutVerdict) {
  std::string input = Stops(kAllStops);
  QFile::remove(QString::fromStdString(in + "/nodi.dbf"));
  DriverRun run = Run("5168", {"file " + input});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10,
                                                     "ATTENZIONE: lo Shape File indicato non può essere "
                                                     "letto.\n\n" +
                                                         in + "/nodi.DBF\nIl file non esiste.\n\n" + kNotToBeSent)});
  // Stops without a point, as ogr2ogr writes rows without geometry: the last one is no point, so
  // the set is not one of points; those before a point are named.
  input = Stops({",17,F01,Aulla Stazione", ",17,F02,Bivio Olivola", ",17,F03,Città", ",17,f01,AULLA STAZIONE"});
  run = Run("5168", {"file " + input});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(
                            0x10, "ATTENZIONE: lo Shape File indicato non è di tipo PUNTUALE.\n\n" + kNotToBeSent)});
  input = Stops({kAllStops[0], ",17,F02,Bivio Olivola", ",17,F03,Città", kAllStops[3]});
  run = Run("5168", {"file " + input});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{
                            Box(0x10,
                                "ATTENZIONE: nello Shape File indicato sono presenti entità senza una\ngeometria "
                                "utilizzabile:\n\nl'entità 1 [F02 - Bivio Olivola]\nl'entità 2 [F03 - Città]\n\n" +
                                    kNotToBeSent)});
}

TEST_F(ShapeCheckDriver, RoutesOfSeveralLinesPassAndEachOtherDescriptionDiffers) {
  // Route P1 has the descriptions "Aulla - Città" and "Aulla - Città bis"; P2 has none.
  const std::string input =
      Routes({"\"MULTILINESTRING ((0 0,1 1),(2 2,3 3))\",17,P1,Aulla - Città", "\"LINESTRING (0 0,1 1)\",17,P2,"});
  const DriverRun run = Run("5169", {"file " + input, "cancel"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            std::vector<std::string>{"FILE\tVerifica Shape Percorsi Linee\tRT_ITIN\t" + kShapeFilter});
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{
                Box(0x11,
                    "ATTENZIONE: nello Shape File indicato sono presenti le seguenti criticità:\n\nil percorso P1 - "
                    "[Aulla - Città bis] nello ShapeFile ha nome [Aulla - Città]\n\nLo Shape File indicato risulta "
                    "comunque utilizzabile e potrebbe\ntranquillamente essere inoltrato all'Osservatorio "
                    "Traporti.\n\nE' comunque fortemente consigliato correggere i percorsi incongruenti\ne poi "
                    "procedere ad una nuova verifica prima dell'invio.\n\n" +
                        kSave)});
}

TEST_F(ShapeCheckDriver, NoRouteOfTheCompanyOffersTheReport) {
  const std::string input = Routes({"\"LINESTRING (0 0,1 1)\",36,P1,Aulla - Città"});
  const DriverRun run = Run("5169", {"file " + input, "ok", "file " + out + "/errori.txt"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{
                            Box(0x11,
                                "ATTENZIONE: lo Shape File indicato non contiene neppure un percorso\ngeoreferenziato "
                                "associabile alla comunicazione degli orari corrente.\n\n" +
                                    kNotToBeSent + "\n\n" + kSave)});
  const std::string report = FileBytes(out + "/errori.txt");
  EXPECT_TRUE(HasPart(report, "01/03/2024 08.00 Report verifica ShapeFile Percorsi (Quendo)\r\nDatabase: " + db +
                                  "\r\nShapeFile: " + in + "/itin.SHP\r\n"));
  EXPECT_TRUE(HasPart(report,
                      "******* Percorsi presenti negli orari ed assenti nello shapefile *******\r\n\r\n"
                      "manca georeferenziazione percorso P1 - Aulla - Città\r\n"
                      "manca georeferenziazione percorso P1 - Aulla - Città bis\r\n"
                      "manca georeferenziazione percorso P2 - \r\n"
                      "\r\n******* Percorsi con codici corrispondenti ma nomi differenti ********\r\n\r\n"
                      "\r\n****** Percorsi presenti nello shapefile ed assenti negli orari ******\r\n\r\n"))
      << report;
  EXPECT_TRUE(report.ends_with("ed assenti negli orari ******\r\n\r\n")) << report;
}

TEST_F(ShapeCheckDriver, TheRouteReportIsTheHandMadeOne) {
  // P1 named as its first description, P2 absent, X9 and a second P1 unused.
  const std::string input =
      Routes({"\"LINESTRING (0 0,1 1)\",17,P1,Aulla - Città", "\"LINESTRING (2 2,3 3)\",17,X9,Città Extra",
              "\"LINESTRING (4 4,5 5)\",17,P1,Doppio"});
  const DriverRun run = Run("5169", {"file " + input, "ok", "file " + out + "/errori.txt"});
  EXPECT_EQ(Boxes(run).size(), 1u);
  EXPECT_TRUE(HasPrefix(Boxes(run)[0], Box(0x11,
                                           "ATTENZIONE: nello Shape File indicato mancano i seguenti percorsi:\n\n"
                                           "manca georeferenziazione percorso P2 - \n\n")));
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t").back(),
            "FILE\tReport Errori Riscontrati\tERRORI_RT_ITIN\tFile di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||");
  const std::string expected =
      Replaced(Replaced(FileBytes(TestDataDir() + "/conversions/errori_rt_itin_atteso.txt"), "<DATABASE>", db),
               "<BASE>", in + "/itin");
  EXPECT_EQ(FileBytes(out + "/errori.txt"), expected);
}

// 5197 on a set of three routes of company 36: X drawn in three lines (its last with a repeated
// point), Y in two, Z in one.
const std::vector<std::string> kMultiRoutes = {"\"MULTILINESTRING ((0 0,1 1),(2 2,3 3),(4 4,5 5,5 5,6 6))\",36,X,Prima",
                                               "\"MULTILINESTRING ((10 10,11 11),(12 12,13 13))\",36,Y,Seconda",
                                               "\"LINESTRING (20 20,21 21)\",36,Z,Terza"};

const std::string kQuestion =
    "Lo shapefile RT_ITIN non presenta affatto un formato accettabile in quanto\nsono stati identificati 2 percorsi "
    "descritti come entità lineari multiple.\n\nQuesta funzione è in grado di tentare il recupero delle entità "
    "lineari\nmultiple, in modo tale da conservare solo l'ultima linea di ogni entità.\n\nIntendi procedere alla "
    "normalizzazione di RT_ITIN ?";
const std::string kNotGenerated =
    "A cause delle azioni precedenti non è possibile generare lo shapefile\ndei percorsi (RT_ITIN.SHP)";

TEST_F(ShapeCheckDriver, MultipleLinesKeepTheirLastLine) {
  const std::string input = Routes(kMultiRoutes);
  const DriverRun run =
      Run("5197", {"file " + input, "ok", "file " + out + "/RT_ITIN.SHP", "file " + out + "/generazione.txt"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            (std::vector<std::string>{
                "FILE\tVerifica Shape Percorsi Linee\tRT_ITIN\t" + kShapeFilter,
                "FILE\tSelezione ShapeFile RT_ITIN (output)\tRT_ITIN\t" + kShapeFilter,
                "FILE\tReport Generazione RT_ITIN (riduzione linee multiple)\tGENERAZIONE_RT_ITIN\tFile di testo "
                "(*.txt)|*.txt|Tutti i files (*.*)|*.*||"}));
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{
                            Box(0x21, kQuestion),
                            Box(0x40,
                                "Lo shapefile RT_ITIN.SHP è stato generato con successo\n\nE' opportuno "
                                "consultare con attenzione il report che sta per essere\ngenerato, al fine di "
                                "verificare la qualità del risultato.")}));
  const std::string info = OgrInfoFeatures(out + "/RT_ITIN.SHP");
  EXPECT_FALSE(HasPart(info, "MULTILINESTRING")) << info;
  for (const char* part : {"COD_PERC (String) = X\n  DESCR (String) = Prima\n  LINESTRING (4 4,5 5,6 6)\n",
                           "COD_PERC (String) = Y\n  DESCR (String) = Seconda\n  LINESTRING (12 12,13 13)\n",
                           "COD_PERC (String) = Z\n  DESCR (String) = Terza\n  LINESTRING (20 20,21 21)\n"})
    EXPECT_TRUE(HasPart(info, part)) << part << info;
  EXPECT_EQ(FileBytes(out + "/generazione.txt"),
            std::string(87, '=') +
                "\r\n01/03/2024 08.00 Report Generazione shapefile RT_ITIN (linee multiple) (Quendo)\r\n" +
                std::string(87, '=') +
                "\r\n\r\nAzienda 36 Percorso X: Eliminate 2 linee\r\nAzienda 36 Percorso Y: Eliminate 1 linee\r\n"
                "Azienda 36 Percorso Z: Confermato\r\n");
}

TEST_F(ShapeCheckDriver, CancellingTheCleanUpWritesNothing) {
  const DriverRun run = Run("5197", {"file " + Routes(kMultiRoutes), "cancel"});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x21, kQuestion), Box(0x10, kNotGenerated)}));
  EXPECT_EQ(Listing(out), "");
}

TEST_F(ShapeCheckDriver, AnOutputThatCannotBeCreatedIsToldAndNothingIsWritten) {
  const std::string input = Routes(kMultiRoutes);
  // The output folder forbids writing, even to a run that has the power to override file modes.
  ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(out), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                                     QFile::ExeGroup | QFile::ReadOther |
                                                                     QFile::ExeOther));
  const DriverRun run = RunDriver(settings, {"file " + input, "ok", "file " + out + "/RT_ITIN.SHP"},
                                  {"--now", "2024-03-01 08:00", "5197"}, 0, 0, true);
  QFile::setPermissions(QString::fromStdString(out), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(Boxes(run),
            (std::vector<std::string>{Box(0x21, kQuestion), Box(0x30, "Impossibile creare\n\n" + out + "/RT_ITIN.SHP"),
                                      Box(0x10, kNotGenerated)}));
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t").size(), 2u);
  EXPECT_EQ(Listing(out), "");
}

TEST_F(ShapeCheckDriver, SingleLinesAreValidAndNothingIsWritten) {
  const DriverRun run = Run("5197", {"file " + Routes({kMultiRoutes[2]})});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{
                            Box(0x40,
                                "Lo shapefile RT_ITIN presenta un formato perfettamente valido e può\nessere "
                                "inoltrato all'Osservatorio Trasporti senza necessità di alcuna\ntrasformazione.")});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t").size(), 1u);
  EXPECT_EQ(Listing(out), "");
}

TEST_F(ShapeCheckDriver, ARouteCodeOf21IsRefused) {
  const DriverRun run =
      Run("5197", {"file " + Routes(kMultiRoutes, "\"WKT\",\"Integer(5)\",\"String(21)\",\"String(120)\"")});
  ASSERT_EQ(Boxes(run).size(), 1u);
  EXPECT_TRUE(HasPrefix(Boxes(run)[0], Box(0x10,
                                           "ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n"
                                           "necessarie per effettuare l'importazione delle coordinate dei "
                                           "percorsi.\n\n")));
  EXPECT_EQ(Listing(out), "");
}

// The program's own sets, made by 5188 from a HyperPlan stop set and by 5189 from a HyperPlan route
// set that match the timetable, are perfect for the checks 5168 and 5169.
struct OwnSetCase {
  const char* name;
  const char* conversion;
  const char* check;
  const char* header;
  const char* types;
  std::vector<std::string> rows;
  const char* output;
  // When not empty: the output replaces a set of its name GDAL wrote in UTF-8 (its .CPG saying so);
  // ogrinfo shows this line of it.
  const char* shown = "";
};
void PrintTo(const OwnSetCase& c, std::ostream* os) { *os << c.name; }

struct OwnSetDriver : DriverFiles, ::testing::WithParamInterface<OwnSetCase> {
  const std::string db = dir.Path("orari.mdb"), in = dir.Path("ingresso"), out = dir.Path("uscita");
  void SetUp() override {
    // Company 17: trips 1 and 2 on route R1 over A1 B2 C3, trip 3 on route R3 over A1 X9; the
    // routes without a description, as the route conversion writes them.
    MakeTimetableDatabase(db);
    RunSql(db, TripHeadSql(1, 1, 700) + TripStopsSql(1, "A1,B2,C3") + TripHeadSql(2, 1, 800) +
                   TripStopsSql(2, "A1,B2,C3") + TripHeadSql(3, 2, 700) + TripStopsSql(3, "A1,X9") +
                   "UPDATE tescor SET codperc = CASE id WHEN 3 THEN 'R3' ELSE 'R1' END, denom = NULL;"
                   "UPDATE detcor SET denom = CASE fermata WHEN 'A1' THEN 'Piazza della Repubblica'"
                   " WHEN 'B2' THEN 'Località Ponte a Moriano' WHEN 'C3' THEN 'Via dei Mille'"
                   " ELSE 'Stazione' END;");
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(in)) && QDir().mkpath(QString::fromStdString(out)));
  }
  DriverRun Run(const char* id, const std::vector<std::string>& answers) {
    return RunDriver(settings, answers, {"--now", "2024-03-01 08:00", id});
  }
};

TEST_P(OwnSetDriver, IsPerfectForItsCheck) {
  MakeShapeSet(WriteCsv(dir, "hyperplan", GetParam().header, GetParam().types, GetParam().rows), in + "/hp.shp");
  const std::string output = out + "/" + GetParam().output + (*GetParam().shown ? ".shp" : ".SHP");
  if (*GetParam().shown) {
    MakeShapeSet(dir.Path("hyperplan.csv"), output, {QStringLiteral("-lco"), QStringLiteral("ENCODING=UTF-8")});
    const std::string base = out + "/" + GetParam().output;
    ASSERT_TRUE(QFile::rename(QString::fromStdString(base + ".cpg"), QString::fromStdString(base + ".CPG")));
  }
  const DriverRun made = Run(GetParam().conversion, {"file " + in + "/hp.shp", "file " + output});
  ASSERT_EQ(Boxes(made), std::vector<std::string>{});
  ASSERT_TRUE(QFile::exists(QString::fromStdString(output)));
  EXPECT_TRUE(!*GetParam().shown || HasPart(OgrInfoFeatures(output), cp1252::ToUtf8(GetParam().shown)));
  const DriverRun run = Run(GetParam().check, {"file " + output});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            std::vector<std::string>{std::string("FILE\t") +
                                     (GetParam().output == std::string("RT_NODI") ? "Verifica Shape Fermate"
                                                                                  : "Verifica Shape Percorsi Linee") +
                                     "\t" + GetParam().output + "\t" + kShapeFilter});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40,
                                                     "Lo Shape File indicato risulta perfettamente utilizzabile\ne "
                                                     "può tranquillamente essere inoltrato all'Osservatorio "
                                                     "Traporti.")});
}

const char* const kOwnStopHeader = "WKT,sigla,nomeesteso";
const char* const kOwnStopTypes = "\"WKT\",\"String(10)\",\"String(100)\"";
const std::vector<std::string> kOwnStops = {"\"POINT (1 1)\",A1,Piazza della Repubblica",
                                            "\"POINT (2 2)\",B2,Località Ponte a Moriano",
                                            "\"POINT (3 3)\",C3,Via dei Mille", "\"POINT (4 4)\",X9,Stazione"};

INSTANTIATE_TEST_SUITE_P(
    ProgramsOwnSets, OwnSetDriver,
    ::testing::Values(OwnSetCase{"Stops", "5188", "5168", kOwnStopHeader, kOwnStopTypes, kOwnStops, "RT_NODI"},
                      OwnSetCase{"StopsOverAUtf8Set", "5188", "5168", kOwnStopHeader, kOwnStopTypes, kOwnStops,
                                 "RT_NODI", "DENOM (String) = Località Ponte a Moriano\n"},
                      OwnSetCase{"Routes",
                                 "5189",
                                 "5169",
                                 "WKT,ID MTRAM",
                                 "\"WKT\",\"String(20)\"",
                                 {"\"LINESTRING (0 0,1 1,2 2)\",R1", "\"LINESTRING (10 20,30 40)\",R3"},
                                 "RT_ITIN"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
