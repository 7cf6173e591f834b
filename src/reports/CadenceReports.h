#pragma once
// The directories of the day types ("Rubrica Cadenze") and of the service calendar ("Rubrica
// Calendario"): their loaders, columns and rows.

#include "reports/Report.h"

#include <string>
#include <vector>

class DbDatabase;

// A row of CadenceReport.
struct CadenceReportRow {
  std::string code;
  std::string name;
};

// Every day type of `cadenz`, by code or by name.
class CadenceReport : public RowsReport<CadenceReportRow> {
 public:
  // The subtitle is read from `db` now, the print time taken now.
  CadenceReport(DbDatabase* db, bool sortByCode);

  // Reads the rows (a list already there is replaced).
  void Load(DbDatabase* db);

  bool sortByCode;

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};

// A row of CalendarReport.
struct CalendarReportRow {
  std::string dateLabel;  // the day's abbreviation, a blank and the date
  std::string note;
  std::string cadenceCode;
  std::string cadenceName;
};

// The day types of each date of `calend` (those whose day type is in `cadenz`), every date or a
// range of dates.
class CalendarReport : public RowsReport<CalendarReportRow> {
 public:
  // `fromDate` and `toDate` are "GG/MM/AAAA" texts, used when `wholeCalendar` is false.
  CalendarReport(DbDatabase* db, bool wholeCalendar, std::string fromDate, std::string toDate);

  void Load(DbDatabase* db);

  bool wholeCalendar;
  std::string fromDate, toDate;

 protected:
  // The first row of a date opens the date cell (label and note); the further rows of the same
  // date leave it open.
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
};
