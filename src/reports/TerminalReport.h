#pragma once
// The directory of the termini ("Rubrica Capolinea"): every distinct stop at which trips start
// (departure) or end (arrival), with the trips that start or end there, in stop name order.

#include "reports/Report.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

// A row of TerminalReport.
struct TerminalReportRow {
  std::string code;
  std::string name;
  std::string location;
  int kind = 0;   // TerminalReport::kArrival or kDeparture
  int count = 1;  // the trips
};

class TerminalReport : public RowsReport<TerminalReportRow> {
 public:
  enum Kind { kArrival = 0, kDeparture = 1 };

  explicit TerminalReport(DbDatabase* db);

  // The first stop of every trip is a departure terminus; its last stop an arrival terminus,
  // unless its code, name and location are all empty. Rows are distinct (code, name, location,
  // kind), texts compared exactly, sorted by name, location, code (bytes) and kind, arrival first;
  // equal rows keep the order in which they were found.
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};
