#include "common/Formatters.h"

#include "common/Numbers.h"

#include <climits>
#include <cstdarg>
#include <cstdio>

std::string Format(const char* format, ...) {
  const CNumericScope c;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

std::string DateRecord::Format() const {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", static_cast<int>(day), static_cast<int>(month),
                static_cast<int>(year));
  return buffer;
}

std::string CountRecord::Format(std::int32_t count) { return std::to_string(count); }

std::string CharactersText(long count) { return std::to_string(count) + (count == 1 ? " carattere" : " caratteri"); }

std::string DecimalComma(std::string text) {
  for (char& c : text)
    if (c == '.') c = ',';
  return text;
}

std::string FormatMetresAsKm(std::int64_t metres) {
  return DecimalComma(FixedDecimals(static_cast<double>(metres) * 0.001, 3));
}

std::string ShortCode5(std::string_view text) { return std::string(text.substr(0, 5)); }

std::string FormatTimeOfDay(int hhmm) {
  if (hhmm < 0) return std::string();
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d:%02d", hhmm / 100, hhmm % 100);
  return buffer;
}

std::string FormatDuration(int minutes) {
  char buffer[48];
  if (minutes >= 60)
    std::snprintf(buffer, sizeof buffer, "%dh %dm", minutes / 60, minutes % 60);
  else
    std::snprintf(buffer, sizeof buffer, "%dm", minutes);
  return buffer;
}

int LeadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

bool ParseEntryTime(std::string_view text, int& hhmm) {
  text = text.substr(0, text.find(' '));
  if (text.size() != 4 && text.size() != 5) return false;
  const size_t hourDigits = text.size() - 3;  // "H.MM" or "HH.MM"
  for (size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    const bool ok = k == hourDigits ? c == '.' || c == ':' || c == ',' || c == '-' : c >= '0' && c <= '9';
    if (!ok) return false;
  }
  const int hours = LeadingInt(text.substr(0, hourDigits));
  const int minutes = LeadingInt(text.substr(hourDigits + 1, 2));
  if (hours > 23 || minutes > 59) return false;
  hhmm = hours * 100 + minutes;
  return true;
}

int ParseTimeText(std::string_view text) {
  // Blanks after the time are no part of it ("8:35 " is 8:35, not 8:05).
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.size() < 4) return 0;
  const bool shortForm = text.size() == 4;  // H.MM, else HH.MM
  const long long hours = LeadingInt(text.substr(0, shortForm ? 1 : 2));
  const long long value = hours * 100 + LeadingInt(text.substr(shortForm ? 2 : 3));
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}
