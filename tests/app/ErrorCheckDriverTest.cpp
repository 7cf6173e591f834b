// "verifica &Errori" run in the real program through the headless driver: the options dialog by
// its control ids, the text report chosen in the save dialog and compared byte for byte with a
// hand-made file, a cancelled or impossible save, a database without errors, and the list printed
// to a PDF file with its page dump.

#include "app/AppTestSupport.h"
#include "app/ReportDumpSupport.h"

#include <algorithm>

namespace {

const std::string kNow = "2004-03-05 09:07";
const std::string kCaption = "Quendo - Azienda 17 - A.T.&P. 2 srl [periodo dal 01/01/2024 al 30/06/2024]";
const std::string kFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";
constexpr int kLeft = 50;

class ErrorCheckDriver : public DriverFiles {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, FileBytes(TestDataDir() + "/checks/errori.sql"));
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const std::vector<std::string>& answers, int exitCode = 0) {
    return RunDriver(settings, answers, {"--now", kNow, "--page-dump", dump, "5137"}, exitCode);
  }
  std::string Expected() {
    std::string bytes = FileBytes(TestDataDir() + "/checks/ERR_atteso.txt");
    const std::string mark = "@DATABASE@";
    bytes.replace(bytes.find(mark), mark.size(), db);
    return bytes;
  }

  const std::string db = dir.Path("orari.mdb"), dump = dir.Path("pagine.txt"), pdf = dir.Path("stampa.pdf");
};

TEST_F(ErrorCheckDriver, ReportOnFileIsTheHandMadeFile) {
  const std::string out = dir.Path("ERR_ATP2srl.TXT");
  const DriverRun run = Run({"dialog 130", "  1201=1", "file " + out});
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG"), std::vector<std::string>{"DIALOG\t130\tVerifica Errori"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"),
            std::vector<std::string>{"FILE\tReport Errori Riscontrati\tERR_ATP2srl\t" + kFilter});
  EXPECT_TRUE(Boxes(run).empty());
  EXPECT_EQ(FileBytes(out), Expected());
  EXPECT_TRUE(LinesStartingWith(run.transcript, "PRINT").empty());
  EXPECT_EQ(LastTitle(run), kCaption);
  EXPECT_EQ(Listing(dir.Dir()), "ERR_ATP2srl.TXT\norari.mdb\npagine.txt\nquendo.ini\n") << "no temporary is left";
}

TEST_F(ErrorCheckDriver, OptionsChangeTheirLinesAndRows) {
  const std::string out = dir.Path("errori.txt");
  Run({"dialog 130", "  1203=0", "  1121=1", "  1122=0", "  1201=1", "file " + out});
  const std::string text = FileBytes(out);
  EXPECT_TRUE(
      HasPart(text, "Ricerca errori Ubicazione Fermata: ** SI **\r\nRicerca errori Distanze Progressive: no\r\n"));
  EXPECT_TRUE(HasPart(text, "ID=113 SUB=2 Manca: CodFermata Ubicazione \r\n"));
  EXPECT_FALSE(HasPart(text, "Duplicato"));
  EXPECT_FALSE(HasPart(text, "KmProgressivi"));
}

TEST_F(ErrorCheckDriver, SavesThatWriteNothing) {
  WriteFileBytes(dir.Path("file"), "x");
  const std::string unwritable = dir.Path("file") + "/ERR.TXT";
  struct Case {
    std::vector<std::string> answers;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {{"dialog 130", "  1201=1", "cancel"}, {}},
      {{"dialog 130", "  1201=1", "file " + unwritable}, {Box(0x30, "Impossibile creare\n\n" + unwritable)}},
      {{"dialog 130 cancel"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.back());
    const DriverRun run = Run(c.answers);
    EXPECT_EQ(Boxes(run), c.boxes);
    EXPECT_EQ(Listing(dir.Dir()), "file\norari.mdb\npagine.txt\nquendo.ini\n");
    EXPECT_EQ(LastTitle(run), kCaption);
  }
}

// A value the check cannot read as its kind, in a trip, in the master row's working period or in the company's name:
// one box naming row and field, no generic box before it, no report asked for or printed.
TEST_F(ErrorCheckDriver, AValueOfAnotherKindIsItsOneBox) {
  const std::string tail = "\n\nIl prospetto non è stato preparato: correggere il dato prima di ripeterlo.";
  const std::pair<const char*, std::string> cases[] = {
      {"UPDATE tescor SET ct_lung = 'abc' WHERE id = 102",
       "ATTENZIONE: corsa 102:\nil campo ct_lung (Lunghezza contrattuale) vale 'abc',\nche è un testo e non un numero "
       "intero come richiede la sua colonna." +
           tail},
      {"UPDATE tescor SET ct_lung = 5000 WHERE id = 102; UPDATE master SET datini = '2024-13-01'",
       "ATTENZIONE: dati generali:\nil campo datini (Data Inizio) vale '2024-13-01',\nche è un testo e non una data "
       "come richiede la sua colonna." +
           tail},
      {"UPDATE master SET datini = '2024-01-01'; UPDATE regazi SET denom = X'4181' WHERE codice = 17",
       "ATTENZIONE: azienda 17:\nil campo denom (Denominazione) vale X'4181',\nche è un dato binario e non un testo "
       "come richiede la sua colonna." +
           tail},
  };
  for (const auto& [sql, box] : cases) {
    SCOPED_TRACE(sql);
    RunSql(db, sql);
    RecordCleanClose(settings, db);
    for (const char* output : {"  1201=1", "  1117=1"}) {
      const DriverRun run = Run({"dialog 130", output});
      EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10, box)});
      EXPECT_TRUE(LinesStartingWith(run.transcript, "FILE").empty());
      EXPECT_TRUE(LinesStartingWith(run.transcript, "PRINT").empty());
      EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\npagine.txt\nquendo.ini\n");
    }
  }
}

TEST_F(ErrorCheckDriver, CleanDatabaseSaysSoAndLeavesNoPanel) {
  RunSql(db,
         "DELETE FROM period; DELETE FROM detcor; DELETE FROM tescor WHERE id <> 110;"
         "INSERT INTO period VALUES (110, 'FER', '2024-01-01', '2024-06-30', 0);");
  for (const char* output : {"  1201=1", "  1117=1", "  1116=1"}) {
    RunSql(db,
           "DELETE FROM detcor; INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria,"
           " facolt, nonferma, reglocal) VALUES (110, 1, 'A', 'Uno', 'Qui', 0, 9999, 800, 0, 0, 0, 1),"
           " (110, 2, 'B', 'Due', 'Li', 900, 810, 9999, 0, 0, 0, 1);");
    const DriverRun run = Run({"dialog 130", output});
    EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, "Non è stato riscontrato nessun errore")});
    EXPECT_TRUE(LinesStartingWith(run.transcript, "FILE").empty());
    EXPECT_TRUE(LinesStartingWith(run.transcript, "PRINT").empty());
    EXPECT_EQ(LastTitle(run), kCaption);
    EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\npagine.txt\nquendo.ini\n");
  }
}

TEST_F(ErrorCheckDriver, ListPrintedNarrowIsCentred) {
  RunSql(db,
         "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
         " ct_tempo, codperc, denom, gruppo, mezzo) VALUES"
         " (-1, 'M1', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa', 0, 'X');");
  const DriverRun run = Run({"dialog 130", "  1117=1", "printer " + pdf});
  EXPECT_EQ(LinesStartingWith(run.transcript, "PRINT"),
            (std::vector<std::string>{"PRINTSETUP\tElenco Errori", "PRINT\tElenco Errori\t1"}));
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(PdfPages(pdf), 1);
  const DumpPage& p = pages[0];
  EXPECT_EQ(p.heading, "=== stampa pagina 1 di 1");
  // The head of trip -1 (no stops, no period): its id and "TESTA" on the row of its text.
  const DumpText* row = p.Find("Mancano percorso ed orari");
  ASSERT_NE(row, nullptr);
  std::vector<std::string> texts;
  for (const DumpText& t : p.texts)
    if (t.y == row->y) texts.push_back(t.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"-1", "TESTA", "Mancano percorso ed orari"}));
  EXPECT_NE(p.Find("Codice Corsa Duplicato: ID=105 ID=106 "), nullptr);

  Widths width;
  int widest = 0;
  for (const DumpText& t : p.texts)
    if (t.x == p.Find("Errore")->x && t.y > p.Find("Errore")->y) widest = std::max(widest, width(t.text));
  EXPECT_EQ(widest, width("Manca: Durata LunghezzaContrattuale DurataContrattuale "));
  const int right = kLeft + 20 + width("ID Corsa") + 40 + width("Sub Fermata") + 40 + widest + 20;
  ASSERT_LT(right, width.PrintableWidth());
  const int x1 = kLeft + 20 + (width.PrintableWidth() - right) / 2;
  EXPECT_EQ(p.Find("ID Corsa")->x, x1);
  EXPECT_EQ(p.Find("Sub Fermata")->x, x1 + width("ID Corsa") + 40);
  EXPECT_EQ(p.Find("Errore")->x, x1 + width("ID Corsa") + 40 + width("Sub Fermata") + 40);
  EXPECT_EQ(row->x, p.Find("Errore")->x);
  EXPECT_EQ(p.Find("TESTA")->x + width("TESTA"), p.Find("Errore")->x - 40);
}

TEST_F(ErrorCheckDriver, ALongDuplicateRowStartsTheTableAtTheMargin) {
  std::string sql;
  for (int id = 1000; id < 1150; ++id)
    sql += TripHeadSql(id, 0, 800) + "UPDATE tescor SET codcorsa = 'LUNGO' WHERE id = " + std::to_string(id) + ";";
  RunSql(db, sql);
  const DriverRun run = Run({"dialog 130", "printer " + pdf, "preview close"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "PR").at(0), "PRINTSETUP\tElenco Errori");
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_GT(pages.size(), 1u);
  EXPECT_EQ(pages[0].heading, "=== anteprima pagina 1 di " + std::to_string(pages.size()));
  for (const DumpPage& p : pages) {
    ASSERT_NE(p.Find("ID Corsa"), nullptr);
    EXPECT_EQ(p.Find("ID Corsa")->x, kLeft + 20);
  }
  EXPECT_FALSE(QFile::exists(cp1252::ToQString(pdf))) << "a preview writes no file";
  EXPECT_EQ(LastTitle(run), kCaption);
}

}  // namespace
