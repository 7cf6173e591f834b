#pragma once
// The faults of one import, in the order found, and their text report "ERRORI_VURTXT".

#include "common/Clock.h"
#include "common/Outcome.h"
#include "common/RecordList.h"

#include <cstdint>
#include <string>
#include <string_view>

struct ImportError {
  std::int32_t line = 0;    // from 1
  std::int32_t offset = 0;  // 0-based column of the faulty field; -1 for the whole line
  std::string text;
  ImportError(std::int32_t l, std::int32_t o, std::string_view t) : line(l), offset(o), text(t) {}
};

class ImportErrorList : public RecordList<ImportError> {
 public:
  std::string fileName;  // full path of the imported file

  ImportError* Add(std::int32_t line, std::int32_t offset, std::string_view text) {
    return Emplace(line, offset, text);
  }
};

// The report's text, lines ending in CR LF: the framed heading with the moment, the database and
// the file, then one line per fault.
std::string ImportErrorReportText(const ImportErrorList& list, const std::string& databasePath, const ClockTime& now);

// Writes the report to `reportPath` (Windows-1252), whole or not at all: a file already there
// keeps its content when the new one cannot be written. Done when written, else "Impossibile
// creare" and the path (stop icon).
Outcome WriteImportErrorReport(const ImportErrorList& list, const std::string& databasePath,
                               const std::string& reportPath, const ClockTime& now);

// The default name of the report and the filter of its file dialog.
constexpr const char* kImportErrorReportName = "ERRORI_VURTXT";
constexpr const char* kTextFileFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";
