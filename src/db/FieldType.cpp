#include "db/FieldType.h"

#include "common/Numbers.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k)
    if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k]))) return false;
  return true;
}

// Decimal number with an optional sign and one decimal separator (',' or '.'); returns the
// integer part digits and fraction digits separately so that currency keeps its exactness.
bool SplitDecimal(std::string_view s, bool& negative, std::string& whole, std::string& frac) {
  negative = false;
  whole.clear();
  frac.clear();
  if (s.empty()) return false;
  size_t k = 0;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    k = 1;
  }
  bool seenSep = false;
  for (; k < s.size(); ++k) {
    const char c = s[k];
    if (c >= '0' && c <= '9') {
      (seenSep ? frac : whole).push_back(c);
    } else if ((c == ',' || c == '.') && !seenSep) {
      seenSep = true;
    } else {
      return false;
    }
  }
  return !(whole.empty() && frac.empty());
}

bool ParseInteger(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& out, std::string& error) {
  bool negative = false;
  std::string whole, frac;
  if (!SplitDecimal(Trim(text), negative, whole, frac)) {
    error = "Il valore non è un numero intero valido";
    return false;
  }
  // A fractional part is rounded to the nearest integer, halves to the even one.
  long double v = 0;
  for (char c : whole) v = v * 10 + (c - '0');
  long double f = 0, scale = 1;
  for (char c : frac) {
    scale /= 10;
    f += (c - '0') * scale;
  }
  long double r = std::floor(v);
  if (f > 0.5L || (f == 0.5L && std::fmod(r, 2.0L) != 0)) r += 1;
  if (negative) r = -r;
  if (r < static_cast<long double>(min) || r > static_cast<long double>(max)) {
    error = "Il valore è fuori dell'intervallo ammesso dal campo (da " + std::to_string(min) + " a " +
            std::to_string(max) + ")";
    return false;
  }
  out = static_cast<std::int64_t>(r);
  return true;
}

}  // namespace

bool IsFieldTypeLetter(char letter) {
  switch (letter) {
    case 'A':
    case 'B':
    case 'D':
    case 'F':
    case 'I':
    case 'L':
    case 'M':
    case 'N':
    case 'O': return true;
    default: return false;
  }
}

std::string SqlDeclaredType(FieldType type) {
  switch (type.letter) {
    case 'A': return "VARCHAR(" + std::to_string(type.size) + ")";
    case 'B': return "BOOLEAN";
    case 'D': return "DATE";
    case 'F': return "DOUBLE";
    case 'I': return "SMALLINT";
    case 'L': return "INT";  // not INTEGER: a one-field primary key would become the row id
    case 'M': return "LONGTEXT";
    case 'N': return "CURRENCY";
    case 'O': return "BLOB";
    default: return {};
  }
}

FieldType FieldTypeFromDeclared(std::string_view declared) {
  FieldType t;
  declared = Trim(declared);
  if (declared.size() > 8 && EqualsNoCase(declared.substr(0, 8), "VARCHAR(") && declared.back() == ')') {
    t.letter = 'A';
    t.size = std::atoi(std::string(declared.substr(8, declared.size() - 9)).c_str());
    return t;
  }
  static const struct {
    const char* name;
    char letter;
  } kNames[] = {{"BOOLEAN", 'B'},  {"DATE", 'D'},     {"DOUBLE", 'F'}, {"SMALLINT", 'I'}, {"INT", 'L'},
                {"LONGTEXT", 'M'}, {"CURRENCY", 'N'}, {"BLOB", 'O'},   {"VARCHAR", 'A'}};
  for (const auto& n : kNames) {
    if (EqualsNoCase(declared, n.name)) {
      t.letter = n.letter;
      if (t.letter == 'A') t.size = 255;
      return t;
    }
  }
  return t;
}

DbValue::Kind ValueKindOf(char letter) {
  switch (letter) {
    case 'A':
    case 'M': return DbValue::Kind::Text;
    case 'B': return DbValue::Kind::Bool;
    case 'D': return DbValue::Kind::Date;
    case 'F': return DbValue::Kind::Double;
    case 'I': return DbValue::Kind::Int16;
    case 'L': return DbValue::Kind::Int32;
    case 'N': return DbValue::Kind::Currency;
    case 'O': return DbValue::Kind::Blob;
    default: return DbValue::Kind::Other;
  }
}

bool ParseFieldText(FieldType type, std::string_view text, DbValue& out, std::string& error) {
  out = DbValue::Null();
  if (text.empty()) return true;
  switch (type.letter) {
    case 'A':
      if (type.size > 0 && text.size() > static_cast<size_t>(type.size)) {
        error = "Il testo è troppo lungo per il campo (" + std::to_string(text.size()) + " caratteri, massimo " +
                std::to_string(type.size) + ")";
        return false;
      }
      out = DbValue::Str(DbValue::Kind::Text, std::string(text));
      return true;
    case 'M': out = DbValue::Str(DbValue::Kind::Text, std::string(text)); return true;
    case 'O': out = DbValue::Str(DbValue::Kind::Blob, std::string(text)); return true;
    case 'I': {
      std::int64_t v = 0;
      if (!ParseInteger(text, -32768, 32767, v, error)) return false;
      out = DbValue::Int(DbValue::Kind::Int16, v);
      return true;
    }
    case 'L': {
      std::int64_t v = 0;
      if (!ParseInteger(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), v,
                        error))
        return false;
      out = DbValue::Int(DbValue::Kind::Int32, v);
      return true;
    }
    case 'B': {
      const std::string_view t = Trim(text);
      static const char* const kTrue[] = {"true", "vero", "s\xEC", "si", "yes", "on"};
      static const char* const kFalse[] = {"false", "falso", "no", "off"};
      for (const char* w : kTrue)
        if (EqualsNoCase(t, w)) {
          out = DbValue::Int(DbValue::Kind::Bool, 1);
          return true;
        }
      for (const char* w : kFalse)
        if (EqualsNoCase(t, w)) {
          out = DbValue::Int(DbValue::Kind::Bool, 0);
          return true;
        }
      std::int64_t v = 0;
      std::string ignored;
      if (!ParseInteger(t, std::numeric_limits<std::int64_t>::min() / 2, std::numeric_limits<std::int64_t>::max() / 2,
                        v, ignored)) {
        error = "Il valore non è un valore Sì/No valido";
        return false;
      }
      out = DbValue::Int(DbValue::Kind::Bool, v != 0 ? 1 : 0);
      return true;
    }
    case 'D': {
      int y = 0, m = 0, d = 0;
      if (!ParseDateText(Trim(text), y, m, d)) {
        error = "Il valore non è una data valida (GG/MM/AAAA)";
        return false;
      }
      out = DbValue::DateYmd(y, m, d);
      return true;
    }
    case 'F': {
      bool negative = false;
      std::string whole, frac;
      if (!SplitDecimal(Trim(text), negative, whole, frac)) {
        error = "Il valore non è un numero valido";
        return false;
      }
      std::string c = (negative ? "-" : "") + (whole.empty() ? "0" : whole) + "." + (frac.empty() ? "0" : frac);
      const double v = CDecimalValue(c.c_str());
      if (!std::isfinite(v)) {
        error = "Il valore è fuori dell'intervallo ammesso dal campo";
        return false;
      }
      out = DbValue::Real(v);
      return true;
    }
    case 'N': {
      bool negative = false;
      std::string whole, frac;
      if (!SplitDecimal(Trim(text), negative, whole, frac)) {
        error = "Il valore non è un importo valido";
        return false;
      }
      while (!whole.empty() && whole.front() == '0') whole.erase(whole.begin());
      if (whole.size() > 15) {
        error = "Il valore è fuori dell'intervallo ammesso dal campo";
        return false;
      }
      // Counted in ten-thousandths without overflow: 15 digits and 4 decimals fit 64 bits only up
      // to the engine's largest amount, 922337203685477,5807 (and -922337203685477,5808).
      unsigned __int128 v = 0;
      for (char ch : whole) v = v * 10 + static_cast<unsigned>(ch - '0');
      unsigned f = 0;
      for (int k = 0; k < 4; ++k)
        f = f * 10 + (k < static_cast<int>(frac.size()) ? static_cast<unsigned>(frac[k] - '0') : 0);
      // Rounds the fifth decimal and beyond, half away from zero.
      if (frac.size() > 4 && frac[4] >= '5') f += 1;
      v = v * 10000 + f;
      const unsigned __int128 limit =
          negative ? static_cast<unsigned __int128>(INT64_MAX) + 1 : static_cast<unsigned __int128>(INT64_MAX);
      if (v > limit) {
        error = "Il valore è fuori dell'intervallo ammesso dal campo";
        return false;
      }
      const std::int64_t amount =
          negative ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v)) : static_cast<std::int64_t>(v);
      out = DbValue::Int(DbValue::Kind::Currency, amount);
      return true;
    }
    default: error = "Tipo di campo sconosciuto"; return false;
  }
}

std::string SqlIndexName(std::string_view table, std::string_view index) {
  return std::string(table) + "__" + std::string(index);
}
