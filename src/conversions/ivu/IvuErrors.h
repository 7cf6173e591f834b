#pragma once
// The faults found in an IVU-InfoPool file set, gathered in the order they are found: lines
// refused by their readers, companies, stops and routes that cannot be found, the version, and
// values that the region's files could not carry. A set with any fault is not converted; the
// faults go to the text report ERRORI_IVU.

#include "common/Clock.h"
#include "common/Outcome.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ivu {

struct IvuError {
  std::string file;  // the short file name ("halteste", "LD12"), or empty
  long line = 0;     // 1-based line of the file; 0 for the version; -1 for a resolution fault
  std::string message;
};

class IvuErrorList {
 public:
  // Appends the fault unless it repeats the last one exactly (only the last is compared).
  void Add(const std::string& file, long line, const std::string& message);
  const std::vector<IvuError>& Entries() const { return entries_; }
  bool Empty() const { return entries_.empty(); }

 private:
  std::vector<IvuError> entries_;
};

// The whole text of ERRORI_IVU (lines ending in CR LF): the framed heading with the moment and
// the source folder, then one line per fault.
std::string IvuErrorReportText(const std::string& folder, const IvuErrorList& errors, const ClockTime& now);

// Writes the report whole or not at all; not done when it could not be written ("Impossibile
// creare" and the path).
Outcome WriteIvuErrorReport(const std::string& path, const std::string& folder, const IvuErrorList& errors,
                            const ClockTime& now);

constexpr const char* kIvuReportCaption = "Report Errori Riscontrati";
constexpr const char* kIvuReportName = "ERRORI_IVU";

}  // namespace ivu
