#include "db/FieldType.h"
#include "db/FieldValue.h"

#include <gtest/gtest.h>

TEST(FieldValue, DoubleTextsAreTwentyCharactersWithComma) {
  EXPECT_EQ(VariantToText(DbValue::Real(0)), "000000000000000,0000");
  EXPECT_EQ(VariantToText(DbValue::Real(12.5)), "000000000000012,5000");
  EXPECT_EQ(VariantToText(DbValue::Real(-12.5)), "-00000000000012,5000");
  EXPECT_EQ(VariantToText(DbValue::Real(1234.56789)), "000000000001234,5679");
  EXPECT_EQ(VariantToText(DbValue::Real(1e20)), "100000000000000000000,0000");
}

TEST(FieldValue, CurrencyTextsAreTwentyOneCharacters) {
  EXPECT_EQ(VariantToText(DbValue::Int(DbValue::Kind::Currency, 0)), "+000000000000000,0000");
  EXPECT_EQ(VariantToText(DbValue::Int(DbValue::Kind::Currency, 12345000)), "+000000000001234,5000");
  EXPECT_EQ(VariantToText(DbValue::Int(DbValue::Kind::Currency, -2500)), "-000000000000000,2500");
  EXPECT_EQ(VariantToText(DbValue::Int(DbValue::Kind::Currency, INT64_MAX)), "+922337203685477,5807");
  EXPECT_EQ(VariantToText(DbValue::Int(DbValue::Kind::Currency, INT64_MIN)), "-922337203685477,5808");
}

TEST(FieldValue, DatesClampAt1600And2400) {
  EXPECT_EQ(VariantToText(DbValue::DateYmd(1600, 12, 31)), "00/00/0000");
  EXPECT_EQ(VariantToText(DbValue::DateYmd(1600, 1, 1)), "00/00/0000");
  EXPECT_EQ(VariantToText(DbValue::DateYmd(1601, 1, 1)), "01/01/1601");
  EXPECT_EQ(VariantToText(DbValue::DateYmd(2399, 12, 31)), "31/12/2399");
  EXPECT_EQ(VariantToText(DbValue::DateYmd(2400, 1, 1)), "99/99/9999");
  EXPECT_EQ(VariantToText(DbValue::DateYmd(2400, 12, 31)), "99/99/9999");
  EXPECT_EQ(VariantToText(DbValue::DateYmd(2007, 3, 5)), "05/03/2007");
  EXPECT_EQ(VariantToText(DbValue::Int(DbValue::Kind::Date, 0)), "00/00/0000");
}

TEST(FieldValue, TextsAndDisplayTrimming) {
  const DbValue padded = DbValue::Str(DbValue::Kind::Text, " abc  ");
  EXPECT_EQ(VariantToText(padded), " abc  ");
  EXPECT_EQ(VariantToDisplayText(padded), " abc");
  const DbValue blanks = DbValue::Str(DbValue::Kind::Text, "   ");
  EXPECT_EQ(VariantToText(blanks), "   ");
  EXPECT_EQ(VariantToDisplayText(blanks), " ");
  EXPECT_EQ(VariantToDisplayText(DbValue::Str(DbValue::Kind::Text, "")), "");
  EXPECT_EQ(VariantToText(DbValue::Null()), "");
  EXPECT_EQ(VariantToDisplayText(DbValue::Null()), "");
}

TEST(FieldValue, BooleansAndBlobs) {
  EXPECT_EQ(VariantToText(DbValue::Int(DbValue::Kind::Bool, 1)), "1");
  EXPECT_EQ(VariantToText(DbValue::Int(DbValue::Kind::Bool, 0)), "0");
  int v = 7;
  EXPECT_EQ(VariantIntAt(DbValue::Int(DbValue::Kind::Bool, 1), v), 1);
  EXPECT_EQ(v, -1);
  const DbValue blob = DbValue::Str(DbValue::Kind::Blob, std::string(300, 'x'));
  EXPECT_EQ(VariantToText(blob), "");
  EXPECT_EQ(VariantToDisplayText(blob), "BLOB [300 bytes]");
  EXPECT_EQ(VariantToDisplayText(DbValue::Str(DbValue::Kind::Blob, "")), "BLOB [0 bytes]");
  EXPECT_EQ(VariantBlobSize(blob), 300);
  EXPECT_EQ(VariantBlobSize(DbValue::Real(1)), 0);
}

TEST(FieldValue, ReadersByPositionRefuseTheOtherWidth) {
  int i = 9;
  long l = 9;
  EXPECT_EQ(VariantIntAt(DbValue::Int(DbValue::Kind::Int32, 5), i), 0);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(VariantLongAt(DbValue::Int(DbValue::Kind::Int16, 5), l), 0);
  EXPECT_EQ(l, 0);
  EXPECT_EQ(VariantIntAt(DbValue::Int(DbValue::Kind::Int16, -5), i), 1);
  EXPECT_EQ(i, -5);
  EXPECT_EQ(VariantLongAt(DbValue::Int(DbValue::Kind::Int32, 70000), l), 1);
  EXPECT_EQ(l, 70000);
  std::string t = "x";
  EXPECT_EQ(VariantTextAt(DbValue::Int(DbValue::Kind::Int16, 5), t), 0);
  EXPECT_EQ(t, "");
  EXPECT_EQ(VariantTextAt(DbValue::DateYmd(2024, 2, 29), t), 1);
  EXPECT_EQ(t, "29/02/2024");
  EXPECT_EQ(VariantTextAt(DbValue::Null(), t), 0);
}

TEST(FieldValue, ParsingTextsIntoFieldValues) {
  DbValue v;
  std::string err;
  EXPECT_TRUE(ParseFieldText({'I', 0}, "-32768", v, err));
  EXPECT_EQ(v.i, -32768);
  EXPECT_FALSE(ParseFieldText({'I', 0}, "32768", v, err));
  EXPECT_FALSE(ParseFieldText({'I', 0}, "abc", v, err));
  EXPECT_FALSE(ParseFieldText({'L', 0}, "12a", v, err));
  EXPECT_TRUE(ParseFieldText({'L', 0}, " 2147483647 ", v, err));
  EXPECT_EQ(v.i, 2147483647);
  EXPECT_TRUE(ParseFieldText({'F', 0}, "000000000000012,5000", v, err));
  EXPECT_DOUBLE_EQ(v.d, 12.5);
  EXPECT_TRUE(ParseFieldText({'N', 0}, "+000000000001234,5000", v, err));
  EXPECT_EQ(v.i, 12345000);
  EXPECT_TRUE(ParseFieldText({'N', 0}, "-0,25", v, err));
  EXPECT_EQ(v.i, -2500);
  EXPECT_TRUE(ParseFieldText({'D', 0}, "5/3/2007", v, err));
  EXPECT_EQ(VariantToText(v), "05/03/2007");
  EXPECT_FALSE(ParseFieldText({'D', 0}, "31/02/2024", v, err));
  EXPECT_FALSE(ParseFieldText({'D', 0}, "2024/02/01", v, err));
  EXPECT_TRUE(ParseFieldText({'D', 0}, "29/02/2024 10:30:00", v, err));
  EXPECT_EQ(VariantToText(v), "29/02/2024");
  EXPECT_TRUE(ParseFieldText({'B', 0}, "-1", v, err));
  EXPECT_EQ(v.i, 1);
  EXPECT_TRUE(ParseFieldText({'A', 3}, "abc", v, err));
  EXPECT_FALSE(ParseFieldText({'A', 3}, "abcd", v, err));
  EXPECT_TRUE(ParseFieldText({'A', 3}, "", v, err));
  EXPECT_TRUE(v.IsNull());
}

TEST(FieldValue, CurrencyTextsAtTheEngineLimits) {
  DbValue v;
  std::string err;
  ASSERT_TRUE(ParseFieldText({'N', 0}, "922337203685477,5807", v, err));
  EXPECT_EQ(VariantToText(v), "+922337203685477,5807");
  ASSERT_TRUE(ParseFieldText({'N', 0}, "-922337203685477,5808", v, err));
  EXPECT_EQ(VariantToText(v), "-922337203685477,5808");
  // One unit beyond either end, or fifteen nines: refused, never wrapped round.
  EXPECT_FALSE(ParseFieldText({'N', 0}, "922337203685477,5808", v, err));
  EXPECT_FALSE(ParseFieldText({'N', 0}, "-922337203685477,5809", v, err));
  EXPECT_FALSE(ParseFieldText({'N', 0}, "999999999999999", v, err));
  EXPECT_FALSE(ParseFieldText({'N', 0}, "922337203685477,58075", v, err));  // rounding carries it over
  ASSERT_TRUE(ParseFieldText({'N', 0}, "0,99995", v, err));
  EXPECT_EQ(VariantToText(v), "+000000000000001,0000");
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
