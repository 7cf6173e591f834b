// The files for the Olvi GIS on a real database: FERMATE_OLVI and PERCORSI_OLVI against hand-made
// files byte for byte, the refusals of codes that are missing or stand for two stops (routes), the
// lines of the layout read back, and the import of FERMATE_OLVI into the stop rows.

#include "common/Cp1252.h"
#include "common/InputFile.h"
#include "db/DbDatabase.h"
#include "exchange/OlviExport.h"
#include "exchange/OlviFiles.h"
#include "exchange/auxiliary/OlviStopsImport.h"
#include "support/ExchangeData.h"
#include "support/OlviData.h"

#include <filesystem>

namespace {

struct OlviFiles : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  NoticeLog notices;
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db, OlviTimetableSql());
  }
  OlviExportText Make(OlviFile file) const {
    DbDatabase handle(db);
    const int company = OlviCompany(&handle);
    return file == OlviFile::Stops ? MakeOlviStops(&handle, company) : MakeOlviRoutes(&handle, company);
  }
  AuxiliaryImportResult Import(const std::string& path) const {
    DbDatabase handle(db);
    return RunOlviStopsImport({&handle, path, nullptr});
  }
  // The stop rows as "id|sub|code|name|place".
  std::vector<std::string> StopRows() const {
    return QueryLines(db, "SELECT id, sub, fermata, denom, ifnull(ubicaz, 'NULL') FROM detcor ORDER BY id, sub");
  }
  // The one message of a result (its text), or a mark when there are others.
  static std::string Last(const AuxiliaryImportResult& r) {
    return r.messages.empty() ? "<none>" : r.messages.back().text;
  }
};

TEST_F(OlviFiles, StopsAndRoutesEqualTheHandMadeFiles) {
  const OlviExportText stops = Make(OlviFile::Stops);
  EXPECT_EQ(stops.refusal, OlviRefusal::None);
  EXPECT_EQ(stops.bytes, FileBytes(HandMadeFile("FERMATE_OLVI.TXT")));
  EXPECT_EQ(stops.lines, 4);  // the heading is not counted
  const OlviExportText routes = Make(OlviFile::Routes);
  EXPECT_EQ(routes.refusal, OlviRefusal::None);
  EXPECT_EQ(routes.bytes, FileBytes(HandMadeFile("PERCORSI_OLVI.TXT")));
  EXPECT_EQ(routes.lines, 7);  // two heads and five stop lines, the markers not counted
  EXPECT_EQ(notices.Texts(), "");
}

TEST_F(OlviFiles, TripsOfOneRouteAndLengthGiveEachOfTheirStopRowsOnce) {
  // A fourth trip of P1 at 5,000 m: its first stop as the others', its second further on, a third.
  RunSql(db, OlviTripSql(6, "'P1'", "'Linea Uno'", 5000) +
                 OlviStopSql(6, 1, "'F1'", "'Piazza Grande  '", "'Centro'", 0) +
                 OlviStopSql(6, 2, "'F2'", "'Stazione'", "NULL", 850) +
                 OlviStopSql(6, 3, "'F3'", "'Ospedale'", "'Via Roma 3'", 1500));
  const OlviExportText routes = Make(OlviFile::Routes);
  ASSERT_EQ(routes.refusal, OlviRefusal::None);
  std::string expected = FileBytes(HandMadeFile("PERCORSI_OLVI.TXT"));
  const std::string last = "<D>\t2\t800\tF2\tStazione\t\t</D>\r\n";
  expected.insert(expected.find(last) + last.size(),
                  "<D>\t2\t850\tF2\tStazione\t\t</D>\r\n<D>\t3\t1500\tF3\tOspedale\tVia Roma 3\t</D>\r\n");
  EXPECT_EQ(routes.bytes, expected);
  EXPECT_EQ(routes.lines, 9);
}

TEST_F(OlviFiles, WithoutMasterTheCompanyIsZero) {
  RunSql(db, "DELETE FROM master;");
  DbDatabase handle(db);
  EXPECT_EQ(OlviCompany(&handle), 0);
  EXPECT_TRUE(HasPart(MakeOlviStops(&handle, 0).bytes, "\r\n0\tF1\tPiazza Grande\tCentro\r\n"));
}

const std::string kOutsideTheCodePage =
    ",\nmentre il tracciato regionale ammette nei testi solo caratteri della codifica Windows-1252.\n\n"
    "Nessun file è stato scritto: correggere il dato prima di esportare.";

const std::string kControlRule =
    " del testo,\nmentre il tracciato regionale ammette nei testi solo caratteri stampabili.\n\n"
    "Nessun file è stato scritto: correggere il dato prima di esportare.";

struct Refusal {
  const char* name;
  OlviFile file;
  const char* sql;
  OlviRefusal refusal;
  std::string message = {};  // the refusal's own text, when it names its row
};

struct OlviRefusals : OlviFiles, ::testing::WithParamInterface<Refusal> {};

TEST_P(OlviRefusals, RefuseTheFile) {
  AllowReadingMismatches();  // values of another kind than their column's, on purpose
  RunSql(db, "PRAGMA ignore_check_constraints = ON;" + std::string(GetParam().sql));
  const OlviExportText text = Make(GetParam().file);
  EXPECT_EQ(text.refusal, GetParam().refusal);
  if (!GetParam().message.empty()) {
    EXPECT_EQ(text.Failure(), GetParam().message);
  }
  EXPECT_EQ(text.bytes, "");
  EXPECT_EQ(text.lines, 0);
  // Exported, no file: a refusal naming its row is the one message; the checks' own are followed
  // by the count of no line.
  const std::string path = dir.Path("olvi.txt");
  OlviExportText exported;
  {
    DbDatabase handle(db);
    exported = ExportOlviFile(&handle, GetParam().file, OlviCompany(&handle), path);
  }
  EXPECT_EQ(exported.messages.size(), GetParam().message.empty() ? 2u : 1u) << exported.Texts();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(notices.Texts(), "");  // one message, the refusal
}

// A value its column cannot hold as its kind: a text stored as bytes, a text in a number column.
std::string Kind(const char* row, const char* field, const char* value, const char* is, const char* wanted) {
  return std::string("ATTENZIONE: ") + row + ":\nil campo " + field + " vale " + value + ",\nche è " + is + " e non " +
         wanted +
         " come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare.";
}

const Refusal kRefusals[] = {
    {"StopWithTwoLocations", OlviFile::Stops, "UPDATE detcor SET ubicaz = 'Centro Nord' WHERE id = 2 AND sub = 1;",
     OlviRefusal::DuplicateCode},
    {"StopWithTwoNames", OlviFile::Stops, "UPDATE detcor SET denom = 'Piazza' WHERE id = 3 AND sub = 1;",
     OlviRefusal::DuplicateCode},
    {"StopWithoutCode", OlviFile::Stops, "UPDATE detcor SET fermata = NULL WHERE id = 3 AND sub = 2;",
     OlviRefusal::MissingCode},
    {"StopWithBlankCode", OlviFile::Stops, "UPDATE detcor SET fermata = '   ' WHERE id = 3 AND sub = 2;",
     OlviRefusal::MissingCode},
    // Two stops without code are missing codes, not one code twice.
    {"TwoStopsWithoutCode", OlviFile::Stops, "UPDATE detcor SET fermata = NULL WHERE sub = 2;",
     OlviRefusal::MissingCode},
    {"NoStopRows", OlviFile::Stops, "DELETE FROM detcor;", OlviRefusal::NoRows},
    {"RouteWithTwoNames", OlviFile::Routes, "UPDATE tescor SET denom = 'Linea Uno bis' WHERE id = 3;",
     OlviRefusal::DuplicateCode},
    {"RouteWithoutCode", OlviFile::Routes, "UPDATE tescor SET codperc = NULL WHERE id = 4;", OlviRefusal::MissingCode},
    {"RouteWithBlankCode", OlviFile::Routes, "UPDATE tescor SET codperc = '  ' WHERE id = 4;",
     OlviRefusal::MissingCode},
    {"NoTrips", OlviFile::Routes, "DELETE FROM detcor; DELETE FROM tescor;", OlviRefusal::NoRows},
    // A text stored by another tool with a character Windows-1252 lacks would be written as '?':
    // refused, naming the first trip and stop that hold it and the field.
    {"StopNameOutsideTheCodePage", OlviFile::Stops,
     "UPDATE detcor SET denom = char(0x141, 0xF3, 0x64, 0x17A) "
     "WHERE fermata = 'F3';",
     OlviRefusal::LostText,
     "ATTENZIONE: corsa 3, fermata 2:\nil campo denom "
     "(denominazione fermata) contiene il carattere U+0141 in posizione 1 del testo" +
         kOutsideTheCodePage},
    {"StopPlaceOutsideTheCodePage", OlviFile::Stops,
     "UPDATE detcor SET ubicaz = 'Centro ' || char(0x15A) "
     "WHERE fermata = 'F1';",
     OlviRefusal::LostText,
     "ATTENZIONE: corsa 1, fermata 1:\nil campo ubicaz "
     "(ubicazione fermata) contiene il carattere U+015A in posizione 8 del testo" +
         kOutsideTheCodePage},
    // A TAB in a name would split the line where the stop import reads its fields.
    {"StopNameWithATab", OlviFile::Stops, "UPDATE detcor SET denom = 'Mal' || char(9) || 'verne' WHERE fermata = 'F3';",
     OlviRefusal::LostText,
     "ATTENZIONE: corsa 3, fermata 2:\nil campo denom (denominazione fermata) contiene il carattere di controllo 0x09 "
     "in posizione 4" +
         kControlRule},
    {"RouteCodeOutsideTheCodePage", OlviFile::Routes, "UPDATE tescor SET codperc = char(0x141) || '2' WHERE id = 4;",
     OlviRefusal::LostText,
     "ATTENZIONE: corsa 4:\nil campo codperc (codice percorso) contiene il carattere U+0141 "
     "in posizione 1 del testo" +
         kOutsideTheCodePage},
    {"RouteStopOutsideTheCodePage", OlviFile::Routes,
     "UPDATE detcor SET fermata = char(0x15A) || '2' WHERE id = 2 "
     "AND sub = 2;",
     OlviRefusal::LostText,
     "ATTENZIONE: corsa 2, fermata 2:\nil campo fermata (codice fermata) "
     "contiene il carattere U+015A in posizione 1 del testo" +
         kOutsideTheCodePage},
    // Stored by a tool that binds bytes, or a text in a number column: named with its value, never written as '?'
    // or 0.
    {"StopNameStoredAsBytes", OlviFile::Stops, "UPDATE detcor SET denom = X'436974E0' WHERE fermata = 'F3';",
     OlviRefusal::LostText,
     Kind("corsa 3, fermata 2", "denom (denominazione fermata)", "X'436974E0'", "un dato binario", "un testo")},
    {"RouteStopStoredAsBytes", OlviFile::Routes, "UPDATE detcor SET fermata = X'4181' WHERE id = 2 AND sub = 2;",
     OlviRefusal::LostText,
     Kind("corsa 2, fermata 2", "fermata (codice fermata)", "X'4181'", "un dato binario", "un testo")},
    {"RouteNameStoredAsBytes", OlviFile::Routes, "UPDATE tescor SET denom = X'C581C3B364C5BA' WHERE id = 4;",
     OlviRefusal::LostText, Kind("corsa 4", "denom (descrittore)", "X'C581C3B364C5BA'", "un dato binario", "un testo")},
    {"RouteLengthAsText", OlviFile::Routes, "UPDATE tescor SET lung = 'abc' WHERE id = 4;", OlviRefusal::LostText,
     Kind("corsa 4", "lung (lunghezza)", "'abc'", "un testo", "un numero intero")},
    {"StopDistanceAsText", OlviFile::Routes, "UPDATE detcor SET dist = 'abc' WHERE id = 2 AND sub = 2;",
     OlviRefusal::LostText, Kind("corsa 2, fermata 2", "dist (progressiva)", "'abc'", "un testo", "un numero intero")},
    {"LastStopRowOfADecimalTripId", OlviFile::Routes, "UPDATE detcor SET id = 5.5 WHERE id = 5 AND sub = 1;",
     OlviRefusal::LostText,
     Kind("fermata 1 di una corsa", "id (ID corsa)", "5.5", "un numero con decimali", "un numero intero")},
    {"StopRowOfADecimalTripIdBeforeAnotherTrip", OlviFile::Routes,
     "UPDATE detcor SET id = 2.5 WHERE id = 2 AND sub = 2;", OlviRefusal::LostText,
     Kind("fermata 2 di una corsa", "id (ID corsa)", "2.5", "un numero con decimali", "un numero intero")},
};

INSTANTIATE_TEST_SUITE_P(Olvi, OlviRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(OlviFiles, RefusalTexts) {
  EXPECT_EQ(OlviRefusalText(OlviFile::Routes, OlviRefusal::NoRows),
            "ATTENZIONE: non esistono percorsi registrati !!!\n\nNon è possibile esportare i percorsi per VurOlvi");
  EXPECT_TRUE(HasPrefix(OlviRefusalText(OlviFile::Stops, OlviRefusal::DuplicateCode),
                        "ATTENZIONE: alcune fermate presentano un Codice Aziendale duplicato  !!!\n\n"
                        "Per potere procedere all'esportazione delle fermate per VurOlvi\n"));
  EXPECT_EQ(OlviExportDoneText(OlviFile::Routes, 0), "Inserite 0 righe in PERCORSI_OLVI");
}

// ---- the layout read back ------------------------------------------------------------------------

struct LineCase {
  const char* line;
  bool stop;
  int company;
  const char* code;
  const char* name;
  const char* place;
};

TEST(OlviStopLines, ReadAsTheExportWritesThem) {
  const LineCase cases[] = {
      {"17\tF1\tPiazza\tCentro", true, 17, "F1", "Piazza", "Centro"},
      {"0\tF1\tPiazza\tCentro\tin più", true, 0, "F1", "Piazza", "Centro"},
      {"17\tF1\tPiazza", true, 17, "F1", "Piazza", ""},
      {"17\tF1", true, 17, "F1", "", ""},
      {"17", true, 17, "", "", ""},
      {"Azienda\tFermata\tDenominazione\tUbicazione", false, 0, "", "", ""},
      {"", false, 0, "", "", ""},
      {"17a\tF1\tPiazza\tCentro", false, 0, "", "", ""},
      {" 17\tF1\tPiazza\tCentro", false, 0, "", "", ""},
      {"-1\tF1\tPiazza\tCentro", false, 0, "", "", ""},
      {"123456\tF1\tPiazza\tCentro", false, 0, "", "", ""},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    OlviStopLine line;
    ASSERT_EQ(ReadOlviStopLine(c.line, line), c.stop);
    if (!c.stop) continue;
    EXPECT_EQ(line.company, c.company);
    EXPECT_EQ(line.code, c.code);
    EXPECT_EQ(line.name, c.name);
    EXPECT_EQ(line.place, c.place);
  }
  // The line the export writes reads back as it was.
  std::string written;
  AppendOlviStopLine(written, 36, "F\"9", "Via \"Nuova\"", "");
  OlviStopLine line;
  ASSERT_TRUE(ReadOlviStopLine(written, line));
  EXPECT_EQ(line.company, 36);
  EXPECT_EQ(line.code, "F\"9");
  EXPECT_EQ(line.name, "Via \"Nuova\"");
  EXPECT_EQ(line.place, "");
}

// ---- the import ----------------------------------------------------------------------------------

TEST_F(OlviFiles, RoundTripRenamesEveryRowOfTheCode) {
  const std::string path = dir.Path("FERMATE_OLVI.TXT");
  std::string bytes = Make(OlviFile::Stops).bytes;
  const std::string before = "17\tF1\tPiazza Grande\tCentro\r\n",
                    after = "17\tF1\tPiazza \"Nuova\"\tCentro Storico\r\n";
  bytes.replace(bytes.find(before), before.size(), after);
  WriteFileBytes(path, bytes);
  const AuxiliaryImportResult r = Import(path);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].icon, NoticeIcon::Information);
  EXPECT_EQ(r.messages[0].text, "Sono stati modificati 7 dettagli orari");  // every row of every code of the file
  EXPECT_EQ(r.updated, kOlviStopRows);
  EXPECT_EQ(StopRows(),
            (std::vector<std::string>{"1|1|F1|Piazza \"Nuova\"|Centro Storico", "1|2|F2|Stazione|NULL",
                                      "2|1|F1|Piazza \"Nuova\"|Centro Storico", "2|2|F2|Stazione|NULL",
                                      "3|1|F1|Piazza \"Nuova\"|Centro Storico", "3|2|F3|Ospedale|Via Roma 3",
                                      "5|1|F10|" + std::string("Città") + "|Viale"}));
  EXPECT_EQ(notices.Texts(), "");
}

TEST_F(OlviFiles, CodesHoldingQuotesMatchThemselves) {
  RunSql(db, "UPDATE detcor SET fermata = 'F\"2' WHERE fermata = 'F2';");
  const std::string path = dir.Path("f.txt");
  WriteLines(path, {"17\tF\"2\tStazione \"Nord\"\tBinario 1", "17\tF\"\tNiente\t"});
  const AuxiliaryImportResult r = Import(path);
  EXPECT_EQ(Last(r), "Sono stati modificati 2 dettagli orari");
  EXPECT_EQ(QueryLines(db, "SELECT id, denom, ubicaz FROM detcor WHERE fermata = 'F\"2' ORDER BY id"),
            (std::vector<std::string>{"1|Stazione \"Nord\"|Binario 1", "2|Stazione \"Nord\"|Binario 1"}));
  EXPECT_EQ(notices.Texts(), "");
}

// A name stored by another tool with characters Windows-1252 lacks is "?ód?" in the files: the
// same reading in the file is the stored name, kept byte for byte; another text replaces it.
TEST_F(OlviFiles, AStoredNameTheCodePageCannotHoldIsComparedAsStored) {
  RunSql(db, "UPDATE detcor SET denom = char(0x141, 0xF3, 0x64, 0x17A) WHERE fermata IN ('F3', 'F10');");
  const std::string path = dir.Path("f.txt");
  WriteLines(path, {kOlviStopsHeading, "17	F3	?" + std::string("ó") + "d?	Via Roma 4",
                    "17	F10	Citt" + std::string("à") + "	Viale"});
  const AuxiliaryImportResult r = Import(path);
  EXPECT_EQ(Last(r), "Sono stati modificati 2 dettagli orari");
  EXPECT_EQ(QueryLines(db, "SELECT id, sub, hex(denom), ubicaz FROM detcor WHERE fermata IN ('F3', 'F10') ORDER BY id"),
            (std::vector<std::string>{"3|2|C581C3B364C5BA|Via Roma 4", "5|1|43697474C3A0|Viale"}));
}

TEST_F(OlviFiles, TheHeadingIsNoStopWithCompanyZero) {
  RunSql(db, "UPDATE master SET azienda = 0;" +
                 OlviStopSql(5, 2, "'Fermata'", "'Capolinea'", "'Piazzale'", 900));  // a stop coded as the heading
  const std::string path = dir.Path("f.txt");
  WriteLines(path, {kOlviStopsHeading, "0\tF3\tOspedale Nuovo\t"});
  const AuxiliaryImportResult r = Import(path);
  EXPECT_EQ(Last(r), "Sono stati modificati 1 dettagli orari");
  EXPECT_EQ(QueryLines(db,
                       "SELECT denom, ifnull(ubicaz, 'NULL') FROM detcor WHERE id = 5 OR fermata = 'F3' "
                       "ORDER BY id, sub"),
            (std::vector<std::string>{"Ospedale Nuovo|NULL", std::string("Città") + "|Viale", "Capolinea|Piazzale"}));
}

TEST_F(OlviFiles, NothingChangesWhenNothingIsOfTheWorkingCompany) {
  const std::vector<std::string> rows = StopRows();
  const std::string path = dir.Path("f.txt");
  const std::string noStop =
      "Il file proposto non contiene neppure una Fermata Olvi\nriferibile all'Azienda di Lavoro !!!";
  WriteLines(path, {kOlviStopsHeading, "18\tF1\tAltrove\tLontano"});
  AuxiliaryImportResult r = Import(path);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, noStop);
  EXPECT_EQ(r.messages[0].icon, NoticeIcon::Stop);
  // Without the master row no line is of the working company (17 included).
  RunSql(db, "DELETE FROM master;");
  WriteLines(path, {kOlviStopsHeading, "17\tF1\tAltrove\tLontano", "0\tF1\tAltrove\tLontano"});
  r = Import(path);
  ASSERT_EQ(r.messages.size(), 2u);
  EXPECT_EQ(r.messages[0].text, "ATTENZIONE: non è definita l'Azienda di Lavoro !!!");
  EXPECT_EQ(r.messages[1].text, noStop);
  EXPECT_EQ(StopRows(), rows);
}

struct BadLine {
  std::string line;
  const char* message;
};

TEST_F(OlviFiles, ALineThatCannotBeStoredRefusesTheWholeFile) {
  const std::vector<std::string> rows = StopRows();
  const std::string forty(40, 'x'), tail = ".\n\nNessun dettaglio orario è stato modificato.";
  const BadLine cases[] = {
      {"17\tF123456789X\tNome\tLuogo", "alla riga 3 il codice della fermata supera i 10 caratteri"},
      {"17\tF3\t" + forty + "n\tLuogo", "alla riga 3 la denominazione supera i 40 caratteri"},
      {"17\tF3\tNome\t" + forty + "u", "alla riga 3 l'ubicazione supera i 40 caratteri"},
      {"17\tF3\t   \tLuogo", "alla riga 3 manca la denominazione della fermata"},
      {"17\tF3\t\t", "alla riga 3 manca la denominazione della fermata"},
      // Lines the export could not have written, whatever their company.
      {"17\tF3", "alla riga 3 i campi sono 2 invece di 4"},
      {"17\tF3\tMal\tverne\tLuogo", "alla riga 3 i campi sono 5 invece di 4"},
      {"18\tF3\tMal\tverne\tLuogo", "alla riga 3 i campi sono 5 invece di 4"},
      {"", "alla riga 3 i campi sono 1 invece di 4"},
      {"17a\tF3\tNome\tLuogo", "alla riga 3 il codice dell'azienda non è un numero"},
      {"18\tF3\t" + forty + "n\tLuogo", "alla riga 3 la denominazione supera i 40 caratteri"},
      {"17\tF3\t" + std::string(70000, 'n') + "\tLuogo", "la riga 3 supera i 65536 caratteri"},
      // Control characters: a NUL byte would cut the text short where the database keeps it.
      {std::string("17\tF3\t\0-\tLuogo", 14), "alla riga 3 la denominazione contiene un carattere di controllo"},
      {std::string("17\tF3\tPi\0zza\tLuogo", 18), "alla riga 3 la denominazione contiene un carattere di controllo"},
      {std::string("17\tF3\tNome\tLu\0go", 16), "alla riga 3 l'ubicazione contiene un carattere di controllo"},
      {"17\tF\x01\tNome\tLuogo", "alla riga 3 il codice della fermata contiene un carattere di controllo"},
      {"17\tF3\tNome\rbis\tLuogo", "alla riga 3 la denominazione contiene un carattere di controllo"},
  };
  const std::string path = dir.Path("f.txt");
  for (const BadLine& c : cases) {
    SCOPED_TRACE(c.line);
    WriteLines(path, {kOlviStopsHeading, "17\tF1\tPiazza Nuova\tCentro", c.line});
    const AuxiliaryImportResult r = Import(path);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, std::string("Il file proposto non può essere importato:\n") + c.message + tail);
    EXPECT_EQ(r.updated, 0);
    EXPECT_EQ(StopRows(), rows);
  }
  // At the widths, trailing blanks not counted, the texts are taken.
  WriteLines(path, {"17\tF3        \t" + forty + "   \t" + forty});
  EXPECT_EQ(Last(Import(path)), "Sono stati modificati 1 dettagli orari");
  EXPECT_EQ(QueryLines(db, "SELECT denom, ubicaz FROM detcor WHERE fermata = 'F3'"),
            std::vector<std::string>{forty + "|" + forty});
}

TEST_F(OlviFiles, AFileThatDoesNotOpenIsSaid) {
  const std::string path = dir.Path("manca.txt");
  const AuxiliaryImportResult r = Import(path);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "Impossibile aprire\n\n" + path);
  // A named pipe: refused naming it, never waited on.
  const std::string pipe = dir.Path("tubo.txt");
  MakePipe(pipe);
  const PipeWatchdog watchdog({pipe});
  const AuxiliaryImportResult piped = Import(pipe);
  ASSERT_EQ(piped.messages.size(), 1u);
  EXPECT_EQ(piped.messages[0].text, "Impossibile aprire\n\n" + pipe + "\n\n" + kNotARegularFileText);
}

}  // namespace
