#include "exchange/OlviFiles.h"

#include <algorithm>
#include <charconv>

const char* const kOlviStopsHeading = "Azienda\tFermata\tDenominazione\tUbicazione";
const char* const kOlviRoutesOpening = "PeRcOrSiVuRoLvI";
const char* const kOlviRoutesClosing = "pErCoRsIvUrOlVi";

namespace {

void AppendNumber(std::string& out, long value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void AppendField(std::string& out, std::string_view text) { (out += '\t') += text; }

// The next field of `rest` up to its tab; the rest moves past the tab (empty at the end).
std::string_view NextField(std::string_view& rest) {
  const size_t tab = rest.find('\t');
  const std::string_view field = rest.substr(0, tab);
  rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
  return field;
}

}  // namespace

void AppendOlviStopLine(std::string& out, int company, std::string_view code, std::string_view name,
                        std::string_view place) {
  AppendNumber(out, company);
  AppendField(out, code);
  AppendField(out, name);
  AppendField(out, place);
}

size_t OlviFieldCount(std::string_view line) {
  return static_cast<size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
}

bool ReadOlviStopLine(std::string_view line, OlviStopLine& out) {
  std::string_view rest = line;
  const std::string_view company = NextField(rest);
  // A company code: one to five digits, nothing else.
  if (company.empty() || company.size() > 5) return false;
  for (const char c : company)
    if (c < '0' || c > '9') return false;
  std::from_chars(company.data(), company.data() + company.size(), out.company);
  out.code = NextField(rest);
  out.name = NextField(rest);
  out.place = NextField(rest);
  return true;
}

void AppendOlviRouteHeadLine(std::string& out, int company, std::string_view code, std::string_view name, long length) {
  out += "<T>\t";
  AppendNumber(out, company);
  AppendField(out, code);
  AppendField(out, name);
  out += '\t';
  AppendNumber(out, length);
  out += "\t</T>";
}

void AppendOlviRouteStopLine(std::string& out, int sub, long distance, std::string_view code, std::string_view name,
                             std::string_view place) {
  out += "<D>\t";
  AppendNumber(out, sub);
  out += '\t';
  AppendNumber(out, distance);
  AppendField(out, code);
  AppendField(out, name);
  AppendField(out, place);
  out += "\t</D>";
}
