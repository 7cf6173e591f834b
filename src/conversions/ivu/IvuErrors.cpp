#include "conversions/ivu/IvuErrors.h"

#include "common/Formatters.h"
#include "common/TextReportHead.h"
#include "common/WholeFile.h"

namespace ivu {

void IvuErrorList::Add(const std::string& file, long line, const std::string& message) {
  if (!entries_.empty()) {
    const IvuError& last = entries_.back();
    if (last.file == file && last.line == line && last.message == message) return;
  }
  entries_.push_back(IvuError{file, line, message});
}

std::string IvuErrorReportText(const std::string& folder, const IvuErrorList& errors, const ClockTime& now) {
  std::string out = TextReportHead("Report verifica Files IVU-INFOPOOL", {"Cartella: " + folder}, now);
  for (const IvuError& e : errors.Entries()) {
    if (e.file.empty() && e.line < 0)
      out += e.message + "\r\n";
    else
      out += Format("FILE=%s RIGA=%ld - ", e.file.c_str(), e.line) + e.message + "\r\n";
  }
  return out;
}

Outcome WriteIvuErrorReport(const std::string& path, const std::string& folder, const IvuErrorList& errors,
                            const ClockTime& now) {
  return SaveWholeFile(path, IvuErrorReportText(folder, errors, now));
}

}  // namespace ivu
