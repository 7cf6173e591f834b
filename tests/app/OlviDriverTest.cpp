// The files for the Olvi GIS end to end through the headless driver: 5185 and 5186 write the
// hand-made FERMATE_OLVI and PERCORSI_OLVI; a refusal says why, tells 0 lines and leaves the file
// already there byte for byte; 5208 reads an edited FERMATE_OLVI back into the stop rows.

#include "app/AppTestSupport.h"
#include "support/ExchangeData.h"
#include "support/OlviData.h"

namespace {

const std::string kFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

struct OlviDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb"), out = dir.Path("FERMATE_OLVI.TXT");
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, OlviTimetableSql());
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const std::vector<std::string>& answers, const char* command) {
    return RunDriver(settings, answers, {command});
  }
  std::vector<std::string> StopRows() const {
    return QueryLines(db, "SELECT id, sub, fermata, denom, ifnull(ubicaz, 'NULL') FROM detcor ORDER BY id, sub");
  }
};

TEST_F(OlviDriver, StopsAndRoutesWrittenAsTheHandMadeFiles) {
  DriverRun run = Run({"file " + out}, "5185");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"),
            std::vector<std::string>{"FILE\tEsportazione FERMATE_OLVI\tFERMATE_OLVI\t" + kFilter});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, "Inserite 4 righe in FERMATE_OLVI")});
  EXPECT_EQ(FileBytes(out), FileBytes(HandMadeFile("FERMATE_OLVI.TXT")));
  const std::string routes = dir.Path("PERCORSI_OLVI.TXT");
  run = Run({"file " + routes}, "5186");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"),
            std::vector<std::string>{"FILE\tEsportazione PERCORSI_OLVI\tPERCORSI_OLVI\t" + kFilter});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, "Inserite 7 righe in PERCORSI_OLVI")});
  EXPECT_EQ(FileBytes(routes), FileBytes(HandMadeFile("PERCORSI_OLVI.TXT")));
  EXPECT_EQ(Listing(dir.Dir()), "FERMATE_OLVI.TXT\nPERCORSI_OLVI.TXT\norari.mdb\nquendo.ini\n");
}

struct RefusalCase {
  const char* name;
  const char* command;
  const char* sql;
  const char* first;    // the refusal's first line
  const char* closing;  // none: the refusal comes before the file is asked for, and is all there is
};

struct OlviRefusalDriver : OlviDriver, ::testing::WithParamInterface<RefusalCase> {};

TEST_P(OlviRefusalDriver, LeavesThePreviousFileAsItWas) {
  const std::string previous = "il file di prima\r\n";
  WriteFileBytes(out, previous);
  RunSql(db, GetParam().sql);
  RecordCleanClose(settings, db);
  const bool asked = GetParam().closing != nullptr;
  const DriverRun run =
      Run(asked ? std::vector<std::string>{"file " + out} : std::vector<std::string>{}, GetParam().command);
  const std::vector<std::string> boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), asked ? 2u : 1u);
  EXPECT_TRUE(HasPrefix(boxes[0], Box(0x10, GetParam().first)));
  if (asked) {
    EXPECT_EQ(boxes[1], Box(0x40, GetParam().closing));
  } else {
    EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"), std::vector<std::string>{});
  }
  EXPECT_EQ(FileBytes(out), previous);
  EXPECT_EQ(Listing(dir.Dir()), "FERMATE_OLVI.TXT\norari.mdb\nquendo.ini\n");
}

const RefusalCase kRefusals[] = {
    {"DuplicateStop", "5185", "UPDATE detcor SET ubicaz = 'Altrove' WHERE id = 2 AND sub = 1;",
     "ATTENZIONE: alcune fermate presentano un Codice Aziendale duplicato  !!!\n\n",
     "Inserite 0 righe in FERMATE_OLVI"},
    {"BlankStopCode", "5185", "UPDATE detcor SET fermata = '  ' WHERE id = 5;",
     "ATTENZIONE: alcune fermate sono prive del Codice Aziendale !!!\n\n", "Inserite 0 righe in FERMATE_OLVI"},
    {"NoStops", "5185", "DELETE FROM detcor;", "ATTENZIONE: non esistono fermate registrate !!!\n\n",
     "Inserite 0 righe in FERMATE_OLVI"},
    {"DuplicateRoute", "5186", "UPDATE tescor SET denom = 'Altra' WHERE id = 3;",
     "ATTENZIONE: alcuni percorsi presentano un Codice Aziendale duplicato  !!!\n\n",
     "Inserite 0 righe in PERCORSI_OLVI"},
    {"MissingRoute", "5186", "UPDATE tescor SET codperc = NULL WHERE id = 2;",
     "ATTENZIONE: alcuni percorsi sono privi del Codice Aziendale !!!\n\n", "Inserite 0 righe in PERCORSI_OLVI"},
    {"NoRoutes", "5186", "DELETE FROM detcor; DELETE FROM tescor;",
     "ATTENZIONE: non esistono percorsi registrati !!!\n\nNon è possibile esportare i percorsi per VurOlvi",
     "Inserite 0 righe in PERCORSI_OLVI"},
    // The working company stored as what its column cannot hold: never company 0.
    {"CompanyAsText", "5185", "UPDATE master SET azienda = 'abc';",
     "ATTENZIONE: dati generali:\nil campo azienda (codice azienda) vale 'abc',\nche è un testo e non un numero "
     "intero come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare.",
     nullptr},
    {"CompanyAsBytes", "5186", "UPDATE master SET azienda = X'3137';",
     "ATTENZIONE: dati generali:\nil campo azienda (codice azienda) vale X'3137',\nche è un dato binario e non un "
     "numero intero come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di "
     "esportare.",
     nullptr},
};

INSTANTIATE_TEST_SUITE_P(Olvi, OlviRefusalDriver, ::testing::ValuesIn(kRefusals),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(OlviDriver, NotWrittenWhenCancelledOrNotCreated) {
  for (const char* command : {"5185", "5186", "5208"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(Boxes(Run({"cancel"}, command)), std::vector<std::string>{});
  }
  const std::string missing = dir.Path("manca") + "/FERMATE_OLVI.TXT";
  for (const char* command : {"5185", "5186"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(Boxes(Run({"file " + missing}, command)),
              std::vector<std::string>{Box(0x30, "Impossibile creare\n\n" + missing)});
  }
  EXPECT_EQ(Boxes(Run({"file " + missing}, "5208")),
            std::vector<std::string>{Box(0x10, "Impossibile aprire\n\n" + missing)});
  EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\nquendo.ini\n");
}

TEST_F(OlviDriver, StopsExportedEditedAndReadBack) {
  ASSERT_EQ(Boxes(Run({"file " + out}, "5185")).size(), 1u);
  std::string bytes = FileBytes(out);
  const std::string before = "17\tF1\tPiazza Grande\tCentro\r\n", after = "17\tF1\tPiazza \"Grande\"\tCentro\r\n";
  bytes.replace(bytes.find(before), before.size(), after);
  WriteFileBytes(out, bytes);
  const DriverRun run = Run({"file " + out}, "5208");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"),
            std::vector<std::string>{"FILE\tImportazione Fermate per VurOlvi\tFERMATE_OLVI\t" + kFilter});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, "Sono stati modificati 7 dettagli orari")});
  EXPECT_EQ(QueryLines(db, "SELECT id, denom FROM detcor WHERE fermata = 'F1' ORDER BY id"),
            (std::vector<std::string>{"1|Piazza \"Grande\"", "2|Piazza \"Grande\"", "3|Piazza \"Grande\""}));
}

TEST_F(OlviDriver, WithCompanyZeroTheHeadingIsNoStop) {
  RunSql(db, "UPDATE master SET azienda = 0;");
  ASSERT_EQ(Boxes(Run({"file " + out}, "5185")),
            std::vector<std::string>{Box(0x40, "Inserite 4 righe in FERMATE_OLVI")});
  EXPECT_TRUE(HasPrefix(FileBytes(out), "Azienda\tFermata\tDenominazione\tUbicazione\r\n0\tF1\tPiazza Grande\t"));
  // A stop coded as the heading's second field, added after the export.
  RunSql(db, OlviStopSql(5, 2, "'Fermata'", "'Capolinea'", "'Piazzale'", 900));
  EXPECT_EQ(Boxes(Run({"file " + out}, "5208")),
            std::vector<std::string>{Box(0x40, "Sono stati modificati 7 dettagli orari")});
  EXPECT_EQ(QueryLines(db, "SELECT denom, ubicaz FROM detcor WHERE fermata = 'Fermata'"),
            std::vector<std::string>{"Capolinea|Piazzale"});
}

TEST_F(OlviDriver, ImportWithoutMasterOrLinesOfTheCompanyChangesNothing) {
  const std::vector<std::string> rows = StopRows();
  WriteLines(out, {"Azienda\tFermata\tDenominazione\tUbicazione", "18\tF1\tAltrove\tLontano"});
  const std::string noStop =
      "Il file proposto non contiene neppure una Fermata Olvi\nriferibile all'Azienda di Lavoro !!!";
  EXPECT_EQ(Boxes(Run({"file " + out}, "5208")), std::vector<std::string>{Box(0x10, noStop)});
  // No master row (the program makes one when it opens the database: here another program holds the file's write lock).
  RunSql(db, "DELETE FROM master;");
  WriteLines(out, {"Azienda\tFermata\tDenominazione\tUbicazione", "17\tF1\tAltrove\tLontano", "0\tF1\tAltrove\t"});
  std::vector<std::string> boxes;
  {
    const HeldWriteLock writing(db);
    boxes = Boxes(Run({"file " + out}, "5208"));
  }
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes[boxes.size() - 2], Box(0x10, "ATTENZIONE: non è definita l'Azienda di Lavoro !!!"));
  EXPECT_EQ(boxes.back(), Box(0x10, noStop));
  EXPECT_EQ(StopRows(), rows);
}

}  // namespace
