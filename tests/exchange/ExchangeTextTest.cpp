// The field helpers of the fixed-width files and the formatting of records from values, in what
// the imports on the hand-made files do not reach.

#include "support/ExchangeData.h"

#include "exchange/ExchangeText.h"
#include "exchange/RecordLayouts.h"

namespace {

TEST(RecordLayouts, FormattedRecordsAreTheHandMadeLinesAndKeepTheirLayout) {
  std::string line, error;
  ASSERT_TRUE(FormatRecord(
      TripHeadLayout(), {"17", "1", "C001", "5", "12", "12500", "35", "12500", "35", "L1", "A", "P1", "Aulla - Città"},
      line, error))
      << error;
  EXPECT_EQ(line, HandMadeLines("RT_HDORA.TXT")[0]);
  ASSERT_TRUE(FormatRecord(ProtocolLayout(), {"17", "15/01/2024", "42", "01/01/2024", "30/06/2024", "Mario Rossì"},
                           line, error));
  EXPECT_EQ(line, HandMadeLines("RT_PROTO.TXT")[0]);
  ASSERT_TRUE(FormatRecord(PeriodLayout(), {"17", "1", "FER", "", "", "S"}, line, error));
  EXPECT_EQ(line, "0017000001FER                       0");
  // Values that would break the layout.
  EXPECT_FALSE(FormatRecord(CadenceLayout(), {"17", "TROPPOLUNGO", "x"}, line, error));
  EXPECT_NE(error.find("codice"), std::string::npos);
  EXPECT_FALSE(FormatRecord(PeriodLayout(), {"17", "1234567", "FER", "", "", "0"}, line, error));
  EXPECT_FALSE(FormatRecord(PeriodLayout(), {"17", "12a", "FER", "", "", "0"}, line, error));
  EXPECT_FALSE(FormatRecord(CadenceLayout(), {"17", "FER"}, line, error));
}

TEST(ExchangeText, FieldValues) {
  DateRecord d;
  EXPECT_TRUE(ParseExchangeDate("20240229", d));
  EXPECT_EQ(d.Format(), "29/02/2024");
  EXPECT_FALSE(ParseExchangeDate("2024 101", d) || ParseExchangeDate("00991231", d));
  EXPECT_TRUE(IsValidExchangeTime("9999") && IsValidExchangeTime("2359"));
  EXPECT_FALSE(IsValidExchangeTime("1260") || IsValidExchangeTime("730 "));
  EXPECT_EQ(BlankControls("Città\tdi\x7F"
                          "Ëlba\x01"),
            "Città di Ëlba ");
  EXPECT_EQ(FieldNumber("ab12"), 0);
}

}  // namespace
