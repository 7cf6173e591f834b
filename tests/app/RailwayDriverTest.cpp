// The railway commands end to end through the headless driver: 5198 joins sections made by
// ogr2ogr to the stations of an RT_NODI set and writes the hand-made ARCHI_FS; 5199 draws the
// routes of a database made with SQL along an ARCHI_FS set and writes the hand-made RT_ITIN and
// report; refused sets and every cancelled dialog write nothing.

#include "app/AppTestSupport.h"
#include "support/GdalTools.h"
#include "support/HandShapes.h"
#include "support/HyperPlanData.h"

#include <QDir>

namespace {

const std::string kFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";
const std::string kArcsFailed =
    "A cause delle azioni precedenti non è possibile generare lo shapefile\ndegli archi ferroviari (ARCHI_FS.SHP)";
const std::string kRoutesFailed =
    "A cause delle azioni precedenti non è possibile generare lo shapefile\ndei percorsi (RT_ITIN.SHP)";
const std::string kRoutesDone =
    "Lo shapefile RT_ITIN.SHP è stato generato con successo\n\nE' opportuno consultare con attenzione il report che "
    "sta per essere\ngenerato, al fine di verificare la qualità del risultato.";

struct RailDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb"), in = dir.Path("ingresso"), out = dir.Path("uscita");
  void SetUp() override {
    MakeTimetableDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(in)) && QDir().mkpath(QString::fromStdString(out)));
    // Company 17's stations, and G of company 99 nearest to the end of section 3.
    MakeShapeSet(
        WriteCsv(dir, "stazioni", "WKT,AZIENDA,COD_FERM,DENOM", "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"",
                 {"\"POINT (0 0)\",17,A,Alfa", "\"POINT (100 0)\",17,B,Beta", "\"POINT (200 0)\",17,C,Gamma",
                  "\"POINT (300 0)\",17,D,Delta", "\"POINT (400 10)\",17,E,Epsilon", "\"POINT (400 -10)\",17,F,Zeta",
                  "\"POINT (600 0)\",99,G,Altra", "\"POINT (600 20)\",17,H,Eta"}),
        in + "/stazioni.shp");
  }
  DriverRun Run(const char* id, const std::vector<std::string>& answers) {
    return RunDriver(settings, answers, {"--now", "2024-03-01 08:00", id});
  }
  void ExpectSet(const std::string& base, const HandSet& set) {
    EXPECT_EQ(FileBytes(base + ".SHP"), set.shp);
    EXPECT_EQ(FileBytes(base + ".SHX"), set.shx);
    EXPECT_EQ(FileBytes(base + ".DBF"), set.dbf);
  }
  std::string ArcCsv(const std::string& name, const std::vector<std::string>& rows, int iniWidth = 10) {
    return WriteCsv(dir, name, "WKT,NODO_INI,NODO_FIN",
                    "\"WKT\",\"String(" + std::to_string(iniWidth) + ")\",\"String(10)\"", rows);
  }
};

const std::vector<HandField> kArcFields{{"NODO_INI", 'C', 10}, {"NODO_FIN", 'C', 10}};

TEST_F(RailDriver, ArcsJoinTheSectionsToTheStations) {
  MakeShapeSet(WriteCsv(dir, "tratte", "WKT,NOME", "\"WKT\",\"String(10)\"",
                        {"\"LINESTRING (0 0,50 10,100 30)\",t0", "\"LINESTRING (100 0,150 5,200 0)\",t1",
                         "\"LINESTRING (200 0,300 0,400 0)\",t2", "\"LINESTRING (400 10,600 3)\",t3",
                         "\"MULTILINESTRING ((0 0,100 0),(5 5,6 6),(7 7,8 8))\",t4"}),
               in + "/tratte.shp", {QStringLiteral("-nlt"), QStringLiteral("MULTILINESTRING")});
  const DriverRun run =
      Run("5198", {"file " + in + "/stazioni.shp", "file " + in + "/tratte.shp", "file " + out + "/ARCHI_FS.SHP"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            (std::vector<std::string>{"FILE\tSelezione ShapeFile Stazioni (RT_NODI.SHP)\tRT_NODI\t" + kFilter,
                                      "FILE\tSelezione ShapeFile Tratte Ferroviarie\tTRATTE\t" + kFilter,
                                      "FILE\tSelezione ShapeFile ARCHI_FS (output)\tARCHI_FS\t" + kFilter}));
  EXPECT_EQ(Boxes(run),
            (std::vector<std::string>{Box(0x30,
                                          "ATTENZIONE: l'entità 4 è rappresentata da 3 linee.\n\nVerrà conservata "
                                          "esclusivamente la 1^ linea, mentre le successive\nverranno eliminate !!!"),
                                      Box(0x40, "Lo shapefile ARCHI_FS.SHP è stato generato con successo\n\n")}));
  ExpectSet(out + "/ARCHI_FS",
            HandPolylineSet(kArcFields,
                            {{{{{0, 0}, {50, 10}, {100, 30}, {100, 0}}}, {"A", "B"}},    // 30 from B: B's point added
                             {{{{100, 0}, {150, 5}, {200, 0}}}, {"B", "C"}},             // both ends on stations
                             {{{{200, 0}, {300, 0}, {400, 0}, {400, 10}}}, {"C", "E"}},  // E before F
                             {{{{400, 10}, {600, 3}}}, {"E", ""}},  // G, of another company, is nearest
                             {{{{0, 0}, {100, 0}}}, {"A", "B"}}},   // the first of three parts
                            2024, 3, 1));
  const std::string info = OgrInfo(out + "/ARCHI_FS.SHP");
  for (const char* part :
       {"Geometry: Line String\n", "Feature Count: 5\n", "NODO_INI: String (10.0)\n", "NODO_FIN: String (10.0)\n"})
    EXPECT_TRUE(HasPart(info, part)) << part << info;
}

TEST_F(RailDriver, AnEmptySectionSetGivesAnEmptyArcSet) {
  MakeShapeSet(WriteCsv(dir, "tratte", "WKT,NOME", "\"WKT\",\"String(10)\"", {}), in + "/tratte.shp",
               {QStringLiteral("-nlt"), QStringLiteral("LINESTRING")});
  const DriverRun run =
      Run("5198", {"file " + in + "/stazioni.shp", "file " + in + "/tratte.shp", "file " + out + "/ARCHI_FS.SHP"});
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x40, "Lo shapefile ARCHI_FS.SHP è stato generato con successo\n\n")});
  ExpectSet(out + "/ARCHI_FS", HandPolylineSet(kArcFields, {}, 2024, 3, 1));
}

TEST_F(RailDriver, APointSetIsNotASectionSet) {
  const DriverRun run = Run("5198", {"file " + in + "/stazioni.shp", "file " + in + "/stazioni.shp"});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x10, "ATTENZIONE: lo Shape File indicato non è di tipo lineare"),
                                                  Box(0x10, kArcsFailed)}));
  EXPECT_EQ(Listing(out), "");
}

struct CancelCase {
  const char* id;
  int dialog;  // the dialog cancelled, from 0
};

struct RailCancel : RailDriver, ::testing::WithParamInterface<CancelCase> {};

TEST_P(RailCancel, CancelInAnyDialogWritesNothing) {
  RunSql(db, TripHeadSql(1, 1, 700) + TripStopsSql(1, "A,B"));
  MakeShapeSet(ArcCsv("archi", {"\"LINESTRING (0 0,100 0)\",A,B"}), in + "/archi.shp");
  const bool arcs = std::string(GetParam().id) == "5198";
  const std::vector<std::string> files{"file " + in + "/stazioni.shp",
                                       "file " + in + (arcs ? "/archi.shp" : "/archi.shp"),
                                       "file " + out + (arcs ? "/ARCHI_FS.SHP" : "/RT_ITIN.SHP")};
  std::vector<std::string> answers(files.begin(), files.begin() + GetParam().dialog);
  answers.push_back("cancel");
  const DriverRun run = Run(GetParam().id, answers);
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10, arcs ? kArcsFailed : kRoutesFailed)});
  EXPECT_EQ(Listing(out), "");
}

INSTANTIATE_TEST_SUITE_P(Dialogs, RailCancel,
                         ::testing::Values(CancelCase{"5198", 0}, CancelCase{"5198", 1}, CancelCase{"5198", 2},
                                           CancelCase{"5199", 0}, CancelCase{"5199", 1}, CancelCase{"5199", 2}));

// Routes R1 to R6 over stations A-D: R1 A B C along A->B and C->B reversed; R2 and R3 A D without an
// arc; R4 C D where both C->D and D->C exist; R5 D A X with X no station and no arc D-A; R6 only
// stops that are no stations.
void MakeRailTimetable(const std::string& db) {
  std::string sql;
  const std::vector<std::pair<std::string, std::string>> routes{{"R1", "A,B,C"}, {"R2", "A,D"},   {"R3", "A,D"},
                                                                {"R4", "C,D"},   {"R5", "D,A,X"}, {"R6", "Y,X"}};
  int id = 0;
  for (const auto& [code, stops] : routes) {
    ++id;
    sql += TripHeadSql(id, id, 700) + TripStopsSql(id, stops) + "UPDATE tescor SET codperc = '" + code +
           "' WHERE id = " + std::to_string(id) + ";";
  }
  RunSql(db, sql);
}

const std::vector<HandField> kRouteFields{{"AZIENDA", 'N', 5}, {"COD_PERC", 'C', 20}, {"DESCR", 'C', 120}};

const char* const kReport =
    "=======================================================================================\r\n"
    "01/03/2024 08.00 Report Generazione shapefile RT_ITIN RezuRuzada (Quendo)\r\n"
    "=======================================================================================\r\n"
    "\r\n"
    "\r\n******* Fermate non trovate in RT_NODI ****************************\r\n\r\n"
    "manca fermata X\r\nmanca fermata Y\r\n\r\n\r\n\r\n"
    "\r\n******* Archi non trovati nello shapefile RezuRuzada ****************\r\n\r\n"
    "manca arco A - D\r\nmanca arco D - A\r\n\r\n\r\n\r\n"
    "\r\n******* Percorsi Generati *****************************************\r\n\r\n"
    "OK          - Percorso R1\r\n"
    "INTERPOLATO - Percorso R2\r\n"
    "INTERPOLATO - Percorso R3\r\n"
    "OK          - Percorso R4\r\n"
    "INTERPOLATO - Percorso R5\r\n"
    "OK          - Percorso R6\r\n";

struct RailItineraries : RailDriver, ::testing::WithParamInterface<bool> {};

TEST_P(RailItineraries, RoutesAlongTheArcsWithTheirReport) {
  MakeRailTimetable(db);
  const std::vector<std::string> arcs{"\"LINESTRING (0 0,50 5,100 0)\",A,B", "\"LINESTRING (200 0,150 -5,100 0)\",C,B",
                                      "\"LINESTRING (300 0,250 0,200 0)\",D,C",
                                      "\"LINESTRING (200 0,250 9,300 0)\",C,D"};
  std::string arcSet = in + "/archi.shp";
  if (GetParam()) {
    // The arcs as 5198 makes them from sections that already run between stations.
    std::vector<std::string> sections;
    for (const std::string& a : arcs) sections.push_back(a.substr(0, a.rfind("\",") + 1) + ",s");
    MakeShapeSet(WriteCsv(dir, "tratte", "WKT,NOME", "\"WKT\",\"String(10)\"", sections), in + "/tratte.shp");
    const DriverRun made =
        Run("5198", {"file " + in + "/stazioni.shp", "file " + in + "/tratte.shp", "file " + in + "/ARCHI_FS.SHP"});
    ASSERT_EQ(Boxes(made).size(), 1u);
    arcSet = in + "/ARCHI_FS.SHP";
  } else {
    MakeShapeSet(ArcCsv("archi", arcs), arcSet);
  }
  const DriverRun run = Run("5199", {"file " + in + "/stazioni.shp", "file " + arcSet, "file " + out + "/RT_ITIN.SHP",
                                     "file " + out + "/GENERAZIONE_RT_ITIN.TXT"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            (std::vector<std::string>{"FILE\tSelezione ShapeFile Stazioni (RT_NODI.SHP)\tRT_NODI\t" + kFilter,
                                      "FILE\tSelezione ShapeFile Archi Ferroviari\tARCHI_FS\t" + kFilter,
                                      "FILE\tSelezione ShapeFile RT_ITIN (output)\tRT_ITIN\t" + kFilter,
                                      "FILE\tReport Generazione RT_ITIN RezuRuzada\tGENERAZIONE_RT_ITIN\t"
                                      "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||"}));
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, kRoutesDone)});
  ExpectSet(out + "/RT_ITIN",
            HandPolylineSet(kRouteFields,
                            {{{{{0, 0}, {50, 5}, {100, 0}, {150, -5}, {200, 0}}}, {"17", "R1"}},
                             {{{{0, 0}, {300, 0}}}, {"17", "R2"}},
                             {{{{0, 0}, {300, 0}}}, {"17", "R3"}},
                             {{{{200, 0}, {250, 9}, {300, 0}}}, {"17", "R4"}},  // the forward arc wins
                             {{{{300, 0}, {0, 0}}}, {"17", "R5"}}},             // ends at A, the last station
                            2024, 3, 1));
  EXPECT_EQ(FileBytes(out + "/GENERAZIONE_RT_ITIN.TXT"), kReport);
}

INSTANTIATE_TEST_SUITE_P(ArcSets, RailItineraries, ::testing::Bool());

struct ArcRefusal {
  const char* name;
  const char* wkt;
  int iniWidth;
};

struct RailArcRefusal : RailDriver, ::testing::WithParamInterface<ArcRefusal> {};

TEST_P(RailArcRefusal, IsRefusedAndNothingIsWritten) {
  MakeRailTimetable(db);
  MakeShapeSet(ArcCsv("archi", {std::string("\"") + GetParam().wkt + "\",A,B"}, GetParam().iniWidth),
               in + "/archi.shp");
  const DriverRun run = Run("5199", {"file " + in + "/stazioni.shp", "file " + in + "/archi.shp"});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{
                            Box(0x10,
                                "ATTENZIONE: lo Shape File indicato non ha le caratteristiche\nnecessarie per essere "
                                "riconosciuto come ARCHI FERROVIARI\n\nAll'interno dello Shape File deve esistere i "
                                "seguenti attributi:\n* NODO_INI alfanumerico max. 10 caratteri (Nodo Inizio Arco\n* "
                                "NODO_FIN alfanumerico max. 10 caratteri (Nodo Fine Arco\n"),
                            Box(0x10, kRoutesFailed)}));
  EXPECT_EQ(Listing(out), "");
}

INSTANTIATE_TEST_SUITE_P(Sets, RailArcRefusal,
                         ::testing::Values(ArcRefusal{"points", "POINT (1 2)", 10},
                                           ArcRefusal{"wideStart", "LINESTRING (0 0,1 1)", 12}),
                         [](const auto& p) { return std::string(p.param.name); });

// A route code stored by another tool with a character Windows-1252 lacks would reach RT_ITIN as
// '?', a stop code stored as bytes would be looked up as its SQL text: refused before any file is
// asked for, naming the trip and the field.
struct StoredRefusal {
  const char* name;
  const char* sql;
  const char* refusal;
};
void PrintTo(const StoredRefusal& c, std::ostream* os) { *os << c.name; }

struct RailStoredRefusal : RailDriver, ::testing::WithParamInterface<StoredRefusal> {};

TEST_P(RailStoredRefusal, IsTheOnlyMessageAndNothingIsWritten) {
  MakeRailTimetable(db);
  RunSql(db, GetParam().sql);
  RecordCleanClose(settings, db);
  const DriverRun run = Run("5199", {});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{
                            Box(0x10, std::string(GetParam().refusal) +
                                          "\n\nNessun file è stato scritto: correggere il dato prima di esportare."),
                            Box(0x10, kRoutesFailed)}));
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{});
  EXPECT_EQ(Listing(out), "");
}

INSTANTIATE_TEST_SUITE_P(
    Timetable, RailStoredRefusal,
    ::testing::Values(StoredRefusal{"RouteCodeOutsideTheCodePage",
                                    "UPDATE tescor SET codperc = 'R' || char(0x141) WHERE id = 3",
                                    "ATTENZIONE: corsa 3:\nil campo codperc (codice percorso) contiene il carattere "
                                    "U+0141 in posizione 2 del testo,\nmentre il tracciato regionale ammette nei testi "
                                    "solo caratteri della codifica Windows-1252."},
                      StoredRefusal{"StopCodeAsBytes", "UPDATE detcor SET fermata = X'4181' WHERE id = 3 AND sub = 2",
                                    "ATTENZIONE: corsa 3, fermata 2:\nil campo fermata (codice fermata) vale X'4181',"
                                    "\nche è un dato binario e non un testo come richiede la sua colonna."},
                      // The company the stations are chosen by, and RT_ITIN's AZIENDA: never company 0.
                      StoredRefusal{"CompanyAsText", "UPDATE master SET azienda = 'abc'",
                                    "ATTENZIONE: dati generali:\nil campo azienda (Codice Azienda) vale 'abc',"
                                    "\nche è un testo e non un numero intero come richiede la sua colonna."}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(RailDriver, AReportThatCannotBeWrittenIsSaid) {
  MakeRailTimetable(db);
  MakeShapeSet(ArcCsv("archi", {"\"LINESTRING (0 0,100 0)\",A,B"}), in + "/archi.shp");
  const std::string report = out + "/manca/GENERAZIONE_RT_ITIN.TXT";
  const DriverRun run = Run("5199", {"file " + in + "/stazioni.shp", "file " + in + "/archi.shp",
                                     "file " + out + "/RT_ITIN.SHP", "file " + report});
  EXPECT_EQ(Boxes(run),
            (std::vector<std::string>{Box(0x40, kRoutesDone), Box(0x30, "Impossibile creare\n\n" + report)}));
}

}  // namespace
