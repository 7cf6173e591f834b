// The text report of the data error check: its exact bytes in both modes, its default name from
// the company's name, and a file written whole or not at all.

#include "checks/CompanyHeading.h"
#include "checks/ErrorReportFile.h"
#include "db/DbDatabase.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>

namespace {

const ClockTime kNow{2004, 3, 5, 9, 7, 0};
const std::vector<ErrorRow> kRows = {{101, -1, "Manca: Ente Lunghezza "},
                                     {109, 4, "Errore: InversioneKm "},
                                     {-1, -1, "Nessuna fermata con Località assegnata !!!"}};
const std::string kFrame(72, '=');

TEST(ErrorReportFile, MenuModeListsSixOptions) {
  ErrorCheckOptions options;
  options.lineCode = false;
  options.stopPlace = true;
  EXPECT_EQ(ErrorReportText(kRows, options, "Azienda 17 - Prova [periodo dal 01/01/2024 al 30/06/2024]",
                            "/dati/orari.mdb", kNow),
            kFrame +
                "\r\n05/03/2004 09.07 Report verifica errori (Quendo)\r\n"
                "Comunicazione: Azienda 17 - Prova [periodo dal 01/01/2024 al 30/06/2024]\r\n"
                "Database: /dati/orari.mdb\r\n"
                "Ricerca errori Codice Linea: no\r\n"
                "Ricerca errori Descrizione Corsa: no\r\n"
                "Ricerca errori Codice Fermata: ** SI **\r\n"
                "Ricerca errori Ubicazione Fermata: ** SI **\r\n"
                "Ricerca errori Distanze Progressive: ** SI **\r\n"
                "Ricerca errori Tipo Mezzo Trasporto: ** SI **\r\n" +
                kFrame +
                "\r\nID=101 SUB=-1 Manca: Ente Lunghezza \r\n"
                "ID=109 SUB=4 Errore: InversioneKm \r\n"
                "ID=-1 SUB=-1 Nessuna fermata con Località assegnata !!!\r\n");
}

TEST(ErrorReportFile, ConsentModeHasOneLineInPlaceOfTheOptions) {
  const std::string text = ErrorReportText({}, ErrorCheckOptions::Consent(), "Azienda Non Definita", "x.mdb", kNow);
  EXPECT_EQ(text, kFrame +
                      "\r\n05/03/2004 09.07 Report verifica errori (Quendo)\r\nComunicazione: Azienda Non Definita\r\n"
                      "Database: x.mdb\r\nVerifica consenso generazione comunicazione\r\n" +
                      kFrame + "\r\n");
}

TEST(ErrorReportFile, DefaultNameKeepsTheCompanysLettersAndDigits) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetableDatabase(path);
  RunSql(path, "UPDATE regazi SET denom = 'A.T.&P. 2 srl   ' WHERE codice = 17;");
  DbDatabase db(path);
  const CompanyHeading heading = ReadCompanyHeading(&db);
  EXPECT_EQ(ErrorReportDefaultName(heading.FileTag()), "ERR_ATP2srl");
  EXPECT_EQ(heading.Subtitle(), "Azienda 17 - A.T.&P. 2 srl [periodo dal 01/01/2024 al 30/06/2024]");
}

TEST(ErrorReportFile, WrittenWholeOrNotAtAll) {
  ScratchDir dir;
  const std::string path = dir.Path("ERR_Prova.TXT");
  WriteFileBytes(path, "vecchio");
  const Outcome written = WriteErrorReport(path, kRows, ErrorCheckOptions(), "Azienda", "d.mdb", kNow);
  ASSERT_TRUE(written.ok && written.messages.empty()) << written.Texts();
  EXPECT_EQ(FileBytes(path), ErrorReportText(kRows, ErrorCheckOptions(), "Azienda", "d.mdb", kNow));
  EXPECT_EQ(Listing(dir.Dir()), "ERR_Prova.TXT\n") << "no temporary is left";

  // A folder that cannot hold files (a file stands in its place), a folder that is not there, and
  // a folder in place of the file (said to be no file): nothing written, nothing left, the old file
  // kept.
  WriteFileBytes(dir.Path("file"), "x");
  ASSERT_TRUE(QDir().mkdir(cp1252::ToQString(dir.Path("cartella"))));
  for (const std::string& bad : {dir.Path("file") + "/ERR.TXT", dir.Path("manca") + "/ERR.TXT", dir.Path("cartella")}) {
    const Outcome refused = WriteErrorReport(bad, kRows, ErrorCheckOptions(), "Azienda", "d.mdb", kNow);
    EXPECT_FALSE(refused.ok) << bad;
    EXPECT_EQ(refused.Failure(), bad == dir.Path("cartella") ? bad + "\n\nnon è un file: scegliere il nome di un file."
                                                             : "Impossibile creare\n\n" + bad);
    EXPECT_TRUE(refused.failedPath == bad && refused.messages[0].icon == NoticeIcon::Exclamation);
  }
  EXPECT_EQ(Listing(dir.Dir()), "ERR_Prova.TXT\ncartella\nfile\n");
  EXPECT_EQ(Listing(dir.Path("cartella")), "");
}

}  // namespace
