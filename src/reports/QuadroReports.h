#pragma once
// The quadro timetables in print: "Rubrica Corse" (quadri chosen by number) and "Rubrica Quadri
// Linea" (chosen by line code, in the order of line, direction and quadro). A page shows one
// quadro: its stops down the page, its trips across under the four bands that name them (position,
// id, letter of the validity periods, line and direction), and a footer with each trip's
// contractual length and time, days of operation, period totals and the notes of its periods.
// A quadro wider than the page is printed again for each slice of trip columns, and each slice
// runs down as many pages as its stops need; the footer's room is kept free on every page.

#include "reports/CadenceCalendar.h"
#include "reports/Report.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class DbDatabase;

// One trip (a column of its quadro).
struct QuadroTrip {
  long group = 0;
  long id = 0;
  char direction = 0;
  long contractLength = 0;   // metres
  long contractMinutes = 0;  // minutes
  int days = 0;              // days of operation in the reporting period
  // The letter of its validity periods: the same letter for the trips of its quadro with the same
  // periods; '?' past the 62 letters, and then its note gives its own periods.
  char letter = '?';
  std::string code;
  std::string line;
  std::vector<PrintedPeriod> periods;
};

// The times of one trip at one stop (HHMM); a trip without that stop has none.
struct StopCell {
  static constexpr int kAbsent = -32768;
  int arrival = kAbsent;
  int departure = kAbsent;
  bool Present() const { return arrival != kAbsent; }
};

// One stop row of a quadro.
struct QuadroStop {
  int sub = 0;
  std::string code;
  std::string name;
  long distance = 0;  // metres
  bool primary = false, optional = false, notServed = false;
  std::vector<StopCell> cells;  // one per trip of the quadro, in column order
};

// One quadro as printed: its trips (in departure order) and its stop rows (in stop-number order),
// as ranges of the report's vectors.
struct QuadroRange {
  long group = 0;
  size_t firstTrip = 0, tripCount = 0;
  size_t firstRow = 0, rowCount = 0;
};

class QuadroReport : public Report {
 public:
  // Reads the loader's selection, the rows, the letters and the days of operation (lists already
  // there are replaced).
  void Load(DbDatabase* db);
  size_t RowCount() const override { return stops.size(); }

  void Paginate(ReportCanvas& canvas, const PageGeometry& page) override;
  void PrintPage(ReportCanvas& canvas, int page, bool preview) override;

  // The text of a cell: the arrival when both times read the same, the departure when the arrival
  // is no time, the arrival when the departure is none, else "arrival / P: departure". 9999 and
  // any negative time are no time.
  static std::string CellText(const StopCell& cell);
  // The note of a trip's periods: "Si effettua dal ..." / "Esclusa dal ..." joined by "; ".
  static std::string PeriodNote(const QuadroTrip& trip);
  // The letter that follows `n` distinct period sets: 'A'-'Z', 'a'-'z', '0'-'9', then '?'.
  static char PeriodLetter(int n);

  bool includeOptional;
  bool includeNotServed;
  std::string periodStart, periodEnd;  // of the master row, "GG/MM/AAAA"; empty without one

  std::vector<QuadroTrip> trips;
  std::vector<QuadroStop> stops;
  std::vector<QuadroRange> quadri;

  // The layout of the last pagination (device units).
  struct Layout {
    int xSub = 0, wSub = 0, xCode = 0, wCode = 0, xName = 0, wName = 0, xKm = 0, wKm = 0;
    int firstColumn = 0;  // where the trip columns begin
    int columnWidth = 0;  // the inner width of a trip column; each takes 40 more
    int perPage = 1;      // trip columns on a page
  };
  const Layout& PageLayout() const { return layout_; }
  // The quadro and the first trip column of a page; false for a page without any.
  bool PageSlice(int page, size_t& quadro, size_t& firstColumn) const;

 protected:
  QuadroReport(DbDatabase* db, std::string title, bool includeOptional, bool includeNotServed);

  // The selection's own parts: the condition on `tescor` added to both selections (empty for
  // every trip, with ?1, ?2 for its values), and the order of the trips.
  virtual std::string RangeCondition() const = 0;
  virtual std::vector<std::string> RangeValues() const = 0;
  virtual const char* TripOrder() const = 0;

  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;
  void DropRows() override;

 private:
  struct Page {
    size_t quadro;
    size_t firstRow, endRow;
    size_t firstColumn;
  };
  void LoadTrips(DbDatabase* db);
  void LoadStops(DbDatabase* db);
  void AssignLetters();
  void CountDays(DbDatabase* db);

  int Width(ReportCanvas& canvas, const std::string& text);
  // The trip columns of a page of quadro `q` from column `c0`.
  size_t ColumnsOn(const QuadroRange& q, size_t c0) const;
  int ColumnStart(size_t j) const { return layout_.firstColumn + static_cast<int>(j) * (layout_.columnWidth + 40); }
  void Centred(ReportCanvas& canvas, size_t j, int y, const std::string& text);
  // Steps of a page; each draws only when `draw` is set and returns the next y.
  int Head(ReportCanvas& canvas, bool draw, int page, const QuadroRange& q, size_t c0);
  int StopRow(ReportCanvas& canvas, const QuadroStop& row, int y, size_t c0, size_t n);
  int Footer(ReportCanvas& canvas, bool draw, int y, const QuadroRange& q, size_t c0);

  Layout layout_;
  int lineHeight_ = 0;
  int bandTop_ = 0;
  std::vector<Page> pages_;
  std::unordered_map<std::string, int> widths_;
};

// "Rubrica Corse": every quadro, or those from `fromGroup` to `toGroup`.
class TripReport : public QuadroReport {
 public:
  TripReport(DbDatabase* db, bool wholeSelection, long fromGroup, long toGroup, bool includeOptional,
             bool includeNotServed);

  bool wholeSelection;
  long fromGroup, toGroup;

 protected:
  std::string RangeCondition() const override;
  std::vector<std::string> RangeValues() const override;
  const char* TripOrder() const override;
};

// "Rubrica Quadri Linea": every line, or the line codes from `fromLine` to `toLine`.
class LineTimetableReport : public QuadroReport {
 public:
  LineTimetableReport(DbDatabase* db, bool wholeSelection, std::string fromLine, std::string toLine,
                      bool includeOptional, bool includeNotServed);

  bool wholeSelection;
  std::string fromLine, toLine;

 protected:
  std::string RangeCondition() const override;
  std::vector<std::string> RangeValues() const override;
  const char* TripOrder() const override;
};
