// How the imports read their files: line by line whatever the file's size, a number field that is
// not all digits, a DOS end-of-file mark inside the text, a NUL in a text field, an empty file in
// the whole import, and a file changed between the check and the load. Real files and a real
// seeded database, through the engine.

#include "common/Clock.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "exchange/ExchangeText.h"
#include "exchange/ImportEngine.h"
#include "refdata/Seeding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QFile>
#include <functional>

namespace {

using K = ImportKind;

// A seeded database whose master row holds company 17 and the first half of 2024 (the seeding is
// done once and copied).
void MakeDatabase(const std::string& path) {
  static const ScratchDir dir;
  static const std::string seeded = [] {
    NoticeLog notices;
    EXPECT_EQ(CreateSeededDatabase(dir.Path("seeded.mdb"), CreateMode::Startup), 1) << notices.Texts();
    return dir.Path("seeded.mdb");
  }();
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(seeded), cp1252::ToQString(path)));
  ASSERT_EQ(ExecOnFile(path,
                       "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) "
                       "VALUES (0, 17, '2024-01-01', '2024-06-30', 0, 0)"),
            "ok");
}

std::string FileName(K kind) { return DescriptorOf(kind).layout().fileName; }

// The lines of a hand-made file, without their ends.
std::vector<std::string> HandMade(K kind) {
  const std::string bytes = FileBytes(TestDataDir() + "/exchange/" + FileName(kind));
  std::vector<std::string> lines;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find("\r\n", start);
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

// What an import did: its counts, its verdict and its faults as the report lists them.
struct Outcome {
  bool checked = false;  // pass 1 ran to its end
  std::string stop;      // else why it stopped
  int read = -1, inserted = 0;
  bool blocking = false, remediable = false;
  std::string faults;  // the report's lines after its heading
};

// Pass 1, then pass 2 unless a fault blocks it; remediable faults are accepted. `between` runs
// after pass 1.
Outcome Import(const std::string& db, K kind, const std::string& file, bool batch = false,
               const std::function<void()>& between = {}) {
  DbDatabase handle(db);
  const auto engine = ImportEngine::Create(kind, {&handle, file, batch, nullptr});
  Outcome o;
  o.checked = engine->Check();
  o.stop = engine->StopMessage();
  o.blocking = engine->Blocking();
  o.remediable = engine->Remediable();
  if (o.checked && !o.blocking) {
    if (between) between();
    engine->Load();
  }
  o.read = engine->LinesRead();
  o.inserted = engine->RowsInserted();
  const std::string report = ImportErrorReportText(engine->Errors(), db, ClockTime{});
  o.faults = report.substr(report.find("\r\n\r\n") + 4);
  return o;
}

struct Reading : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  void SetUp() override { MakeDatabase(db); }
  std::string Write(K kind, const std::string& bytes) {
    const std::string path = dir.Path(FileName(kind));
    WriteFileBytes(path, bytes);
    return path;
  }
  // Imports the hand-made files of `kinds`, which must load whole.
  void Prepare(std::initializer_list<K> kinds) {
    for (K kind : kinds) {
      const Outcome o = Import(db, kind, TestDataDir() + "/exchange/" + FileName(kind));
      ASSERT_EQ(o.faults, "") << FileName(kind);
      ASSERT_EQ(o.inserted, o.read) << FileName(kind);
    }
  }
  std::string Q(const std::string& sql) const { return QueryFile(db, sql); }
};

// ---- Number fields --------------------------------------------------------------------------------

struct NumberCase {
  const char* name;
  K kind;
  size_t line, offset;
  std::string bytes;  // put over the hand-made line at `offset`
  bool blocking, remediable;
  const char* faults;
  const char* rows;  // of `query` after the import
  const char* query;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

struct NumberFields : Reading, ::testing::WithParamInterface<NumberCase> {};

const char* const kStopCount = "SELECT COUNT(*) FROM detcor";

const NumberCase kNumberCases[] = {
    {"StopNumberWithALetter", K::TripDetails, 0, 10, "0T04", true, false,
     "Riga 1 offset 10: il numero progressivo della fermata contiene caratteri non numerici\r\n", "0\n", kStopCount},
    {"DistanceWithALetter", K::TripDetails, 2, 120, "0003O478", true, false,
     "Riga 3 offset 120: la distanza progressiva contiene caratteri non numerici\r\n", "0\n", kStopCount},
    {"BlankDistance", K::TripDetails, 1, 120, "        ", true, false,
     "Riga 2 offset 120: la distanza progressiva contiene caratteri non numerici\r\n", "0\n", kStopCount},
    {"DistanceWithLeadingBlanks", K::TripDetails, 1, 120, "    5000", false, false, "", "8|5000\n",
     "SELECT COUNT(*), (SELECT dist FROM detcor WHERE id = 1 AND sub = 2) FROM detcor"},
    // The leading digits name trip 1: the line was stored under it.
    {"TripIdOfStopWithALetter", K::TripDetails, 1, 4, "00001X", false, true,
     "Riga 2 offset 4: l'ID corsa contiene caratteri non numerici\r\n", "7|1,3\n",
     "SELECT COUNT(*), (SELECT group_concat(sub) FROM detcor WHERE id = 1) FROM detcor"},
    {"TripIdOfPeriodWithALetter", K::Periods, 0, 4, "00001X", false, true,
     "Riga 1 offset 4: l'ID corsa contiene caratteri non numerici\r\n", "3|1\n",
     "SELECT COUNT(*), (SELECT COUNT(*) FROM period WHERE id = 1) FROM period"},
    {"TripIdOfHeadWithALetter", K::TripHeads, 2, 4, "00000A", true, false,
     "Riga 3 offset 4: l'ID corsa contiene caratteri non numerici\r\n", "0\n", "SELECT COUNT(*) FROM tescor"},
    {"LengthWithALetter", K::TripHeads, 0, 48, "0003O478", true, false,
     "Riga 1 offset 48: la lunghezza contiene caratteri non numerici\r\n", "0\n", "SELECT COUNT(*) FROM tescor"},
    {"TimesAndContractValuesWithLetters", K::TripHeads, 1, 56, "00T5000008O0002-", true, false,
     "Riga 2 offset 56: la durata contiene caratteri non numerici\r\n"
     "Riga 2 offset 60: la lunghezza contrattuale contiene caratteri non numerici\r\n"
     "Riga 2 offset 68: la durata contrattuale contiene caratteri non numerici\r\n",
     "0\n", "SELECT COUNT(*) FROM tescor"},
};

TEST_P(NumberFields, AreFaultsOfTheirLine) {
  const NumberCase& c = GetParam();
  if (c.kind == K::TripDetails) Prepare({K::TripHeads});
  if (c.kind == K::Periods) Prepare({K::Cadences, K::TripHeads});
  auto lines = HandMade(c.kind);
  lines[c.line].replace(c.offset, c.bytes.size(), c.bytes);
  const Outcome o = Import(db, c.kind, Write(c.kind, Joined(lines)));
  EXPECT_EQ(o.faults, c.faults);
  EXPECT_EQ(o.blocking, c.blocking);
  EXPECT_EQ(o.remediable, c.remediable);
  EXPECT_EQ(Q(c.query), c.rows);
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberFields, ::testing::ValuesIn(kNumberCases),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- End-of-file marks and NUL bytes ---------------------------------------------------------------

struct ByteCase {
  const char* name;
  K kind;
  std::function<std::string(std::vector<std::string>&)> bytes;  // the file, from the hand-made lines
  int read;
  bool blocking;
  const char* faults;
  const char* rows;
  const char* query;
};

void PrintTo(const ByteCase& c, std::ostream* os) { *os << c.name; }

struct StrayBytes : Reading, ::testing::WithParamInterface<ByteCase> {};

const char* const kDayTypes = "SELECT codice || '|' || denom FROM cadenz ORDER BY codice";

const ByteCase kByteCases[] = {
    // Before, the mark ended the file there: the second line was dropped without a word.
    {"CtrlZBetweenLines", K::Cadences, [](auto& l) { return l[0] + "\r\n\x1A" + l[1] + "\r\n"; }, 2, true,
     "Riga 2 offset 0: la riga contiene il carattere di fine file (Ctrl-Z)\r\n", "", kDayTypes},
    {"CtrlZInsideAName", K::Cadences,
     [](auto& l) {
       l[0][20] = '\x1A';
       return Joined(l);
     },
     2, true, "Riga 1 offset 20: la riga contiene il carattere di fine file (Ctrl-Z)\r\n", "", kDayTypes},
    {"CtrlZOnALineOfItsOwn", K::Cadences, [](auto& l) { return Joined(l) + "\x1A\r\n"; }, 3, true,
     "Riga 3 offset 0: la riga contiene il carattere di fine file (Ctrl-Z)\r\n", "", kDayTypes},
    // As the file's last byte it only ends the file.
    {"CtrlZEndingTheFile", K::Cadences, [](auto& l) { return Joined(l) + "\x1A"; }, 2, false, "",
     "FER       |Feriale scolastico\nFES       |Festivit\xE0\n", "SELECT codice || '|' || trim(denom) FROM cadenz"},
    {"CtrlZEndingTheLastLine", K::Cadences, [](auto& l) { return l[0] + "\r\n" + l[1] + "\x1A"; }, 2, false, "",
     "FER       |Feriale scolastico\nFES       |Festivit\xE0\n", "SELECT codice || '|' || trim(denom) FROM cadenz"},
    // A NUL is blanked as the stop names blank every control byte; the rest of the text stays.
    {"NulInADayTypeName", K::Cadences,
     [](auto& l) {
       l[0][21] = '\0';
       return Joined(l);
     },
     2, false, "", "Feriale scolastico\n", "SELECT trim(denom) FROM cadenz WHERE codice = 'FER'"},
    {"NulInATripName", K::TripHeads,
     [](auto& l) {
       l[0][114] = '\0';
       return Joined(l);
     },
     3, false, "", "Aulla - Citt\xE0\n", "SELECT denom FROM tescor WHERE id = 1"},
    {"NulsInATripCode", K::TripHeads,
     [](auto& l) {
       l[0].replace(11, 2, std::string(2, '\0'));
       return Joined(l);
     },
     3, false, "", "C  1\n", "SELECT codcorsa FROM tescor WHERE id = 1"},
    {"NulInAStopName", K::TripDetails,
     [](auto& l) {
       l[1][45] = '\0';
       return Joined(l);
     },
     8, false, "", "Bivio Olivola\n", "SELECT denom FROM detcor WHERE id = 1 AND sub = 2"},
};

TEST_P(StrayBytes, AreFaultsOrBlanksNeverCuts) {
  const ByteCase& c = GetParam();
  if (c.kind == K::TripDetails) Prepare({K::TripHeads});
  auto lines = HandMade(c.kind);
  const Outcome o = Import(db, c.kind, Write(c.kind, c.bytes(lines)));
  EXPECT_EQ(o.read, c.read);
  EXPECT_EQ(o.blocking, c.blocking);
  EXPECT_EQ(o.faults, c.faults);
  EXPECT_EQ(o.inserted, c.blocking ? 0 : c.read);
  EXPECT_EQ(Q(c.query), c.rows);
}

INSTANTIATE_TEST_SUITE_P(Cases, StrayBytes, ::testing::ValuesIn(kByteCases),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- Empty files and files changed between the passes ------------------------------------------------

TEST_F(Reading, AnEmptyFileStopsTheWholeImportNamingIt) {
  Prepare({K::Cadences, K::TripHeads});
  for (K kind : {K::Protocol, K::Cadences, K::Calendar, K::TripHeads, K::TripDetails, K::Periods}) {
    SCOPED_TRACE(FileName(kind));
    const std::string file = Write(kind, "");
    const Outcome batch = Import(db, kind, file, true);
    EXPECT_FALSE(batch.checked);
    EXPECT_EQ(batch.read, 0);
    EXPECT_EQ(batch.stop,
              "ATTENZIONE: il file di testo\n\n" + file + "\n\nè vuoto: non contiene neppure una riga da importare.");
    // Alone, the import goes on to its question (the company of an empty file is -1).
    const Outcome alone = Import(db, kind, file, false);
    EXPECT_TRUE(alone.checked);
    EXPECT_TRUE(alone.remediable);
    EXPECT_EQ(alone.read, 0);
  }
}

TEST_F(Reading, AFileChangedBetweenThePassesLeavesNothing) {
  struct Change {
    const char* name;
    std::function<void(std::vector<std::string>&)> change;
  };
  const Change changes[] = {
      {"a name", [](auto& l) { l[1][20] = 'X'; }},
      {"a line more", [](auto& l) { l.push_back(l[0]); }},
      {"a line less", [](auto& l) { l.pop_back(); }},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(ExecOnFile(db, "DELETE FROM cadenz"), "ok");
    auto lines = HandMade(K::Cadences);
    const std::string file = Write(K::Cadences, Joined(lines));
    NoticeLog notices;
    const Outcome o = Import(db, K::Cadences, file, false, [&] {
      c.change(lines);
      WriteFileBytes(file, Joined(lines));
    });
    EXPECT_EQ(o.inserted, 0);
    EXPECT_EQ(Q("SELECT COUNT(*) FROM cadenz"), "0\n");
    EXPECT_EQ(notices.Texts(), "ATTENZIONE: il file di testo\n\n" + file +
                                   "\n\nè stato modificato durante l'importazione: nessuna riga è stata inserita.");
  }
}

// ---- The reader -----------------------------------------------------------------------------------------

std::vector<std::string> ReadAll(const std::string& path, std::vector<size_t>* lengths = nullptr) {
  ExchangeReader reader;
  EXPECT_TRUE(reader.Open(path));
  std::vector<std::string> out;
  ExchangeReader::Line line;
  while (reader.Next(line)) {
    out.emplace_back(line.text);
    if (lengths) lengths->push_back(line.length);
  }
  EXPECT_FALSE(reader.Failed());
  return out;
}

TEST(ExchangeReaderTest, CutsLinesWhereverTheBlocksEnd) {
  ScratchDir dir;
  // Lines of every length from 0 to 300, with CR LF or LF alone, over three blocks of the reader;
  // then the same with the file shifted by one byte at a time, so that a CR LF falls across the
  // end of a block at least once.
  std::vector<std::string> expected;
  std::string body;
  for (int k = 0; body.size() < 3 * 1024 * 1024 + 500; ++k) {
    std::string line(static_cast<size_t>(k % 301), static_cast<char>('a' + k % 26));
    expected.push_back(line);
    body += line + (k % 3 ? "\r\n" : "\n");
  }
  for (size_t shift = 0; shift < 3; ++shift) {
    SCOPED_TRACE(shift);
    std::vector<std::string> want(shift, std::string());
    want.insert(want.end(), expected.begin(), expected.end());
    WriteFileBytes(dir.Path("f.txt"), std::string(shift, '\n') + body);
    EXPECT_TRUE(ReadAll(dir.Path("f.txt")) == want);
  }
}

TEST(ExchangeReaderTest, LinesEndsAndMarks) {
  ScratchDir dir;
  const std::string path = dir.Path("f.txt");
  const struct {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"ab\r\ncd\r\n", {"ab", "cd"}},
      {"ab\ncd", {"ab", "cd"}},
      {"ab  \r\n\r\n", {"ab  ", ""}},
      {"ab\r", {"ab"}},
      {"\x1A", {}},
      {"ab\r\n\x1A", {"ab"}},
      {"ab\x1A", {"ab"}},
      {"ab\r\x1A", {"ab"}},
      {"a\x1A"
       "b\r\n",
       {"a\x1A"
        "b"}},
      {"ab\r\n\x1A\r\n", {"ab", "\x1A"}},
      {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
  };
  for (const auto& c : cases) {
    WriteFileBytes(path, c.bytes);
    EXPECT_EQ(ReadAll(path), c.lines) << cp1252::ToUtf8(c.bytes);
  }
}

TEST(ExchangeReaderTest, AnOverlongLineKeepsItsStartAndTellsItsLength) {
  ScratchDir dir;
  WriteFileBytes(dir.Path("f.txt"), std::string(200000, 'x') + "\r\nab");
  std::vector<size_t> lengths;
  const auto lines = ReadAll(dir.Path("f.txt"), &lengths);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(ExchangeReader::kMaxKept, 'x'));
  EXPECT_EQ(lengths, (std::vector<size_t>{200000, 2}));
  EXPECT_EQ(lines[1], "ab");
}

}  // namespace
