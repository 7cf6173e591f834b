#include "exchange/communication/VurTxtLayout.h"

#include <charconv>
#include <cstdio>

namespace vurtxt {

const SectionDef& SectionOf(int section) {
  static const SectionDef kSections[kSectionCount] = {{"FERMATE", "fermate", 7},
                                                      {"ARCHI", "archi", 4},
                                                      {"TESTEITINER", "teste_itiner", 3},
                                                      {"RIGHEITINER", "righe_itiner", 6},
                                                      {"CORSE", "corse", 18},
                                                      {"ORARI", "orari", 8},
                                                      {"GIORNI", "giorni", 3}};
  return kSections[section];
}

void AppendNumber(std::string& out, long value) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, end);
}

namespace {
void AppendTwoDigits(std::string& out, int value) {
  if (value >= 0 && value < 10) out.push_back('0');
  AppendNumber(out, value);
}
}  // namespace

void AppendTime(std::string& out, int hhmm) {
  AppendTwoDigits(out, hhmm / 100);
  out.push_back('.');
  AppendTwoDigits(out, hhmm % 100);
}

void AppendCoordinate(std::string& out, double value) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%1.2f", value);
  if (n > 0) out.append(buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

long LineChecksum(std::string_view line) {
  std::int32_t sum = 0;
  for (char c : line)
    if (c != '\t' && c != '\n') sum += static_cast<std::int8_t>(c);
  return sum;
}

long LeadingNumber(std::string_view field) {
  size_t i = 0;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  long value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    if (value > 100000000000L) break;  // far beyond any number of the file
    value = value * 10 + (field[i] - '0');
  }
  return negative ? -value : value;
}

bool WholeNumber(std::string_view text, long& out) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  if (i == text.size() || text.size() - i > 12) return false;
  for (size_t j = i; j < text.size(); ++j)
    if (text[j] < '0' || text[j] > '9') return false;
  out = LeadingNumber(text);
  return true;
}

int ParseTime(std::string_view field) {
  const long hours = LeadingNumber(field.substr(0, 2));
  const long minutes = field.size() > 3 ? LeadingNumber(field.substr(3)) : 0;
  return static_cast<int>(hours * 100 + minutes);
}

std::string FormatIdRegLine(const IdRegLine& l) {
  const char* const format = "%04d%06ld%06ld%-10s%c%-20s%08ld%04d%04d";
  const char direction = l.direction ? l.direction : ' ';
  const int departure = TimeOrNone(l.departure), arrival = TimeOrNone(l.arrival);
  const int n = std::snprintf(nullptr, 0, format, l.company, l.tripId, l.runNumber, l.lineCode.c_str(), direction,
                              l.routeCode.c_str(), l.length, departure, arrival);
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, l.company, l.tripId, l.runNumber, l.lineCode.c_str(), direction,
                l.routeCode.c_str(), l.length, departure, arrival);
  out.pop_back();
  return out;
}

std::string FormatFmRegLine(int company, const std::string& stopCode, long record, double x, double y) {
  std::string out(static_cast<size_t>(std::snprintf(nullptr, 0, "%04d%-10s%06ld%012.2f%012.2f", company,
                                                    stopCode.c_str(), record, x, y)) +
                      1,
                  '\0');
  std::snprintf(out.data(), out.size(), "%04d%-10s%06ld%012.2f%012.2f", company, stopCode.c_str(), record, x, y);
  out.pop_back();
  return out;
}

}  // namespace vurtxt
