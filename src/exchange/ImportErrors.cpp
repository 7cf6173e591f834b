#include "exchange/ImportErrors.h"

#include "common/WholeFile.h"

#include <cstdio>

namespace {

std::string Printf(const char* format, auto... args) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
}

}  // namespace

std::string ImportErrorReportText(const ImportErrorList& list, const std::string& databasePath, const ClockTime& now) {
  const std::string frame(72, '=');
  std::string out;
  out += frame + "\r\n";
  out += Printf("%02d/%02d/%04d %02d.%02d Report Errori VurTxt V1 (Quendo)", now.day, now.month, now.year, now.hour,
                now.minute) +
         "\r\n";
  out += "Database: " + databasePath + "\r\n";
  out += "File: " + list.fileName + "\r\n";
  out += frame + "\r\n\r\n";
  for (const ImportError& e : list) {
    if (e.offset == -1)
      out += Printf("Riga %ld: ", static_cast<long>(e.line)) + e.text + "\r\n";
    else
      out += Printf("Riga %ld offset %d: ", static_cast<long>(e.line), e.offset) + e.text + "\r\n";
  }
  return out;
}

bool WriteImportErrorReport(const ImportErrorList& list, const std::string& databasePath, const std::string& reportPath,
                            const ClockTime& now) {
  return WriteWholeFile(reportPath, ImportErrorReportText(list, databasePath, now));
}
