#pragma once
// The contract check ("Rubrica Contratti"): for every granting authority and contract, its trips
// with their real and contractual length and time, their days of operation in the working period
// and the contractual kilometres and time over the period, with totals per line and direction and
// per contract. Every contract begins on a new page; with totals only, the trips take no room.

#include "db/ContractTrips.h"
#include "reports/Report.h"

#include <map>
#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

class ContractReport : public Report {
 public:
  // A row of the report: a trip, or the totals of a line and direction or of a contract.
  struct Entry {
    int ente = 0;
    int contract = 0;
    long trip = -1;  // index in `trips`; -1 for totals
    std::string label;
    double metres = 0;   // totals: contractual metres over every day of operation
    double minutes = 0;  // totals: contractual minutes over every day of operation
  };

  // `tripsAndTotals` false: "Stampa Solo Totali".
  ContractReport(DbDatabase* db, bool tripsAndTotals);

  // Reads the trips and their days of operation, then makes the rows.
  // `progress`, when given, follows the rows read.
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);
  size_t RowCount() const override { return entries.size(); }

  // The text of a trip's contractual time over its days ("%d:%02d", "00:%02d" under an hour) and of
  // a total's ("%ld:%02ld", "00:%1.0lf" under an hour).
  static std::string TripPeriodTime(long minutes);
  static std::string TotalTime(double minutes);

  bool tripsAndTotals;
  std::vector<ContractTrip> trips;
  std::vector<Entry> entries;
  std::map<int, std::string> authorityNames;  // `regent` names of the authorities of the trips

 protected:
  void DropRows() override;
  int RowHeight(size_t n) const override;
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
  bool OpensPage(size_t n) const override;
  int ExtraHeadLines(ReportCanvas* canvas, int page, int y) override;
  bool GridLineBefore(size_t i) const override;

 private:
  void MakeEntries();
};
