// The field helpers of the fixed-width files and the formatting of records from values, in what the imports on the
// hand-made files do not reach; the reader's lines whatever the file's size, its line ends and its end-of-file marks.

#include "support/ExchangeData.h"

#include "exchange/ExchangeText.h"
#include "exchange/RecordLayouts.h"

namespace {

// The records the benchmarks write: as the hand-made lines, values that would break the layout refused.
TEST(RecordLayouts, FormattedRecordsAreTheHandMadeLinesAndKeepTheirLayout) {
  std::string line, error;
  ASSERT_TRUE(FormatRecord(
      TripHeadLayout(), {"17", "1", "C001", "5", "12", "12500", "35", "12500", "35", "L1", "A", "P1", "Aulla - Città"},
      line, error))
      << error;
  EXPECT_EQ(line, HandMadeLines("RT_HDORA.TXT")[0]);
  for (const std::vector<std::string>& values : {std::vector<std::string>{"17", "1234567", "FER", "", "", "0"},
                                                 {"17", "12a", "FER", "", "", "0"},
                                                 {"17", "1", "FER"}})
    EXPECT_FALSE(FormatRecord(PeriodLayout(), values, line, error)) << values[1];
  EXPECT_FALSE(FormatRecord(CadenceLayout(), {"17", "TROPPOLUNGO", "x"}, line, error));
  EXPECT_TRUE(HasPart(error, "codice"));
}

// The helpers that the import faults do not reach.
TEST(ExchangeText, FieldValues) {
  DateRecord d;
  EXPECT_TRUE(ParseExchangeDate("20240229", d) && d.Format() == "29/02/2024");
  EXPECT_FALSE(ParseExchangeDate("2024 101", d) || ParseExchangeDate("00991231", d));
  EXPECT_FALSE(IsValidExchangeTime("730 ") || !IsValidExchangeTime("9999") || FieldNumber("ab12"));
}

// Every line of a file through the reader, and the length it tells of each.
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
  // Lines of every length from 0 to 300, with CR LF or LF alone, over three blocks of the reader; then the same with
  // the file shifted by one byte at a time, so that a CR LF falls across the end of a block at least once.
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
      {"a\032b\r\n", {"a\032b"}},  // \032 is the mark, Ctrl-Z
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
  EXPECT_EQ(ReadAll(dir.Path("f.txt"), &lengths),
            (std::vector<std::string>{std::string(ExchangeReader::kMaxKept, 'x'), "ab"}));
  EXPECT_EQ(lengths, (std::vector<size_t>{200000, 2}));
}

}  // namespace
