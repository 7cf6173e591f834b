#pragma once
// The analysis of the primary stops ("Rubrica Fermate (Analisi Primarie"): for every distinct
// stop (code and name) how the trips mark it: always primary, always optional, never either, or
// mixed. Printed as a directory, optional and mixed stops on grey, or written as a text report.

#include "common/Clock.h"
#include "common/Outcome.h"
#include "reports/Report.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

// A row of PrimaryStopReport.
struct PrimaryStopReportRow {
  std::string code;
  std::string name;
  bool plain = false;     // some row of the stop is neither primary nor optional
  bool primary = false;   // some row is primary
  bool optional = false;  // some row is optional
  // "" (plain only), "PRIMARIA", "FACOLTATIVA" or "MISTA".
  const char* Type() const;
};

class PrimaryStopReport : public RowsReport<PrimaryStopReportRow> {
 public:
  explicit PrimaryStopReport(DbDatabase* db);

  // One row per distinct (code, name), texts compared exactly, in name and code order.
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};

// The text report of the loaded rows (Windows-1252, lines ending in CR LF): the heading with the
// moment `now`, the company line, the database, the column titles, then "name<TAB>code<TAB>type"
// a stop.
std::string PrimaryStopReportText(const PrimaryStopReport& report, const std::string& databasePath,
                                  const ClockTime& now);

// Writes the text report to `path`, whole or not at all: it is written beside it under a name of
// its own and renamed into place, so a file already there keeps its content when the new one
// cannot be written. True when written.
Outcome WritePrimaryStopReport(const PrimaryStopReport& report, const std::string& databasePath,
                               const std::string& path, const ClockTime& now);

// The default name of the text report.
constexpr const char* kPrimaryStopReportName = "FermatePrimarie";
