#include "common/TextReportHead.h"

#include "common/Formatters.h"

std::string TextReportHead(const std::string& title, std::initializer_list<std::string> lines, const ClockTime& now) {
  const std::string rule(72, '=');
  std::string out = rule + "\r\n";
  out += Format("%02d/%02d/%04d %02d.%02d ", now.day, now.month, now.year, now.hour, now.minute) + title + "\r\n";
  for (const std::string& line : lines) out += line + "\r\n";
  return out + rule + "\r\n\r\n";
}
