#include "db/SqliteValue.h"

#include "common/Cp1252.h"

#include <cstdint>
#include <cstring>

namespace {

// The length of the run of ASCII bytes at the start, eight bytes at a time. The bytes left after
// the last whole word are read as the last eight (or the first and last four) bytes again, so that
// a text of ASCII alone is never looked at byte by byte.
size_t AsciiRun(const unsigned char* p, size_t n) {
  size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    std::uint64_t x;
    std::memcpy(&x, p + k, 8);
    if (x & 0x8080808080808080ull) break;
  }
  if (k + 8 > n && n >= 8) {
    std::uint64_t x;
    std::memcpy(&x, p + n - 8, 8);
    if (!(x & 0x8080808080808080ull)) return n;
  } else if (n >= 4 && n < 8) {
    std::uint32_t x, y;
    std::memcpy(&x, p, 4);
    std::memcpy(&y, p + n - 4, 4);
    if (!((x | y) & 0x80808080u)) return n;
  }
  while (k < n && p[k] < 0x80) ++k;
  return k;
}

bool IsAscii(const unsigned char* p, int n) { return AsciiRun(p, static_cast<size_t>(n)) == static_cast<size_t>(n); }

bool IsAscii(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A time of day as other programs write it after a date: a blank or 'T', then hours and minutes
// (00:00 to 23:59), then the seconds and their fractions if any (":05", ":05.250").
bool IsTimeOfDay(const unsigned char* p, int n) {
  const auto twoDigits = [&](int at, int highest) {
    return at + 2 <= n && IsDigit(p[at]) && IsDigit(p[at + 1]) && (p[at] - '0') * 10 + (p[at + 1] - '0') <= highest;
  };
  if (n < 6 || (p[0] != ' ' && p[0] != 'T') || !twoDigits(1, 23) || p[3] != ':' || !twoDigits(4, 59)) return false;
  if (n == 6) return true;
  if (n < 9 || p[6] != ':' || !twoDigits(7, 59)) return false;
  if (n == 9) return true;
  if (n == 10 || p[9] != '.') return false;
  for (int k = 10; k < n; ++k)
    if (!IsDigit(p[k])) return false;
  return true;
}

// The date of a stored text in the form the layer writes (2024-03-05, a real date), also followed
// by a time of day as other programs write a date (2024-03-05 00:00:00, 2024-03-05T10:30): only the
// calendar date counts. False for any other text, which is then no date of its column.
bool IsoDateText(const unsigned char* p, int n, std::int64_t& ymd) {
  if (!p || n < 10 || p[4] != '-' || p[7] != '-') return false;
  for (int k : {0, 1, 2, 3, 5, 6, 8, 9})
    if (!IsDigit(p[k])) return false;
  if (n > 10 && !IsTimeOfDay(p + 10, n - 10)) return false;
  const int year = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
  const int month = (p[5] - '0') * 10 + (p[6] - '0'), day = (p[8] - '0') * 10 + (p[9] - '0');
  if (!IsValidDate(year, month, day)) return false;
  ymd = year * 10000LL + month * 100 + day;
  return true;
}

}  // namespace

std::string TextFromEngine(const unsigned char* utf8, int bytes) {
  if (!utf8) return {};
  if (IsAscii(utf8, bytes)) return std::string(reinterpret_cast<const char*>(utf8), static_cast<size_t>(bytes));
  return cp1252::FromUtf8Lossy(std::string_view(reinterpret_cast<const char*>(utf8), static_cast<size_t>(bytes)));
}

bool IsAsciiText(const unsigned char* p, int bytes) { return p && IsAscii(p, bytes); }

bool FindLostCharacter(const unsigned char* utf8, int bytes, char32_t& code, int& at) {
  if (!utf8 || IsAscii(utf8, bytes)) return false;
  std::string out;
  size_t offset = 0;
  if (cp1252::FromUtf8(std::string_view(reinterpret_cast<const char*>(utf8), static_cast<size_t>(bytes)), out, &code,
                       &offset))
    return false;
  at = static_cast<int>(offset);
  return true;
}

void TextFromEngineInto(const unsigned char* utf8, int bytes, std::string& out) {
  if (!utf8)
    out.clear();
  else if (IsAscii(utf8, bytes))
    out.assign(reinterpret_cast<const char*>(utf8), static_cast<size_t>(bytes));
  else
    cp1252::FromUtf8(std::string_view(reinterpret_cast<const char*>(utf8), static_cast<size_t>(bytes)), out);
}

bool TextFromEngineMarked(const unsigned char* utf8, int bytes, std::string& out, char32_t& code, size_t& at) {
  if (!utf8) {
    out.clear();
    return true;
  }
  const auto n = static_cast<size_t>(bytes);
  const char* text = reinterpret_cast<const char*>(utf8);
  size_t k = AsciiRun(utf8, n);
  if (k == n) {
    out.assign(text, n);
    return true;
  }
  // The usual texts: ASCII and the letters U+00A0 to U+00FF, which are one byte of the same value
  // in Windows-1252 (two in UTF-8, led by C2 or C3), written in place: the text read is never
  // longer than the stored one. Anything else is left to the full conversion.
  out.resize(n);
  char* o = out.data();
  std::memcpy(o, text, k);
  o += k;
  while (k < n) {
    const unsigned char lead = utf8[k];
    if ((lead != 0xC2 && lead != 0xC3) || k + 1 >= n || (utf8[k + 1] & 0xC0) != 0x80)
      return cp1252::FromUtf8(std::string_view(text, n), out, &code, &at);
    const auto letter = static_cast<unsigned char>((lead & 0x1F) << 6 | (utf8[k + 1] & 0x3F));
    if (letter < 0xA0)  // C1 controls: the code page has other characters there
      return cp1252::FromUtf8(std::string_view(text, n), out, &code, &at);
    *o++ = static_cast<char>(letter);
    k += 2;
    const size_t run = AsciiRun(utf8 + k, n - k);
    std::memcpy(o, text + k, run);
    o += run;
    k += run;
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return true;
}

std::string TextToEngine(const std::string& text) {
  if (IsAscii(text)) return text;
  return cp1252::ToUtf8(text);
}

namespace {

void SetText(DbValue& out, DbValue::Kind kind, const unsigned char* p, int n) {
  out.kind = kind;
  TextFromEngineInto(p, n, out.s);
}

void SetInt(DbValue& out, DbValue::Kind kind, std::int64_t v) {
  out.kind = kind;
  out.i = v;
}

void SetBlob(DbValue& out, sqlite3_value* value) {
  out.kind = DbValue::Kind::Blob;
  const void* p = sqlite3_value_blob(value);
  const int n = sqlite3_value_bytes(value);
  if (p)
    out.s.assign(static_cast<const char*>(p), static_cast<size_t>(n));
  else
    out.s.clear();
}

}  // namespace

void ColumnValueInto(sqlite3_stmt* st, int col, char letter, DbValue& out) {
  ValueInto(sqlite3_column_value(st, col), letter, out);
}

char ReadingLetter(char letter, int type) {
  // A number with decimals stays one in a whole-number column (the engine keeps a whole number
  // stored there as one): no whole number stands for it.
  if (type == SQLITE_FLOAT && (letter == 'B' || letter == 'I' || letter == 'L')) return 0;
  if (type != SQLITE_TEXT && type != SQLITE_BLOB) return letter == 'D' ? 0 : letter;
  switch (letter) {
    case 'B':
    case 'F':
    case 'I':
    case 'L':
    case 'N': return 0;
    default: return letter;
  }
}

void ValueInto(sqlite3_value* value, char letter, DbValue& out) {
  using K = DbValue::Kind;
  const int type = sqlite3_value_type(value);
  if (type == SQLITE_NULL) {
    out.kind = K::Null;
    return;
  }
  switch (ReadingLetter(letter, type)) {
    case 'A':
    case 'M': {
      const unsigned char* p = sqlite3_value_text(value);
      SetText(out, K::Text, p, sqlite3_value_bytes(value));
      return;
    }
    case 'B': SetInt(out, K::Bool, sqlite3_value_int64(value) != 0 ? 1 : 0); return;
    case 'D': {
      std::int64_t ymd = 0;
      if (type == SQLITE_TEXT && IsoDateText(sqlite3_value_text(value), sqlite3_value_bytes(value), ymd)) {
        SetInt(out, K::Date, ymd);
        return;
      }
      break;  // no date: read as what it is
    }
    case 'F':
      out.kind = K::Double;
      out.d = sqlite3_value_double(value);
      return;
    case 'I': SetInt(out, K::Int16, sqlite3_value_int64(value)); return;
    case 'L': SetInt(out, K::Int32, sqlite3_value_int64(value)); return;
    case 'N': SetInt(out, K::Currency, sqlite3_value_int64(value)); return;
    case 'O': SetBlob(out, value); return;
    default: break;
  }
  switch (type) {
    case SQLITE_INTEGER: SetInt(out, K::Integer, sqlite3_value_int64(value)); return;
    case SQLITE_FLOAT:
      out.kind = K::Double;
      out.d = sqlite3_value_double(value);
      return;
    case SQLITE_BLOB: SetBlob(out, value); return;
    default: {
      const unsigned char* p = sqlite3_value_text(value);
      const int n = sqlite3_value_bytes(value);
      // Computed: only the form the layer writes is a date; a text with a time of day stays a text.
      if (std::int64_t ymd = 0; n == 10 && IsoDateText(p, n, ymd)) {
        SetInt(out, K::Date, ymd);
        return;
      }
      SetText(out, K::Text, p, n);
    }
  }
}

DbValue ColumnValue(sqlite3_stmt* st, int col, char letter) {
  DbValue v;
  ColumnValueInto(st, col, letter, v);
  return v;
}

int BindValue(sqlite3_stmt* st, int param, const DbValue& v) {
  using K = DbValue::Kind;
  switch (v.kind) {
    case K::Null:
    case K::Other: return sqlite3_bind_null(st, param);
    case K::Double: return sqlite3_bind_double(st, param, v.d);
    case K::Date: {
      const std::string iso = IsoDate(v.i);
      return sqlite3_bind_text(st, param, iso.c_str(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
    }
    case K::Text: {
      if (IsAscii(v.s)) return sqlite3_bind_text(st, param, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      const std::string u = cp1252::ToUtf8(v.s);
      return sqlite3_bind_text(st, param, u.data(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
    }
    case K::Blob: return sqlite3_bind_blob(st, param, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
    default: return sqlite3_bind_int64(st, param, v.i);
  }
}
