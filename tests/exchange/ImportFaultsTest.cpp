// The faults of the regional files, line by line: what each import lists (the report's lines, with
// their offsets), which box it shows, and what it stores of texts that arrive with stray bytes.

#include "ExchangeTestSupport.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using K = ImportKind;

const std::string kBlockingHead = "SONO STATI RILEVATI ERRORI BLOCCANTI:\n\n";
const std::string kBlockingTail =
    "L'acquisizione dati risulta pertanto impossibile.\n\nVuoi salvare il report analitico degli errori ?";
const std::string kLengthParagraph =
    "***** il file di testo proposto per l'importazione non risulta corrispondere\n"
    "alle specifiche stabilite dalla Regione Toscana.\n\n";
const std::string kLayoutFault =
    "ATTENZIONE: il file di testo proposto per l'importazione non risulta corrispondere\n"
    "alle specifiche stabilite dalla Regione Toscana.\n\nL'acquisizione dati risulta quindi impossibile.\n\n"
    "Vuoi salvare il report analitico degli errori ?";

struct Faults : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string report = dir.Path("ERRORI_VURTXT.TXT");
  void SetUp() override { MakeTimetableDatabase(db); }
  std::string Q(const std::string& sql) const { return QueryFile(db, sql); }
  std::string File(const std::string& name, const std::vector<std::string>& lines) {
    const std::string path = dir.Path(name);
    WriteLines(path, lines);
    return path;
  }
  // The fault lines of the report (after its framed heading).
  std::string ReportLines() const {
    const std::string text = ReadBytes(report);
    const std::string frameEnd = std::string(72, '=') + "\r\n\r\n";
    const size_t at = text.find(frameEnd);
    return at == std::string::npos ? text : text.substr(at + frameEnd.size());
  }
  // Runs a blocked import, saving its report; the messages shown.
  std::vector<ui::ShownMessage> RunBlocked(K kind, const std::string& file) {
    ui::Script script;
    script.Ok().File(report);
    RunImport(db, kind, file);
    return script.Messages();
  }
};

// Pass 1 only: the faults an import lists and its remediable question.
struct Checked {
  std::unique_ptr<ImportEngine> engine;
  std::string lines;  // "line|offset|text" per fault
};
Checked CheckOnly(DbDatabase& handle, K kind, const std::string& file) {
  Checked c{ImportEngine::Create(kind, {&handle, file, false, nullptr}), {}};
  EXPECT_TRUE(c.engine->Check());
  for (const ImportError& e : c.engine->Errors())
    c.lines += std::to_string(e.line) + "|" + std::to_string(e.offset) + "|" + e.text + "\n";
  return c;
}

// ---- Line length ---------------------------------------------------------------------------------

TEST_F(Faults, LineOneByteShortInTheProtocolAndTheCalendar) {
  auto proto = HandMadeLines("RT_PROTO.TXT");
  proto[0].pop_back();
  auto messages = RunBlocked(K::Protocol, File("RT_PROTO.TXT", proto));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, kLayoutFault);
  EXPECT_EQ(messages[1].text, ResultText(K::Protocol, 1, 0));
  EXPECT_EQ(ReportLines(), "Riga 1: Lunghezza riga 73 [deve essere 74]\r\n");
  EXPECT_EQ(Q("SELECT azienda, protoc FROM master"), "17|NULL\n");

  ImportHandMade(db, {K::Cadences});
  auto calendar = HandMadeLines("RT_CALEN.TXT");
  calendar[1].pop_back();
  messages = RunBlocked(K::Calendar, File("RT_CALEN.TXT", calendar));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].type, ui::MB_OKCANCEL | ui::MB_ICONSTOP);
  EXPECT_EQ(messages[0].text, kBlockingHead + kLengthParagraph + kBlockingTail);
  EXPECT_EQ(messages[1].text, ResultText(K::Calendar, 3, 0));
  EXPECT_EQ(ReportLines(), "Riga 2: Lunghezza riga 41 [deve essere 42]\r\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM calend"), "0\n");
}

TEST_F(Faults, FourLaterFilesShareTheLengthParagraph) {
  ImportHandMade(db, {K::Cadences});
  struct Case {
    K kind;
    int length;
  };
  for (const Case& c : {Case{K::TripHeads, 229}, Case{K::TripDetails, 139}, Case{K::Periods, 37}}) {
    if (c.kind == K::TripDetails) ImportHandMade(db, {K::TripHeads});
    const std::string name = DescriptorOf(c.kind).layout().fileName;
    auto lines = HandMadeLines(name);
    lines[0].pop_back();
    const auto messages = RunBlocked(c.kind, File(name, lines));
    ASSERT_EQ(messages.size(), 2u) << name;
    EXPECT_EQ(messages[0].text, kBlockingHead + kLengthParagraph + kBlockingTail) << name;
    EXPECT_EQ(ReportLines(), "Riga 1: la riga è lunga " + std::to_string(c.length - 1) + " [deve essere " +
                                 std::to_string(c.length) + "]\r\n");
  }
}

// ---- Encodings and stray bytes -------------------------------------------------------------------

TEST_F(Faults, DosEndOfFileMarkEndsTheFile) {
  // Ctrl-Z after the last line end, and one glued to the last line, with bytes after it.
  const auto lines = HandMadeLines("RT_CADEN.TXT");
  const std::string path = dir.Path("RT_CADEN.TXT");
  WriteLines(path, lines);
  {
    QFile f(cp1252::ToQString(path));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("\x1A");
  }
  ui::Script script;
  RunImport(db, K::Cadences, path);
  EXPECT_EQ(MessagesOf(script), ResultText(K::Cadences, 2, 2));

  const std::string glued = dir.Path("glued.txt");
  WriteLines(glued, {lines[0], lines[1] + "\x1A" + "rubbish after the mark"});
  ExchangeLines read;
  ASSERT_TRUE(read.Load(glued));
  ASSERT_EQ(read.Count(), 2u);
  EXPECT_EQ(read.Line(1), lines[1]);
}

TEST_F(Faults, Utf8StopNamesAreLongerInBytesAndBlock) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  auto lines = HandMadeLines("RT_DTORA.TXT");
  std::string expected;
  for (size_t k = 0; k < lines.size(); ++k) {
    const std::string utf8 = cp1252::ToUtf8(lines[k]);
    if (utf8.size() != lines[k].size())
      expected += "Riga " + std::to_string(k + 1) + ": la riga è lunga " + std::to_string(utf8.size()) +
                  " [deve essere 139]\r\n";
    lines[k] = utf8;
  }
  ASSERT_FALSE(expected.empty());
  const auto messages = RunBlocked(K::TripDetails, File("RT_DTORA.TXT", lines));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, kBlockingHead + kLengthParagraph + kBlockingTail);
  EXPECT_EQ(ReportLines(), expected);
  // "Città" holds one two-byte letter: 140 bytes.
  EXPECT_NE(expected.find("Riga 3: la riga è lunga 140 [deve essere 139]"), std::string::npos);
  EXPECT_EQ(Q("SELECT COUNT(*) FROM detcor"), "0\n");
}

TEST_F(Faults, ByteOrderMarkMakesTheFirstLineLong) {
  auto lines = HandMadeLines("RT_CADEN.TXT");
  lines[0] = "\xEF\xBB\xBF" + lines[0];
  const auto messages = RunBlocked(K::Cadences, File("RT_CADEN.TXT", lines));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, kLayoutFault);
  EXPECT_EQ(ReportLines(), "Riga 1: la riga è lunga 77 [deve essere 74]\r\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM cadenz"), "0\n");
}

TEST_F(Faults, ControlCharactersInStopTextsBecomeBlanksButNeverTrailingOnes) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  auto lines = HandMadeLines("RT_DTORA.TXT");
  lines[0].replace(40, 40, "Aulla\tStazione\t" + std::string(25, ' '));
  lines[0].replace(80, 40, "Piazza\x01" + std::string(33, ' '));
  lines[1].replace(80, 40, "\t" + std::string(39, ' '));
  ui::Script script;
  RunImport(db, K::TripDetails, File("RT_DTORA.TXT", lines));
  EXPECT_EQ(MessagesOf(script), ResultText(K::TripDetails, 8, 8));
  EXPECT_EQ(Q("SELECT '[' || denom || ']', '[' || ubicaz || ']' FROM detcor WHERE id = 1 AND sub = 1"),
            "[Aulla Stazione]|[Piazza]\n");
  EXPECT_EQ(Q("SELECT ubicaz IS NULL FROM detcor WHERE id = 1 AND sub = 2"), "1\n");
}

// ---- The protocol ----------------------------------------------------------------------------------

TEST_F(Faults, ProtocolFaultsAreAllBlockingAndListed) {
  const std::string good = HandMadeLines("RT_PROTO.TXT")[0];
  std::vector<std::string> lines(6, good);
  lines[0].replace(18, 16, "2024063020240101");  // inverted (no invalid date met yet)
  lines[1].replace(0, 4, "00A7");                // a letter in the company
  lines[2].replace(4, 8, "20241301");            // month 13
  lines[3].replace(18, 8, "2024023X");           // a letter in the start
  lines[4].replace(26, 8, "20230229");           // no 29 February in 2023
  lines[5].replace(12, 6, "00004X");             // a letter in the protocol
  const auto messages = RunBlocked(K::Protocol, File("RT_PROTO.TXT", lines));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, kLayoutFault);
  EXPECT_EQ(messages[1].text, ResultText(K::Protocol, 6, 0));
  EXPECT_EQ(ReportLines(),
            "Riga 1: data fine periodo antecedente data inizio periodo\r\n"
            "Riga 2 offset 0: il codice azienda contiene caratteri non numerici\r\n"
            "Riga 2 offset 0: il codice azienda è cambiato; era 0017 diventa 0000\r\n"
            "Riga 3 offset 4: data in formato illegale\r\n"
            "Riga 4 offset 18: data in formato illegale\r\n"
            "Riga 5 offset 26: data in formato illegale\r\n"
            "Riga 6 offset 12: il Protocollo contiene caratteri non numerici\r\n");
  EXPECT_EQ(Q("SELECT azienda, p_data, protoc FROM master"), "17|NULL|NULL\n");
}

TEST_F(Faults, ProtocolInvertedPeriodAfterAnInvalidDateIsNotTested) {
  const std::string good = HandMadeLines("RT_PROTO.TXT")[0];
  std::vector<std::string> lines(2, good);
  lines[0].replace(4, 8, "20240230");
  lines[1].replace(18, 16, "2024063020240101");
  RunBlocked(K::Protocol, File("RT_PROTO.TXT", lines));
  EXPECT_EQ(ReportLines(), "Riga 1 offset 4: data in formato illegale\r\n");
}

// ---- Validity periods ------------------------------------------------------------------------------

TEST_F(Faults, PeriodWithInvertedDatesAndA31February) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  auto lines = HandMadeLines("RT_PERIOD.TXT");
  lines[0].replace(20, 16, "2024030120240201");  // ends before it starts
  lines[1].replace(20, 8, "20240231");
  const auto messages = RunBlocked(K::Periods, File("RT_PERIOD.TXT", lines));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, kBlockingHead +
                                  "***** il file di testo proposto contiene dei valori DATA illegali.\n"
                                  "I valori DATA devono essere espressi nel formato AAAAMMGG !!!\n\n"
                                  "***** alcuni periodi di validità presentano la data di inizio e la data di fine\n"
                                  "invertite, cioè terminano prima di iniziare.\n\n" +
                                  kBlockingTail);
  EXPECT_EQ(messages[1].text, ResultText(K::Periods, 4, 0));
  EXPECT_EQ(ReportLines(),
            "Riga 1 offset 28: data fine periodo antecedente data inizio periodo\r\n"
            "Riga 2 offset 20: data in formato illegale\r\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM period"), "0\n");
}

// ---- Another company's code --------------------------------------------------------------------------

TEST_F(Faults, AnotherCompanyInTheCalendarAndTripFilesIsListedUnderTheLastLine) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});
  const std::string tail =
      "oppure non corrisponde a quello dell'Azienda.\n"
      "E' comunque possibile proseguire assundo il Codice Azienda corretto.\n\nProseguo comunque?";
  struct Case {
    K kind;
    const char* firstLine;
  };
  const Case cases[] = {
      {K::Calendar, "1***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n"},
      {K::TripHeads, "****** il Codice Regionale Azienda indicato nel file di testo è incoerente\n"},
      {K::TripDetails, "***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n"},
      {K::Periods, "4***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n"},
  };
  DbDatabase handle(db);
  for (const Case& c : cases) {
    const std::string name = DescriptorOf(c.kind).layout().fileName;
    auto lines = HandMadeLines(name);
    for (auto& l : lines) l.replace(0, 4, "0018");
    const Checked checked = CheckOnly(handle, c.kind, File(name, lines));
    EXPECT_FALSE(checked.engine->Blocking()) << name;
    ASSERT_TRUE(checked.engine->Remediable()) << name;
    EXPECT_EQ(checked.engine->RemediableMessage(),
              "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n" + std::string(c.firstLine) + tail)
        << name;
    EXPECT_EQ(checked.lines,
              std::to_string(lines.size()) + "|0|il codice azienda non è quello dichiarato: 0017 diventa 0018\n")
        << name;
  }
}

// ---- Authorities and contracts --------------------------------------------------------------------

TEST_F(Faults, AuthorityAndContractFaultsOneForEachBadCharacter) {
  ImportHandMade(db, {K::Cadences});
  DbDatabase handle(db);
  auto lines = HandMadeLines("RT_HDORA.TXT");
  lines[0].replace(40, 8, "12ab12cd");
  const Checked letters = CheckOnly(handle, K::TripHeads, File("RT_HDORA.TXT", lines));
  EXPECT_EQ(letters.lines,
            "1|40|il codice ente contiene caratteri non numerici\n"
            "1|40|il codice ente contiene caratteri non numerici\n"
            "1|44|il codice contratto contiene caratteri non numerici\n"
            "1|44|il codice contratto contiene caratteri non numerici\n");

  // 42 and 43 taken out of the authorities.
  ASSERT_EQ(sqlite3_exec(handle.Handle(), "DELETE FROM regent WHERE codice IN (42, 43)", nullptr, nullptr, nullptr),
            SQLITE_OK);
  lines = HandMadeLines("RT_HDORA.TXT");
  lines[0].replace(40, 4, "0042");
  lines[1].replace(40, 4, "0043");  // a later unknown code adds nothing
  const Checked unknown = CheckOnly(handle, K::TripHeads, File("RT_HDORA.TXT", lines));
  EXPECT_EQ(unknown.lines, "1|40|il codice ente 0042 è illegale\n");
  EXPECT_TRUE(unknown.engine->Remediable());
  EXPECT_FALSE(unknown.engine->Blocking());
}

// ---- The next trip id --------------------------------------------------------------------------------

TEST_F(Faults, NextTripIdIsOneAboveTheLargerOfTheOldOneAndTheLargestImported) {
  ImportHandMade(db, {K::Cadences});
  auto sql = [&](const std::string& text) {
    DbDatabase handle(db);
    ASSERT_EQ(sqlite3_exec(handle.Handle(), text.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  };
  sql("UPDATE master SET id_corsa = 900");
  ImportHandMade(db, {K::TripHeads});  // ids 1 to 3
  EXPECT_EQ(Q("SELECT id_corsa FROM master"), "901\n");

  sql("DELETE FROM tescor");
  auto lines = HandMadeLines("RT_HDORA.TXT");
  lines[2].replace(4, 6, "001500");
  ui::Script script;
  RunImport(db, K::TripHeads, File("RT_HDORA.TXT", lines));
  EXPECT_EQ(MessagesOf(script), ResultText(K::TripHeads, 3, 3));
  EXPECT_EQ(Q("SELECT id_corsa FROM master"), "1501\n");
}

}  // namespace
