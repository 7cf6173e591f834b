// The shared rules by which the dialogs read dates, numbers and codes from a list.

#include "dialogs/EntryRules.h"

#include <gtest/gtest.h>

namespace {

TEST(EntryDate, BothLengthsAndAllSeparatorsGiveTheNormalFormAndNothingElse) {
  const std::pair<const char*, const char*> cases[] = {
      {"01/02/05", "01/02/2005"},   {"01.02.05", "01/02/2005"},   {"01-02-2005", "01/02/2005"},
      {"31.12/1999", "31/12/1999"}, {"29/02/2024", "29/02/2024"}, {"29/02/00", "29/02/2000"},
  };
  for (const auto& [text, normal] : cases) {
    std::string out;
    EXPECT_TRUE(ParseEntryDate(text, out)) << text;
    EXPECT_EQ(out, normal);
  }
  for (const char* text : {"", "1/2/2005", "1.2.05", "01/02/205", "30/02/2005", "31/02/2024", "29/02/2023",
                           "00/01/2024", "01/13/2024", "01/00/2024", "01/02/0000", "01 02 2005", "01/02/2005 ",
                           " 01/02/05", "0a/02/2005", "01/02/20051", "01:02:2005"}) {
    std::string out = "<refused>";
    EXPECT_FALSE(ParseEntryDate(text, out)) << '"' << text << '"';
    EXPECT_EQ(out, "<refused>");
  }
  // Comparison follows the calendar, not the text.
  EXPECT_LT(CompareEntryDates("31/12/2023", "01/01/2024"), 0);
  EXPECT_GT(CompareEntryDates("01/03/2024", "29/02/2024"), 0);
  EXPECT_EQ(CompareEntryDates("15/06/2024", "15/06/2024"), 0);
}

// A year the database does not keep as itself is refused, naming the field; "99/99/9999" is no typed date.
TEST(EntryDate, TheYearsTakenAreThoseTheDatabaseKeeps) {
  const char* const form = "ATTENZIONE: la data X è espressa in un formato illegale.\n\n";
  const char* const year = "ATTENZIONE: la data X ha un anno non ammesso.\n\n";
  const std::pair<const char*, const char*> cases[] = {
      {"01/01/1601", ""},   {"31/12/2399", ""},   {"31/12/1600", year}, {"01/01/2400", year},
      {"31/12/9999", year}, {"01/01/0001", year}, {"99/99/9999", form}, {"00/00/0000", form},
  };
  for (const auto& [text, refusal] : cases) {
    std::string normal;
    const std::string refused = EntryDateRefusal(text, "la data X", "Fine.", normal);
    if (*refusal == '\0') {
      EXPECT_EQ(refused, "") << text;
      EXPECT_EQ(normal, text);
    } else {
      EXPECT_TRUE(refused.starts_with(refusal) && refused.ends_with(".\n\nFine.")) << text << ": " << refused;
    }
  }
}

TEST(EntryNumber, DigitsOnlyWithinTheFieldAndTheEmptyValue) {
  // text, the characters of the field, the value (-2: refused)
  const std::tuple<const char*, int, long> cases[] = {
      {"", 8, -1},      {"1234", 8, 1234}, {"0", 4, 0},   {"0042", 4, 42}, {"9999", 4, 9999}, {"99999999", 8, 99999999},
      {"12345", 4, -2}, {"-1", 8, -2},     {"-5", 4, -2}, {"12a", 8, -2},  {"1.5", 8, -2},    {"1,5", 8, -2},
      {" 12", 8, -2},   {"12 ", 8, -2},    {"+3", 8, -2}, {"abc", 8, -2},  {"1e3", 8, -2},
  };
  for (const auto& [text, digits, expected] : cases) {
    long value = -3;  // a refusal leaves the value alone
    EXPECT_EQ(ParseEntryNumber(text, digits, -1, value), expected != -2) << text;
    EXPECT_EQ(value, expected == -2 ? -3 : expected) << text;
  }
  EXPECT_EQ(NumberNotValid("Lunghezza (m)", 8),
            "ATTENZIONE: il valore del campo \"Lunghezza (m)\" non è valido.\n\n"
            "Occorre indicare un numero intero compreso tra 0 e 99999999.\n\n"
            "I dati immessi non saranno registrati !!!");
}

TEST(CodeFromList, OnlyTheWholeCodeOfAnEntryOfTheListIsAccepted) {
  const std::vector<std::string> entries = {"0000 - non assegnata", "0012 - Azienda dodici", "0150 - Altra",
                                            "32767 - Azienda ultima"};
  const std::pair<const char*, int> cases[] = {
      {"0012 - Azienda dodici", 12},
      {"0150", 150},
      {"0012 testo che non conta", -1},  // no entry, and more than a typed code's four characters
      {"12", 12},                        // fewer digits: their value
      {"", 0},                           // empty: the not-assigned row
      {"0099", -1},
      {"12 -", -1},
      {"A012", -1},
      {" 012", -1},
      {"32767 - Azienda ultima", 32767},
      {"3276", -1},
      {"01500", -1},  // not 0150
  };
  for (const auto& [text, expected] : cases) {
    int code = -1;  // a refusal leaves the code alone
    EXPECT_EQ(CodeFromList(text, entries, code), expected >= 0) << text;
    EXPECT_EQ(code, expected) << text;
  }
  int code = -1;
  EXPECT_FALSE(CodeFromList("", {"0012 - Azienda dodici"}, code));  // no not-assigned row
}

}  // namespace
