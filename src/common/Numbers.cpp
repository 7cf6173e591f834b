#include "common/Numbers.h"

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

void SetCNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

std::string FixedDecimals(double value, int decimals) {
  char buffer[400];  // the largest double has 309 digits before the point
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error == std::errc()) return std::string(buffer, end);
  const CNumericScope c;  // more decimals than the buffer holds
  std::string text(static_cast<size_t>(std::snprintf(nullptr, 0, "%.*f", decimals, value)), '\0');
  std::snprintf(text.data(), text.size() + 1, "%.*f", decimals, value);
  return text;
}

std::string ZeroPaddedDecimals(double value, int width, int decimals) {
  std::string text = FixedDecimals(value, decimals);
  const size_t wide = width > 0 ? static_cast<size_t>(width) : 0;
  if (text.size() >= wide) return text;
  if (!std::isfinite(value)) return std::string(wide - text.size(), ' ') + text;
  text.insert(text.front() == '-' ? 1 : 0, wide - text.size(), '0');
  return text;
}

double CDecimalValue(const char* text, char** end) { return strtod_l(text, end, CLocale()); }

CNumericScope::CNumericScope() : previous_(uselocale(CLocale())) {}

CNumericScope::~CNumericScope() { uselocale(static_cast<locale_t>(previous_)); }
