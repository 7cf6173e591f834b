// The field helpers of the fixed-width files and the formatting of records from values, in what the imports on the
// hand-made files do not reach; the reader's lines whatever the file's size, its line ends and its end-of-file marks.

#include "support/ExchangeData.h"

#include "common/Cp1252.h"
#include "exchange/ExchangeText.h"
#include "exchange/RecordLayouts.h"

#include <QDir>

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
  // Values the imports would refuse or read as others: a sign, a control byte, another flag, no time, no date kept.
  const std::vector<std::string> head = {"17", "1", "C", "5", "12", "1", "1", "1", "1", "L", "A", "P", "N"};
  for (const auto& [at, value] : std::vector<std::pair<size_t, std::string>>{
           {1, "-1"}, {6, "+1"}, {3, "-5"}, {2, "C\x01"}, {12, std::string(1, '\0')}, {10, "\x7F"}, {10, "AR"}}) {
    std::vector<std::string> values = head;
    values[at] = value;
    EXPECT_FALSE(FormatRecord(TripHeadLayout(), values, line, error)) << at;
  }
  EXPECT_TRUE(FormatRecord(TripHeadLayout(), head, line, error)) << error;
  for (const std::vector<std::string>& values :
       {std::vector<std::string>{"17", "1", "FER", "01/01/2024", "31/01/2024", "2"},
        {"17", "1", "FER", "01/01/1600", "31/01/2024", "0"},
        {"17", "1", "FER", "01/01/2024", "01/01/2400", "0"}})
    EXPECT_FALSE(FormatRecord(PeriodLayout(), values, line, error)) << values[3] << values[5];
  EXPECT_FALSE(FormatRecord(TripDetailLayout(), {"17", "1", "1", "F", "N", "U", "0", "2400", "0730", "1", "0", "0"},
                            line, error));
}

// The one rule of each kind of field, as the imports read it and the exports write it.
TEST(RecordLayouts, WhatANumberOrACodeHolds) {
  const FieldDef &time = *TripHeadLayout().Field("tempo"), &authority = *TripHeadLayout().Field("ente");
  ASSERT_EQ(time.kind, FieldKind::Number);
  ASSERT_EQ(authority.kind, FieldKind::Code);
  const struct {
    const FieldDef& field;
    const char* bytes;
    long value;  // -1: none
  } cases[] = {
      {time, "0035", 35},       {time, "  35", 35},      {time, "9999", 9999},    {time, "0000", 0},
      {time, "-001", -1},       {time, "+035", -1},      {time, " -35", -1},      {time, " +35", -1},
      {time, "35  ", -1},       {time, "3 5 ", -1},      {time, "    ", -1},      {time, "0x10", -1},
      {authority, "0303", 303}, {authority, "0000", 0},  {authority, " 303", -1}, {authority, "03T0", -1},
      {authority, "+303", -1},  {authority, "-303", -1},
  };
  for (const auto& c : cases) {
    long value = 99;
    EXPECT_EQ(ReadNumber(c.field, c.bytes, value), c.value >= 0) << c.bytes;
    EXPECT_EQ(value, std::max(c.value, 0L)) << c.bytes;
  }
  // What a field of four digits can be given to write: what it reads back.
  for (const long long n : {-1LL, 0LL, 9999LL, 10000LL}) EXPECT_EQ(NumberFits(time, n), n >= 0 && n <= 9999) << n;
  EXPECT_TRUE(NumberFits(*TripHeadLayout().Field("lung"), 99999999));
  EXPECT_FALSE(NumberFits(*TripHeadLayout().Field("lung"), 100000000));
}

TEST(RecordLayouts, WhatAFlagADateAndATimeHold) {
  bool yes = false;
  EXPECT_TRUE(ReadFlag("1", yes) && yes);
  EXPECT_TRUE(ReadFlag("0", yes) && !yes);
  for (const char* other : {"2", "X", " ", "S", ""}) EXPECT_FALSE(ReadFlag(other, yes)) << other;
  EXPECT_FALSE(ReadFlag(std::string_view("\0", 1), yes));
  DateRecord d;
  EXPECT_TRUE(ParseExchangeDate("20240229", d) && d.Format() == "29/02/2024");
  // The first and last years the database keeps, and the days just outside them.
  EXPECT_TRUE(ParseExchangeDate("16010101", d) && ParseExchangeDate("23991231", d));
  for (const char* no : {"16001231", "24000101", "2024 101", "00991231", "20230229", "-0240101"})
    EXPECT_FALSE(ParseExchangeDate(no, d)) << no;
  for (const char* time : {"0000", "2359", "9999", "0730"}) EXPECT_TRUE(IsValidExchangeTime(time)) << time;
  for (const char* time : {"730 ", "2400", "1260", "9930", "-001", "+730", " 730"})
    EXPECT_FALSE(IsValidExchangeTime(time)) << time;
  EXPECT_TRUE(TimeFits(9999) && TimeFits(2359) && !TimeFits(-1) && !TimeFits(2360) && !TimeFits(10000));
}

// Every byte at every place of a text, as the word-at-a-time search finds it: the controls below 0x20, DEL and the
// five undefined bytes of the code page (the C1 controls of their value), not the letters from 0x80 up.
TEST(RecordLayouts, ControlBytesAreFoundWhereverTheyStand) {
  for (int byte = 0; byte < 256; ++byte) {
    const bool c1 = byte >= 0x80 && byte <= 0x9F &&
                    cp1252::ToUnicode(static_cast<unsigned char>(byte)) == static_cast<char32_t>(byte);
    const bool control = byte < 0x20 || byte == 0x7F || c1;
    EXPECT_EQ(IsControlByte(static_cast<char>(byte)), control) << byte;
    for (size_t at = 0; at < 19; ++at) {
      std::string text(19, '\xA0');
      text[at] = static_cast<char>(byte);
      EXPECT_EQ(FindControlByte(text), control ? at : std::string_view::npos) << byte << " at " << at;
      // A second one further on: the first is told.
      text.back() = '\x1F';
      EXPECT_EQ(FindControlByte(text), control ? at : text.size() - 1) << byte << " at " << at;
    }
  }
  EXPECT_EQ(FindControlByte(""), std::string_view::npos);
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

// A folder listed once finds each name as the search that lists it for every name does: the exact
// name first, then the first file in name order whose name differs only in letter case.
TEST(FolderFiles, FindAsFindFileNoCase) {
  ScratchDir dir;
  const std::string folder = dir.Dir();
  for (const char* name : {"ld12.asc", "LD7B.ASC", "Ld7b.asc", "FD12.asc", "città.txt", "halteste.asc"})
    WriteFileBytes(dir.Path(name), "x");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(dir.Path("sub.asc"))));
  const FolderFiles files(folder);
  const char* const names[] = {"ld12.asc",  "LD12.asc",     "ld7b.asc", "LD7B.ASC", "fd12.ASC",
                               "CITTÀ.TXT", "Halteste.asc", "sub.asc",  "SUB.ASC",  "missing.asc"};
  for (const char* name : names) EXPECT_EQ(files.Find(name), FindFileNoCase(folder, name)) << name;
  EXPECT_EQ(files.Find("LD12.asc"), folder + "/ld12.asc");
  EXPECT_EQ(files.Find("missing.asc"), folder + "/missing.asc");
  // Made after the listing: found by its exact name.
  WriteFileBytes(dir.Path("later.asc"), "x");
  EXPECT_EQ(files.Find("later.asc"), folder + "/later.asc");
}

}  // namespace
