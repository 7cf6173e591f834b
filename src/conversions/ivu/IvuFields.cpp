#include "conversions/ivu/IvuFields.h"

#include "common/Numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace ivu {

namespace {

constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The leading digits of a text as a number (0 without any).
int LeadingNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The parts of a time between its separators, in order; false at any other character, at a
// separator out of its place or count, or at a part of more than 15 digits.
bool ScanParts(std::string_view text, std::string_view separators, std::int64_t* parts, size_t partCount) {
  size_t part = 0, digits = 0;
  for (size_t k = 0; k < partCount; ++k) parts[k] = 0;
  for (char c : text) {
    if (IsDigit(c)) {
      if (++digits > 15) return false;
      parts[part] = parts[part] * 10 + (c - '0');
    } else if (part < separators.size() && c == separators[part]) {
      ++part;
      digits = 0;
    } else {
      return false;
    }
  }
  return part == separators.size();
}

bool AllBlank(std::string_view text) {
  for (char c : text)
    if (!IsBlank(c)) return false;
  return true;
}

}  // namespace

std::string_view TrimField(std::string_view field) {
  while (!field.empty() && IsBlank(field.front())) field.remove_prefix(1);
  while (!field.empty() && IsBlank(field.back())) field.remove_suffix(1);
  return field;
}

bool SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  size_t start = 0;
  for (size_t k = 0; k < line.size(); ++k) {
    if (line[k] != kIvuSeparator) continue;
    const std::string_view field = line.substr(start, k - start);
    if (field.size() > kMaxField) return false;
    fields.push_back(TrimField(field));
    start = k + 1;
  }
  // Text after the last '#' is a field that lost its separator: whatever it held would be lost.
  return TrimField(line.substr(start)).empty();
}

bool ReadIvuNumber(std::string_view field, size_t width, std::int32_t& value) {
  value = 0;
  if (field.size() > width) return false;
  if (field.empty()) return true;
  size_t k = 0;
  bool negative = false;
  if (field[k] == '-' || field[k] == '+') negative = field[k++] == '-';
  // The whole field is the number: a sign alone, or any byte that is no digit, is none.
  if (k == field.size()) return false;
  std::int64_t v = 0;
  for (; k < field.size(); ++k) {
    if (!IsDigit(field[k])) return false;
    v = v * 10 + (field[k] - '0');
    if (v > kMax32 + 1) return false;  // no number of 32 bits has more digits
  }
  if (negative) v = -v;
  if (v > kMax32 || v < -kMax32 - 1) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

bool ParseIvuDuration(std::string_view text, std::int32_t& seconds) {
  seconds = 0;
  if (AllBlank(text)) return true;
  std::int64_t parts[2];
  if (!ScanParts(text, ":", parts, 2)) return false;
  const std::int64_t total = parts[0] * 60 + parts[1];  // at most 15 digits each: no overflow
  if (total > kMax32) return false;
  seconds = static_cast<std::int32_t>(total);
  return true;
}

bool ParseIvuTimeOfDay(std::string_view text, std::int32_t& seconds) {
  seconds = 0;
  if (AllBlank(text)) return true;
  std::int64_t parts[3];
  if (!ScanParts(text, ".:", parts, 3)) return false;
  // Each part below 10^15: the hours alone may overflow 64 bits once multiplied, so bound first.
  if (parts[0] > kMax32 || parts[1] > kMax32 || parts[2] > kMax32) return false;
  const std::int64_t total = (parts[0] * 60 + parts[1]) * 60 + parts[2];
  if (total > kMax32) return false;
  seconds = static_cast<std::int32_t>(total);
  return true;
}

void SplitDateText(std::string_view text, int& day, int& month, int& year) {
  day = LeadingNumber(text.substr(0, 2));
  month = text.size() > 3 ? LeadingNumber(text.substr(3, 2)) : 0;
  year = text.size() > 6 ? LeadingNumber(text.substr(6, 4)) : 0;
}

}  // namespace ivu

namespace ivu {

std::string JoinIvuFields(std::initializer_list<std::string_view> fields) {
  std::string row;
  for (std::string_view f : fields) {
    for (char c : f) row += c == kIvuSeparator ? ' ' : c;
    row += kIvuSeparator;
  }
  return row;
}

std::string FormatIvuTimeOfDay(int hhmm) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d:00", hhmm / 100, hhmm % 100);
  return text;
}

std::string FormatIvuDuration(int minutes) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:00", minutes);
  return text;
}

std::string FormatIvuCoordinate(double value) {
  if (!std::isfinite(value)) return "0";
  double whole = std::round(value);  // halves away from zero whatever the rounding mode
  if (whole == 0) whole = 0;         // never "-0", in any rounding mode
  return FixedDecimals(whole, 0);
}

}  // namespace ivu
