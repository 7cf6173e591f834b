#pragma once
// The directory of the trip chains ("Rubrica Concatenazioni Corse"): every trip with a previous
// or a next trip, chain by chain in running order, with its first stop and departure and its last
// stop and arrival.

#include "reports/Report.h"

#include <cstdint>
#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

// A row of TripChainReport.
struct TripChainReportRow {
  std::int32_t previousTrip = -1;  // -1 for none
  std::int32_t id = 0;
  std::int32_t nextTrip = -1;  // -1 for none: the trip ends its chain
  std::string tripCode;
  std::string start;  // "name (h.mm)" of the first stop and its departure, empty without stops
  std::string end;    // the same of the last stop and its arrival
};

class TripChainReport : public RowsReport<TripChainReportRow> {
 public:
  explicit TripChainReport(DbDatabase* db);

  // Reads the chained trips and their stops and puts them in running order: each trip without a
  // previous trip heads a chain (in trip id order) followed by the trips its next links reach,
  // until a link leads to no trip of the list or to one already placed; then every trip no chain
  // reached, in id order. Every trip is placed once.
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);

 protected:
  // No line above a row; a line under the last trip of a chain.
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};
