#pragma once
// The directories of the routes and lines written on the trips (`tescor`): the distinct route
// codes with their quadro and name and the trips that carry each ("Rubrica Percorsi
// (normalizzati)"), the route codes that stand with more than one quadro or name (the same report,
// loaded with the normalisation errors), and the distinct lines with their direction ("Rubrica
// Linee (normalizzate)").

#include "reports/Report.h"

#include <cstdint>
#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

// A row of RouteDirectoryReport.
struct RouteDirectoryReportRow {
  std::string code;
  std::int32_t quadro = 0;  // 0 for none
  std::string name;
  int count = 1;  // the trips
};

class RouteDirectoryReport : public RowsReport<RouteDirectoryReportRow> {
 public:
  enum class Content { Routes, NormalisationErrors };

  RouteDirectoryReport(DbDatabase* db, Content content);

  void Load(DbDatabase* db, WorkProgress* progress = nullptr);
  // Every distinct (code, quadro, name), texts compared exactly, in that order with its trips.
  void LoadRoutes(DbDatabase* db, WorkProgress* progress = nullptr);
  // Every (quadro, name) of each route code that has more than one, in code order; each row 1.
  void LoadNormalisationErrors(DbDatabase* db, WorkProgress* progress = nullptr);

  Content content;

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};

// A row of LineDirectoryReport.
struct LineDirectoryReportRow {
  std::string code;
  char direction = 0;  // 0 for none
  int count = 1;       // the trips
};

class LineDirectoryReport : public RowsReport<LineDirectoryReportRow> {
 public:
  explicit LineDirectoryReport(DbDatabase* db);

  // Every distinct (line code, direction) in that order, with its trips.
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};
