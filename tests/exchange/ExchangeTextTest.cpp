// The record layouts and the reading helpers of the fixed-width files.

#include "ExchangeTestSupport.h"

#include "exchange/ExchangeText.h"
#include "exchange/RecordLayouts.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordLayouts, FieldsTileEachRecordWithoutGaps) {
  const std::pair<const RecordLayout*, int> layouts[] = {{&ProtocolLayout(), 74},    {&CadenceLayout(), 74},
                                                         {&CalendarLayout(), 42},    {&TripHeadLayout(), 229},
                                                         {&TripDetailLayout(), 139}, {&PeriodLayout(), 37}};
  for (const auto& [layout, length] : layouts) {
    EXPECT_EQ(layout->length, length) << layout->fileName;
    int next = 0;
    for (const FieldDef& f : layout->fields) {
      EXPECT_EQ(f.offset, next) << layout->fileName << " " << f.name;
      if (f.kind == FieldKind::Reserved) {
        EXPECT_EQ(static_cast<int>(std::string_view(f.fill).size()), f.width);
      }
      next += f.width;
    }
    EXPECT_EQ(next, length);
  }
}

TEST(RecordLayouts, FormattedRecordsAreTheHandMadeLines) {
  std::string line, error;
  ASSERT_TRUE(FormatRecord(
      TripHeadLayout(), {"17", "1", "C001", "5", "12", "12500", "35", "12500", "35", "L1", "A", "P1", "Aulla - Città"},
      line, error))
      << error;
  EXPECT_EQ(line, HandMadeLines("RT_HDORA.TXT")[0]);
  ASSERT_TRUE(FormatRecord(TripDetailLayout(),
                           {"17", "1", "2", "F02", "Bivio Olivola", "", "5000", "741", "742", "0", "1", "0"}, line,
                           error));
  EXPECT_EQ(line, HandMadeLines("RT_DTORA.TXT")[1]);
  ASSERT_TRUE(FormatRecord(ProtocolLayout(), {"17", "15/01/2024", "42", "01/01/2024", "30/06/2024", "Mario Rossì"},
                           line, error));
  EXPECT_EQ(line, HandMadeLines("RT_PROTO.TXT")[0]);
  ASSERT_TRUE(FormatRecord(PeriodLayout(), {"17", "1", "FES", "20240106", "20240106", "1"}, line, error));
  EXPECT_EQ(line, HandMadeLines("RT_PERIOD.TXT")[1]);
  // The fields read back.
  EXPECT_EQ(FieldBytes(line, *PeriodLayout().Field("caden")), "FES       ");
  EXPECT_EQ(FieldBytes(line, *PeriodLayout().Field("escluso")), "1");
}

TEST(RecordLayouts, ValuesThatWouldBreakTheLayoutAreRefused) {
  std::string line, error;
  EXPECT_FALSE(FormatRecord(CadenceLayout(), {"17", "TROPPOLUNGO", "x"}, line, error));
  EXPECT_NE(error.find("codice"), std::string::npos);
  EXPECT_FALSE(FormatRecord(PeriodLayout(), {"17", "1234567", "FER", "", "", "0"}, line, error));
  EXPECT_FALSE(FormatRecord(PeriodLayout(), {"17", "12a", "FER", "", "", "0"}, line, error));
  EXPECT_FALSE(FormatRecord(CadenceLayout(), {"17", "FER"}, line, error));
  ASSERT_TRUE(FormatRecord(PeriodLayout(), {"17", "1", "FER", "", "", "S"}, line, error));
  EXPECT_EQ(line, "0017000001FER                       0");
}

TEST(ExchangeText, LinesWithoutTheirEnds) {
  ScratchDir dir;
  const auto lines = [&](const std::string& bytes) {
    WriteLines(dir.Path("f.txt"), {bytes}, "");
    ExchangeLines l;
    EXPECT_TRUE(l.Load(dir.Path("f.txt")));
    std::vector<std::string> out;
    for (size_t k = 0; k < l.Count(); ++k) out.emplace_back(l.Line(k));
    return out;
  };
  EXPECT_EQ(lines(""), std::vector<std::string>{});
  EXPECT_EQ(lines("ab\r\ncd\r\n"), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(lines("ab\ncd"), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(lines("ab  \r\n\r\n"), (std::vector<std::string>{"ab  ", ""}));
  ExchangeLines none;
  EXPECT_FALSE(none.Load(dir.Path("manca.txt")));
}

TEST(ExchangeText, DatesAndTimes) {
  DateRecord d;
  EXPECT_TRUE(ParseExchangeDate("20240229", d));
  EXPECT_EQ(d.Format(), "29/02/2024");
  EXPECT_FALSE(ParseExchangeDate("20230229", d));
  EXPECT_FALSE(ParseExchangeDate("20240231", d));
  EXPECT_FALSE(ParseExchangeDate("2024 101", d));
  EXPECT_FALSE(ParseExchangeDate("00991231", d));
  EXPECT_TRUE(IsValidExchangeTime("9999"));
  EXPECT_TRUE(IsValidExchangeTime("2359"));
  for (const char* bad : {"9930", "2400", "1260", "07a0", "730 "}) EXPECT_FALSE(IsValidExchangeTime(bad)) << bad;
}

TEST(ExchangeText, TextsKeepLeadingBlanksAndAccentedLetters) {
  EXPECT_EQ(TrimRight("  ab  "), "  ab");
  EXPECT_EQ(TrimRight("    "), "");
  EXPECT_EQ(TrimRightKeepOne("    "), " ");
  EXPECT_EQ(TrimRightKeepOne("x  "), "x");
  EXPECT_EQ(BlankControls("Città\tdi\x7F"
                          "Ëlba\x01"),
            "Città di Ëlba ");
  EXPECT_EQ(FieldNumber("0042"), 42);
  EXPECT_EQ(FieldNumber("12ab"), 12);
  EXPECT_EQ(FieldNumber("ab12"), 0);
}

TEST(ExchangeText, FixedNamesAreFoundWithoutRegardToCase) {
  ScratchDir dir;
  WriteLines(dir.Path("rt_hdora.txt"), {"x"});
  EXPECT_EQ(FindFileNoCase(dir.Dir(), "RT_HDORA.TXT"), dir.Dir() + "/rt_hdora.txt");
  EXPECT_EQ(FindFileNoCase(dir.Dir(), "RT_DTORA.TXT"), dir.Dir() + "/RT_DTORA.TXT");
  EXPECT_EQ(FolderOf("/a/b/RT_PROTO.TXT"), "/a/b");
  EXPECT_EQ(FolderOf("C:\\dati\\RT_PROTO.TXT"), "C:\\dati");
}

}  // namespace
