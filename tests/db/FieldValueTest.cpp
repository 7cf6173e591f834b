// The texts of field values, both ways: the fixed-width numbers, the clamped dates, the display
// trimming, and the parsing of what a user or a file hands in.

#include "db/FieldType.h"
#include "db/FieldValue.h"

#include <gtest/gtest.h>

namespace {

using K = DbValue::Kind;

TEST(FieldValue, TextsOfEveryKind) {
  const std::pair<DbValue, const char*> cases[] = {
      // Doubles: twenty characters with a decimal comma, wider only when they must be.
      {DbValue::Real(0), "000000000000000,0000"},
      {DbValue::Real(-12.5), "-00000000000012,5000"},
      {DbValue::Real(1234.56789), "000000000001234,5679"},
      {DbValue::Real(1e20), "100000000000000000000,0000"},
      // Currency: twenty-one characters with the sign (its limits: the parsing below).
      {DbValue::Int(K::Currency, 0), "+000000000000000,0000"},
      // Dates clamp at 1600 and 2400.
      {DbValue::DateYmd(1600, 12, 31), "00/00/0000"},
      {DbValue::DateYmd(1601, 1, 1), "01/01/1601"},
      {DbValue::DateYmd(2399, 12, 31), "31/12/2399"},
      {DbValue::DateYmd(2400, 1, 1), "99/99/9999"},
      {DbValue::Int(K::Date, 0), "00/00/0000"},
      // Texts keep their blanks; booleans are 1 and 0; blobs and NULL have no text.
      {DbValue::Str(K::Text, " abc  "), " abc  "},
      {DbValue::Int(K::Bool, 0), "0"},
      {DbValue::Str(K::Blob, "xyz"), ""},
      {DbValue::Null(), ""},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(VariantToText(value), text) << text;
}

TEST(FieldValue, DisplayTextsTrimAndNameTheBlobs) {
  const std::pair<DbValue, const char*> cases[] = {
      {DbValue::Str(K::Text, " abc  "), " abc"},
      {DbValue::Str(K::Text, "   "), " "},
      {DbValue::Str(K::Text, ""), ""},
      {DbValue::Null(), ""},
      {DbValue::Str(K::Blob, std::string(300, 'x')), "BLOB [300 bytes]"},
      {DbValue::Str(K::Blob, ""), "BLOB [0 bytes]"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(VariantToDisplayText(value), text) << text;
  EXPECT_EQ(VariantBlobSize(DbValue::Str(K::Blob, std::string(300, 'x'))), 300);
  EXPECT_EQ(VariantBlobSize(DbValue::Real(1)), 0);
}

TEST(FieldValue, ParsingTextsIntoFieldValues) {
  const struct {
    FieldType type;
    const char* text;
    const char* back;  // the value's text, nullptr when refused
  } cases[] = {
      {{'I', 0}, "-32768", "-32768"},
      {{'I', 0}, "32768", nullptr},
      {{'I', 0}, "abc", nullptr},
      {{'L', 0}, "12a", nullptr},
      {{'L', 0}, " 2147483647 ", "2147483647"},
      {{'F', 0}, "000000000000012,5000", "000000000000012,5000"},
      {{'N', 0}, "+000000000001234,5000", "+000000000001234,5000"},
      {{'N', 0}, "-0,25", "-000000000000000,2500"},
      {{'N', 0}, "922337203685477,5807", "+922337203685477,5807"},
      {{'N', 0}, "-922337203685477,5808", "-922337203685477,5808"},
      // One unit beyond either end, or fifteen nines: refused, never wrapped round.
      {{'N', 0}, "922337203685477,5808", nullptr},
      {{'N', 0}, "-922337203685477,5809", nullptr},
      {{'N', 0}, "999999999999999", nullptr},
      {{'N', 0}, "922337203685477,58075", nullptr},  // rounding carries it over
      {{'N', 0}, "0,99995", "+000000000000001,0000"},
      {{'D', 0}, "5/3/2007", "05/03/2007"},
      {{'D', 0}, "29/02/2024 10:30:00", "29/02/2024"},
      {{'D', 0}, "31/02/2024", nullptr},
      {{'D', 0}, "2024/02/01", nullptr},
      {{'B', 0}, "-1", "1"},
      {{'A', 3}, "abc", "abc"},
      {{'A', 3}, "abcd", nullptr},
      {{'A', 3}, "", ""},
  };
  for (const auto& c : cases) {
    DbValue v;
    std::string error;
    const bool ok = ParseFieldText(c.type, c.text, v, error);
    EXPECT_EQ(ok, c.back != nullptr) << c.type.letter << " " << c.text;
    if (ok && c.back) {
      EXPECT_EQ(VariantToText(v), c.back) << c.type.letter << " " << c.text;
    }
  }
  DbValue empty;
  std::string error;
  ASSERT_TRUE(ParseFieldText({'A', 3}, "", empty, error));
  EXPECT_TRUE(empty.IsNull());
}

TEST(FieldType, DeclarationsRoundTrip) {
  for (char letter : std::string("ABDFILMNO")) {
    const FieldType t{letter, letter == 'A' ? 40 : 0};
    const FieldType back = FieldTypeFromDeclared(SqlDeclaredType(t));
    EXPECT_EQ(back.letter, letter);
    EXPECT_EQ(back.size, t.size);
  }
  EXPECT_EQ(SqlDeclaredType({'Z', 0}), "");
  EXPECT_FALSE(IsFieldTypeLetter('Z'));
}

}  // namespace
