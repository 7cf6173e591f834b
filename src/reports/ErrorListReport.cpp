#include "reports/ErrorListReport.h"

#include "checks/ErrorReportFile.h"
#include "db/DbDatabase.h"
#include "reports/ReportCanvas.h"

#include <algorithm>
#include <utility>

namespace {

// Rows measured between two calls of the engine's progress hook (the busy clock).
constexpr size_t kRowsPerPump = 4096;

}  // namespace

ErrorListReport::ErrorListReport(DbDatabase* db, ErrorCheckOptions o)
    : Report("Elenco Errori"), options(o), heading(ReadCompanyHeading(db, true)) {
  options.consent = false;
  subtitle = heading.Subtitle();
  columns_ = {{"ID Corsa", "ID Corsa"}, {"Sub Fermata", "Sub Fermata"}, {"", "Errore"}};
}

ErrorListReport::ErrorListReport(DbDatabase* db) : ErrorListReport(db, ErrorCheckOptions::Consent()) {
  options = ErrorCheckOptions::Consent();
}

Outcome ErrorListReport::CheckData(DbDatabase* db, WorkProgress* progress) {
  errors.clear();
  // The working period compared with the periods, and the company's name: read as values of their
  // kinds, or the check stops.
  if (heading.fault.position >= 0)
    return RefusedErrorCheck(heading.faultRow, heading.faultTable, heading.fault, options);
  ErrorCheckResult result = RunErrorCheck(db, options, heading.periodStart, heading.periodEnd, progress);
  errors = std::move(result.rows);
  return std::move(static_cast<Outcome&>(result));
}

std::string ErrorListReport::DefaultFileName() const { return ErrorReportDefaultName(heading.FileTag()); }

std::string ErrorListReport::ReportText(const std::string& databasePath, const ClockTime& now) const {
  return ErrorReportText(errors, options, subtitle, databasePath, now);
}

Outcome ErrorListReport::WriteReport(const std::string& path, const std::string& databasePath,
                                     const ClockTime& now) const {
  return WriteErrorReport(path, errors, options, subtitle, databasePath, now);
}

bool ErrorListReport::FitsWidth(ReportCanvas& canvas, const PageGeometry& page) {
  wholeWidths_ = true;
  const bool fits = Report::FitsWidth(canvas, page);
  wholeWidths_ = false;
  return fits;
}

int ErrorListReport::ColumnWidth(ReportCanvas& canvas, size_t column) {
  if (column != 2) return Report::ColumnWidth(canvas, column);
  brokenLines_.clear();
  std::vector<int> widths(errors.size());
  int widest = 0;
  for (size_t n = 0; n < errors.size(); ++n) {
    widths[n] = canvas.TextWidth(errors[n].text);
    widest = std::max(widest, widths[n]);
    if (n % kRowsPerPump == kRowsPerPump - 1) EngineProgress();
  }
  // What the page leaves right of the first two columns: their margins and gaps (20 + 40 + 40)
  // and the 20 units past the last column.
  const int room = std::max(PrintableWidth() - W(0) - W(1) - 120, canvas.TextWidth("W"));
  if (wholeWidths_ || widest <= room) return widest;
  brokenLines_.resize(errors.size());
  for (size_t n = 0; n < errors.size(); ++n)
    if (widths[n] > room) brokenLines_[n] = WrapText(canvas, errors[n].text, room);
  return room;
}

int ErrorListReport::RowHeight(size_t n) const {
  const size_t lines = n < brokenLines_.size() ? std::max<size_t>(brokenLines_[n].size(), 1) : 1;
  return static_cast<int>(lines) * LineHeight() + 20;
}

void ErrorListReport::PaginateRows() {
  ClearPages();
  int page = 0;
  int y = 0;
  // The first row opens page 1; a row whose bottom would pass the foot opens the next page.
  for (size_t n = 0; n < errors.size(); ++n) {
    if (page == 0 || (y > FirstRowY() && y + RowHeight(n) > Bottom())) {
      SetPageEntry(++page, static_cast<long>(n));
      y = FirstRowY();
    }
    y += RowHeight(n);
    if (n % kRowsPerPump == kRowsPerPump - 1) EngineProgress();
  }
}

int ErrorListReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const ErrorRow& row = errors[n];
  RowLine(canvas, X(0) - 20, y);
  canvas.RightText(X(0) + W(0), y + 10, std::to_string(row.tripId));
  canvas.RightText(X(1) + W(1), y + 10, row.sub < 0 ? std::string("TESTA") : std::to_string(row.sub));
  if (n < brokenLines_.size() && !brokenLines_[n].empty()) {
    int lineY = y + 10;
    for (const std::string& line : brokenLines_[n]) {
      canvas.Text(X(2), lineY, line);
      lineY += LineHeight();
    }
  } else {
    canvas.Text(X(2), y + 10, row.text);
  }
  return y + RowHeight(n);
}
