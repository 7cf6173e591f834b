#include "exchange/communication/VurTxtLayout.h"

#include "common/Formatters.h"
#include "common/Numbers.h"
#include "exchange/ExchangeText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

void AppendCoordinate(std::string& out, double value) { out += FixedDecimals(value, 2); }

long LineChecksum(std::string_view line) {
  std::int32_t sum = 0;
  for (char c : line)
    if (c != '\t' && c != '\n') sum += static_cast<std::int8_t>(c);
  return sum;
}

bool ReadNumber(std::string_view field, long& out) {
  std::int32_t value = 0;
  const char* end = field.data() + field.size();
  const auto [ptr, ec] = std::from_chars(field.data(), end, value);
  if (ec != std::errc() || ptr != end) return false;
  std::string again;
  AppendNumber(again, value);
  if (again != field) return false;  // "+5", "05", "-0"
  out = value;
  return true;
}

bool ReadTime(std::string_view field, int& hhmm) {
  const auto digit = [&](size_t k) { return field[k] >= '0' && field[k] <= '9'; };
  if (field.size() != 5 || field[2] != '.' || !digit(0) || !digit(1) || !digit(3) || !digit(4)) return false;
  hhmm = (field[0] - '0') * 1000 + (field[1] - '0') * 100 + (field[3] - '0') * 10 + (field[4] - '0');
  return TimeFits(hhmm);
}

bool ReadCoordinate(std::string_view field, double& out) {
  // Digits, one point and two decimals, an optional minus, read with the point whatever the locale.
  // A base an earlier build wrote on an Italian desktop has a decimal comma there instead: the
  // field is read as its point form.
  if (field.size() < 4 || field.size() > 60) return false;
  const size_t point = field.size() - 3;
  std::string text(field);
  if (text[point] == ',') text[point] = '.';
  for (size_t k = text[0] == '-' ? 1 : 0; k < text.size(); ++k)
    if (k == point ? text[k] != '.' : (text[k] < '0' || text[k] > '9')) return false;
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return false;
  std::string again;
  AppendCoordinate(again, value);
  if (again != text) return false;
  out = value;
  return true;
}

const RecordLayout& IdRegLayout() {
  using K = FieldKind;
  static const RecordLayout layout{"RT_IDREG.TXT",
                                   "RT_IDREG",
                                   kIdRegLength,
                                   {{"azienda", "codice azienda", 0, 4, K::Code},
                                    {"id", "ID corsa", 4, 6, K::Number},
                                    {"reglinea", "codice regionale corsa", 10, 6, K::Number},
                                    {"codlinea", "codice linea", 16, 10, K::Text},
                                    {"verso", "verso", 26, 1, K::Char},
                                    {"codperc", "codice percorso", 27, 20, K::Text},
                                    {"lung", "lunghezza", 47, 8, K::Number},
                                    {"parte", "orario di partenza", 55, 4, K::Time},
                                    {"arriva", "orario di arrivo", 59, 4, K::Time}}};
  return layout;
}

namespace {

// printf minimum widths: a value wider than its field widens the line.
void AppendField(std::string& out, IdRegField field, long value) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%0*ld", IdRegLayout().fields[field].width, value);
  out.append(buffer, static_cast<size_t>(n));
}
void AppendField(std::string& out, IdRegField field, const std::string& text) {
  out += text;
  const size_t width = static_cast<size_t>(IdRegLayout().fields[field].width);
  if (text.size() < width) out.append(width - text.size(), ' ');
}

}  // namespace

std::string FormatIdRegLine(const IdRegLine& l) {
  std::string out;
  out.reserve(kIdRegLength);
  AppendField(out, kIdRegCompany, l.company);
  AppendField(out, kIdRegTrip, l.tripId);
  AppendField(out, kIdRegRun, l.runNumber);
  AppendField(out, kIdRegLine, l.lineCode);
  out.push_back(l.direction ? l.direction : ' ');
  AppendField(out, kIdRegRoute, l.routeCode);
  AppendField(out, kIdRegTripLength, l.length);
  AppendField(out, kIdRegDeparture, TimeOrNone(l.departure));
  AppendField(out, kIdRegArrival, TimeOrNone(l.arrival));
  return out;
}

bool ReadIdRegLine(std::string_view text, IdRegLine& l) {
  const RecordLayout& layout = IdRegLayout();
  if (text.size() != static_cast<size_t>(layout.length)) return false;
  const auto bytes = [&](IdRegField f) { return FieldBytes(text, layout.fields[f]); };
  const auto number = [&](IdRegField f, long& value) { return ReadNumber(layout.fields[f], bytes(f), value); };
  long company = 0, departure = 0, arrival = 0;
  if (!number(kIdRegCompany, company) || !number(kIdRegTrip, l.tripId) || !number(kIdRegRun, l.runNumber) ||
      !number(kIdRegTripLength, l.length) || !number(kIdRegDeparture, departure) || !number(kIdRegArrival, arrival))
    return false;
  l.company = static_cast<int>(company);
  l.departure = static_cast<int>(departure);
  l.arrival = static_cast<int>(arrival);
  l.lineCode = std::string(TrimRight(bytes(kIdRegLine)));
  l.direction = bytes(kIdRegDirection)[0];
  l.routeCode = std::string(TrimRight(bytes(kIdRegRoute)));
  return true;
}

std::string FormatFmRegLine(int company, const std::string& stopCode, long record, double x, double y) {
  // "%04d%-10s%06ld%012.2f%012.2f", the coordinates with their point whatever the locale.
  return Format("%04d%-10s%06ld", company, stopCode.c_str(), record) + ZeroPaddedDecimals(x, 12, 2) +
         ZeroPaddedDecimals(y, 12, 2);
}

}  // namespace vurtxt
