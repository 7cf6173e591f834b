// The day-type and calendar directories run in the real program through the headless driver: the
// options dialogs, the print setup, the preview and the print run, the pages as the page dump and
// the PDF file show them, and every way a run ends without a report.

#include "app/ReportDumpSupport.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <map>

namespace {

const std::string kNow = "2004-03-05 09:07";
const std::string kPrintTime = "05/03/2004 09:07";
const std::string kHeading = "Quendo - \"Gestione degli orari del trasporto pubblico locale\"";
const std::string kCaption = "Quendo - Azienda 17 - Autolinee Prova [periodo dal 01/01/2024 al 30/06/2024]";
constexpr int kLeft = 50;

class ReportDriver : public DriverFiles {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db,
           "UPDATE regazi SET denom = 'Autolinee Prova' WHERE codice = 17;"
           "INSERT INTO cadenz VALUES ('SCO', 'Scolastico'), ('FER', 'Feriale'), ('AAA', 'Zeta'),"
           " ('FES', 'Festivo');"
           "INSERT INTO calend (data, caden, giorno, note) VALUES ('2024-03-04', 'FER', '1', ' '),"
           " ('2024-03-05', 'SCO', '2', 'Sciopero'), ('2024-03-05', 'FER', '2', 'Sciopero'),"
           " ('2024-03-05', 'FES', '2', 'Sciopero'), ('2024-03-06', 'FER', '8', ' '),"
           " ('2024-04-01', 'FES', '1', 'Pasquetta');");
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const std::vector<std::string>& answers, const std::string& command, int exitCode = 0) {
    return RunDriver(settings, answers, {"--now", kNow, "--page-dump", dump, command}, exitCode);
  }

  const std::string db = dir.Path("orari.mdb"), dump = dir.Path("pagine.txt"), pdf = dir.Path("stampa.pdf");
};

TEST_F(ReportDriver, DayTypesByNamePrinted) {
  const DriverRun run = Run({"dialog 123", "  1078=1", "  1080=1", "printer " + pdf}, "5133");
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG"), std::vector<std::string>{"DIALOG\t123\tRubrica Cadenze"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "PRINT"),
            (std::vector<std::string>{"PRINTSETUP\tRubrica Cadenze", "PRINT\tRubrica Cadenze\t1"}));
  EXPECT_EQ(LinesStartingWith(run.transcript, "TITLE\tRubrica"), std::vector<std::string>{"TITLE\tRubrica Cadenze"});
  EXPECT_EQ(LastTitle(run), kCaption);  // the view is gone once the program was idle
  EXPECT_EQ(Boxes(run), std::vector<std::string>{}) << run.err;

  const std::vector<DumpPage> pages = ReadDump(dump);
  EXPECT_EQ(DumpLines(pages), ExpectedLines("rubrica_cadenze_per_nome.txt"));
  EXPECT_EQ(PdfPages(pdf), 1);
  const std::string text = Poppler("pdftotext", pdf);
  for (const std::string& t : pages.at(0).Texts()) EXPECT_TRUE(HasPart(text, t));
  EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\npagine.txt\nquendo.ini\nstampa.pdf\n") << "no temporary file is left";

  // The layout: heading and page number at the margins, the narrow table centred.
  Widths width;
  const int kPrintableWidth = width.PrintableWidth();
  EXPECT_EQ(kPrintableWidth, 595 * 600 / 72 - 100);
  const DumpPage& p = pages.at(0);
  EXPECT_EQ(p.Find(kHeading)->x, kLeft);
  EXPECT_EQ(p.Find("Pag. 1 di 1")->x + width("Pag. 1 di 1"), kLeft + kPrintableWidth);
  EXPECT_EQ(p.Find(kPrintTime)->x + width(kPrintTime), kLeft + kPrintableWidth);
  EXPECT_EQ(p.Find(kPrintTime)->y, p.Find("Pag. 1 di 1")->y + (p.Find(kPrintTime)->y - p.Find(kHeading)->y));
  const int code = width(std::string(10, 'V')), name = width(std::string(60, 'V'));
  const int right = kLeft + 20 + code + 40 + name + 20;
  ASSERT_LT(right, kPrintableWidth);
  const int x1 = kLeft + 20 + (kPrintableWidth - right) / 2;
  EXPECT_EQ(p.Find("Codice")->x, x1);
  EXPECT_EQ(p.Find("FER")->x, x1);
  EXPECT_EQ(p.Find("Denominazione Cadenza")->x, x1 + code + 40);
  EXPECT_EQ(p.Find("Feriale")->x, x1 + code + 40);
}

TEST_F(ReportDriver, CalendarOfARangePrinted) {
  const DriverRun run =
      Run({"dialog 124", "  1081=0", "  1082=05/03/2024", "  1083=31.03.24", "  1086=1", "printer " + pdf}, "5134");
  EXPECT_EQ(LinesStartingWith(run.transcript, "PRINT"),
            (std::vector<std::string>{"PRINTSETUP\tRubrica Calendario", "PRINT\tRubrica Calendario\t1"}));
  const std::vector<DumpPage> pages = ReadDump(dump);
  EXPECT_EQ(DumpLines(pages), ExpectedLines("rubrica_calendario_marzo.txt"));
  EXPECT_EQ(PdfPages(pdf), 1);
  const std::string text = Poppler("pdftotext", pdf);
  for (const std::string& t : pages.at(0).Texts()) EXPECT_TRUE(HasPart(text, t));
  // The note ends where its column ends: 10 units before the day type's cell opens at 40.
  Widths width;
  const DumpPage& p = pages.at(0);
  EXPECT_EQ(p.Find("Sciopero")->x + width("Sciopero"), p.Find("Cadenza")->x - 40);
  EXPECT_EQ(p.Find("MAR 05/03/2024")->x + width("VVV 99/99/9999") + 10 + width(std::string(20, 'V')),
            p.Find("Cadenza")->x - 40);
}

TEST_F(ReportDriver, LongCalendarKeepsEachDateOnceAndOnePrintTimePerPage) {
  std::string sql;
  // Three day types a date, but two on the first: the dates do not line up with the pages.
  for (int d = 0; d < 120; ++d)
    for (const char* type : {"FER", "FES", "SCO"})
      if (d > 0 || std::string(type) != "SCO")
        sql += "INSERT INTO calend (data, caden, giorno, note) VALUES (date('2024-01-01', '+" + std::to_string(d) +
               " day'), '" + type + "', '" + std::to_string(d % 7 + 1) + "', 'Nota " + std::to_string(d) + "');";
  RunSql(db, "DELETE FROM calend;" + sql);
  const DriverRun run = Run({"dialog 124", "  1086=1", "printer " + pdf}, "5134");
  const std::vector<DumpPage> pages = ReadDump(dump);
  const int n = static_cast<int>(pages.size());
  ASSERT_GT(n, 3);
  EXPECT_EQ(PdfPages(pdf), n);
  int labels = 0, codes = 0, continued = 0;
  for (int k = 0; k < n; ++k) {
    const DumpPage& p = pages[static_cast<size_t>(k)];
    const std::string number = "Pag. " + std::to_string(k + 1) + " di " + std::to_string(n);
    EXPECT_EQ(p.heading, "=== stampa pagina " + std::to_string(k + 1) + " di " + std::to_string(n));
    ASSERT_NE(p.Find(number), nullptr);
    int times = 0;
    for (const DumpText& t : p.texts) times += t.text == kPrintTime && t.x == pages[0].Find(kPrintTime)->x;
    EXPECT_EQ(times, 1) << number;
    const int codeX = p.Find("Cadenza")->x, labelX = p.Find("Data")->x;
    int firstRowY = -1;
    bool firstHasLabel = false;
    for (const DumpText& t : p.texts) {
      if (t.y <= p.Find("Data")->y) continue;
      if (firstRowY < 0) firstRowY = t.y;
      labels += t.x == labelX;
      codes += t.x == codeX;
      if (t.y == firstRowY && t.x == labelX) firstHasLabel = true;
    }
    continued += !firstHasLabel;
  }
  EXPECT_EQ(labels, 120);
  EXPECT_EQ(codes, 359);
  EXPECT_GT(continued, 0) << "some date goes on from one page to the next";
}

// A PDF asked for under the name of a named pipe: refused before any page, the pipe left as it is.
TEST_F(ReportDriver, APdfIsNeverPrintedInPlaceOfANamedPipe) {
  const std::string pipe = dir.Path("stampa.pdf");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const DriverRun run = Run({"dialog 123", "  1080=1", "printer " + pipe}, "5133");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x30, pipe + "\n\nnon è un file: scegliere il nome di un file.")});
  EXPECT_TRUE(LinesStartingWith(run.transcript, "PRINT\t").empty());
  struct stat st {};
  EXPECT_TRUE(::lstat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

// A full disk (a small memory file system of the test's own, where it may mount one): the PDF
// cannot be finished, the print fails with the writers' message, and the previous PDF stays as it
// was. With room again, the next print replaces it and leaves nothing beside it.
TEST_F(ReportDriver, APdfThatCannotBeWrittenWholeLeavesThePreviousOne) {
  const std::string small = dir.Path("piccolo"), target = small + "/stampa.pdf";
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(small)));
  if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=8k") != 0)
    GTEST_SKIP() << "a file system cannot be mounted here";
  WriteFileBytes(target, "la stampa precedente");
  const DriverRun run = Run({"dialog 123", "  1080=1", "printer " + target}, "5133");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x30, "Impossibile creare\n\n" + target)});
  EXPECT_TRUE(LinesStartingWith(run.transcript, "PRINT\t").empty());
  EXPECT_EQ(FileBytes(target), "la stampa precedente");
  EXPECT_EQ(Listing(small), "stampa.pdf\n") << "no temporary file is left";
  ASSERT_EQ(::mount(nullptr, small.c_str(), nullptr, MS_REMOUNT, "size=64k"), 0);
  Run({"dialog 123", "  1080=1", "printer " + target}, "5133");
  EXPECT_EQ(PdfPages(target), 1);
  EXPECT_EQ(Listing(small), "stampa.pdf\n");
  ::umount(small.c_str());
}

TEST_F(ReportDriver, WithoutAMasterRowTheCompanyIsNotDefined) {
  // The program makes the master row when it opens the database: here another program holds
  // the file's write lock.
  RunSql(db, "DELETE FROM master;");
  {
    const HeldWriteLock writing(db);
    Run({"dialog 123", "  1080=1", "printer " + pdf}, "5133");
  }
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].Find("Azienda Non Definita"), nullptr);
}

TEST_F(ReportDriver, RunsThatEndWithoutAReport) {
  const std::string noPrinter =
      U8("0x40\tNon è possibile aprire la stampante.\\n\\nVerificare l'impostazione della stampante associata\\n"
         "all'applicazione e riprovare successivamente.\\n");
  const auto refused = [](const std::string& output) {
    return U8("0x30\tIl file di output non può essere un database né uno dei suoi file:\\n") + output +
           "\\n\\nSceglierne un altro.";
  };
  WriteFileBytes(dir.Path("file"), "x");
  struct Case {
    std::vector<std::string> answers;
    std::string command;
    std::vector<std::string> boxes;
    int exitCode;
  };
  const Case cases[] = {
      // The print setup cancelled.
      {{"dialog 123", "  1080=1", "cancel"}, "5133", {}, 0},
      {{"dialog 124", "cancel"}, "5134", {}, 0},
      // The PDF over the database or a companion of it: each refused, and the run cannot go on.
      {{"dialog 123", "  1080=1", "printer " + db + "-wal", "printer " + db},
       "5133",
       {refused(db + "-wal"), refused(db)},
       3},
      // A PDF file in a folder that cannot be written (a file stands in its place), or none.
      {{"dialog 123", "  1080=1", "printer " + dir.Path("file") + "/stampa.pdf"}, "5133", {noPrinter}, 0},
      {{"dialog 123", "  1080=1", "printer " + dir.Path("manca") + "/stampa.pdf"}, "5133", {noPrinter}, 0},
      // A date that does not exist: refused, and the run cannot go on.
      {{"dialog 124", "  1081=0", "  1082=01/02/2024", "  1083=31/02/2024"},
       "5134",
       {U8("0x10\tATTENZIONE: la data di fine periodo è espressa in un formato illegale.\\n\\nLe date devono essere "
           "espresse nella forma GG/MM/AAAA.\\n\\n")},
       3},
      // Nothing in the range.
      {{"dialog 124", "  1081=0", "  1082=01/05/2024", "  1083=31/05/2024"},
       "5134",
       {U8("0x40\tNon ci sono dati da stampare !!!")},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.back());
    const DriverRun run = Run(c.answers, c.command, c.exitCode);
    EXPECT_EQ(Boxes(run), c.boxes);
    EXPECT_TRUE(LinesStartingWith(run.transcript, "PRINT\t").empty());
    if (c.exitCode == 0) {
      EXPECT_EQ(LastTitle(run), kCaption);
    }
    EXPECT_EQ(Listing(dir.Dir()), "file\norari.mdb\npagine.txt\nquendo.ini\n");
    EXPECT_EQ(FileBytes(dump), "");
  }
}

TEST_F(ReportDriver, NoDayTypesNoReport) {
  RunSql(db, "DELETE FROM calend; DELETE FROM cadenz;");
  const DriverRun run = Run({"dialog 123"}, "5133");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{U8("0x40\tNon ci sono dati da stampare !!!")});
  EXPECT_TRUE(LinesStartingWith(run.transcript, "PRINTSETUP").empty());
  EXPECT_EQ(LastTitle(run), kCaption);
}

TEST_F(ReportDriver, PreviewThenItsPrintButton) {
  const std::string previewPdf = dir.Path("anteprima.pdf");
  const DriverRun run = Run({"dialog 123", "printer " + previewPdf, "preview print", "printer " + pdf}, "5133");
  EXPECT_EQ(LinesStartingWith(run.transcript, "PR"),
            (std::vector<std::string>{"PRINTSETUP\tRubrica Cadenze", "PREVIEW\tRubrica Cadenze\t1",
                                      "PRINTSETUP\tRubrica Cadenze", "PRINT\tRubrica Cadenze\t1"}));
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].heading, "=== anteprima pagina 1 di 1");
  EXPECT_EQ(pages[1].heading, "=== stampa pagina 1 di 1");
  EXPECT_EQ(pages[0].Texts(), pages[1].Texts());
  EXPECT_EQ(PdfPages(pdf), 1);
  EXPECT_FALSE(QFile::exists(cp1252::ToQString(previewPdf))) << "a preview writes no file";
  EXPECT_EQ(LastTitle(run), kCaption);

  // Closed instead: nothing printed.
  const DriverRun closed = Run({"dialog 123", "  1078=1", "printer " + pdf, "preview close"}, "5133");
  EXPECT_EQ(LinesStartingWith(closed.transcript, "PR"),
            (std::vector<std::string>{"PRINTSETUP\tRubrica Cadenze", "PREVIEW\tRubrica Cadenze\t1"}));
  EXPECT_EQ(ReadDump(dump).size(), 1u);
  EXPECT_EQ(LastTitle(closed), kCaption);
}

}  // namespace
