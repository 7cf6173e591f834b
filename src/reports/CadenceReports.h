#pragma once
// The directories of the day types ("Rubrica Cadenze") and of the service calendar ("Rubrica
// Calendario"): their loaders, columns and rows.

#include "reports/Report.h"

#include <string>
#include <vector>

class DbDatabase;

// Every day type of `cadenz`, by code or by name.
class CadenceReport : public Report {
 public:
  struct Row {
    std::string code;
    std::string name;
  };

  // The subtitle is read from `db` now, the print time taken now.
  CadenceReport(DbDatabase* db, bool sortByCode);

  // Reads the rows (a list already there is replaced).
  void Load(DbDatabase* db);
  size_t RowCount() const override { return rows.size(); }

  bool sortByCode;
  std::vector<Row> rows;

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};

// The day types of each date of `calend` (those whose day type is in `cadenz`), every date or a
// range of dates.
class CalendarReport : public Report {
 public:
  struct Row {
    std::string dateLabel;  // the day's abbreviation, a blank and the date
    std::string note;
    std::string cadenceCode;
    std::string cadenceName;
  };

  // `fromDate` and `toDate` are "GG/MM/AAAA" texts, used when `wholeCalendar` is false.
  CalendarReport(DbDatabase* db, bool wholeCalendar, std::string fromDate, std::string toDate);

  void Load(DbDatabase* db);
  size_t RowCount() const override { return rows.size(); }

  bool wholeCalendar;
  std::string fromDate, toDate;
  std::vector<Row> rows;

 protected:
  // The first row of a date opens the date cell (label and note); the further rows of the same
  // date leave it open.
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};
