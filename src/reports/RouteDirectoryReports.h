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

class RouteDirectoryReport : public Report {
 public:
  enum class Content { Routes, NormalisationErrors };
  struct Row {
    std::string code;
    std::int32_t quadro = 0;  // 0 for none
    std::string name;
    int count = 1;  // the trips
  };

  RouteDirectoryReport(DbDatabase* db, Content content);

  void Load(DbDatabase* db, WorkProgress* progress = nullptr);
  // Every distinct (code, quadro, name), texts compared exactly, in that order with its trips.
  void LoadRoutes(DbDatabase* db, WorkProgress* progress = nullptr);
  // Every (quadro, name) of each route code that has more than one, in code order; each row 1.
  void LoadNormalisationErrors(DbDatabase* db, WorkProgress* progress = nullptr);
  size_t RowCount() const override { return rows.size(); }

  Content content;
  std::vector<Row> rows;

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};

class LineDirectoryReport : public Report {
 public:
  struct Row {
    std::string code;
    char direction = 0;  // 0 for none
    int count = 1;       // the trips
  };

  explicit LineDirectoryReport(DbDatabase* db);

  // Every distinct (line code, direction) in that order, with its trips.
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);
  size_t RowCount() const override { return rows.size(); }

  std::vector<Row> rows;

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};
