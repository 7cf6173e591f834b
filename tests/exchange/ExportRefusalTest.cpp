// An export never writes a value as another one, nor a file that its own import refuses: a value
// that its field cannot carry refuses the export, naming the record, before any file is put in
// place; only the rows the chosen export writes are looked at. Texts are the one value adjusted
// to the layout, and the files so written are read back by the imports without a fault.

#include "ExportCaseSupport.h"

#include "exchange/ImportEngine.h"

namespace {

using namespace export_case;

constexpr const char* kFixData = "\n\nNessun file è stato scritto: correggere il dato prima di esportare.";
constexpr const char* kFixMaster =
    "\n\nNessun file è stato scritto: correggere i dati con il comando Azienda del menu Archivi prima di esportare.";

std::string TooWide(const char* record, const char* field, const char* label, const char* value, int digits) {
  return std::string("ATTENZIONE: ") + record + ":\nil campo " + field + " (" + label + ") vale " + value +
         ", mentre il tracciato regionale vi ammette\nsolo numeri di " + std::to_string(digits) +
         " cifre al massimo, senza segno.";
}

std::string LargeIds(const char* largest) {
  return std::string("ATTENZIONE: alcune corse hanno un ID superiore a 999999 (il più alto è ") + largest +
         "),\nmentre il tracciato regionale ammette ID corsa di sei cifre.\n\n"
         "Nessun file è stato scritto: usare l'esportazione con rinumerazione.";
}

// A trip of seven digits, of authority 7, running only on 7 January.
const char* const kLargeTrip =
    "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
    "ct_tempo, gruppo) VALUES (1234567, 'C7', 'L7', 'A', 0, 0, 7, 1, 1, 1, 1, 1, -1);"
    "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
    "VALUES (1234567, 1, 'F07', 'Sette', 0, 9999, 700, 1, 0, 0, 0);"
    "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (1234567, 'FES', '2024-01-07', '2024-01-07', 0);";

struct Refusal {
  const char* name;
  const char* sql;
  ExportOptions options;
  std::string expected;  // empty: the export completes
};

const Refusal kRefusals[] = {
    {"AuthorityOfFiveDigits", "UPDATE tescor SET ente = 12345 WHERE id = 2", Plain(),
     TooWide("RT_HDORA.TXT, riga 2 (corsa 2)", "ente", "codice ente", "12345", 4) + kFixData},
    {"AuthorityOfATripNotWritten", "UPDATE tescor SET ente = 12345 WHERE id = 2", Plain(5), ""},
    {"StopNumberOfFiveDigits", "UPDATE detcor SET sub = 12345 WHERE id = 3 AND sub = 2", Plain(),
     TooWide("RT_DTORA.TXT, riga 6 (corsa 3, fermata 12345)", "sub", "progressivo della fermata", "12345", 4) +
         kFixData},
    {"LengthOfNineDigits", "UPDATE tescor SET lung = 123456789 WHERE id = 3", Renumbered(1),
     TooWide("RT_HDORA.TXT, riga 3 (corsa 3)", "lung", "lunghezza", "123456789", 8) + kFixData},
    {"DistanceOfNineDigits", "UPDATE detcor SET dist = 100000000 WHERE id = 1 AND sub = 2", Plain(5),
     TooWide("RT_DTORA.TXT, riga 2 (corsa 1, fermata 2)", "dist", "progressiva", "100000000", 8) + kFixData},
    {"NegativeContract", "UPDATE tescor SET contratt = -3 WHERE id = 1", Plain(),
     TooWide("RT_HDORA.TXT, riga 1 (corsa 1)", "contratt", "codice contratto", "-3", 4) + kFixData},
    {"NoTimeOfDay", "UPDATE detcor SET arriva = 2460 WHERE id = 2 AND sub = 2", Plain(),
     "ATTENZIONE: RT_DTORA.TXT, riga 4 (corsa 2, fermata 2):\nil campo arriva (orario di arrivo) vale 2460, che "
     "non è un orario del tracciato regionale\n(HHMM, con ore da 00 a 23 e minuti da 00 a 59, oppure 9999)." +
         std::string(kFixData)},
    {"NoSendingDate", "UPDATE master SET p_data = NULL", Plain(),
     "ATTENZIONE: RT_PROTO.TXT, riga 1 (dati generali):\nil campo p_data (data di invio) è vuoto, mentre il "
     "tracciato regionale vi richiede una data." +
         std::string(kFixMaster)},
    {"NoSendingDateForADateRange", "UPDATE master SET p_data = NULL", Range({2024, 1, 1}, {2024, 1, 31}),
     "ATTENZIONE: RT_PROTO.TXT, riga 1 (dati generali):\nil campo p_data (data di invio) è vuoto, mentre il "
     "tracciato regionale vi richiede una data." +
         std::string(kFixMaster)},
    {"SendingDateBeforeTheYear100", "UPDATE master SET p_data = '0099-12-31'", Renumbered(1),
     "ATTENZIONE: RT_PROTO.TXT, riga 1 (dati generali):\nil campo p_data (data di invio) vale 00/00/0000, che non "
     "è una data del tracciato regionale\n(AAAAMMGG, con anni da 100 a 9999)." +
         std::string(kFixMaster)},
    {"ReportingPeriodInverted", "UPDATE master SET datfin = '2023-12-31'", Plain(),
     "ATTENZIONE: RT_PROTO.TXT, riga 1 (dati generali):\nil periodo termina il 31/12/2023, prima di iniziare il "
     "01/01/2024,\nmentre il tracciato regionale non ammette periodi invertiti." +
         std::string(kFixMaster)},
    {"CompanyOfFiveDigits", "UPDATE master SET azienda = 12345", Plain(),
     TooWide("RT_PROTO.TXT, riga 1 (dati generali)", "azienda", "codice azienda", "12345", 4) + kFixMaster},
    {"NegativeProtocol", "UPDATE master SET protoc = -1", Plain(),
     TooWide("RT_PROTO.TXT, riga 1 (dati generali)", "protoc", "numero di protocollo", "-1", 6) + kFixMaster},
    {"CalendarDateBeforeTheYear100", "UPDATE calend SET data = '0099-03-05' WHERE data = '2024-03-05'", Plain(),
     "ATTENZIONE: RT_CALEN.TXT, riga 1:\nil campo data (data) vale 00/00/0000, che non è una data del tracciato "
     "regionale\n(AAAAMMGG, con anni da 100 a 9999)." +
         std::string(kFixData)},
    {"PeriodInverted", "UPDATE period SET fine = '2024-01-31' WHERE id = 3", Plain(),
     "ATTENZIONE: RT_PERIOD.TXT, riga 4 (corsa 3):\nil periodo termina il 31/01/2024, prima di iniziare il "
     "01/02/2024,\nmentre il tracciato regionale non ammette periodi invertiti." +
         std::string(kFixData)},
    // A range clips its periods into themselves: no period of it can be inverted.
    {"PeriodInvertedOutsideARange", "UPDATE period SET fine = '2024-01-31' WHERE id = 3",
     Range({2024, 1, 1}, {2024, 1, 31}), ""},
    {"LargeTripId", kLargeTrip, Plain(), LargeIds("1234567")},
    {"LargeTripOfAnotherAuthority", kLargeTrip, Plain(5), ""},
    {"LargeTripOfTheAuthority", kLargeTrip, Plain(7), LargeIds("1234567")},
    {"LargeTripRunningInTheRange", kLargeTrip, Range({2024, 1, 1}, {2024, 1, 31}), LargeIds("1234567")},
    {"LargeTripNotRunningInTheRange", kLargeTrip, Range({2024, 1, 8}, {2024, 3, 31}), ""},
    {"LargeTripOfAnotherAuthorityInTheRange", kLargeTrip, Range({2024, 1, 1}, {2024, 1, 31}, 5), ""},
    {"LargeTripRenumbered", kLargeTrip, Renumbered(1), ""},
    {"StopRowsOfALargeTripWithoutHead",
     "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
     "VALUES (2345678, 1, 'F08', 'Orfana', 0, 9999, 700, 1, 0, 0, 0)",
     Plain(), LargeIds("2345678")},
    {"PeriodOfALargeTripWithoutHead",
     "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (3456789, 'FER', '2024-01-01', '2024-01-31', 0)",
     Plain(), LargeIds("3456789")},
};

struct RefusedExport : ExportCase, ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedExport, NothingIsWrittenAndTheRecordIsNamed) {
  const Refusal& c = GetParam();
  Sql(c.sql);
  PreviousFiles();
  const ExportResult r = Export(c.options);
  EXPECT_EQ(notices.Texts(), "");
  if (c.expected.empty()) {
    ASSERT_TRUE(r.complete) << r.refusal << r.failedPath;
    for (const std::string& name : kNames) EXPECT_NE(FileBytes(Out(name)), "old " + name + "\r\n") << name;
    return;
  }
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.refusal, c.expected);
  EXPECT_EQ(r.failedPath, "");
  ExpectPreviousFiles();
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedExport, ::testing::ValuesIn(kRefusals),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- What is written, the import takes back -------------------------------------------------

// The six imports in the order the whole import runs them, each reading its file of `folder`.
void ImportAll(const std::string& path, const std::string& folder) {
  DbDatabase db(path);
  ASSERT_TRUE(db.isOpen);
  for (ImportKind kind : {ImportKind::Protocol, ImportKind::Cadences, ImportKind::Calendar, ImportKind::TripHeads,
                          ImportKind::TripDetails, ImportKind::Periods}) {
    const std::string file = folder + "/" + DescriptorOf(kind).layout().fileName;
    const auto engine = ImportEngine::Create(kind, {&db, file, false, nullptr});
    ASSERT_TRUE(engine->Check()) << file << ": " << engine->StopMessage();
    EXPECT_FALSE(engine->Blocking()) << file << ": " << engine->BlockingMessage();
    EXPECT_FALSE(engine->Remediable()) << file << ": " << engine->RemediableMessage();
    engine->Load();
    EXPECT_EQ(engine->RowsInserted(), engine->LinesRead()) << file;
  }
}

TEST_F(ExportCase, AdjustedTextsAndEdgeValuesAreReadBackByTheImports) {
  // A stop name longer than its field and an empty direction (a table made without the checks),
  // names holding a line end and a file end, the empty time mark, a protocol of none.
  Sql("UPDATE detcor SET denom = 'Aulla Stazione Ferroviaria - Piazzale Ovest' WHERE id = 1 AND sub = 1;"
      "UPDATE detcor SET ubicaz = 'Via Roma' || char(13, 10) || '12' WHERE id = 2 AND sub = 1;"
      "UPDATE tescor SET denom = 'Olivola' || char(26) || ' bivio', verso = '' WHERE id = 2;"
      "UPDATE master SET protoc = NULL;",
      false);
  const ExportResult r = Export();
  ASSERT_TRUE(r.complete) << r.refusal << r.failedPath;
  EXPECT_EQ(r.overWide, 1);
  EXPECT_EQ(r.controlsBlanked, 2);
  const std::string text = ExportResultText(r);
  EXPECT_TRUE(HasPart(text,
                      "\nATTENZIONE: 1 righe contengono un valore più lungo del suo campo nel tracciato regionale:\n"
                      "il valore è stato limitato alla larghezza del campo.\n"));
  EXPECT_TRUE(HasPart(text,
                      "\nATTENZIONE: 2 righe contengono un testo con caratteri di fine riga o di fine file:\n"
                      "nel file sono stati sostituiti da spazi.\n"));
  const std::string stops = FileBytes(Out("RT_DTORA.TXT"));
  EXPECT_TRUE(HasPart(stops, "Aulla Stazione Ferroviaria - Piazzale OvPiazza Città"));
  EXPECT_TRUE(HasPart(stops, "Via Roma  12"));
  EXPECT_TRUE(HasPart(FileBytes(Out("RT_HDORA.TXT")), " P2                  000000Olivola  bivio"));
  EXPECT_TRUE(HasPrefix(FileBytes(Out("RT_PROTO.TXT")), "001720240115000000"));

  // A new database with the same reference lists takes every line back.
  const std::string back = dir.Path("ritorno.mdb");
  MakeTimetable(back);
  ASSERT_EQ(Exec(back,
                 "DELETE FROM period; DELETE FROM detcor; DELETE FROM tescor; DELETE FROM calend; "
                 "DELETE FROM cadenz;"),
            "ok");
  ImportAll(back, out);
  EXPECT_EQ(QueryFile(back, "SELECT denom, ubicaz FROM detcor WHERE sub = 1 ORDER BY id"),
            "Aulla Stazione Ferroviaria - Piazzale Ov|Piazza Città\nOlivola|Via Roma  12\n"
            "Aulla Stazione|Piazza Città\n");
  EXPECT_EQ(QueryFile(back, "SELECT arriva FROM detcor WHERE id = 3 ORDER BY sub"), "0\n1030\n");
}

}  // namespace
