#pragma once
// The base of every printed report: its title, print time and company subtitle, the geometry of
// the page, the page table, and the one layout that every report draws: the page head (program
// heading, page number, subtitle, print time), the grey band of column titles, the rows with their
// lines, and the grid. A derived report gives its columns and draws its rows; its rows live in a
// vector, so a page is drawn from its first row by index, whatever the length of the report.

#include "checks/CompanyHeading.h"
#include "common/Clock.h"
#include "db/DbSelect.h"
#include "db/StoredValueRefusal.h"

#include <cstddef>
#include <string>
#include <vector>

class DbDatabase;
class ReportCanvas;

// The page of a run in device units: the physical size and the four margins.
struct PageGeometry {
  int width = 0;
  int height = 0;
  int marginTop = 50;
  int marginBottom = 50;
  int marginLeft = 50;
  int marginRight = 50;
};

// One column of the table: the template its width is measured on, its title in the band (empty
// for none), and whether it shares its cell with the column before (no grid line between them,
// 10 units apart instead of 40). Position and width are set by the pagination.
struct ReportColumn {
  std::string templateText;
  std::string title;
  bool sharesCell = false;
  int x = 0;
  int width = 0;
};

// A value read that its column cannot hold as its kind, with the row the user knows it by and the
// table of its field (none: no fault).
struct RowFault {
  DbSelect::ValueFault value;
  std::string row;
  const char* table = nullptr;
  bool Any() const { return table != nullptr; }
};

class Report {
 public:
  // `fontTenths`: the font size in tenths of a point (80 for most reports).
  explicit Report(std::string title, int fontTenths = 80);
  virtual ~Report();
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  const std::string& Title() const { return title_; }
  virtual size_t RowCount() const = 0;

  // The loading stopped at the first value it read that its column cannot hold as its kind (a text
  // in a number column, bytes in a text column, a text that is no date in a date column): the
  // report has no rows. A report whose company line (ReadSubtitle) held such a value is faulted
  // from its making and is not loaded.
  bool LoadFaulted() const { return !faultRow_.empty(); }
  // The message that stops the command at it: "ATTENZIONE: <row>:\n<the fault in words>\n\n" and
  // what was not done (the report, or its text file).
  std::string LoadFaultMessage(Undone undone) const;

  // Measures the layout on the canvas of the run and fills the page table.
  virtual void Paginate(ReportCanvas& canvas, const PageGeometry& page);
  // Draws page `page` (from 1) of the last pagination.
  virtual void PrintPage(ReportCanvas& canvas, int page, bool preview);
  // Whether the table, its columns measured on `canvas` and placed as a pagination on `page`
  // places them, ends within the printable width (its right-hand line at most at the right
  // margin): the print setup proposes landscape paper for a report that does not fit portrait.
  // The page table is emptied; a run paginates afterwards.
  virtual bool FitsWidth(ReportCanvas& canvas, const PageGeometry& page);
  int PageCount() const { return static_cast<int>(firstRows_.size()); }

  // The page table: the index of the first row of each page (from 1), and a second value per
  // page for the reports that need one. Pages without an entry read -1.
  void SetPageEntry(int page, long row);
  long GetPageEntry(int page) const;
  void SetPageAux(int page, long value);
  long GetPageAux(int page) const;

  // Shown on every page: the company line and the moment the report was made.
  std::string subtitle = "Azienda Non Definita";
  ClockTime printTime;

  // The layout of the last pagination (device units).
  int Left() const { return left_; }
  int Top() const { return top_; }
  int PrintableWidth() const { return printableWidth_; }
  int PrintableHeight() const { return printableHeight_; }
  int LineHeight() const { return lineHeight_; }
  const std::vector<ReportColumn>& Columns() const { return columns_; }

 protected:
  // The columns in order; set by the derived constructor.
  std::vector<ReportColumn> columns_;

  // Keeps `fault`, read on the row the user knows as `row` ("fermata 3 della corsa 17") from a
  // field of `table`, as the loading's fault (the first one only), and drops the rows made.
  void KeepFault(const DbSelect::ValueFault& fault, const std::string& row, const char* table);
  void KeepFault(const RowFault& fault) { KeepFault(fault.value, fault.row, fault.table); }
  // Empties the rows made so far.
  virtual void DropRows() {}
  // Reads `subtitle` from the master row and the company's name in `regazi`; a value there that
  // its column cannot hold as its kind is kept as the loading's fault. Returns what it read.
  CompanyHeading ReadSubtitle(DbDatabase* db);

  // The height of row n (the default: a line of text and 20 units).
  virtual int RowHeight(size_t /*n*/) const { return lineHeight_ + 20; }
  // Draws row n at y; returns the y of the next row.
  virtual int DrawRow(ReportCanvas& canvas, size_t n, int y) = 0;
  // The width of a column on the run's canvas (the default: its template's width).
  virtual int ColumnWidth(ReportCanvas& canvas, size_t column);
  // Places the rows on pages (the page table) once the columns and the page head are measured.
  // The default: page 1 begins at row 0 (a report without rows has one empty page), and a row
  // opens the next page when its bottom would lie past the printable area.
  virtual void PaginateRows();
  // For a pagination of its own: the y of the first row of every page, the bottom of the
  // printable area, and the page table emptied.
  int FirstRowY() const { return firstRowY_; }
  int Bottom() const { return top_ + printableHeight_; }
  void ClearPages() {
    firstRows_.clear();
    aux_.clear();
  }

  int X(size_t column) const { return columns_[column].x; }
  int W(size_t column) const { return columns_[column].width; }
  // The right edge of the table's cells: 20 units past the last column.
  int RightEdge() const { return columns_.back().x + columns_.back().width + 20; }
  // The line at the top of a row, from `fromX` to the right edge.
  void RowLine(ReportCanvas& canvas, int fromX, int y) const;

  // For a report that lays its pages out itself: takes the page's geometry, selects the report's
  // font (and measures its line height) and empties the page table.
  void BeginLayout(ReportCanvas& canvas, const PageGeometry& page);
  // Lines 1 and 2 of every page head (program heading and page number, subtitle and print time);
  // draws only when `canvas` is given. Returns the y of line 2.
  int HeadLines(ReportCanvas* canvas, int page) const;
  // What a report may change in the common layout (the base does none of it):
  // row n opens a new page whatever room is left (the first row never needs to);
  virtual bool OpensPage(size_t /*n*/) const { return false; }
  // lines of the page head under the subtitle, the first at y; drawn only when `canvas` is given;
  // returns the top of the band (y when there are none);
  virtual int ExtraHeadLines(ReportCanvas* /*canvas*/, int /*page*/, int y) { return y; }
  // a column whose width depends on where it stands: called once the columns are placed, before
  // the table is centred;
  virtual void ColumnsPlaced() {}
  // whether the grid draws the line at the left of column i (the base: every column that opens a cell).
  virtual bool GridLineBefore(size_t i) const { return !columns_[i].sharesCell; }
  int BandTop() const { return bandTop_; }

 private:
  // Measures every column and places them from the left margin, before any centring.
  void PlaceColumns(ReportCanvas& canvas);
  // The page head; draws only when `canvas` is given. Returns the y of the first row.
  int PageHead(ReportCanvas* canvas, int page);
  void Grid(ReportCanvas& canvas, int y) const;
  int Limit() const { return top_ + printableHeight_; }

  std::string title_;
  std::string faultRow_, faultText_;
  int fontTenths_;
  int left_ = 50, top_ = 50;
  int printableWidth_ = 0, printableHeight_ = 0;
  int lineHeight_ = 0;
  int bandTop_ = 0;
  int firstRowY_ = 0;
  std::vector<long> firstRows_;
  std::vector<long> aux_;
};

// `text` broken into lines no wider than `width` on `canvas`, at its blanks; a word wider than a
// line is cut where it reaches the edge. An empty text is one empty line.
std::vector<std::string> WrapText(ReportCanvas& canvas, const std::string& text, int width);

// A report whose rows are one vector of its own row type, a printed row each.
template <class RowT>
class RowsReport : public Report {
 public:
  using Row = RowT;
  using Report::Report;

  size_t RowCount() const override { return rows.size(); }

  std::vector<Row> rows;

 protected:
  void DropRows() override { rows.clear(); }
};
