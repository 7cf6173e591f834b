#pragma once
// "Elenco Errori": the rows of the data error check printed as a list of three columns (trip id,
// stop, error text), the text column as wide as the widest error text, or as the page leaves it:
// a text wider than that goes on over further lines of its row. The check itself is the
// engine of checks/; this report runs it, keeps its rows and options, and gives them to the text
// report as well.

#include "checks/CompanyHeading.h"
#include "checks/DataErrorCheck.h"
#include "common/Clock.h"
#include "reports/Report.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

class ErrorListReport : public Report {
 public:
  // The menu mode with the eight options of the dialog (`options.consent` is cleared); the company
  // and the working period are read from `db` now, the print time taken now.
  ErrorListReport(DbDatabase* db, ErrorCheckOptions options);
  // The consent mode: the eight options off.
  explicit ErrorListReport(DbDatabase* db);

  // Runs the check; the rows of an earlier run are replaced. Returns the check's outcome (in the
  // menu mode, the information of a check that found nothing).
  Outcome CheckData(DbDatabase* db, WorkProgress* progress);
  size_t RowCount() const override { return errors.size(); }

  // The text report's default name and text; written whole by WriteErrorReport (checks/).
  std::string DefaultFileName() const;
  std::string ReportText(const std::string& databasePath, const ClockTime& now) const;
  Outcome WriteReport(const std::string& path, const std::string& databasePath, const ClockTime& now) const;

  ErrorCheckOptions options;
  CompanyHeading heading;
  std::vector<ErrorRow> errors;

  // Measured on the widest error text whole, so that the print setup proposes landscape paper
  // for a list whose texts do not fit portrait.
  bool FitsWidth(ReportCanvas& canvas, const PageGeometry& page) override;

 protected:
  // Column 3 is as wide as the widest error text (0 without rows), at most what the page leaves
  // right of the other two; the texts wider than that are broken into lines here.
  int ColumnWidth(ReportCanvas& canvas, size_t column) override;
  // A line of text for every line of the row's error text, and 20 units.
  int RowHeight(size_t n) const override;
  // The running y starts past the page's bottom: the first row opens page 1, and every row whose
  // y before it lies past the bottom opens the next page (no rows, no page).
  void PaginateRows() override;
  // The trip id and the stop ("TESTA" for the trip head) right-aligned, the text at its column,
  // line under line where it was broken.
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;

 private:
  // The lines of the rows whose text is wider than its column, by row (none for the others).
  std::vector<std::vector<std::string>> brokenLines_;
  bool wholeWidths_ = false;  // set while FitsWidth measures
};
