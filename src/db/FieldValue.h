#pragma once
// Field values as they cross the database layer. The engine hands back typed values; callers
// see canonical texts (dd/mm/yyyy dates, decimal comma, "1"/"0"), identical whatever the
// machine's locale.

#include <cstdint>
#include <string>
#include <string_view>

// One value as the engine delivers it.
struct DbValue {
  // Integer: a whole number computed by an expression (COUNT, MAX ...), which has no declared
  // width; both whole-number readers by position accept it.
  enum class Kind : std::uint8_t { Null, Int16, Int32, Byte, Integer, Double, Currency, Date, Text, Bool, Blob, Other };
  Kind kind = Kind::Null;
  std::int64_t i = 0;  // Int16, Int32, Byte, Integer, Bool (0/1), Currency (ten-thousandths), Date (yyyymmdd; 0 = none)
  double d = 0.0;      // Double
  std::string s;       // Text (Windows-1252 bytes) or Blob bytes

  static DbValue Null() { return {}; }
  static DbValue Int(Kind k, std::int64_t v) {
    DbValue x;
    x.kind = k;
    x.i = v;
    return x;
  }
  static DbValue Real(double v) {
    DbValue x;
    x.kind = Kind::Double;
    x.d = v;
    return x;
  }
  static DbValue Str(Kind k, std::string v) {
    DbValue x;
    x.kind = k;
    x.s = std::move(v);
    return x;
  }
  static DbValue DateYmd(int year, int month, int day) { return Int(Kind::Date, year * 10000LL + month * 100 + day); }
  bool IsNull() const { return kind == Kind::Null; }
};

// Canonical text of a value (never trimmed).
int VariantToText(const DbValue& value, std::string& out);
// Display text: as the canonical one, with trailing blanks removed from texts (one blank stays
// of an all-blank text) and byte arrays shown as "BLOB [n bytes]".
int VariantToDisplayText(const DbValue& value, std::string& out);
int VariantBlobCopy(const DbValue& value, std::string& out, int* length);
int VariantBlobSize(const DbValue& value);

std::string VariantToText(const DbValue& value);
std::string VariantToDisplayText(const DbValue& value);

// Texts of single values, shared by the readers and the formatters of other layers.
std::string FormatDouble(double value);                   // "%020.4lf" with a decimal comma
std::string FormatCurrency(std::int64_t tenThousandths);  // 21 characters: sign, 15 digits, ',', 4 digits
std::string FormatDateYmd(std::int64_t yyyymmdd);         // "dd/mm/yyyy" with the 1600 / 2400 clamps

// Date helpers.
bool IsValidDate(int year, int month, int day);
// A real date within the years the database keeps as themselves (1601 to 2399); the others are
// shown by the clamp texts of FormatDateYmd.
inline bool IsKeptDate(int year, int month, int day) {
  return year > 1600 && year < 2400 && IsValidDate(year, month, day);
}
// Parses a date typed or stored as d/m/yyyy (day and month of one or two digits) or yyyy-mm-dd,
// optionally followed by a time of day, which is dropped. "00/00/0000" and "99/99/9999" are the
// clamp texts and map to 1 January 1600 and 31 December 2400.
bool ParseDateText(std::string_view text, int& year, int& month, int& day);
// "2024-03-05" from the stored ISO text or a yyyymmdd number.
std::string IsoDate(std::int64_t yyyymmdd);
