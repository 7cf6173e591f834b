// The six imports run as their commands run them alone, on real files and a real database:
// the rows they write, field by field, and what they say and refuse on bad input.

#include "ExchangeTestSupport.h"

#include "common/Clock.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"

#include "common/WorkProgress.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using K = ImportKind;

struct Fixture : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  void SetUp() override { MakeTimetableDatabase(db); }
  std::string Q(const std::string& sql) const { return QueryFile(db, sql); }
  std::string File(const std::string& name, const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    const std::string path = dir.Path(name);
    WriteLines(path, lines, end);
    return path;
  }
};

std::string Count(const std::string& db, const char* table) {
  return QueryFile(db, std::string("SELECT COUNT(*) FROM ") + table);
}

const std::string kBlockingTail =
    "L'acquisizione dati risulta pertanto impossibile.\n\nVuoi salvare il report analitico degli errori ?";

// ---- The hand-made set, file by file -------------------------------------------------------

TEST_F(Fixture, HandMadeSetFileByFile) {
  ui::Script script;
  const K kinds[] = {K::Protocol, K::Cadences, K::Calendar, K::TripHeads, K::TripDetails, K::Periods};
  const int lines[] = {1, 2, 3, 3, 8, 4};
  for (int k = 0; k < 6; ++k) {
    script.Clear();
    RunImport(db, kinds[k], HandMadeFile(DescriptorOf(kinds[k]).layout().fileName));
    ASSERT_EQ(script.Messages().size(), 1u) << MessagesOf(script);
    EXPECT_EQ(script.Messages()[0].text, ResultText(kinds[k], lines[k], lines[k]));
    EXPECT_EQ(script.Messages()[0].type, ui::MB_ICONINFORMATION);
  }
  EXPECT_EQ(Q("SELECT codice, azienda, p_data, protoc, resple, datini, datfin, id_corsa, gruppo FROM master"),
            "0|17|2024-01-15|42|Mario Rossì                             |2024-01-01|2024-06-30|4|0\n");
  EXPECT_EQ(Q("SELECT '[' || codice || ']', '[' || denom || ']' FROM cadenz ORDER BY codice"),
            "[FER       ]|[Feriale scolastico" + std::string(42, ' ') + "]\n[FES       ]|[Festività" +
                std::string(51, ' ') + "]\n");
  EXPECT_EQ(Q("SELECT data, '[' || caden || ']', giorno, '[' || note || ']' FROM calend ORDER BY data"),
            "2024-01-01|[FES       ]|1|[Capodanno           ]\n"
            "2024-01-02|[FER       ]|2|[                    ]\n"
            "2024-01-06|[FES       ]|6|[Epifania            ]\n");
  EXPECT_EQ(Q("SELECT id, '[' || codcorsa || ']', '[' || codlinea || ']', verso, parte, arriva, ente, contratt, "
              "lung, tempo, ct_lung, ct_tempo, regcorsa, '[' || codperc || ']', reglinea, denom, gruppo, mezzo, "
              "prevcor, nextcor FROM tescor ORDER BY id"),
            "1|[C001]|[L1]|A|730|805|5|12|12500|35|12500|35|NULL|[P1]|NULL|Aulla - Città|-1|NULL|NULL|NULL\n"
            "2|[C002]|[L1]|R|1200|1220|1|0|8000|20|8000|20|NULL|[P2]|NULL|NULL|-1|NULL|NULL|NULL\n"
            "3|[ ]|[L1]|A|1330|1405|5|12|12500|35|12500|35|NULL|[P1]|NULL|Aulla - Città bis|-1|NULL|NULL|NULL\n");
  EXPECT_EQ(Q("SELECT id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, regferma, "
              "regarea, reglocal FROM detcor ORDER BY id, sub"),
            "1|1|F01|Aulla Stazione|Piazza Città|0|9999|730|1|0|0|NULL|NULL|0\n"
            "1|2|F02|Bivio Olivola|NULL|5000|741|742|0|1|0|NULL|NULL|0\n"
            "1|3|F03|Città|Via Roma|12500|805|9999|1|0|0|NULL|NULL|0\n"
            "2|1|F03|Città|Via Roma|0|9999|1200|1|0|0|NULL|NULL|0\n"
            "2|2|F01|Aulla Stazione|Piazza Città|8000|1220|9999|1|0|0|NULL|NULL|0\n"
            "3|1|f01|AULLA STAZIONE|Piazza Città|0|9999|1330|1|0|0|NULL|NULL|0\n"
            "3|2|F02|Bivio Olivola|NULL|5000|1341|1342|0|1|0|NULL|NULL|0\n"
            "3|3|F03|CITTÀ|Via Roma|12500|1405|9999|1|0|0|NULL|NULL|0\n");
  EXPECT_EQ(Q("SELECT id, caden, inizio, fine, escluso FROM period ORDER BY id, inizio"),
            "1|FER|2024-01-01|2024-06-30|0\n1|FES|2024-01-06|2024-01-06|1\n2|FES|2024-01-01|2024-03-31|0\n"
            "3|FER|2024-02-01|2024-02-29|0\n");
}

// ---- Length faults ---------------------------------------------------------------------------

TEST_F(Fixture, LineOneByteShortBlocksAndOffersTheReport) {
  auto lines = HandMadeLines("RT_CADEN.TXT");
  lines[1].pop_back();
  const std::string file = File("RT_CADEN.TXT", lines);
  const std::string report = dir.Path("ERRORI_VURTXT.TXT");
  ui::Script script;
  script.Ok().File(report);
  FixClock({2024, 3, 5, 9, 7, 0});
  RunImport(db, K::Cadences, file);
  UnfixClock();
  ASSERT_EQ(script.Messages().size(), 2u) << MessagesOf(script);
  EXPECT_EQ(script.Messages()[0].type, ui::MB_OKCANCEL | ui::MB_ICONSTOP);
  EXPECT_EQ(script.Messages()[0].text,
            "ATTENZIONE: il file di testo proposto per l'importazione non risulta corrispondere\n"
            "alle specifiche stabilite dalla Regione Toscana.\n\nL'acquisizione dati risulta quindi impossibile.\n\n"
            "Vuoi salvare il report analitico degli errori ?");
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::Cadences, 2, 0));
  EXPECT_EQ(script.Messages()[1].type, ui::MB_ICONSTOP);
  EXPECT_EQ(Count(db, "cadenz"), "0\n");
  const std::string frame(72, '=');
  EXPECT_EQ(ReadBytes(report), frame + "\r\n05/03/2024 09.07 Report Errori VurTxt V1 (Quendo)\r\nDatabase: " + db +
                                   "\r\nFile: " + file + "\r\n" + frame +
                                   "\r\n\r\nRiga 2: la riga è lunga 73 [deve essere 74]\r\n");
}

TEST_F(Fixture, Utf8FileIsLongerThanTheLayoutAndBlocks) {
  // "Festività" saved as UTF-8: the accented letter takes two bytes.
  auto lines = HandMadeLines("RT_CADEN.TXT");
  for (auto& l : lines) l = cp1252::ToUtf8(l);
  const std::string file = File("RT_CADEN.TXT", lines);
  ui::Script script;
  script.Ok().File(dir.Path("report.txt"));
  RunImport(db, K::Cadences, file);
  EXPECT_EQ(script.Messages().back().text, ResultText(K::Cadences, 2, 0));
  EXPECT_EQ(Count(db, "cadenz"), "0\n");
  EXPECT_NE(ReadBytes(dir.Path("report.txt")).find("Riga 2: la riga è lunga 75 [deve essere 74]\r\n"),
            std::string::npos);
  EXPECT_EQ(ReadBytes(dir.Path("report.txt")).find("Riga 1:"), std::string::npos);
}

TEST_F(Fixture, LfLineEndsImportAsCrLf) {
  const std::string file = File("rt_caden.txt", HandMadeLines("RT_CADEN.TXT"), "\n");
  ui::Script script;
  RunImport(db, K::Cadences, file);
  EXPECT_EQ(MessagesOf(script), ResultText(K::Cadences, 2, 2));
  EXPECT_EQ(Q("SELECT length(codice), length(denom) FROM cadenz ORDER BY codice"), "10|60\n10|60\n");
}

// ---- Company -----------------------------------------------------------------------------------

TEST_F(Fixture, OtherCompanyAsksAndCancelWritesNothing) {
  auto lines = HandMadeLines("RT_CADEN.TXT");
  for (auto& l : lines) l.replace(0, 4, "0018");
  const std::string file = File("RT_CADEN.TXT", lines);
  {
    ui::Script script;
    script.Cancel();
    RunImport(db, K::Cadences, file);
    ASSERT_EQ(script.Messages().size(), 2u);
    EXPECT_EQ(script.Messages()[0].type, ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
    EXPECT_EQ(script.Messages()[0].text,
              "ATTENZIONE: il Codice Regionale Azienda indicato nel file di testo è incoerente\n"
              "oppure non corrisponde a quello dell'Azienda.\n\nProseguo comunque?");
    EXPECT_EQ(script.Messages()[1].text, ResultText(K::Cadences, 2, 0));
    EXPECT_EQ(Count(db, "cadenz"), "0\n");
  }
  ui::Script script;
  script.Ok();
  RunImport(db, K::Cadences, file);
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::Cadences, 2, 2));
  EXPECT_EQ(Count(db, "cadenz"), "2\n");
}

TEST_F(Fixture, CompanyChangingInsideTheFileIsRemediableAndListed) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  auto lines = HandMadeLines("RT_DTORA.TXT");
  lines[2].replace(0, 4, "0099");
  const std::string file = File("RT_DTORA.TXT", lines);
  ui::Script script;
  script.Cancel();
  RunImport(db, K::TripDetails, file);
  EXPECT_EQ(script.Messages()[0].text,
            "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n"
            "***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n"
            "oppure non corrisponde a quello dell'Azienda.\n"
            "E' comunque possibile proseguire assundo il Codice Azienda corretto.\n\nProseguo comunque?");
  EXPECT_EQ(Count(db, "detcor"), "0\n");
}

// ---- Empty files -------------------------------------------------------------------------------

TEST_F(Fixture, EmptyProtocolAsksAndReportsSuccessEitherWay) {
  const std::string file = File("RT_PROTO.TXT", {});
  for (bool ok : {false, true}) {
    ui::Script script;
    if (ok)
      script.Ok();
    else
      script.Cancel();
    RunImport(db, K::Protocol, file);
    ASSERT_EQ(script.Messages().size(), 2u);
    EXPECT_EQ(script.Messages()[0].type, ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
    EXPECT_EQ(script.Messages()[1].text, ResultText(K::Protocol, 0, 0));
    EXPECT_EQ(script.Messages()[1].type, ui::MB_ICONINFORMATION);
  }
  EXPECT_EQ(Q("SELECT azienda, p_data, protoc FROM master"), "17|NULL|NULL\n");
}

TEST_F(Fixture, EmptyCadenceFileAsksForItsCompany) {
  const std::string file = File("RT_CADEN.TXT", {});
  ui::Script script;
  script.Ok().Cancel();
  RunImport(db, K::Cadences, file);
  EXPECT_EQ(script.Messages()[0].type, ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::Cadences, 0, 0));
}

// ---- Dates, times, day types ----------------------------------------------------------------------

TEST_F(Fixture, CalendarDateOf31FebruaryBlocks) {
  ImportHandMade(db, {K::Cadences});
  auto lines = HandMadeLines("RT_CALEN.TXT");
  lines[1].replace(4, 8, "20240231");
  ui::Script script;
  script.Ok().File(dir.Path("e.txt"));
  RunImport(db, K::Calendar, File("RT_CALEN.TXT", lines));
  EXPECT_EQ(script.Messages()[0].text,
            "SONO STATI RILEVATI ERRORI BLOCCANTI:\n\n"
            "***** il file di testo proposto contiene dei valori DATA illegali.\n"
            "I valori DATA devono essere espressi nel formato AAAAMMGG !!!\n\n" +
                kBlockingTail);
  EXPECT_EQ(Count(db, "calend"), "0\n");
  EXPECT_NE(ReadBytes(dir.Path("e.txt")).find("Riga 2 offset 4: data in formato illegale\r\n"), std::string::npos);
}

TEST_F(Fixture, CalendarDateOutsideThePeriodIsSkippedAfterOk) {
  ImportHandMade(db, {K::Cadences});
  auto lines = HandMadeLines("RT_CALEN.TXT");
  lines[2].replace(4, 8, "20240701");
  ui::Script script;
  script.Ok();
  RunImport(db, K::Calendar, File("RT_CALEN.TXT", lines));
  EXPECT_EQ(script.Messages()[0].text,
            "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n"
            "***** alcune date del calendario non rientrano nel periodo dichiarato.\n"
            "E' comunque possibile proseguire ignorando le date fuori periodo.\n\nProseguo comunque?");
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::Calendar, 3, 2));
  EXPECT_EQ(Q("SELECT data FROM calend ORDER BY data"), "2024-01-01\n2024-01-02\n");
}

TEST_F(Fixture, NonNumericAndOutOfRangeTimesBlock) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  auto lines = HandMadeLines("RT_DTORA.TXT");
  lines[0].replace(128, 4, "07a0");      // two faults
  lines[1].replace(128, 8, "07602400");  // one minute fault, one hour fault
  lines[2].replace(128, 4, "9930");      // one hour fault
  ui::Script script;
  script.Ok().File(dir.Path("e.txt"));
  RunImport(db, K::TripDetails, File("RT_DTORA.TXT", lines));
  EXPECT_EQ(script.Messages()[0].text,
            "SONO STATI RILEVATI ERRORI BLOCCANTI:\n\n"
            "***** il file di testo proposto contiene dei valori ORARIO illegali.\n"
            "I valori ORARIO devono essere espressi nel formato HHMM !!!\n\n" +
                kBlockingTail);
  EXPECT_EQ(Count(db, "detcor"), "0\n");
  EXPECT_NE(ReadBytes(dir.Path("e.txt"))
                .find("Riga 1 offset 128: orario espresso in forma illegale\r\n"
                      "Riga 1 offset 128: orario espresso in forma illegale\r\n"
                      "Riga 2 offset 128: orario espresso in forma illegale\r\n"
                      "Riga 2 offset 132: orario espresso in forma illegale\r\n"
                      "Riga 3 offset 128: orario espresso in forma illegale\r\n"),
            std::string::npos)
      << ReadBytes(dir.Path("e.txt"));
}

TEST_F(Fixture, PeriodWithUnknownDayTypeBlocks) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  auto lines = HandMadeLines("RT_PERIOD.TXT");
  lines[3].replace(10, 10, "SCO       ");
  ui::Script script;
  script.Ok().File(dir.Path("e.txt"));
  RunImport(db, K::Periods, File("RT_PERIOD.TXT", lines));
  EXPECT_EQ(script.Messages()[0].text,
            "SONO STATI RILEVATI ERRORI BLOCCANTI:\n\n"
            "***** il file di testo proposto contiene dei CODICI CADENZA che risultano\n"
            "sconosciuti (violazione dell'integrità referenziale) !!!\n\n" +
                kBlockingTail);
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::Periods, 4, 0));
  EXPECT_EQ(Count(db, "period"), "0\n");
  EXPECT_NE(ReadBytes(dir.Path("e.txt")).find("Riga 4 offset 10: cadenza \"SCO \" non dichiarata in RT_CADEN.TXT"),
            std::string::npos);
}

TEST_F(Fixture, PeriodsAreClippedToTheReportingPeriodOrLeftOut) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  auto lines = HandMadeLines("RT_PERIOD.TXT");
  lines[0].replace(20, 16, "2023120120241231");  // across the whole period: clipped
  lines[2].replace(20, 16, "2023010120231231");  // wholly before: left out
  ui::Script script;
  script.Ok();
  RunImport(db, K::Periods, File("RT_PERIOD.TXT", lines));
  EXPECT_EQ(script.Messages()[0].text,
            "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n"
            "***** alcune date del calendario non rientrano nel periodo dichiarato.\n"
            "E' comunque possibile proseguire ignorando o aggiustando le date fuori periodo.\n\nProseguo comunque?");
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::Periods, 4, 3));
  EXPECT_EQ(Q("SELECT id, inizio, fine FROM period ORDER BY id, inizio"),
            "1|2024-01-01|2024-06-30\n1|2024-01-06|2024-01-06\n3|2024-02-01|2024-02-29\n");
}

// ---- Trips -----------------------------------------------------------------------------------------

TEST_F(Fixture, StopsOfAnUndeclaredTripAreLeftOutAsTold) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  auto lines = HandMadeLines("RT_DTORA.TXT");
  auto extra = lines[0];
  extra.replace(4, 6, "000009");
  lines.push_back(extra);
  const std::string file = File("RT_DTORA.TXT", lines);
  {
    ui::Script script;
    script.Cancel();
    RunImport(db, K::TripDetails, file);
    EXPECT_EQ(script.Messages()[0].text,
              "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n"
              "***** alcuni dettagli corsa si riferiscono a corse inesistenti.\n"
              "E' comunque possibile proseguire ignorandoli.\n\nProseguo comunque?");
    EXPECT_EQ(Count(db, "detcor"), "0\n");
  }
  ui::Script script;
  script.Ok();
  RunImport(db, K::TripDetails, file);
  // No box of the database: the row was never offered to it.
  ASSERT_EQ(script.Messages().size(), 2u) << MessagesOf(script);
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::TripDetails, 9, 8));
  EXPECT_EQ(Count(db, "detcor"), "8\n");
  EXPECT_EQ(QueryFile(db, "SELECT COUNT(*) FROM detcor WHERE id = 9"), "0\n");
}

TEST_F(Fixture, TripWithoutStopsKeepsItsImportedTimes) {
  auto heads = HandMadeLines("RT_HDORA.TXT");
  auto extra = heads[1];
  extra.replace(4, 6, "000004");
  heads.push_back(extra);
  ImportHandMade(db, {K::Cadences});
  {
    ui::Script script;
    RunImport(db, K::TripHeads, File("RT_HDORA.TXT", heads));
    RunImport(db, K::TripDetails, HandMadeFile("RT_DTORA.TXT"));
    EXPECT_EQ(script.Messages()[1].text, ResultText(K::TripDetails, 8, 8));
  }
  EXPECT_EQ(Q("SELECT id, parte, arriva, gruppo FROM tescor ORDER BY id"),
            "1|730|805|-1\n2|1200|1220|-1\n3|1330|1405|-1\n4|0|2359|-1\n");
  EXPECT_EQ(Q("SELECT id_corsa FROM master"), "5\n");
}

TEST_F(Fixture, TripHeadAuthorityAndContractFaults) {
  ImportHandMade(db, {K::Cadences});
  auto lines = HandMadeLines("RT_HDORA.TXT");
  lines[0].replace(40, 8, "12ab12cd");  // authority 12 (a code) with letters; contract 12 with letters
  lines[1].replace(40, 4, "7777");      // not tested: an authority fault came first
  ui::Script script;
  script.Ok().File(dir.Path("e.txt"));
  RunImport(db, K::TripHeads, File("RT_HDORA.TXT", lines));
  EXPECT_EQ(script.Messages()[0].text,
            "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n"
            "***** alcuni Codici Enti Concedenti risultano sconosciuti.\n"
            "L'acquisizione dei dati può comunque essere portata a buon fine, ma i codici\n"
            "sconosciuti verranno automaticamente riclassificati.\n\n"
            "***** alcuni Codici Contratto non sono numerici.\n"
            "L'acquisizione dei dati può comunque essere portata a buon fine, ma i codici\n"
            "verranno automaticamente azzerati.\n\nProseguo comunque?");
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::TripHeads, 3, 3));
  EXPECT_EQ(Q("SELECT id, ente, contratt FROM tescor ORDER BY id"), "1|12|12\n2|0|0\n3|5|12\n");
}

TEST_F(Fixture, UnknownAuthorityIsListedOnceAndStoredAsZero) {
  ImportHandMade(db, {K::Cadences});
  auto lines = HandMadeLines("RT_HDORA.TXT");
  lines[0].replace(40, 4, "7777");
  lines[1].replace(40, 4, "7778");
  const std::string report = dir.Path("e.txt");
  {
    ui::Script script;
    script.Cancel();
    RunImport(db, K::TripHeads, File("RT_HDORA.TXT", lines));
  }
  EXPECT_EQ(Count(db, "tescor"), "0\n");
  EXPECT_EQ(Q("SELECT id_corsa FROM master"), "0\n");
  ui::Script script;
  script.Ok();
  RunImport(db, K::TripHeads, File("RT_HDORA.TXT", lines));
  EXPECT_EQ(Q("SELECT id, ente FROM tescor ORDER BY id"), "1|0\n2|0\n3|5\n");
  EXPECT_EQ(Q("SELECT id_corsa FROM master"), "4\n");
}

TEST_F(Fixture, MissingPrerequisitesStopBeforeReading) {
  ui::Script script;
  RunImport(db, K::TripDetails, HandMadeFile("RT_DTORA.TXT"));
  RunImport(db, K::Calendar, HandMadeFile("RT_CALEN.TXT"));
  ASSERT_EQ(script.Messages().size(), 4u);
  EXPECT_EQ(script.Messages()[0].text,
            "ATTENZIONE: non è stata estratta neppure una Testa Corsa registrata.\n\n"
            "Presumibilmente l'importazione dei Teste Corsa non è stata ancora effettuata.\n\n"
            "Occorre effettuare l'importazione delle Teste Corsa prima di potere procedere con\n"
            "l'importazione dei Dettagli Corsa.");
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::TripDetails, -1, 0));
  EXPECT_EQ(script.Messages()[2].text.rfind("ATTENZIONE: non è stata estratta neppure una cadenza registrata.", 0), 0u);
  EXPECT_EQ(script.Messages()[3].text, ResultText(K::Calendar, -1, 0));
}

TEST_F(Fixture, MissingFileAndMissingMaster) {
  ui::Script script;
  const std::string absent = dir.Path("manca.txt");
  RunImport(db, K::Cadences, absent);
  EXPECT_EQ(script.Messages()[0].text, "Impossibile aprire\n\n" + absent);
  {
    DbDatabase handle(db);
    sqlite3_exec(handle.Handle(), "DELETE FROM master", nullptr, nullptr, nullptr);
  }
  script.Clear();
  RunImport(db, K::Cadences, HandMadeFile("RT_CADEN.TXT"));
  EXPECT_EQ(script.Messages()[0].text,
            "ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!");
  EXPECT_EQ(script.Messages()[1].text, ResultText(K::Cadences, -1, 0));
  EXPECT_EQ(Count(db, "cadenz"), "0\n");
}

// ---- Rows the database refuses -------------------------------------------------------------------

TEST_F(Fixture, RefusedRowsShowAFewBoxesThenOneThatCountsTheRest) {
  std::vector<std::string> lines;
  for (int k = 0; k < 6; ++k) lines.push_back("0017" + ("C" + std::to_string(k) + "        ") + std::string(60, 'x'));
  const std::string file = File("RT_CADEN.TXT", lines);
  {
    ui::Script script;
    RunImport(db, K::Cadences, file);
  }
  const std::string report = dir.Path("rifiuti.txt");
  ui::Script script;
  script.Ok().File(report);
  RunImport(db, K::Cadences, file);
  ASSERT_EQ(script.Messages().size(), 5u) << MessagesOf(script);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(script.Messages()[k].type, ui::MB_ICONSTOP);
    EXPECT_EQ(script.Messages()[k].text.rfind("Errore aggiornamento tavola (cadenz)\n\nValore duplicato", 0), 0u);
  }
  EXPECT_EQ(script.Messages()[3].text,
            "Altre 3 righe sono state rifiutate dal database.\n\nVuoi salvare il report analitico degli errori ?");
  EXPECT_EQ(script.Messages()[4].text, ResultText(K::Cadences, 6, 0));
  const std::string text = ReadBytes(report);
  for (int k = 1; k <= 6; ++k)
    EXPECT_NE(text.find("Riga " + std::to_string(k) + ": Errore aggiornamento tavola (cadenz): Valore duplicato"),
              std::string::npos)
        << text;
}

// ---- A crash half-way ----------------------------------------------------------------------------

// Ends the process, as a crash or a kill would, once pass 2 is half done.
struct DieHalfWay : WorkProgress {
  void Begin(const std::string&) override {}
  void Step(long done, long total) override {
    if (done * 2 > total) std::_Exit(7);
  }
  void End() override {}
};

TEST_F(Fixture, ACrashHalfWayLeavesTheDatabaseAsItWas) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  const std::string before = Q("SELECT * FROM tescor ORDER BY id") + Q("SELECT * FROM master");
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    DbDatabase handle(db);
    DieHalfWay progress;
    const auto engine = ImportEngine::Create(K::TripDetails, {&handle, HandMadeFile("RT_DTORA.TXT"), false, &progress});
    if (engine->Check()) engine->Load();
    std::_Exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 7);
  EXPECT_EQ(Count(db, "detcor"), "0\n");
  EXPECT_EQ(Q("SELECT * FROM tescor ORDER BY id") + Q("SELECT * FROM master"), before);
  // The database is whole: the import runs again from the start.
  ui::Script script;
  RunImport(db, K::TripDetails, HandMadeFile("RT_DTORA.TXT"));
  EXPECT_EQ(MessagesOf(script), ResultText(K::TripDetails, 8, 8));
}

}  // namespace
