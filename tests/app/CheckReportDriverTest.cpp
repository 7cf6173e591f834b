// The contract check, the days-of-operation check and the contract export run in the real program
// through the headless driver: the options dialogs by their control ids, the print setup, the
// pages as the page dump and the PDF file show them, the save dialog, and every way a run ends
// without a report or a file.

#include "app/AppTestSupport.h"
#include "app/ReportDumpSupport.h"
#include "common/ProgramTitle.h"
#include "support/ContractData.h"

#include <sys/stat.h>
#include <algorithm>

namespace {

const std::string kNow = "2024-03-05 09:07";
const std::string kFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

class CheckReportDriver : public DriverFiles {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, ContractTimetableSql());
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const std::vector<std::string>& answers, const std::string& command, int exitCode = 0) {
    return RunDriver(settings, answers, {"--now", kNow, "--page-dump", dump, command}, exitCode);
  }
  // The texts drawn at the height of `text` on its page (the row that holds it).
  static std::vector<std::string> RowOf(const DumpPage& page, const std::string& text) {
    std::vector<std::string> row;
    const DumpText* at = page.Find(text);
    if (!at) return row;
    for (const DumpText& t : page.texts)
      if (t.y == at->y) row.push_back(t.text);
    return row;
  }
  static int Count(const DumpPage& page, const std::string& text) {
    const std::vector<std::string> texts = page.Texts();
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
  }

  const std::string db = dir.Path("orari.mdb"), dump = dir.Path("pagine.txt"), pdf = dir.Path("stampa.pdf");
};

bool Has(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(CheckReportDriver, ContractCheckPrintedToPdf) {
  // Its twelve columns are wider than a portrait page: landscape paper is proposed.
  const DriverRun run = Run({"dialog 128", "  1111=1", "printer " + pdf}, "5136");
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG"), std::vector<std::string>{"DIALOG\t128\tVerifica Contratti"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "PRINT"),
            (std::vector<std::string>{"PRINTSETUP\tRubrica Contratti", "PRINT\tRubrica Contratti\t5"}));
  EXPECT_TRUE(Boxes(run).empty());
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_EQ(pages.size(), 5u);
  EXPECT_EQ(PdfPages(pdf), 5);
  EXPECT_TRUE(HasPart(Poppler("pdfinfo", pdf), "Page size:       842 x 595 pts (A4)"));
  // The file is dated by --now, as its pages are.
  EXPECT_TRUE(HasPart(FileBytes(pdf), "/CreationDate (D:20240305090700")) << FileBytes(pdf).substr(0, 160);
  const DumpPage& p1 = pages[0];
  EXPECT_EQ(p1.heading, "=== stampa pagina 1 di 5");
  ASSERT_NE(p1.Find("Ente Gestore: 1 - Regione Toscana            Contratto 10"), nullptr);
  // One period over 250 dates; one with 10 of them excluded; one outside the working period.
  const std::vector<std::string> trip1 = RowOf(p1, "C1");
  EXPECT_TRUE(Has(trip1, "250") && Has(trip1, "3125,00") && Has(trip1, "145:50") && Has(trip1, "Bus Extraurbano"))
      << trip1.size();
  EXPECT_TRUE(Has(RowOf(p1, "C2"), "240"));
  EXPECT_TRUE(Has(RowOf(p1, "C3"), "10"));
  // Five minutes: "00:05" on the trip's row, "00:5" on its line's total.
  EXPECT_TRUE(Has(RowOf(p1, "C4"), "00:05"));
  EXPECT_EQ(RowOf(p1, "TOTALI L2 A"), (std::vector<std::string>{"TOTALI L2 A", "1,00", "00:5"}));
  EXPECT_EQ(RowOf(p1, "TOTALI L1 A"), (std::vector<std::string>{"TOTALI L1 A", "6175,00", "301:40"}));
  EXPECT_EQ(RowOf(p1, "TOTALI CONTRATTO"), (std::vector<std::string>{"TOTALI CONTRATTO", "6176,00", "301:45"}));
  EXPECT_EQ(Count(p1, "TOTALI CONTRATTO"), 1);
  // The next contract on a new page; an unknown transport mode; overlapping periods counted once.
  const DumpPage& p2 = pages[1];
  ASSERT_NE(p2.Find("Ente Gestore: 1 - Regione Toscana            Contratto 11"), nullptr);
  const std::vector<std::string> trip5 = RowOf(p2, "C5");
  EXPECT_TRUE(Has(trip5, "???") && Has(trip5, "46")) << trip5.size();
  EXPECT_EQ(p2.Find("C1"), nullptr);
  ASSERT_NE(pages[3].Find(U8("Ente Gestore: 5 - Città Metropolitana di Firenze            Contratto 3")), nullptr);
  // An authority not in the table; an exclusion alone gives no day.
  const DumpPage& p5 = pages[4];
  ASSERT_NE(p5.Find("Ente Gestore: 9999 - *** INESISTENTE ***            Contratto 1"), nullptr);
  EXPECT_TRUE(Has(RowOf(p5, "C6"), "0"));
  EXPECT_EQ(p5.Find("-10"), nullptr);
  const std::string text = Poppler("pdftotext", pdf);
  for (const char* t : {"145:50", "3125,00", "TOTALI CONTRATTO", "INESISTENTE"}) EXPECT_TRUE(HasPart(text, t)) << t;
  // The file's date is the run's local time, with the offset from UTC in force on that date (Rome: +2 in summer).
  const std::pair<std::string, std::string> dated[] = {{"2026-10-01 08:00", "D:20261001080000+02'00'"},
                                                       {"2026-01-15 08:00", "D:20260115080000+01'00'"}};
  for (const auto& [now, date] : dated) {
    const ScopedEnv zone("TZ", "Europe/Rome");
    RunDriver(settings, {"dialog 128", "  1111=1", "printer " + pdf}, {"--now", now, "5136"});
    EXPECT_TRUE(HasPart(FileBytes(pdf), "/CreationDate (" + date + ")")) << FileBytes(pdf).substr(0, 160);
  }
}

TEST_F(CheckReportDriver, ContractTotalsOnlyKeepOneContractAPage) {
  const DriverRun run = Run({"dialog 128", "  1207=1", "printer " + pdf, "preview close"}, "5136");
  EXPECT_EQ(LinesStartingWith(run.transcript, "PR"),
            (std::vector<std::string>{"PRINTSETUP\tRubrica Contratti", "PREVIEW\tRubrica Contratti\t5"}));
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_EQ(pages.size(), 5u);
  EXPECT_EQ(pages[0].heading, "=== anteprima pagina 1 di 5");
  for (const DumpPage& p : pages) {
    EXPECT_EQ(Count(p, "TOTALI CONTRATTO"), 1);
    for (const char* code : {"C1", "C4", "C5", "C7", "C9", "C10"}) EXPECT_EQ(p.Find(code), nullptr) << code;
  }
  EXPECT_EQ(RowOf(pages[0], "TOTALI L2 A"), (std::vector<std::string>{"TOTALI L2 A", "1,00", "00:5"}));
}

TEST_F(CheckReportDriver, OperatingDaysPrintedToPdf) {
  const DriverRun run = Run({"dialog 142", "  1154=1", "printer " + pdf}, "5157");
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG"),
            std::vector<std::string>{U8("DIALOG\t142\tVerifica Giorni Effettuazione Corse")});
  const std::vector<std::string> printed = LinesStartingWith(run.transcript, "PRINT\t");
  ASSERT_EQ(printed.size(), 1u);
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_GT(pages.size(), 1u);
  EXPECT_EQ(printed[0], "PRINT\tRubrica Verifica Giorni\t" + std::to_string(pages.size()));
  EXPECT_EQ(PdfPages(pdf), static_cast<int>(pages.size()));
  // Every day of operation once, numbered within its trip; rows of day texts only continue a trip.
  int days = 0, continued = 0, emptyTrips = 0;
  std::string saturdays;
  for (const DumpPage& p : pages) {
    const DumpText* title = p.Find("Giorni di effettuazione della corsa");
    ASSERT_NE(title, nullptr);
    for (const DumpText& t : p.texts) {
      if (t.y <= title->y) continue;
      if (t.text[0] == '(') {
        days += static_cast<int>(std::count(t.text.begin(), t.text.end(), '('));
        EXPECT_EQ(t.x, title->x);
        continued += RowOf(p, t.text).size() == 1;
      }
    }
    for (const char* code : {"C6", "C10"})
      if (p.Find(code)) emptyTrips += RowOf(p, code).size() == 4;  // line, id, code, departure: no days
    if (p.Find("C7")) saturdays = RowOf(p, "C7").back();
  }
  EXPECT_EQ(days, 250 + 240 + 10 + 1 + 46 + 51 + 30);
  EXPECT_GT(continued, 100);
  EXPECT_EQ(emptyTrips, 2);
  EXPECT_EQ(saturdays.rfind("(1 - Sa 06/01) (2 - Sa 20/01) (3 - Sa 27/01) ", 0), 0u) << saturdays;
  const std::string text = Poppler("pdftotext", pdf);
  EXPECT_TRUE(HasPart(text, "(1 - Sa 06/01)"));
}

TEST_F(CheckReportDriver, OperatingDaysOfAnIdRange) {
  const DriverRun run = Run({"dialog 142", "  1150=0", "  1151=7", "  1152=7", "  1154=1", "printer " + pdf}, "5157");
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].Find("C7"), nullptr);
  EXPECT_EQ(pages[0].Find("C1"), nullptr);
  EXPECT_TRUE(Boxes(run).empty());
}

TEST_F(CheckReportDriver, ChecksThatEndWithoutAReport) {
  struct Case {
    std::vector<std::string> answers;
    std::string command;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {{"dialog 142", "  1150=0", "  1151=100", "  1152=200"}, "5157", {"0x40\tNon ci sono dati da stampare !!!"}},
      {{"dialog 142 cancel"}, "5157", {}},
      {{"dialog 128 cancel"}, "5136", {}},
      {{"dialog 128", "cancel"}, "5136", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.back());
    const DriverRun run = Run(c.answers, c.command);
    EXPECT_EQ(Boxes(run), c.boxes);
    EXPECT_TRUE(LinesStartingWith(run.transcript, "PRINT\t").empty());
    EXPECT_EQ(FileBytes(dump), "");
  }
  // Without any trip with periods, the contract check has nothing to print either.
  RunSql(db, "DELETE FROM period;");
  EXPECT_EQ(Boxes(Run({"dialog 128"}, "5136")), std::vector<std::string>{"0x40\tNon ci sono dati da stampare !!!"});
  // A value of another kind than its column's, in the calendar or in the company's name of every
  // page's head: one box naming it, no print setup, no page.
  const std::string notPrepared = "\\n\\nIl prospetto non è stato preparato: correggere il dato prima di ripeterlo.";
  RunSql(db, "UPDATE calend SET data = '2024-01-32' WHERE data = '2024-01-31' AND caden = 'FER';");
  RecordCleanClose(settings, db);
  DriverRun run = Run({"dialog 142"}, "5157");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{U8("0x10\tATTENZIONE: un giorno del calendario:\\nil campo "
                                                    "data (Data) vale '2024-01-32',\\nche è un testo e non una data "
                                                    "come richiede la sua colonna." +
                                                    notPrepared)});
  RunSql(db, "UPDATE regazi SET denom = X'4181' WHERE codice = 17;");
  RecordCleanClose(settings, db);
  run = Run({"dialog 128"}, "5136");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{U8("0x10\tATTENZIONE: azienda 17:\\nil campo denom (Denominazione) "
                                                    "vale X'4181',\\nche è un dato binario e non un testo come "
                                                    "richiede la sua colonna." +
                                                    notPrepared)});
  EXPECT_TRUE(LinesStartingWith(run.transcript, "PR").empty());
  EXPECT_EQ(FileBytes(dump), "");
  EXPECT_EQ(LastTitle(run), kProgramTitle);  // the main window's title leaves the company out
}

// ---- The contract export ----------------------------------------------------------------------

TEST_F(CheckReportDriver, ContractsFileWrittenAsTheHandMadeOne) {
  RunSql(db, "UPDATE master SET azienda = 9998;");
  const std::string out = dir.Path("Contratti.TXT");
  const DriverRun run = Run({"file " + out}, "5201");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"),
            std::vector<std::string>{"FILE\tEsportazione Contratti\tContratti\t" + kFilter});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{"0x40\tInserite 9 righe in Contratti"});
  EXPECT_EQ(FileBytes(out), FileBytes(TestDataDir() + "/exchange/CONTRATTI.TXT"));
  EXPECT_EQ(Listing(dir.Dir()), "Contratti.TXT\norari.mdb\npagine.txt\nquendo.ini\n");
}

TEST_F(CheckReportDriver, ContractsFileNotWritten) {
  // Cancelled: nothing, not a word.
  DriverRun run = Run({"cancel"}, "5201");
  EXPECT_TRUE(Boxes(run).empty());
  // A folder that is not there.
  const std::string missing = dir.Path("manca") + "/Contratti.TXT";
  run = Run({"file " + missing}, "5201");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{"0x30\tImpossibile creare\\n\\n" + missing});
  EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\npagine.txt\nquendo.ini\n");
  // A named pipe: refused, named, and left a pipe; no count.
  const std::string pipe = dir.Path("tubo");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  run = Run({"file " + pipe}, "5201");
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{U8("0x30\t" + pipe + "\\n\\nnon è un file: scegliere il nome di un file.")});
  struct stat st {};
  EXPECT_TRUE(::lstat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
  ASSERT_EQ(::unlink(pipe.c_str()), 0);
  EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\npagine.txt\nquendo.ini\n");
  // A text in a number column: the one box names the trip, the field and the value; no file.
  RunSql(db, "UPDATE tescor SET parte = 'abc' WHERE id = 9;");
  RecordCleanClose(settings, db);
  run = Run({}, "5201");  // refused before the file is asked for
  EXPECT_EQ(Boxes(run), std::vector<std::string>{U8("0x10\tATTENZIONE: corsa 9:\\nil campo parte (orario di partenza) "
                                                    "vale 'abc',\\nche è un testo e non un numero intero come richiede "
                                                    "la sua colonna.\\n\\nNessun file è stato scritto: correggere il "
                                                    "dato prima di esportare.")});
  EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\npagine.txt\nquendo.ini\n");
  RunSql(db, "UPDATE tescor SET parte = 0 WHERE id = 9;");
  // No master row (the program makes one when it opens the database: here another program holds the file's write lock).
  RunSql(db, "DELETE FROM master;");
  {
    const HeldWriteLock writing(db);
    run = Run({}, "5201");  // refused before the file is asked for
  }
  EXPECT_EQ(Boxes(run).back(), U8("0x10\tERRORE BLOCCANTE: Il MASTER non è definito !!!"));
  EXPECT_TRUE(LinesStartingWith(run.transcript, "FILE").empty());
  EXPECT_EQ(Listing(dir.Dir()), "orari.mdb\npagine.txt\nquendo.ini\n");
}

}  // namespace
