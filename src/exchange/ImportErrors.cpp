#include "exchange/ImportErrors.h"

#include "common/TextReportHead.h"
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
  std::string out =
      TextReportHead("Report Errori VurTxt V1 (Quendo)", {"Database: " + databasePath, "File: " + list.fileName}, now);
  for (const ImportError& e : list) {
    if (e.offset == -1)
      out += Printf("Riga %ld: ", static_cast<long>(e.line)) + e.text + "\r\n";
    else
      out += Printf("Riga %ld offset %d: ", static_cast<long>(e.line), e.offset) + e.text + "\r\n";
  }
  return out;
}

Outcome WriteImportErrorReport(const ImportErrorList& list, const std::string& databasePath,
                               const std::string& reportPath, const ClockTime& now) {
  return SaveWholeFile(reportPath, ImportErrorReportText(list, databasePath, now), NoticeIcon::Stop);
}
