#include "db/FieldValue.h"

#include "common/Numbers.h"

#include <cstdio>
#include <cstdlib>

std::string FormatDouble(double value) {
  std::string s = ZeroPaddedDecimals(value, 20, 4);
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

std::string FormatCurrency(std::int64_t amount) {
  // Absolute value without overflow for the most negative amount.
  const bool negative = amount < 0;
  const std::uint64_t abs = negative ? (~static_cast<std::uint64_t>(amount) + 1) : static_cast<std::uint64_t>(amount);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%c%015llu,%04llu", negative ? '-' : '+', static_cast<unsigned long long>(abs / 10000),
                static_cast<unsigned long long>(abs % 10000));
  return buf;
}

bool IsValidDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int max = kDays[month - 1];
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) max = 29;
  return day <= max;
}

std::string FormatDateYmd(std::int64_t ymd) {
  const int year = static_cast<int>(ymd / 10000), month = static_cast<int>(ymd / 100 % 100),
            day = static_cast<int>(ymd % 100);
  if (!IsKeptDate(year, month, day)) return year >= 2400 && IsValidDate(year, month, day) ? "99/99/9999" : "00/00/0000";
  // dd/mm/yyyy digit by digit: a kept date has a four-digit year. The exports read a date of every
  // period this way.
  const char text[10] = {static_cast<char>('0' + day / 10),
                         static_cast<char>('0' + day % 10),
                         '/',
                         static_cast<char>('0' + month / 10),
                         static_cast<char>('0' + month % 10),
                         '/',
                         static_cast<char>('0' + year / 1000),
                         static_cast<char>('0' + year / 100 % 10),
                         static_cast<char>('0' + year / 10 % 10),
                         static_cast<char>('0' + year % 10)};
  return std::string(text, sizeof text);
}

std::string IsoDate(std::int64_t ymd) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", static_cast<int>(ymd / 10000), static_cast<int>(ymd / 100 % 100),
                static_cast<int>(ymd % 100));
  return buf;
}

namespace {

// Reads 1..maxDigits decimal digits at `k`.
bool Digits(std::string_view t, size_t& k, int minDigits, int maxDigits, int& out) {
  out = 0;
  int n = 0;
  while (k < t.size() && n < maxDigits && t[k] >= '0' && t[k] <= '9') {
    out = out * 10 + (t[k] - '0');
    ++k;
    ++n;
  }
  return n >= minDigits;
}

// After the date: nothing, or a blank / 'T' followed by a time of day, which is dropped.
bool TimeTail(std::string_view t, size_t k) {
  if (k == t.size()) return true;
  if (t[k] != ' ' && t[k] != 'T') return false;
  ++k;
  while (k < t.size() && t[k] == ' ') ++k;
  for (; k < t.size(); ++k)
    if (!((t[k] >= '0' && t[k] <= '9') || t[k] == ':' || t[k] == '.')) return false;
  return true;
}

}  // namespace

bool ParseDateText(std::string_view t, int& year, int& month, int& day) {
  if (t == "00/00/0000") {
    year = 1600, month = 1, day = 1;
    return true;
  }
  if (t == "99/99/9999") {
    year = 2400, month = 12, day = 31;
    return true;
  }
  size_t k = 0;
  int a = 0, b = 0, c = 0;
  if (!Digits(t, k, 1, 4, a) || k >= t.size()) return false;
  if (t[k] == '-' && k == 4) {  // yyyy-mm-dd
    ++k;
    if (!Digits(t, k, 2, 2, b) || k >= t.size() || t[k] != '-') return false;
    ++k;
    if (!Digits(t, k, 2, 2, c)) return false;
    year = a, month = b, day = c;
  } else if (t[k] == '/' && k <= 2) {  // d/m/yyyy
    ++k;
    if (!Digits(t, k, 1, 2, b) || k >= t.size() || t[k] != '/') return false;
    ++k;
    const size_t start = k;
    if (!Digits(t, k, 4, 4, c) || k - start != 4) return false;
    day = a, month = b, year = c;
  } else {
    return false;
  }
  return TimeTail(t, k) && IsValidDate(year, month, day);
}

int VariantToText(const DbValue& v, std::string& out) {
  using K = DbValue::Kind;
  switch (v.kind) {
    case K::Int16:
    case K::Int32:
    case K::Byte:
    case K::Integer: out = std::to_string(v.i); break;
    case K::Double: out = FormatDouble(v.d); break;
    case K::Currency: out = FormatCurrency(v.i); break;
    case K::Date: out = FormatDateYmd(v.i); break;
    case K::Text: out = v.s; break;
    case K::Bool: out = v.i != 0 ? "1" : "0"; break;
    default: out.clear();
  }
  return 1;
}

int VariantToDisplayText(const DbValue& v, std::string& out) {
  if (v.kind == DbValue::Kind::Blob) {
    out = "BLOB [" + std::to_string(v.s.size()) + " bytes]";
    return 1;
  }
  VariantToText(v, out);
  if (v.kind == DbValue::Kind::Text) {
    size_t n = out.size();
    while (n > 1 && out[n - 1] == ' ') --n;
    out.resize(n);
  }
  return 1;
}

std::string VariantToText(const DbValue& v) {
  std::string s;
  VariantToText(v, s);
  return s;
}

std::string VariantToDisplayText(const DbValue& v) {
  std::string s;
  VariantToDisplayText(v, s);
  return s;
}

int VariantBlobCopy(const DbValue& v, std::string& out, int* length) {
  if (v.kind == DbValue::Kind::Blob) {
    out = v.s;
    if (length) *length = static_cast<int>(v.s.size());
  } else if (length) {
    *length = 0;
  }
  return 1;
}

int VariantBlobSize(const DbValue& v) { return v.kind == DbValue::Kind::Blob ? static_cast<int>(v.s.size()) : 0; }
