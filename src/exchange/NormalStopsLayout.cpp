#include "exchange/NormalStopsLayout.h"

#include <cstdio>

namespace {

bool Digits(std::string_view field, long& value) {
  value = 0;
  if (field.empty() || field.size() > 9) return false;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

}  // namespace

std::string FormatNormalStopLine(long company, std::string_view code, std::string_view name, std::string_view place,
                                 long istat, std::string_view locality) {
  std::string text = std::to_string(company);
  for (std::string_view t : {code, name, place}) (text += '\t') += t;
  char number[32];
  std::snprintf(number, sizeof number, "\t%06ld\t", istat);
  text += number;
  text += locality;
  return text;
}

bool ReadNormalStopLine(std::string_view text, NormalStopLine& line) {
  std::string_view fields[6];
  size_t count = 0;
  while (count < 5) {
    const size_t tab = text.find('\t');
    fields[count++] = text.substr(0, tab);
    if (tab == std::string_view::npos) {
      text = {};
      break;
    }
    text.remove_prefix(tab + 1);
  }
  if (count == 5) fields[5] = text;
  if (!Digits(fields[0], line.company)) return false;
  line.istat = 0;
  if (!fields[4].empty() && !Digits(fields[4], line.istat)) return false;
  line.code = fields[1];
  line.name = fields[2];
  line.place = fields[3];
  line.locality = fields[5];
  return true;
}
