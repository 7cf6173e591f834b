// The contract export on a real database: the file against a hand-made one byte for byte (two
// authorities with the same line, a line under two contracts, an unknown company and authority,
// a contractual length of 0, a trip without periods left out, overlapping and lone excluded
// periods), the same bytes every time, and the file written whole or not at all.

#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "exchange/ContractExport.h"
#include "support/ContractData.h"
#include "support/ExchangeData.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Counts the steps it is told.
struct CountingProgress : WorkProgress {
  void Begin(const std::string&) override { ++begun; }
  void Step(long done, long total) override { last = done, of = total; }
  void End() override { ++ended; }
  int begun = 0, ended = 0;
  long last = 0, of = 0;
};

struct ContractExports : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string out = dir.Path("uscita");
  NoticeLog notices;
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, ContractTimetableSql() + "UPDATE master SET azienda = 9998;");
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  }
  ContractExportData Read(WorkProgress* progress = nullptr) const {
    DbDatabase handle(db);
    return ReadContractExport(&handle, progress);
  }
};

TEST_F(ContractExports, FileEqualsTheHandMadeOneEveryTime) {
  CountingProgress progress;
  const ContractExportData data = Read(&progress);
  ASSERT_TRUE(data.ok);
  EXPECT_EQ(progress.begun, 1);
  EXPECT_EQ(progress.ended, 1);
  EXPECT_EQ(progress.last, 13);  // the period rows
  EXPECT_EQ(progress.of, 13);
  const std::string path = out + "/Contratti.TXT";
  for (int round = 0; round < 2; ++round) {
    const ContractExportResult r = WriteContractExport(data, path);
    ASSERT_TRUE(r.ok) << r.failedPath;
    EXPECT_EQ(r.tripLines, 9);
    EXPECT_EQ(r.Texts(), "Inserite 9 righe in Contratti");
    EXPECT_EQ(FileBytes(path), FileBytes(HandMadeFile("CONTRATTI.TXT")));
    EXPECT_EQ(Listing(out), "Contratti.TXT\n") << "no temporary is left";
  }
  // Read again: the same bytes (nothing of the moment is written).
  EXPECT_TRUE(WriteContractExport(Read(), path).ok);
  EXPECT_EQ(FileBytes(path), FileBytes(HandMadeFile("CONTRATTI.TXT")));
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(ContractExportDoneText(9), "Inserite 9 righe in Contratti");
}

TEST_F(ContractExports, KnownCompanyByItsName) {
  RunSql(db, "UPDATE master SET azienda = 17;");
  const std::vector<std::string> lines = ContractExportLines(Read());
  ASSERT_GT(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Azienda 17 Azienda regionale 017");
}

TEST_F(ContractExports, DaysCountOnceAndNeverBelowNothing) {
  struct Case {
    const char* periods;  // the periods of trip 1
    long days;
  };
  const Case cases[] = {
      {"(1, 'FER', '2024-01-01', '2024-01-31', 0), (1, 'FER', '2024-01-01', '2024-02-01', 0)", 32},
      {"(1, 'FER', '2024-01-01', '2024-01-31', 0), (1, 'FER', '2024-01-20', '2024-02-10', 0)", 41},
      {"(1, 'FER', '2024-01-01', '2024-01-10', 1)", 0},
      {"(1, 'FER', '2024-01-01', '2024-01-10', 0), (1, 'FER', '2024-01-05', '2024-01-20', 1)", 4},
      {"(1, 'FER', '2024-01-01', '2024-01-10', 1), (1, 'FER', '2024-01-01', '2024-01-11', 1)", 0},
      // An excluded period takes its dates away from every day type of theirs.
      {"(1, 'SAB', '2024-01-01', '2024-01-31', 0), (1, 'FER', '2024-01-01', '2024-02-29', 1)", 0},
      {"(1, 'SAB', '2024-01-01', '2024-01-31', 0), (1, 'FER', '2024-01-14', '2024-01-31', 1)", 2},
      {"(1, 'FER', '2023-12-01', '2024-01-03', 0)", 3},
      {"(1, 'XXX', '2024-01-01', '2024-12-31', 0)", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.periods);
    RunSql(db, std::string(
                   "DELETE FROM period WHERE id = 1; INSERT INTO period (id, caden, inizio, fine, escluso) VALUES ") +
                   c.periods + ";");
    const ContractExportData data = Read();
    ASSERT_FALSE(data.trips.empty());
    ASSERT_EQ(data.trips[0].id, 1);
    EXPECT_EQ(data.trips[0].days, c.days);
    const std::vector<std::string> lines = ContractExportLines(data);
    EXPECT_EQ(lines[6].substr(0, 5), "\t\t1\tB");
    EXPECT_NE(lines[6].find("\t" + std::to_string(c.days) + "\t"), std::string::npos) << lines[6];
    EXPECT_EQ(lines[6].find('-'), std::string::npos) << "nothing negative: " << lines[6];
  }
}

TEST_F(ContractExports, PeriodTimeTexts) {
  const std::pair<long, const char*> cases[] = {{0, "00h 00'"}, {5, "00h 05'"},    {59, "00h 59'"},
                                                {60, "1h 00'"}, {1530, "25h 30'"}, {8750, "145h 50'"}};
  for (const auto& [minutes, text] : cases) EXPECT_EQ(PeriodTimeText(minutes), text);
}

// Refused before a file is asked for, nothing kept to write: no master row, or a value stored by
// another tool that the file would show otherwise (a '?' for a character Windows-1252 lacks).
TEST_F(ContractExports, RefusedBeforeAFileIsAsked) {
  const std::string outside =
      ",\nmentre il tracciato regionale ammette nei testi solo caratteri della codifica Windows-1252.\n\n"
      "Nessun file è stato scritto: correggere il dato prima di esportare.";
  const std::pair<const char*, std::string> cases[] = {
      {"DELETE FROM master;", kContractExportNoMaster},
      {"UPDATE tescor SET codcorsa = char(0x141) || '9' WHERE id = 9;",
       "ATTENZIONE: corsa 9:\nil campo codcorsa (codice corsa) contiene il carattere U+0141 in posizione 1 del testo" +
           outside},
      {"UPDATE tescor SET codlinea = 'L' || char(0x15A) WHERE id = 2;",
       "ATTENZIONE: corsa 2:\nil campo codlinea (codice linea) contiene il carattere U+015A in posizione 2 del testo" +
           outside},
      // The names of the company and of an authority, a control byte, a departure that is no time.
      {"UPDATE master SET azienda = 17; UPDATE regazi SET denom = char(0x141) || 'odz Transport' WHERE codice = 17;",
       "ATTENZIONE: azienda 17:\nil campo denom (denominazione azienda) contiene il carattere U+0141 in posizione 1 "
       "del "
       "testo" +
           outside},
      {"UPDATE regent SET denom = 'Ente ' || char(0x141) || 'odz' WHERE codice = 5;",
       "ATTENZIONE: ente 5:\nil campo denom (denominazione ente) contiene il carattere U+0141 in posizione 6 del "
       "testo" +
           outside},
      {"UPDATE master SET azienda = 17; UPDATE regazi SET denom = 'Tra' || char(9) || 'sporti' WHERE codice = 17;",
       "ATTENZIONE: azienda 17:\nil campo denom (denominazione azienda) contiene il carattere di controllo 0x09 in "
       "posizione 4 del testo,\nmentre il tracciato regionale ammette nei testi solo caratteri stampabili.\n\n"
       "Nessun file è stato scritto: correggere il dato prima di esportare."},
      // A text in a number column, a text stored as bytes: named with its value, never written as 0 or '?'.
      {"UPDATE tescor SET parte = 'abc' WHERE id = 9;",
       "ATTENZIONE: corsa 9:\nil campo parte (orario di partenza) vale 'abc',\nche è un testo e non un numero intero "
       "come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare."},
      {"UPDATE tescor SET ct_lung = 'abc' WHERE id = 2;",
       "ATTENZIONE: corsa 2:\nil campo ct_lung (lunghezza contrattuale) vale 'abc',\nche è un testo e non un numero "
       "intero come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare."},
      {"UPDATE tescor SET codcorsa = X'436974E0' WHERE id = 9;",
       "ATTENZIONE: corsa 9:\nil campo codcorsa (codice corsa) vale X'436974E0',\nche è un dato binario e non un "
       "testo come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare."},
      {"UPDATE tescor SET mezzo = X'42' WHERE id = 2;",
       "ATTENZIONE: corsa 2:\nil campo mezzo vale X'42',\nche è un dato binario e non un testo come richiede la sua "
       "colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare."},
      {"UPDATE master SET azienda = 17; UPDATE regazi SET denom = X'C581C3B364C5BA' WHERE codice = 17;",
       "ATTENZIONE: azienda 17:\nil campo denom (denominazione azienda) vale X'C581C3B364C5BA',\nche è un dato "
       "binario e non un testo come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima "
       "di esportare."},
      {"UPDATE master SET datini = 'abc';",
       "ATTENZIONE: dati generali:\nil campo datini (data di inizio periodo) vale 'abc',\nche è un testo e non una "
       "data come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare."},
      {"UPDATE calend SET data = '2024-01-32' WHERE data = '2024-01-31';",
       "ATTENZIONE: calendario:\nil campo data (data) vale '2024-01-32',\nche è un testo e non una data come richiede "
       "la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare."},
      // A day that no range of dates takes in: read, not left out.
      {"PRAGMA ignore_check_constraints = ON; UPDATE calend SET data = '31/01/2024' WHERE data = '2024-01-31';",
       "ATTENZIONE: calendario:\nil campo data (data) vale '31/01/2024',\nche è un testo e non una data come richiede "
       "la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare."},
      // A whole number beyond its column's 16 bits: named, never wrapped into one that fits.
      {"PRAGMA ignore_check_constraints = ON; UPDATE tescor SET parte = -2147483649 WHERE id = 9;",
       "ATTENZIONE: corsa 9:\nil campo parte (orario di partenza) vale -2147483649,\nche è un numero intero e non un "
       "numero intero di 16 bit come richiede la sua colonna.\n\n"
       "Nessun file è stato scritto: correggere il dato prima di esportare."},
      {"PRAGMA ignore_check_constraints = ON; UPDATE tescor SET ente = 123456789012 WHERE id = 2;",
       "ATTENZIONE: corsa 2:\nil campo ente (codice ente) vale 123456789012,\nche è un numero intero e non un "
       "numero intero di 16 bit come richiede la sua colonna.\n\n"
       "Nessun file è stato scritto: correggere il dato prima di esportare."},
  };
  AllowReadingMismatches();  // values of another kind than their column's, on purpose
  for (const auto& [sql, refusal] : cases) {
    SCOPED_TRACE(sql);
    std::remove(db.c_str());
    SetUp();
    RunSql(db, sql);
    const ContractExportData data = Read();
    EXPECT_FALSE(data.ok);
    EXPECT_EQ(data.Texts(), refusal);
    EXPECT_TRUE(data.trips.empty());
    EXPECT_EQ(notices.Texts(), "");  // one message, the refusal
  }
}

TEST_F(ContractExports, WrittenWholeOrNotAtAll) {
  const ContractExportData data = Read();
  // A folder that is not there.
  ContractExportResult r = WriteContractExport(data, out + "/manca/Contratti.TXT");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedPath, out + "/manca/Contratti.TXT");
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "Impossibile creare\n\n" + out + "/manca/Contratti.TXT");
  EXPECT_EQ(r.messages[0].icon, NoticeIcon::Exclamation);
  EXPECT_EQ(Listing(out), "");
  // A folder that cannot be written: the file there before keeps its content.
  WriteLines(out + "/Contratti.TXT", {"prima"});
  ASSERT_EQ(::chmod(out.c_str(), 0555), 0);
  r = WriteContractExport(data, out + "/Contratti.TXT");
  ::chmod(out.c_str(), 0755);
  if (::geteuid() != 0) {
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(FileBytes(out + "/Contratti.TXT"), "prima\r\n");
    EXPECT_EQ(Listing(out), "Contratti.TXT\n");
  }
}

}  // namespace
