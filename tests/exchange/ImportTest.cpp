// The six imports through the engine on a real database: the hand-made set field by field, a crash
// half-way, a file changed between the passes, and the faults of the files, one case each: the
// decision and its text (or the stop message), the report's lines and what the table then holds;
// among them, for every field of every file, the values its rule does not allow.

#include "common/WorkProgress.h"
#include "support/ExchangeData.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <functional>

namespace {

using K = ImportKind;
using Lines = std::vector<std::string>;
using Edit = std::function<void(Lines&)>;

struct Imports : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  void SetUp() override { MakeTimetableDatabase(db); }
  std::string Q(const std::string& sql) const { return QueryFile(db, sql); }
};

TEST_F(Imports, HandMadeSetFileByFile) {
  const char* schema = "SELECT type, name, sql FROM sqlite_master ORDER BY name";
  const std::string built = Q(schema);
  ImportHandMade(db);
  EXPECT_EQ(Q(schema), built);  // an index set aside for a load is made again as it was
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

// Ends the process, as a crash or a kill would, once pass 2 is half done.
struct DieHalfWay : WorkProgress {
  void Begin(const std::string&) override {}
  void Step(long done, long total) override {
    if (done * 2 > total) std::_Exit(7);
  }
  void End() override {}
};

TEST_F(Imports, ACrashHalfWayLeavesTheDatabaseAsItWas) {
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
  EXPECT_EQ(Q("SELECT COUNT(*) FROM detcor"), "0\n");
  EXPECT_EQ(Q("SELECT * FROM tescor ORDER BY id") + Q("SELECT * FROM master"), before);
  // The database is whole: the import runs again from the start.
  ImportHandMade(db, {K::TripDetails});
}

// kRefused: checked clean, but the load stopped at a stored value and kept nothing (its message).
enum Verdict { kClean, kRemediable, kBlocking, kStop, kRefused };

struct FaultCase {
  std::string name;
  K kind = K::Protocol;
  std::vector<Edit> edits;    // applied to the hand-made lines in turn
  const char* sql = nullptr;  // run on the database before the import
  Verdict verdict = kClean;
  std::string message;          // the text of the decision, or the stop message
  std::string report;           // the report's lines
  std::string rows;             // what `query` gives at the end
  const char* query = nullptr;  // the row count of the import's table when none

  FaultCase Is(Verdict v, std::string m, std::string r, std::string rs = "0\n", const char* q = nullptr) const {
    FaultCase c = *this;
    c.verdict = v, c.message = std::move(m), c.report = std::move(r), c.rows = std::move(rs), c.query = q;
    return c;
  }
};
FaultCase On(const char* name, K kind, std::vector<Edit> edits = {}, const char* sql = nullptr) {
  FaultCase c;
  c.name = name, c.kind = kind, c.edits = std::move(edits), c.sql = sql;
  return c;
}
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
FaultCase On(const std::string& name, K kind, std::vector<Edit> edits = {}) {
  return On(name.c_str(), kind, std::move(edits));
}

Edit Put(size_t line, size_t at, const std::string& text) {
  return [=](Lines& l) { l[line].replace(at, text.size(), text); };
}
const auto Cut = [](size_t line) -> Edit { return [=](Lines& l) { l[line].pop_back(); }; };
const auto Copy = [](size_t line) -> Edit { return [=](Lines& l) { l.push_back(l[line]); }; };
const auto Repeat = [](size_t count) -> Edit { return [=](Lines& l) { l.assign(count, l[0]); }; };
const Edit kOtherCompany = [](Lines& lines) {
  for (std::string& l : lines) l.replace(0, 4, "0018");
};
const Edit kEmpty = [](Lines& l) { l.clear(); };

const char* const kMaster = "SELECT azienda, p_data, protoc FROM master";
const std::string kLayoutFault =
    "ATTENZIONE: il file di testo proposto per l'importazione non risulta corrispondere\n"
    "alle specifiche stabilite dalla Regione Toscana.\n\nL'acquisizione dati risulta quindi impossibile.\n\n"
    "Vuoi salvare il report analitico degli errori ?";
const std::string kCompanyQuestion =
    "ATTENZIONE: il Codice Regionale Azienda indicato nel file di testo è incoerente\n"
    "oppure non corrisponde a quello dell'Azienda.\n\nProseguo comunque?";
std::string Blocking(const std::string& paragraphs) {
  return "SONO STATI RILEVATI ERRORI BLOCCANTI:\n\n" + paragraphs +
         "L'acquisizione dati risulta pertanto impossibile.\n\nVuoi salvare il report analitico degli errori ?";
}
std::string Remediable(const std::string& paragraphs) {
  return "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n" + paragraphs + "Proseguo comunque?";
}
std::string Company(const std::string& stars) {
  return Remediable(stars +
                    " il Codice Regionale Azienda indicato nel file di testo è incoerente\n"
                    "oppure non corrisponde a quello dell'Azienda.\n"
                    "E' comunque possibile proseguire assundo il Codice Azienda corretto.\n\n");
}
std::string Undeclared(int line) {
  return "Riga " + std::to_string(line) + " offset 0: il codice azienda non è quello dichiarato: 0017 diventa 0018\r\n";
}
std::string NoneStored(const std::string& what, const std::string& imports, const std::string& then) {
  return "ATTENZIONE: non è stata estratta neppure una " + what + " registrata.\n\nPresumibilmente l'importazione " +
         imports + " non è stata ancora effettuata.\n\nOccorre effettuare l'importazione " + then + ".";
}
const std::string kLength = Blocking(
    "***** il file di testo proposto per l'importazione non risulta corrispondere\n"
    "alle specifiche stabilite dalla Regione Toscana.\n\n");
const std::string kDates =
    "***** il file di testo proposto contiene dei valori DATA illegali.\n"
    "I valori DATA devono essere espressi nel formato AAAAMMGG !!!\n\n";
const std::string kNumbers = Blocking(
    "***** il file di testo proposto contiene dei valori NUMERICI illegali.\n"
    "I valori NUMERICI devono essere espressi con sole cifre decimali !!!\n\n");
const std::string kDayTypes = Blocking(
    "***** il file di testo proposto contiene dei CODICI CADENZA che risultano\n"
    "sconosciuti (violazione dell'integrità referenziale) !!!\n\n");
const std::string kAuthorities =
    "***** alcuni Codici Enti Concedenti risultano sconosciuti.\n"
    "L'acquisizione dei dati può comunque essere portata a buon fine, ma i codici\n"
    "sconosciuti verranno automaticamente riclassificati.\n\n";
const std::string kTime = "orario espresso in forma illegale\r\n";
const std::string kControlTexts =
    "***** il file di testo proposto contiene dei CARATTERI DI CONTROLLO nei testi.\n"
    "I testi devono contenere solo caratteri stampabili !!!\n\n";
const std::string kOutOfPeriod = "data calendario non compresa nel periodo della comunicazione\r\n";
const std::string kDuplicate =
    ": Errore aggiornamento tavola (cadenz): Valore duplicato: esiste già una riga con la stessa chiave "
    "(UNIQUE constraint failed: cadenz.codice)\r\n";

// The stop of a stored value of another kind than its column's, on `row`.
std::string StoredValue(const std::string& row, const std::string& field, const std::string& value,
                        const std::string& is, const std::string& wanted) {
  return "ATTENZIONE: " + row + ":\nil campo " + field + " vale " + value + ",\nche è " + is + " e non " + wanted +
         " come richiede la sua colonna.\n\nNessuna modifica è stata registrata: correggere il dato prima di "
         "ripetere l'elaborazione.";
}

const FaultCase kCases[] = {
    // A stored value the import reads that its column cannot hold: one message, nothing written.
    On("CalendarStopsAtADayTypeNameStoredAsBytes", K::Calendar, {},
       "UPDATE cadenz SET denom = X'436974E0' WHERE codice = 'FES'")
        .Is(kStop, StoredValue("cadenza FES", "denom", "X'436974E0'", "un dato binario", "un testo"), ""),
    On("PeriodsStopAtATextTripId", K::Periods, {}, "UPDATE tescor SET id = 'x' WHERE id = 2")
        .Is(kStop, StoredValue("una corsa", "id", "'x'", "un testo", "un numero intero"), ""),
    On("TripHeadsStopAtATextAuthority", K::TripHeads, {}, "UPDATE regent SET codice = 'x' WHERE codice = 1")
        .Is(kStop, StoredValue("un ente", "codice", "'x'", "un testo", "un numero intero"), ""),
    // The master row, as far as each file reads it: the company, the period, the next trip id.
    On("DayTypesStopAtATextCompany", K::Cadences, {}, "UPDATE master SET azienda = 'abc'")
        .Is(kStop, StoredValue("dati generali", "azienda (Codice Azienda)", "'abc'", "un testo", "un numero intero"),
            ""),
    On("PeriodsStopAtAPeriodThatIsNoDate", K::Periods, {}, "UPDATE master SET datfin = '31/12/2024'")
        .Is(kStop, StoredValue("dati generali", "datfin (Data Fine)", "'31/12/2024'", "un testo", "una data"), ""),
    On("TripHeadsStopAtATextNextTripId", K::TripHeads, {}, "UPDATE master SET id_corsa = 'x'")
        .Is(kStop, StoredValue("dati generali", "id_corsa (ID Corsa)", "'x'", "un testo", "un numero intero"), ""),
    On("TripHeadsStopAtTheLargestNextTripId", K::TripHeads, {}, "UPDATE master SET id_corsa = 2147483647")
        .Is(kStop,
            "ATTENZIONE: dati generali:\nil campo id_corsa (ID Corsa) dovrebbe passare a 2147483648, oltre "
            "2147483647, il numero più grande che la sua colonna può contenere:\nnessuna testa corsa può essere "
            "importata.\n\nNessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione.",
            "", "0|2147483647\n", "SELECT count(*), (SELECT id_corsa FROM master) FROM tescor"),
    // The protocol reads no period: it writes the one of its file over a stored text.
    On("ProtocolWritesItsPeriodOverATextOne", K::Protocol, {}, "UPDATE master SET datini = 'abc'")
        .Is(kClean, "", "", "2024-01-01\n", "SELECT datini FROM master"),
    // A trip the file does not name, whose first stop departs at a text: the times taken from the
    // stops after the load stop there, and no stop row of the file is kept.
    On("TripStopsStopAtATextDeparture", K::TripDetails, {},
       "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
       "ct_tempo,"
       " gruppo) VALUES (999, 'C', 'L', 'A', 0, 0, 1, 0, 0, 0, 0, 0, 0);"
       "INSERT INTO detcor (id, sub, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
       " VALUES (999, 1, 'Aulla', 0, 9999, 'sette', 0, 0, 0, 0)")
        .Is(kRefused, StoredValue("corsa 999, prima fermata", "parte", "'sette'", "un testo", "un numero intero"), "",
            "1\n"),
    // Line lengths, as each import words them.
    On("ProtocolShortLine", K::Protocol, {Cut(0)})
        .Is(kBlocking, kLayoutFault, "Riga 1: Lunghezza riga 73 [deve essere 74]\r\n", "17|NULL|NULL\n", kMaster),
    On("DayTypesShortLine", K::Cadences, {Cut(1)})
        .Is(kBlocking, kLayoutFault, "Riga 2: la riga è lunga 73 [deve essere 74]\r\n"),
    On("CalendarShortLine", K::Calendar, {Cut(1)})
        .Is(kBlocking, kLength, "Riga 2: Lunghezza riga 41 [deve essere 42]\r\n"),
    On("TripHeadsShortLine", K::TripHeads, {Cut(0)})
        .Is(kBlocking, kLength, "Riga 1: la riga è lunga 228 [deve essere 229]\r\n"),
    // A control byte in a text is a fault of its line, one per field (a NUL too): no byte is changed unseen.
    On("ControlBytesInStopTexts", K::TripDetails,
       {Put(0, 40, "Aulla\tStazione\t"), Put(0, 80, "Piazza\x01" + std::string(33, ' ')), Put(1, 80, "\t")})
        .Is(kBlocking, Blocking(kControlTexts),
            "Riga 1 offset 40: il campo denom (denominazione fermata) contiene il carattere di controllo 0x09 in "
            "posizione 46\r\n"
            "Riga 1 offset 80: il campo ubicaz (ubicazione fermata) contiene il carattere di controllo 0x01 in "
            "posizione 87\r\n"
            "Riga 2 offset 80: il campo ubicaz (ubicazione fermata) contiene il carattere di controllo 0x09 in "
            "posizione 81\r\n"),
    On("NulsInATripCodeAndName", K::TripHeads, {Put(0, 11, std::string(2, '\0')), Put(0, 114, std::string(1, '\0'))})
        .Is(kBlocking, Blocking(kControlTexts),
            "Riga 1 offset 10: il campo codcorsa (codice corsa) contiene il carattere di controllo 0x00 in posizione "
            "12\r\n"
            "Riga 1 offset 109: il campo denom (descrittore) contiene il carattere di controllo 0x00 in posizione "
            "115\r\n"),
    // A number may have leading blanks: the right-aligned form of the same value.
    On("NumberWithLeadingBlanks", K::TripDetails, {Put(1, 120, "    5000")})
        .Is(kClean, "", "", "5000\n", "SELECT dist FROM detcor WHERE id = 1 AND sub = 2"),
    // Accented letters, and every other byte from 0x80 up but the five the code page leaves undefined, are
    // letters of the code page, not controls.
    On("AccentedLettersInTexts", K::TripDetails, {Put(0, 40, "\x80\x8E\x9F\xA0\xE0\xFF")})
        .Is(kClean, "", "", "\x80\x8E\x9F\xA0\xE0\xFFStazione\n", "SELECT denom FROM detcor WHERE id = 1 AND sub = 1"),
    // A DOS end-of-file mark before the file's last byte is a fault of its line, not the file's end.
    On("CtrlZInsideTheFile", K::Cadences, {[](Lines& l) { l[1].insert(0, "\x1A"); }})
        .Is(kBlocking, kLayoutFault, "Riga 2 offset 0: la riga contiene il carattere di fine file (Ctrl-Z)\r\n"),
    // Number fields: digits only after leading blanks, else a blocking fault of the line.
    On("StopNumbersWithLetters", K::TripDetails,
       {Put(0, 10, "0T04"), Put(1, 120, std::string(8, ' ')), Put(2, 120, "0003O478")})
        .Is(kBlocking, kNumbers,
            "Riga 1 offset 10: il numero progressivo della fermata contiene caratteri non numerici\r\n"
            "Riga 2 offset 120: la distanza progressiva contiene caratteri non numerici\r\n"
            "Riga 3 offset 120: la distanza progressiva contiene caratteri non numerici\r\n"),
    On("TripHeadNumbersWithLetters", K::TripHeads,
       {Put(0, 48, "0003O478"), Put(1, 56, "00T5000008O0002-"), Put(2, 4, "00000A")})
        .Is(kBlocking, kNumbers,
            "Riga 1 offset 48: la lunghezza contiene caratteri non numerici\r\n"
            "Riga 2 offset 56: la durata contiene caratteri non numerici\r\n"
            "Riga 2 offset 60: la lunghezza contrattuale contiene caratteri non numerici\r\n"
            "Riga 2 offset 68: la durata contrattuale contiene caratteri non numerici\r\n"
            "Riga 3 offset 4: l'ID corsa contiene caratteri non numerici\r\n"),
    // The protocol's faults all block; an inverted period is not tested after an invalid date.
    On("ProtocolFaults", K::Protocol,
       {Repeat(6), Put(0, 18, "2024063020240101"), Put(1, 0, "00A7"), Put(2, 4, "20241301"), Put(3, 18, "2024023X"),
        Put(4, 26, "20230229"), Put(5, 12, "00004X")})
        .Is(kBlocking, kLayoutFault,
            "Riga 1: data fine periodo antecedente data inizio periodo\r\n"
            "Riga 2 offset 0: il codice azienda contiene caratteri non numerici\r\n"
            "Riga 3 offset 4: data in formato illegale\r\nRiga 4 offset 18: data in formato illegale\r\n"
            "Riga 5 offset 26: data in formato illegale\r\n"
            "Riga 6 offset 12: il Protocollo contiene caratteri non numerici\r\n",
            "17|NULL|NULL\n", kMaster),
    On("ProtocolInvertedAfterAnInvalidDate", K::Protocol,
       {Repeat(2), Put(0, 4, "20240230"), Put(1, 18, "2024063020240101")})
        .Is(kBlocking, kLayoutFault, "Riga 1 offset 4: data in formato illegale\r\n", "17|NULL|NULL\n", kMaster),
    // Another company: in every line, from one line on, or none in an empty file.
    On("ProtocolOfAnotherCompany", K::Protocol, {kOtherCompany})
        .Is(kRemediable, kCompanyQuestion, "", "18|2024-01-15|42\n", kMaster),
    On("DayTypesOfAnotherCompany", K::Cadences, {kOtherCompany})
        .Is(kRemediable, kCompanyQuestion, Undeclared(2), "2\n"),
    On("CalendarOfAnotherCompany", K::Calendar, {kOtherCompany})
        .Is(kRemediable, Company("1*****"), Undeclared(3), "3\n"),
    On("TripHeadsOfAnotherCompany", K::TripHeads, {kOtherCompany})
        .Is(kRemediable, Company("******"), Undeclared(3), "3\n"),
    On("PeriodsOfAnotherCompany", K::Periods, {kOtherCompany}).Is(kRemediable, Company("4*****"), Undeclared(4), "4\n"),
    On("CompanyChangesInsideTheStops", K::TripDetails, {Put(2, 0, "0099")})
        .Is(kRemediable, Company("*****"), "Riga 3 offset 0: il codice azienda è cambiato; era 0017 diventa 0099\r\n",
            "8\n"),
    On("EmptyProtocol", K::Protocol, {kEmpty}).Is(kRemediable, kCompanyQuestion, "", "17|NULL|NULL\n", kMaster),
    // Dates, day types, times.
    On("Calendar31February", K::Calendar, {Put(1, 4, "20240231")})
        .Is(kBlocking, Blocking(kDates), "Riga 2 offset 4: data in formato illegale\r\n"),
    On("CalendarDateOutsideThePeriod", K::Calendar, {Put(2, 4, "20240701")})
        .Is(kRemediable,
            Remediable("***** alcune date del calendario non rientrano nel periodo dichiarato.\n"
                       "E' comunque possibile proseguire ignorando le date fuori periodo.\n\n"),
            "Riga 3 offset 4: " + kOutOfPeriod, "2024-01-01\n2024-01-02\n", "SELECT data FROM calend ORDER BY data"),
    On("CalendarUnknownDayType", K::Calendar, {Put(0, 32, "SCO ")})
        .Is(kBlocking, kDayTypes, "Riga 1 offset 32: cadenza \"SCO \" non dichiarata in RT_CADEN.TXT\r\n"),
    On("PeriodsInvertedAnd31February", K::Periods, {Put(0, 20, "2024030120240201"), Put(1, 20, "20240231")})
        .Is(kBlocking,
            Blocking(kDates + "***** alcuni periodi di validità presentano la data di inizio e la data di fine\n"
                              "invertite, cioè terminano prima di iniziare.\n\n"),
            "Riga 1 offset 28: data fine periodo antecedente data inizio periodo\r\n"
            "Riga 2 offset 20: data in formato illegale\r\n"),
    On("PeriodsUnknownDayType", K::Periods, {Put(3, 10, "SCO ")})
        .Is(kBlocking, kDayTypes, "Riga 4 offset 10: cadenza \"SCO \" non dichiarata in RT_CADEN.TXT\r\n"),
    On("PeriodsClippedOrLeftOut", K::Periods, {Put(0, 20, "2023120120241231"), Put(2, 20, "2023010120231231")})
        .Is(kRemediable,
            Remediable("***** alcune date del calendario non rientrano nel periodo dichiarato.\n"
                       "E' comunque possibile proseguire ignorando o aggiustando le date fuori periodo.\n\n"),
            "Riga 1 offset 20: " + kOutOfPeriod + "Riga 1 offset 28: " + kOutOfPeriod +
                "Riga 3 offset 20: " + kOutOfPeriod + "Riga 3 offset 28: " + kOutOfPeriod,
            "1|2024-01-01|2024-06-30\n1|2024-01-06|2024-01-06\n3|2024-02-01|2024-02-29\n",
            "SELECT id, inizio, fine FROM period ORDER BY id, inizio"),
    On("IllegalTimes", K::TripDetails, {Put(0, 128, "07a0"), Put(1, 128, "07602400"), Put(2, 128, "9930")})
        .Is(kBlocking,
            Blocking("***** il file di testo proposto contiene dei valori ORARIO illegali.\n"
                     "I valori ORARIO devono essere espressi nel formato HHMM !!!\n\n"),
            "Riga 1 offset 128: " + kTime + "Riga 1 offset 128: " + kTime + "Riga 2 offset 128: " + kTime +
                "Riga 2 offset 132: " + kTime + "Riga 3 offset 128: " + kTime),
    // Each trip takes its times from its first and last stop; one without stops keeps its own.
    On("TripTimesFromTheStops", K::TripDetails, {},
       "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
       "ct_tempo, gruppo) VALUES (4, 'C', 'L', 'A', 0, 2359, 0, 0, 0, 0, 0, 0, -1)")
        .Is(kClean, "", "", "1|730|805\n2|1200|1220\n3|1330|1405\n4|0|2359\n",
            "SELECT id, parte, arriva FROM tescor ORDER BY id"),
    // Trips the heads do not declare are left out, as are trip ids that are no number (their
    // leading digits would name trip 1).
    On("StopsOfAnUndeclaredTrip", K::TripDetails, {Copy(0), Put(8, 4, "000009"), Put(1, 4, "00001X")})
        .Is(kRemediable,
            Remediable("***** alcuni dettagli corsa si riferiscono a corse inesistenti.\n"
                       "E' comunque possibile proseguire ignorandoli.\n\n"),
            "Riga 2 offset 4: l'ID corsa contiene caratteri non numerici\r\n"
            "Riga 9 offset 4: ID corsa 000009 non dichiarato in RT_HDORA.TXT\r\n",
            "7\n"),
    On("PeriodOfAnUndeclaredTrip", K::Periods, {Put(3, 4, "000009"), Put(0, 4, "00001X")})
        .Is(kRemediable,
            Remediable("***** alcuni periodi di validità si riferiscono a corse inesistenti.\n"
                       "E' comunque possibile proseguire ignorandoli.\n\n"),
            "Riga 1 offset 4: l'ID corsa contiene caratteri non numerici\r\n"
            "Riga 4 offset 4: ID corsa 000009 non dichiarato in RT_HDORA.TXT\r\n",
            "2\n"),
    // Authorities and contracts: one fault per bad character; an unknown code listed once, stored as 0.
    On("AuthorityAndContractLetters", K::TripHeads, {Put(0, 40, "12ab12cd"), Put(1, 40, "7777")})
        .Is(kRemediable,
            Remediable(kAuthorities + "***** alcuni Codici Contratto non sono numerici.\n"
                                      "L'acquisizione dei dati può comunque essere portata a buon fine, ma i codici\n"
                                      "verranno automaticamente azzerati.\n\n"),
            "Riga 1 offset 40: il codice ente contiene caratteri non numerici\r\n"
            "Riga 1 offset 40: il codice ente contiene caratteri non numerici\r\n"
            "Riga 1 offset 44: il codice contratto contiene caratteri non numerici\r\n"
            "Riga 1 offset 44: il codice contratto contiene caratteri non numerici\r\n",
            "1|0|0\n2|0|0\n3|5|12\n", "SELECT id, ente, contratt FROM tescor ORDER BY id"),
    // An authority code with a letter names no authority, whatever its leading digits name.
    On("AuthorityWithALetter", K::TripHeads, {Put(0, 40, "03T0")})
        .Is(kRemediable, Remediable(kAuthorities),
            "Riga 1 offset 40: il codice ente contiene caratteri non numerici\r\n", "1|0\n2|1\n3|5\n",
            "SELECT id, ente FROM tescor ORDER BY id"),
    // A company code with a letter is no company's, in every file: not the number of its leading digits.
    On("CompanyWithALetter", K::Cadences, {Put(1, 0, "17AB")})
        .Is(kRemediable, kCompanyQuestion, "Riga 2 offset 0: il codice azienda contiene caratteri non numerici\r\n",
            "2\n"),
    // Dates the database cannot give back as they are (before 1601, after 2399) are no dates of the files.
    On("ProtocolDatesOutsideTheDatabaseYears", K::Protocol, {Put(0, 4, "16001231"), Put(0, 26, "24000101")})
        .Is(kBlocking, kLayoutFault,
            "Riga 1 offset 4: data in formato illegale\r\nRiga 1 offset 26: data in formato illegale\r\n",
            "17|NULL|NULL\n", kMaster),
    On("PeriodDatesOutsideTheDatabaseYears", K::Periods, {Put(0, 28, "99991231"), Put(1, 20, "00010101")})
        .Is(kBlocking, Blocking(kDates),
            "Riga 1 offset 28: data in formato illegale\r\nRiga 2 offset 20: data in formato illegale\r\n"),
    On("CalendarDateOutsideTheDatabaseYears", K::Calendar, {Put(1, 4, "99991231")})
        .Is(kBlocking, Blocking(kDates), "Riga 2 offset 4: data in formato illegale\r\n"),
    On("UnknownAuthorities", K::TripHeads, {Put(0, 40, "7777"), Put(1, 40, "7778")})
        .Is(kRemediable, Remediable(kAuthorities), "Riga 1 offset 40: il codice ente 7777 è illegale\r\n",
            "1|0|4\n2|0|4\n3|5|4\n", "SELECT id, ente, (SELECT id_corsa FROM master) FROM tescor ORDER BY id"),
    // The next trip id: one above the larger of the old one and the largest imported.
    On("NextTripIdAboveTheOldOne", K::TripHeads, {}, "UPDATE master SET id_corsa = 900")
        .Is(kClean, "", "", "901\n", "SELECT id_corsa FROM master"),
    On("NextTripIdAboveTheLargestImported", K::TripHeads, {Put(2, 4, "001500")})
        .Is(kClean, "", "", "1501\n", "SELECT id_corsa FROM master"),
    // Rows the database refuses in pass 2 are listed; the others are stored.
    On("RefusedRowsAreListed", K::Cadences, {Copy(0), Copy(1)})
        .Is(kClean, "", "Riga 3" + kDuplicate + "Riga 4" + kDuplicate, "2\n"),
    // What stops an import before it reads its file.
    On("MissingMaster", K::Cadences, {}, "DELETE FROM master")
        .Is(kStop, "ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!",
            ""),
    On("StopsWithoutTripHeads", K::TripDetails, {}, "DELETE FROM tescor")
        .Is(kStop,
            NoneStored("Testa Corsa", "dei Teste Corsa",
                       "delle Teste Corsa prima di potere procedere con\nl'importazione dei Dettagli Corsa"),
            ""),
    On("CalendarWithoutDayTypes", K::Calendar, {}, "DELETE FROM cadenz")
        .Is(kStop,
            NoneStored("cadenza", "delle Cadenze",
                       "delle Cadenze prima di potere procedere con\nl'importazione del Calendario"),
            ""),
};

struct ImportFault : ::testing::TestWithParam<FaultCase> {};

TEST_P(ImportFault, IsFoundToldAndListed) {
  const FaultCase& c = GetParam();
  ScratchDir dir;
  const std::string db = dir.Path("orari.mdb"), file = dir.Path(FileNameOf(c.kind));
  MakeTimetableDatabase(db);
  // What the import needs first.
  std::vector<K> before;
  if (c.kind != K::Cadences) before.push_back(K::Cadences);
  if (c.kind == K::TripDetails || c.kind == K::Periods) before.push_back(K::TripHeads);
  ImportHandMade(db, before);
  if (c.sql) RunSql(db, c.sql);
  Lines lines = HandMadeLines(FileNameOf(c.kind));
  for (const Edit& edit : c.edits) edit(lines);
  WriteLines(file, lines);

  if (c.message.find("come richiede la sua colonna") != std::string::npos)
    AllowReadingMismatches();  // told by the import
  NoticeLog notices;
  DbDatabase handle(db);
  const auto engine = ImportEngine::Create(c.kind, {&handle, file, false, nullptr});
  if (engine->Check()) {
    EXPECT_EQ(engine->LinesRead(), static_cast<int>(lines.size()));
    EXPECT_EQ(engine->Blocking(), c.verdict == kBlocking);
    if (c.verdict != kBlocking) {
      EXPECT_EQ(engine->Remediable(), c.verdict == kRemediable);
    }
    EXPECT_EQ(c.verdict == kBlocking     ? engine->BlockingMessage()
              : c.verdict == kRemediable ? engine->RemediableMessage()
                                         : c.message,
              c.message);
    if (!engine->Blocking()) engine->Load();
    if (c.verdict == kRefused) {
      EXPECT_EQ(engine->LoadOutcome(5).Texts(), c.message);
      EXPECT_EQ(engine->RowsInserted(), 0);
    }
  } else {
    EXPECT_EQ(engine->StopMessage(), c.message);
    EXPECT_EQ(engine->LinesRead(), -1);
  }
  EXPECT_EQ(c.verdict == kStop, engine->LinesRead() == -1);
  const std::string report = ImportErrorReportText(engine->Errors(), db, {});
  const std::string frameEnd = std::string(72, '=') + "\r\n\r\n";
  EXPECT_EQ(report.substr(report.find(frameEnd) + frameEnd.size()), c.report);
  const char* tables[] = {"master", "cadenz", "calend", "tescor", "detcor", "period"};
  EXPECT_EQ(QueryFile(db, c.query ? c.query : std::string("SELECT COUNT(*) FROM ") + tables[static_cast<int>(c.kind)]),
            c.rows);
  EXPECT_EQ(notices.Texts(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, ImportFault, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

// ---- What each field of the six files can hold: a number no sign, a code its digits, a flag 0 or 1, a text no
// control byte. One case per number field and sign, per flag field and value, per text field and control byte, each
// on the first line of the hand-made file: the fault of that line at the field's offset, and no such value stored.

// The decision of a blocking fault: the one text of the protocol and the day types, else the paragraph's.
std::string BlockingOf(K kind, const std::string& paragraph) {
  return kind == K::Protocol || kind == K::Cadences ? kLayoutFault : Blocking(paragraph);
}
// The company question of each file.
std::string CompanyQuestionOf(K kind) {
  switch (kind) {
    case K::Protocol:
    case K::Cadences: return kCompanyQuestion;
    case K::Calendar: return Company("1*****");
    case K::TripHeads: return Company("******");
    case K::TripDetails: return Company("*****");
    case K::Periods: return Company("4*****");
  }
  return {};
}
const char* const kKindNames[] = {"Protocol", "DayTypes", "Calendar", "TripHeads", "TripStops", "Periods"};
std::string Fault(size_t offset, const std::string& text) {
  return "Riga 1 offset " + std::to_string(offset) + ": " + text + "\r\n";
}
std::string Hex(unsigned char byte) {
  const char* digits = "0123456789ABCDEF";
  return std::string("0x") + digits[byte >> 4] + digits[byte & 15];
}

struct NumberField {
  K kind;
  const char* name;
  size_t at;
  Verdict verdict;
  std::string fault;  // the text of the line's fault
  const char* query;  // after the remediable fault is accepted (none: the count of the file's table)
  std::string rows;
};
const std::string kUndeclaredTrips =
    "***** alcuni dettagli corsa si riferiscono a corse inesistenti.\n"
    "E' comunque possibile proseguire ignorandoli.\n\n";
const std::string kUndeclaredPeriods =
    "***** alcuni periodi di validità si riferiscono a corse inesistenti.\n"
    "E' comunque possibile proseguire ignorandoli.\n\n";
const std::string kContracts =
    "***** alcuni Codici Contratto non sono numerici.\n"
    "L'acquisizione dei dati può comunque essere portata a buon fine, ma i codici\n"
    "verranno automaticamente azzerati.\n\n";
const std::string kCompanyLetters = "il codice azienda contiene caratteri non numerici";
const std::string kTimes =
    "***** il file di testo proposto contiene dei valori ORARIO illegali.\n"
    "I valori ORARIO devono essere espressi nel formato HHMM !!!\n\n";
const NumberField kNumberFields[] = {
    {K::Protocol, "azienda", 0, kBlocking, kCompanyLetters, kMaster, "17|NULL|NULL\n"},
    {K::Protocol, "protoc", 12, kBlocking, "il Protocollo contiene caratteri non numerici", kMaster, "17|NULL|NULL\n"},
    {K::Cadences, "azienda", 0, kRemediable, kCompanyLetters, nullptr, "2\n"},
    {K::Calendar, "azienda", 0, kRemediable, kCompanyLetters, nullptr, "3\n"},
    {K::TripHeads, "azienda", 0, kRemediable, kCompanyLetters, nullptr, "3\n"},
    {K::TripHeads, "id", 4, kBlocking, "l'ID corsa contiene caratteri non numerici", nullptr, "0\n"},
    // A code that is not all digits is no code: the authority is reclassified as none, the contract zeroed.
    {K::TripHeads, "ente", 40, kRemediable, "il codice ente contiene caratteri non numerici",
     "SELECT ente FROM tescor ORDER BY id", "0\n1\n5\n"},
    {K::TripHeads, "contratt", 44, kRemediable, "il codice contratto contiene caratteri non numerici",
     "SELECT contratt FROM tescor ORDER BY id", "0\n0\n12\n"},
    {K::TripHeads, "lung", 48, kBlocking, "la lunghezza contiene caratteri non numerici", nullptr, "0\n"},
    {K::TripHeads, "tempo", 56, kBlocking, "la durata contiene caratteri non numerici", nullptr, "0\n"},
    {K::TripHeads, "ct_lung", 60, kBlocking, "la lunghezza contrattuale contiene caratteri non numerici", nullptr,
     "0\n"},
    {K::TripHeads, "ct_tempo", 68, kBlocking, "la durata contrattuale contiene caratteri non numerici", nullptr, "0\n"},
    {K::TripDetails, "azienda", 0, kRemediable, kCompanyLetters, nullptr, "8\n"},
    // A trip id that is no number names no trip: its stops and periods are left out.
    {K::TripDetails, "id", 4, kRemediable, "l'ID corsa contiene caratteri non numerici", nullptr, "7\n"},
    {K::TripDetails, "sub", 10, kBlocking, "il numero progressivo della fermata contiene caratteri non numerici",
     nullptr, "0\n"},
    {K::TripDetails, "dist", 120, kBlocking, "la distanza progressiva contiene caratteri non numerici", nullptr, "0\n"},
    {K::TripDetails, "arriva", 128, kBlocking, "orario espresso in forma illegale", nullptr, "0\n"},
    {K::TripDetails, "parte", 132, kBlocking, "orario espresso in forma illegale", nullptr, "0\n"},
    {K::Periods, "azienda", 0, kRemediable, kCompanyLetters, nullptr, "4\n"},
    {K::Periods, "id", 4, kRemediable, "l'ID corsa contiene caratteri non numerici", nullptr, "3\n"},
};

struct TextField {
  K kind;
  const char* name;
  const char* label;
  size_t at;
  size_t width;
};
const TextField kTextFields[] = {
    {K::Protocol, "resple", "responsabile", 34, 40},
    {K::Cadences, "codice", "codice cadenza", 4, 10},
    {K::Cadences, "denom", "denominazione cadenza", 14, 60},
    {K::Calendar, "note", "annotazioni", 12, 20},
    {K::Calendar, "caden", "codice cadenza", 32, 10},
    {K::TripHeads, "codcorsa", "codice corsa", 10, 20},
    {K::TripHeads, "codlinea", "codice linea", 72, 10},
    {K::TripHeads, "verso", "verso", 82, 1},
    {K::TripHeads, "codperc", "codice percorso", 83, 20},
    {K::TripHeads, "denom", "descrittore", 109, 120},
    {K::TripDetails, "fermata", "codice fermata", 14, 10},
    {K::TripDetails, "denom", "denominazione fermata", 40, 40},
    {K::TripDetails, "ubicaz", "ubicazione fermata", 80, 40},
    {K::Periods, "caden", "codice cadenza", 10, 10},
};

struct FlagField {
  K kind;
  const char* name;
  const char* label;
  size_t at;
};
const FlagField kFlagFields[] = {
    {K::TripDetails, "primaria", "fermata principale", 136},
    {K::TripDetails, "facolt", "fermata facoltativa", 137},
    {K::TripDetails, "nonferma", "transito senza fermata", 138},
    {K::Periods, "escluso", "periodo escluso", 36},
};
const std::string kFlags =
    "***** il file di testo proposto contiene dei valori SI/NO illegali.\n"
    "I valori SI/NO devono essere espressi con 1 (sì) oppure 0 (no) !!!\n\n";

std::vector<FaultCase> FieldRuleCases() {
  std::vector<FaultCase> cases;
  const auto name = [](K kind, const std::string& field, const std::string& what) {
    return std::string(kKindNames[static_cast<int>(kind)]) + "_" + field + "_" + what;
  };
  for (const NumberField& f : kNumberFields)
    for (const char* sign : {"-", "+"}) {
      // A time gets its hour and its minute fault.
      const bool time = f.fault == "orario espresso in forma illegale";
      const std::string report = Fault(f.at, f.fault) + (time ? Fault(f.at, f.fault) : "");
      const std::string field = f.name;
      std::string message = f.kind == K::Protocol ? kLayoutFault : time ? Blocking(kTimes) : kNumbers;
      if (f.verdict == kRemediable)
        message = f.fault == kCompanyLetters ? CompanyQuestionOf(f.kind)
                  : field == "ente"          ? Remediable(kAuthorities)
                  : field == "contratt"      ? Remediable(kContracts)
                  : f.kind == K::TripDetails ? Remediable(kUndeclaredTrips)
                                             : Remediable(kUndeclaredPeriods);
      cases.push_back(On(name(f.kind, f.name, *sign == '-' ? "Minus" : "Plus"), f.kind, {Put(0, f.at, sign)})
                          .Is(f.verdict, message, report, f.rows, f.query));
    }
  for (const TextField& f : kTextFields)
    for (const unsigned char byte : {0x00, 0x01, 0x1F, 0x7F, 0x81}) {
      // Inside the text, where there is room: the fault names the field and where the byte stands.
      const size_t at = f.at + (f.width > 1 ? 1 : 0);
      const std::string fault = std::string("il campo ") + f.name + " (" + f.label + ") contiene il carattere di " +
                                "controllo " + Hex(byte) + " in posizione " + std::to_string(at + 1);  // counted from 1
      cases.push_back(On(name(f.kind, f.name, Hex(byte)), f.kind, {Put(0, at, std::string(1, static_cast<char>(byte)))})
                          .Is(kBlocking, BlockingOf(f.kind, kControlTexts), Fault(f.at, fault),
                              f.kind == K::Protocol ? "17|NULL|NULL\n" : "0\n",
                              f.kind == K::Protocol ? kMaster : nullptr));
    }
  for (const FlagField& f : kFlagFields)
    for (const char value : {'2', 'X', ' '}) {
      const std::string fault =
          std::string("il campo ") + f.name + " (" + f.label + ") vale \"" + value + "\" invece di 0 o 1";
      cases.push_back(On(name(f.kind, f.name, value == ' ' ? std::string("Blank") : std::string(1, value)), f.kind,
                         {Put(0, f.at, std::string(1, value))})
                          .Is(kBlocking, Blocking(kFlags), Fault(f.at, fault)));
    }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(FieldRules, ImportFault, ::testing::ValuesIn(FieldRuleCases()),
                         [](const auto& test) { return test.param.name; });

// A name changed, a line more, a line less after pass 1: pass 2 keeps no row.
TEST_F(Imports, AFileChangedBetweenThePassesLeavesNothing) {
  const std::string file = dir.Path("RT_CADEN.TXT");
  for (const Edit& change : {Put(1, 20, "X"), Copy(0), Edit([](Lines& l) { l.pop_back(); })}) {
    Lines lines = HandMadeLines("RT_CADEN.TXT");
    WriteLines(file, lines);
    NoticeLog notices;
    DbDatabase handle(db);
    const auto engine = ImportEngine::Create(K::Cadences, {&handle, file, false, nullptr});
    ASSERT_TRUE(engine->Check());
    change(lines);
    WriteLines(file, lines);
    engine->Load();
    EXPECT_EQ(engine->RowsInserted(), 0);
    EXPECT_EQ(Q("SELECT COUNT(*) FROM cadenz"), "0\n");
    EXPECT_EQ(notices.Texts(), "");
    EXPECT_EQ(engine->LoadOutcome(0).Texts(),
              "ATTENZIONE: il file di testo\n\n" + file +
                  "\n\nè stato modificato durante l'importazione: nessuna riga è stata inserita.");
  }
}

// A disk that fills up while pass 2 writes: the load stops at the row refused, told once, and keeps
// nothing of the file.
TEST_F(Imports, ADiskThatFillsUpStopsTheLoadAndKeepsNothing) {
  const std::string file = dir.Path("RT_CADEN.TXT");
  Lines lines;
  for (int k = 0; k < 3000; ++k) {
    lines.push_back(HandMadeLines("RT_CADEN.TXT")[0]);
    lines.back().replace(4, 10, "C" + std::to_string(10000 + k) + "    ");
  }
  WriteLines(file, lines);
  NoticeLog notices;
  DbDatabase handle(db);
  const auto engine = ImportEngine::Create(K::Cadences, {&handle, file, false, nullptr});
  ASSERT_TRUE(engine->Check());
  FillDiskAfter(handle.Handle(), 2);
  engine->Load();
  EXPECT_EQ(engine->RowsInserted(), 0);
  EXPECT_EQ(Q("SELECT COUNT(*) FROM cadenz"), "0\n");
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(engine->LoadOutcome(10).Texts(),
            "Errore aggiornamento tavola (cadenz)\n\nSpazio su disco esaurito (database or disk is full)\n\n"
            "Le modifiche della transazione sono state annullate.");
}

// The stop rows go in without their plain index, made again after them in the same transaction: a
// disk that fills up while it is made keeps nothing, and the index is there as before.
TEST_F(Imports, ADiskThatFillsUpWhileTheStopsIndexIsMadeAgainKeepsNothing) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  const std::string file = dir.Path("RT_DTORA.TXT"), indexes =
                                                         "SELECT name, sql FROM sqlite_master WHERE "
                                                         "type = 'index' AND tbl_name = 'detcor'";
  Lines lines;
  for (int k = 1; k <= 3000; ++k) {
    lines.push_back(HandMadeLines("RT_DTORA.TXT")[0]);
    lines.back().replace(10, 14, Format("%04dF%05d    ", k, k));
  }
  WriteLines(file, lines);
  const std::string defined = Q(indexes);
  ASSERT_NE(defined, "");
  DbDatabase handle(db);
  const auto pages = [&] {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(handle.Handle(), "PRAGMA page_count", -1, &st, nullptr);
    const int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
    sqlite3_finalize(st);
    return n;
  };
  // The pages the whole load takes, measured in a transaction given up after it.
  FillDiskAfter(handle.Handle(), 1 << 20);
  const int before = pages();
  handle.BeginTrans();
  {
    const auto engine = ImportEngine::Create(K::TripDetails, {&handle, file, false, nullptr});
    ASSERT_TRUE(engine->Check());
    engine->Load();
    ASSERT_EQ(engine->RowsInserted(), 3000);
  }
  const int after = pages();
  handle.Rollback();
  FillDiskAfter(handle.Handle(), after - before - 3);
  NoticeLog notices;
  const auto engine = ImportEngine::Create(K::TripDetails, {&handle, file, false, nullptr});
  ASSERT_TRUE(engine->Check());
  engine->Load();
  EXPECT_EQ(engine->RowsInserted(), 0);
  EXPECT_EQ(Q("SELECT COUNT(*) FROM detcor"), "0\n");
  EXPECT_EQ(Q(indexes), defined);
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(engine->LoadOutcome(3000).Texts(),
            "Errore aggiornamento tavola (detcor)\n\nSpazio su disco esaurito (database or disk is full)\n\n"
            "Nessuna riga è stata inserita.");
}

// The result message of an import from its counts: a success only when the file gave rows and every
// line read was inserted, and never after declined faults.
TEST(ImportSummaryText, TellsTheCountsAndSuccessOnlyForAWholeFile) {
  EXPECT_EQ(ImportSummary(K::Cadences, 2, 2, false).Texts(),
            "Risultati dell'importazione Cadenze:\n\nLette 2 righe dal file testo.\nInserite 2 righe nel database.\n\n"
            "L'importazione delle Cadenze ha avuto termine con successo.");
  const struct {
    K kind;
    int read, inserted;
    bool declined, done;
  } cases[] = {{K::Periods, 4, 4, false, true},
               {K::Periods, 4, 3, false, false},
               {K::Protocol, 0, 0, false, false},
               {K::TripHeads, -1, 0, false, false},
               {K::Calendar, 3, 3, true, false}};
  for (const auto& c : cases) {
    const Outcome summary = ImportSummary(c.kind, c.read, c.inserted, c.declined);
    EXPECT_EQ(summary.ok, c.done) << c.read << " " << c.inserted;
    ASSERT_EQ(summary.messages.size(), 1u);
    EXPECT_EQ(summary.messages[0].icon, c.done ? NoticeIcon::Information : NoticeIcon::Stop);
    const ImportDescriptor& d = DescriptorOf(c.kind);
    EXPECT_EQ(summary.messages[0].text, std::string(d.heading) + "Lette " + std::to_string(c.read) +
                                            " righe dal file testo.\nInserite " + std::to_string(c.inserted) +
                                            " righe nel database.\n\n" + (c.done ? d.success : d.failure));
  }
}

}  // namespace
