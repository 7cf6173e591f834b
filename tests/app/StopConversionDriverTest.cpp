// The stop conversions 5188 (HyperPlan) and 5194 (MicroBus) end to end through the headless
// driver: the input made by GDAL from a CSV file, the two file dialogs, RT_NODI written byte for
// byte as the hand-made set and read back by ogrinfo; refused, damaged and unwritable cases.

#include "app/AppTestSupport.h"
#include "support/GdalTools.h"

#include <QDir>

namespace {

const std::string kFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";
const std::string kOutputLine = "FILE\tSelezione ShapeFile RT_NODI (output)\tRT_NODI\t" + kFilter;

std::string Data(const std::string& name) { return TestDataDir() + "/conversions/" + name; }

struct StopCommand {
  const char* name;
  const char* id;
  const char* caption;
  const char* csv;
  const char* header;  // of a CSV of the tool's own field names
};

struct StopDriver : DriverFiles, ::testing::WithParamInterface<StopCommand> {
  const std::string db = dir.Path("orari.mdb"), in = dir.Path("ingresso"), out = dir.Path("uscita");
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, "UPDATE master SET azienda = 36");
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(in)) && QDir().mkpath(QString::fromStdString(out)));
  }
  std::string InputLine() const { return std::string("FILE\t") + GetParam().caption + "\tNODI\t" + kFilter; }
  DriverRun Run(const std::vector<std::string>& answers, long fileSizeLimit = 0) {
    return RunDriver(settings, answers, {"--now", "2024-03-01 08:00", GetParam().id}, 0, fileSizeLimit);
  }
};

TEST_P(StopDriver, WritesTheHandMadeRtNodiThatOgrinfoReads) {
  MakeShapeSet(Data(GetParam().csv), in + "/nodi.shp");
  const DriverRun run = Run({"file " + in + "/nodi.shp", "file " + out + "/RT_NODI.SHP"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), (std::vector<std::string>{InputLine(), kOutputLine}));
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  for (const char* ext : {"SHP", "SHX", "DBF"}) {
    std::string hex = std::string("rt_nodi_atteso.") + ext + ".hex";
    for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(FileBytes(out + "/RT_NODI." + ext), BytesOfHex(FileBytes(Data(hex)))) << ext;
  }
  const std::string info = OgrInfo(out + "/RT_NODI.SHP");
  for (const char* line : {"Geometry: Point\n", "Feature Count: 4\n",
                           "Extent: (1680000.000000, 4829000.750000) - (1683500.500000, 4832500.500000)\n",
                           "AZIENDA: Integer (5.0)\n", "COD_FERM: String (10.0)\n", "DENOM: String (40.0)\n"})
    EXPECT_TRUE(HasPart(info, line));
  EXPECT_EQ(Listing(out), "RT_NODI.CPG\nRT_NODI.DBF\nRT_NODI.SHP\nRT_NODI.SHX\n");
}

TEST_P(StopDriver, ARefusedInputWritesNothing) {
  MakeShapeSet(
      WriteCsv(dir, "largo", GetParam().header, "\"WKT\",\"String(11)\",\"String(100)\"", {"\"POINT (1 2)\",F1,Nome"}),
      in + "/largo.shp");
  const DriverRun run = Run({"file " + in + "/largo.shp"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{InputLine()});
  ASSERT_EQ(Boxes(run).size(), 1u);
  EXPECT_TRUE(HasPrefix(Boxes(run)[0], Box(0x10,
                                           "ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n"
                                           "necessarie per effettuare la conversione in RT_NODI.SHP\n\n")));
  EXPECT_EQ(Listing(out), "");
}

TEST_P(StopDriver, ADamagedInputIsNamedAndNothingIsWritten) {
  const std::string damaged = "ATTENZIONE: lo Shape File indicato non può essere letto.\n\n";
  struct Case {
    void (*damage)(std::string& shx);
    std::string box;
  };
  for (const Case& c :
       {Case{[](std::string& shx) { shx.resize(shx.size() - 4); },  // the last entry cut
             damaged + in + "/nodi.shx\nL'indice dichiara più voci di quante ne contenga."},
        Case{[](std::string& shx) { shx.resize(shx.size() - 8), shx[27] = static_cast<char>(shx[27] - 4); },
             damaged + in + "/nodi.dbf\nLa tabella dichiara 4 record, l'indice 3."}}) {
    MakeShapeSet(Data(GetParam().csv), in + "/nodi.shp");
    std::string shx = FileBytes(in + "/nodi.shx");
    c.damage(shx);
    WriteFileBytes(in + "/nodi.shx", shx);
    const DriverRun run = Run({"file " + in + "/nodi.shp"});
    EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10, c.box)});
    EXPECT_EQ(Listing(out), "");
  }
}

// A name longer than DENOM is cut to its first 40 characters, and one warning names the stop.
TEST_P(StopDriver, ANameLongerThanDenomIsCutAndNamed) {
  const std::string name = std::string(40, 'n') + "X";
  MakeShapeSet(WriteCsv(dir, "lungo", GetParam().header, "\"WKT\",\"String(10)\",\"String(100)\"",
                        {"\"POINT (1 2)\",F1,Nome", "\"POINT (3 4)\",F2," + name}),
               in + "/lungo.shp");
  const DriverRun run = Run({"file " + in + "/lungo.shp", "file " + out + "/RT_NODI.SHP"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x30,
                                                     "ATTENZIONE: il nome di 1 fermata supera i 40 caratteri del "
                                                     "campo DENOM\ne in RT_NODI.SHP ne sono stati scritti solo i "
                                                     "primi 40:\n\nl'entità 1 [F2 - " +
                                                         name + "]\n")});
  const std::string features = OgrInfoFeatures(out + "/RT_NODI.SHP");
  EXPECT_TRUE(HasPart(features, "COD_FERM (String) = F2\n")) << features;
  EXPECT_TRUE(HasPart(features, "DENOM (String) = " + std::string(40, 'n') + "\n")) << features;
  EXPECT_FALSE(HasPart(features, name)) << features;
}

TEST_P(StopDriver, RecordsThatAreNotPointsAreCountedInOneBox) {
  MakeShapeSet(WriteCsv(dir, "misti", GetParam().header, "\"WKT\",\"String(10)\",\"String(100)\"",
                        {"\"POINT (1 2)\",A,Uno", ",B,Vuota", ",C,Vuota", "\"POINT (3 4)\",D,Due"}),
               in + "/misti.shp");
  const DriverRun run = Run({"file " + in + "/misti.shp", "file " + out + "/RT_NODI.SHP"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x30,
                                                     "ATTENZIONE: 2 entità dello Shape File non sono di tipo "
                                                     "puntuale\ne non sono state convertite in RT_NODI.SHP.")});
  EXPECT_TRUE(HasPart(OgrInfo(out + "/RT_NODI.SHP"), "Feature Count: 2\n"));
}

TEST_P(StopDriver, AnOutputThatCannotBeWrittenIsToldAndLeavesNoFile) {
  // 3,000 stops make a table of 168,129 bytes, beyond what the run may write in a file.
  std::vector<std::string> rows;
  for (int k = 0; k < 3000; ++k)
    rows.push_back("\"POINT (" + std::to_string(k) + " 1)\",F" + std::to_string(k) + ",Nome");
  MakeShapeSet(WriteCsv(dir, "molti", GetParam().header, "\"WKT\",\"String(10)\",\"String(100)\"", rows),
               in + "/nodi.shp");
  const DriverRun run = Run({"file " + in + "/nodi.shp", "file " + out + "/RT_NODI.SHP"}, 64 * 1024);
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x30, "Impossibile creare\n\n" + out + "/RT_NODI.SHP")});
  EXPECT_EQ(Listing(out), "");
}

TEST_P(StopDriver, CancellingTheOutputWritesNothing) {
  MakeShapeSet(Data(GetParam().csv), in + "/nodi.shp");
  const DriverRun run = Run({"file " + in + "/nodi.shp", "cancel"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t").size(), 2u);
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  EXPECT_EQ(Listing(out), "");
}

// The working company stored as a text or as bytes would be written as company 0: refused before any
// file is asked for, one box naming the field and its value.
TEST_P(StopDriver, ACompanyOfAnotherKindIsTheOneBoxBeforeAnyDialog) {
  MakeShapeSet(Data(GetParam().csv), in + "/nodi.shp");
  const std::pair<const char*, std::string> cases[] = {
      {"UPDATE master SET azienda = 'abc'", "'abc',\nche è un testo"},
      {"UPDATE master SET azienda = X'3336'", "X'3336',\nche è un dato binario"},
  };
  for (const auto& [sql, value] : cases) {
    SCOPED_TRACE(sql);
    RunSql(db, sql);
    RecordCleanClose(settings, db);
    const std::string before = QueryFile(db, "SELECT * FROM master");
    const DriverRun run = Run({});
    EXPECT_EQ(Boxes(run), std::vector<std::string>{
                              Box(0x10, "ATTENZIONE: dati generali:\nil campo azienda (Codice Azienda) vale " + value +
                                            " e non un numero intero come richiede la sua colonna.\n\nNessun file è "
                                            "stato scritto: correggere il dato prima di esportare.")});
    EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{});
    EXPECT_EQ(Listing(out), "");
    EXPECT_EQ(QueryFile(db, "SELECT * FROM master"), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    StopConversion, StopDriver,
    ::testing::Values(StopCommand{"HyperPlan", "5188", "Selezione ShapeFile Fermate di HyperPlan (input)",
                                  "fermate_hyperplan.csv", "WKT,sigla,nomeesteso"},
                      StopCommand{"MicroBus", "5194", "Selezione ShapeFile Fermate di Microbus (input)",
                                  "fermate_microbus.csv", "WKT,abbreviazi,descrizion"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
