// The directories of stops, routes, lines, termini and trip chains and the primary-stop analysis,
// run in the real program through the headless driver on one hand-made database: each printed to
// a PDF file, its pages read back from the page dump and compared with a hand-made file; the
// analysis's text report; and every way these commands end without a report.

#include "app/ReportDumpSupport.h"

namespace {

const std::string kNow = "2004-03-05 09:07";
const std::string kCaption = "Quendo - Azienda 17 - Autolinee Prova [periodo dal 01/01/2024 al 30/06/2024]";
const std::string kNoData = "0x40\tNon ci sono dati da stampare !!!";

// The lines of a text, each without its line end.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (size_t from = 0, end; (end = bytes.find('\n', from)) != std::string::npos; from = end + 1)
    lines.push_back(bytes.substr(from, end - from));
  return lines;
}

// The dump as the hand-made files hold it: the page headings, the texts in the order drawn, and
// "### fondo <colour>" where a row is drawn on a band of its own.
std::vector<std::string> DumpLines(const std::string& path) {
  std::vector<std::string> out;
  for (const std::string& line : Lines(FileBytes(path))) {
    const size_t a = line.find('\t'), b = line.find('\t', a + 1);
    if (line.rfind("===", 0) == 0) {
      out.push_back(line);
    } else if (line.rfind("###", 0) == 0) {
      out.push_back(line.substr(0, a));
    } else {
      EXPECT_NE(b, std::string::npos) << line;
      out.push_back(b == std::string::npos ? line : line.substr(b + 1));
    }
  }
  return out;
}

class DirectoryDriver : public DriverFiles {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, FileBytes(TestDataDir() + "/reports/rubriche.sql"));
    // The program opens only a file whose rows keep the builder's relations: the locality of the stops that the
    // reports' own tests place in none.
    RunSql(db, "INSERT INTO local (id, denom, istat, comune, prov) VALUES (7777, 'Fantasma', 3, 'Comune Tre', 'MS')");
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const std::vector<std::string>& answers, const std::string& command, int exitCode = 0) {
    return RunDriver(settings, answers, {"--now", kNow, "--page-dump", dump, command}, exitCode);
  }

  const std::string db = dir.Path("orari.mdb"), dump = dir.Path("pagine.txt"), pdf = dir.Path("stampa.pdf");
};

struct Printed {
  std::string command;
  std::string dialog;       // the options dialog
  std::string caption;      // its caption
  std::string printChoice;  // the answer that chooses "Stampa"
  std::string title;        // the report's
  std::string expected;     // the hand-made file of its pages
};

void PrintTo(const Printed& p, std::ostream* os) { *os << p.command; }

const Printed kPrinted[] = {
    {"5140", "132", "Rubrica Fermate (normalizzate)", "1128=1", "Rubrica Fermate (normalizzate)",
     "rubrica_fermate.txt"},
    {"5192", "132", "Rubrica Fermate (normalizzate)", "1128=1", "Rubrica Fermate (normalizzate)",
     "rubrica_fermate_errori.txt"},
    {"5163", "146", "Rubrica Fermate (Località)", "1128=1", "Rubrica Fermate (Località)",
     "rubrica_fermate_localita.txt"},
    {"5141", "133", "Rubrica Percorsi (normalizzati)", "1130=1", "Rubrica Percorsi (normalizzati)",
     "rubrica_percorsi.txt"},
    {"5200", "133", "Rubrica Percorsi (normalizzati)", "1130=1", "Rubrica Percorsi (normalizzati)",
     "rubrica_percorsi_errori.txt"},
    {"5142", "137", "Rubrica Linee (normalizzate)", "1130=1", "Rubrica Linee (normalizzate)", "rubrica_linee.txt"},
    {"5153", "138", "Rubrica Capolinea", "1130=1", "Rubrica Capolinea", "rubrica_capolinea.txt"},
    {"5174", "151", "Rubrica Concatenazioni Corse", "1130=1", "Rubrica Concatenazioni Corse",
     "rubrica_concatenazioni.txt"},
    {"5205", "157", "Analisi Fermate Primarie", "1128=1", "Rubrica Fermate (Analisi Primarie",
     "rubrica_fermate_primarie.txt"},
};

class DirectoryPrinted : public DirectoryDriver, public ::testing::WithParamInterface<Printed> {};

TEST_P(DirectoryPrinted, PagesAsTheHandMadeFile) {
  const Printed& p = GetParam();
  const DriverRun run = Run({"dialog " + p.dialog, "  " + p.printChoice, "printer " + pdf}, p.command);
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG"),
            std::vector<std::string>{"DIALOG\t" + p.dialog + "\t" + U8(p.caption)});
  EXPECT_EQ(LinesStartingWith(run.transcript, "PR"),
            (std::vector<std::string>{"PRINTSETUP\t" + U8(p.title), "PRINT\t" + U8(p.title) + "\t1"}));
  EXPECT_TRUE(Boxes(run).empty());
  EXPECT_EQ(LastTitle(run), kCaption);
  EXPECT_EQ(DumpLines(dump), ExpectedLines(p.expected));
  EXPECT_EQ(PdfPages(pdf), 1);
}

INSTANTIATE_TEST_SUITE_P(Directories, DirectoryPrinted, ::testing::ValuesIn(kPrinted),
                         [](const auto& test) { return "Command" + test.param.command; });

struct LongCase {
  std::string command, dialog, answer;
  const char* pageSize;  // as pdfinfo gives it
};
void PrintTo(const LongCase& c, std::ostream* os) { *os << c.command << " " << c.answer; }

class LongDirectory : public DirectoryDriver, public ::testing::WithParamInterface<LongCase> {};

// Pages of stops: every text drawn is on the paper, no row cut by the page's foot nor a column
// by its edge; a directory wider than a portrait page is proposed on landscape paper, unless the
// answer turns it back.
TEST_P(LongDirectory, EveryTextDrawnIsOnThePaper) {
  const LongCase& c = GetParam();
  // 300 stops, each code with two places (a normalisation error each).
  RunSql(db,
         "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 600)"
         " INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma,"
         " reglocal) SELECT 1, 100 + k, 'G' || (k % 300), 'Fermata numero ' || (k % 300),"
         " (CASE WHEN k > 300 THEN 'Piazza ' ELSE 'Via del Borgo ' END) || (k % 300), 10 * k, 9999, 9999, k % 2,"
         " k % 3 = 0, 0, 9001 + k % 2 FROM n;");
  const DriverRun run = Run({"dialog " + c.dialog, "  1128=1", "printer " + pdf + c.answer}, c.command);
  EXPECT_TRUE(Boxes(run).empty());
  const std::string info = Poppler("pdfinfo", pdf);
  EXPECT_TRUE(HasPart(info, std::string("Page size:       ") + c.pageSize));
  if (c.answer == " portrait") return;  // the columns past the edge are the user's choice
  const std::string text = Poppler("pdftotext", pdf);
  int pages = 0, texts = 0;
  std::vector<std::string> missing;
  for (const std::string& line : DumpLines(dump)) {
    if (line.rfind("===", 0) == 0) {
      ++pages;
    } else if (line.rfind("###", 0) != 0) {
      ++texts;
      if (text.find(line) == std::string::npos) missing.push_back(line);
    }
  }
  EXPECT_EQ(missing, std::vector<std::string>{});
  EXPECT_GT(pages, 3);
  EXPECT_GT(texts, 600);
}

const char* const kPortrait = "595 x 842 pts (A4)";
const char* const kLandscape = "842 x 595 pts (A4)";

INSTANTIATE_TEST_SUITE_P(
    Directories, LongDirectory,
    ::testing::Values(LongCase{"5140", "132", "", kLandscape}, LongCase{"5192", "132", "", kLandscape},
                      LongCase{"5140", "132", " portrait", kPortrait}, LongCase{"5163", "146", "", kPortrait},
                      LongCase{"5205", "157", "", kPortrait}),
    [](const auto& test) { return "Command" + test.param.command + (test.param.answer.empty() ? "" : "Portrait"); });

// Without stop rows every stop report says so, opens no print setup and leaves no panel.
TEST_F(DirectoryDriver, NoStopRowsNoReport) {
  RunSql(db, "DELETE FROM detcor;");
  for (const auto& [command, dialog] : std::vector<std::pair<std::string, std::string>>{
           {"5140", "132"}, {"5192", "132"}, {"5163", "146"}, {"5153", "138"}, {"5205", "157"}}) {
    SCOPED_TRACE(command);
    const DriverRun run = Run({"dialog " + dialog}, command);
    EXPECT_EQ(Boxes(run), std::vector<std::string>{kNoData});
    EXPECT_TRUE(LinesStartingWith(run.transcript, "PR").empty());
    EXPECT_EQ(LastTitle(run), kCaption);
  }
  // The text report too: no file dialog.
  const DriverRun run = Run({"dialog 157", "  1201=1"}, "5205");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{kNoData});
  EXPECT_TRUE(LinesStartingWith(run.transcript, "FILE").empty());
  // Trips without links: no chain directory.
  RunSql(db, "UPDATE tescor SET prevcor = NULL, nextcor = NULL;");
  EXPECT_EQ(Boxes(Run({"dialog 151"}, "5174")), std::vector<std::string>{kNoData});
}

// A value its column cannot hold as its kind stops the report with one message naming row, field
// and value: no print setup, no file dialog, no file.
TEST_F(DirectoryDriver, AValueNotOfItsColumnsKindStopsTheReport) {
  RunSql(db, "UPDATE detcor SET denom = X'436974E0' WHERE id = 2 AND sub = 2;");
  RecordCleanClose(settings, db);
  const DriverRun printed = Run({"dialog 132"}, "5140");
  EXPECT_EQ(Boxes(printed), std::vector<std::string>{U8(
                                "0x10\tATTENZIONE: fermata 2 della corsa 2:\\nil campo denom (Denominazione Fermata) "
                                "vale X'436974E0',\\nche è un dato binario e non un testo come richiede la sua "
                                "colonna.\\n\\nIl prospetto non è stato preparato: correggere il dato prima di "
                                "ripeterlo.")});
  EXPECT_TRUE(LinesStartingWith(printed.transcript, "PR").empty());
  EXPECT_EQ(LastTitle(printed), kCaption);

  // The analysis as a text report: the file's own ending, and no file dialog.
  RunSql(db,
         "UPDATE detcor SET denom = 'Mercato' WHERE id = 2 AND sub = 2; "
         "UPDATE detcor SET primaria = 'abc' WHERE id = 1 AND sub = 2;");
  RecordCleanClose(settings, db);
  const DriverRun text = Run({"dialog 157", "  1201=1"}, "5205");
  EXPECT_EQ(Boxes(text), std::vector<std::string>{U8(
                             "0x10\tATTENZIONE: fermata 2 della corsa 1:\\nil campo primaria (Fermata principale) "
                             "vale 'abc',\\nche è un testo e non un numero intero come richiede la sua colonna.\\n\\n"
                             "Nessun file è stato scritto: correggere il dato prima di esportare.")});
  EXPECT_TRUE(LinesStartingWith(text.transcript, "FILE").empty());
  EXPECT_TRUE(LinesStartingWith(text.transcript, "PR").empty());
  EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\npagine.txt\nquendo.ini\n");
}

TEST_F(DirectoryDriver, PrimaryStopTextReport) {
  const std::string out = dir.Path("analisi.txt");
  const DriverRun run = Run({"dialog 157", "  1201=1", "file " + out}, "5205");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"),
            std::vector<std::string>{"FILE\tReport Analisi Fermate Primarie\tFermatePrimarie\tFile di testo "
                                     "(*.txt)|*.txt|Tutti i files (*.*)|*.*||"});
  EXPECT_TRUE(Boxes(run).empty());
  EXPECT_TRUE(LinesStartingWith(run.transcript, "PR").empty()) << "nothing is shown in the view";
  EXPECT_EQ(LastTitle(run), kCaption);
  std::string expected = FileBytes(TestDataDir() + "/reports/fermate_primarie.txt");
  expected.replace(expected.find("@DATABASE@"), 10, db);
  std::string crlf;
  for (char ch : expected) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  EXPECT_EQ(FileBytes(out), crlf);
  EXPECT_EQ(Listing(dir.Dir()), "analisi.txt\norari.mdb\npagine.txt\nquendo.ini\n");

  // The file dialog cancelled: nothing written, no panel.
  const DriverRun cancelled = Run({"dialog 157", "  1201=1", "cancel"}, "5205");
  EXPECT_TRUE(Boxes(cancelled).empty());
  EXPECT_TRUE(LinesStartingWith(cancelled.transcript, "PR").empty());
  EXPECT_EQ(LastTitle(cancelled), kCaption);
  EXPECT_EQ(Listing(dir.Dir()), "analisi.txt\norari.mdb\npagine.txt\nquendo.ini\n");

  // A folder that is not there: said, and nothing written.
  const std::string missing = dir.Path("manca") + "/analisi.txt";
  const DriverRun refused = Run({"dialog 157", "  1201=1", "file " + missing}, "5205");
  EXPECT_EQ(Boxes(refused), std::vector<std::string>{"0x30\tImpossibile creare\\n\\n" + missing});
  EXPECT_EQ(Listing(dir.Dir()), "analisi.txt\norari.mdb\npagine.txt\nquendo.ini\n");
}

// The default choice previews; the preview closed prints nothing. Cancel ends the command.
TEST_F(DirectoryDriver, PreviewOrCancel) {
  const DriverRun run = Run({"dialog 138", "printer " + pdf, "preview close"}, "5153");
  EXPECT_EQ(LinesStartingWith(run.transcript, "PR"),
            (std::vector<std::string>{"PRINTSETUP\tRubrica Capolinea", "PREVIEW\tRubrica Capolinea\t1"}));
  std::vector<std::string> pages = DumpLines(dump);
  ASSERT_FALSE(pages.empty());
  EXPECT_EQ(pages[0], "=== anteprima pagina 1 di 1");
  EXPECT_EQ(LastTitle(run), kCaption);

  const DriverRun cancelled = Run({"dialog 133 cancel"}, "5141");
  EXPECT_TRUE(LinesStartingWith(cancelled.transcript, "PR").empty());
  EXPECT_TRUE(Boxes(cancelled).empty());
}

}  // namespace
