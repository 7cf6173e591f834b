#pragma once
// The directories of the stops, which the database holds only as the stop rows of the trips
// (`detcor`): the distinct stops with their locality and the trip stops that use each ("Rubrica
// Fermate (normalizzate)"), the stop codes written with more than one description (the same
// report, loaded with the normalisation errors), and the distinct stops under their localities
// ("Rubrica Fermate (Località)"). Stop rows whose locality is not in `local` are in none of them.

#include "reports/Report.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

// The name of the reference locality that stands for no locality: printed as a blank.
extern const char* const kUnassignedLocality;

// A row of StopDirectoryReport.
struct StopDirectoryReportRow {
  std::string code;
  std::string name;
  std::string location;
  std::string locality;  // "name - municipality (province)", a blank for the reference locality
  int count = 1;         // the trip stops of the stop
};

class StopDirectoryReport : public RowsReport<StopDirectoryReportRow> {
 public:
  enum class Content { Stops, NormalisationErrors };

  // The subtitle is read from `db` now, the print time taken now.
  StopDirectoryReport(DbDatabase* db, Content content);

  // Reads the rows of the report's content (a list already there is replaced).
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);
  // Every distinct stop (code, name and location compared exactly) in name, location and code
  // order, with the locality of its first row and its count of rows.
  void LoadStops(DbDatabase* db, WorkProgress* progress = nullptr);
  // Every description (name, location, locality) of each stop code that has more than one, in
  // code order; each row counts 1.
  void LoadNormalisationErrors(DbDatabase* db, WorkProgress* progress = nullptr);

  Content content;

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};

// A row of StopLocalityReport: a locality heading when its code, name and location are all empty.
struct StopLocalityReportRow {
  std::string localityText;  // "municipality (province)", a blank for the reference locality
  std::string localityName;
  std::string code;
  std::string name;
  std::string location;
  bool IsHeading() const { return code.empty() && name.empty() && location.empty(); }
};

class StopLocalityReport : public RowsReport<StopLocalityReportRow> {
 public:
  explicit StopLocalityReport(DbDatabase* db);

  // For each locality in name order, its heading and then its distinct stops in name, location
  // and code order.
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);

 protected:
  // A heading is a black band across the table with the locality's name and text in white.
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};
