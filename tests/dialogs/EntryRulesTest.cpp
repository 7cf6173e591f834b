// The shared rules by which the dialogs read dates, numbers and codes from a list.

#include "dialogs/EntryRules.h"

#include <gtest/gtest.h>

namespace {

std::string Date(const char* text) {
  std::string normal = "<refused>";
  ParseEntryDate(text, normal);
  return normal;
}

TEST(EntryDate, BothLengthsAndAllSeparatorsGiveTheNormalForm) {
  EXPECT_EQ(Date("01/02/05"), "01/02/2005");
  EXPECT_EQ(Date("01.02.05"), "01/02/2005");
  EXPECT_EQ(Date("01-02-2005"), "01/02/2005");
  EXPECT_EQ(Date("31.12/1999"), "31/12/1999");
  EXPECT_EQ(Date("29/02/2024"), "29/02/2024");
  EXPECT_EQ(Date("29/02/00"), "29/02/2000");
}

TEST(EntryDate, ImpossibleOrMalformedDatesAreRefused) {
  for (const char* text : {"", "1/2/2005", "1.2.05", "01/02/205", "30/02/2005", "31/02/2024", "29/02/2023",
                           "00/01/2024", "01/13/2024", "01/00/2024", "01/02/0000", "01 02 2005", "01/02/2005 ",
                           " 01/02/05", "0a/02/2005", "01/02/20051", "01:02:2005"})
    EXPECT_EQ(Date(text), "<refused>") << '"' << text << '"';
}

TEST(EntryDate, ComparisonFollowsTheCalendarNotTheText) {
  EXPECT_LT(CompareEntryDates("31/12/2023", "01/01/2024"), 0);
  EXPECT_GT(CompareEntryDates("02/01/2024", "31/12/2023"), 0);
  EXPECT_GT(CompareEntryDates("01/03/2024", "29/02/2024"), 0);
  EXPECT_EQ(CompareEntryDates("15/06/2024", "15/06/2024"), 0);
}

TEST(EntryNumber, LeadingWholeNumberOfTheFirstCharacters) {
  EXPECT_EQ(LeadingNumber("", 20, -1), -1);
  EXPECT_EQ(LeadingNumber("1234", 20, -1), 1234);
  EXPECT_EQ(LeadingNumber(" 77abc", 20, -1), 77);
  EXPECT_EQ(LeadingNumber("abc", 20, -1), 0);
  EXPECT_EQ(LeadingNumber("-5", 20, -1), -5);
  EXPECT_EQ(LeadingNumber("123456", 3, -1), 123);
  EXPECT_EQ(LeadingNumber("99999999999999999999", 20, -1), 2147483647);
}

TEST(CodeFromList, OnlyTheFourDigitsOfAnEntryOfTheListAreAccepted) {
  const std::vector<std::string> entries = {"0000 - non assegnata", "0012 - Azienda dodici", "0150 - Altra"};
  int code = -1;
  EXPECT_TRUE(CodeFromList("0012 - Azienda dodici", entries, code));
  EXPECT_EQ(code, 12);
  EXPECT_TRUE(CodeFromList("0150", entries, code));
  EXPECT_EQ(code, 150);
  EXPECT_TRUE(CodeFromList("0012 testo che non conta", entries, code));
  EXPECT_EQ(code, 12);
  EXPECT_TRUE(CodeFromList("12", entries, code));  // fewer digits: their value
  EXPECT_EQ(code, 12);
  EXPECT_TRUE(CodeFromList("", entries, code));  // empty: the not-assigned row
  EXPECT_EQ(code, 0);
  code = -1;
  EXPECT_FALSE(CodeFromList("0099", entries, code));
  EXPECT_FALSE(CodeFromList("12 -", entries, code));
  EXPECT_FALSE(CodeFromList("A012", entries, code));
  EXPECT_FALSE(CodeFromList(" 012", entries, code));
  EXPECT_EQ(code, -1);                                              // a refusal leaves the code alone
  EXPECT_FALSE(CodeFromList("", {"0012 - Azienda dodici"}, code));  // no not-assigned row
}

}  // namespace
