#include "reports/Report.h"

#include "common/Formatters.h"
#include "common/ProgramTitle.h"
#include "db/DbDatabase.h"
#include "db/StoredValueRefusal.h"
#include "reports/ReportCanvas.h"

namespace {

// Rows measured or drawn between two calls of the engine's progress hook (the busy clock).
constexpr size_t kRowsPerPump = 4096;

}  // namespace

Report::Report(std::string title, int fontTenths)
    : printTime(Now()), title_(std::move(title)), fontTenths_(fontTenths) {}

Report::~Report() = default;

std::string Report::LoadFaultMessage(Undone undone) const { return StoredValueRefusal(faultRow_, faultText_, undone); }

void Report::KeepFault(const DbSelect::ValueFault& fault, const std::string& row, const char* table) {
  if (!LoadFaulted()) {
    faultRow_ = row;
    faultText_ = TitledFaultText(fault, table);
  }
  DropRows();
}

CompanyHeading Report::ReadSubtitle(DbDatabase* db) {
  CompanyHeading heading = ReadCompanyHeading(db, true);
  subtitle = heading.Subtitle();
  if (heading.faultTable) KeepFault(heading.fault, heading.faultRow, heading.faultTable);
  return heading;
}

void Report::SetPageEntry(int page, long row) {
  if (page < 1) return;
  if (static_cast<size_t>(page) > firstRows_.size()) firstRows_.resize(static_cast<size_t>(page), 0);
  firstRows_[static_cast<size_t>(page) - 1] = row;
}

long Report::GetPageEntry(int page) const {
  if (page < 1 || static_cast<size_t>(page) > firstRows_.size()) return -1;
  return firstRows_[static_cast<size_t>(page) - 1];
}

void Report::SetPageAux(int page, long value) {
  if (page < 1) return;
  if (static_cast<size_t>(page) > aux_.size()) aux_.resize(static_cast<size_t>(page), -1);
  aux_[static_cast<size_t>(page) - 1] = value;
}

long Report::GetPageAux(int page) const {
  if (page < 1 || static_cast<size_t>(page) > aux_.size()) return -1;
  return aux_[static_cast<size_t>(page) - 1];
}

void Report::BeginLayout(ReportCanvas& canvas, const PageGeometry& page) {
  left_ = page.marginLeft;
  top_ = page.marginTop;
  printableWidth_ = page.width - page.marginRight - page.marginLeft;
  printableHeight_ = page.height - page.marginBottom - page.marginTop;
  canvas.SetFont(fontTenths_);
  lineHeight_ = canvas.LineHeight();
  firstRows_.clear();
  aux_.clear();
}

void Report::PlaceColumns(ReportCanvas& canvas) {
  for (size_t i = 0; i < columns_.size(); ++i) columns_[i].width = ColumnWidth(canvas, i);

  for (size_t i = 0; i < columns_.size(); ++i) {
    if (i == 0)
      columns_[i].x = left_ + 20;
    else
      columns_[i].x = columns_[i - 1].x + columns_[i - 1].width + (columns_[i].sharesCell ? 10 : 40);
  }
  ColumnsPlaced();
}

bool Report::FitsWidth(ReportCanvas& canvas, const PageGeometry& page) {
  BeginLayout(canvas, page);
  PlaceColumns(canvas);
  return columns_.empty() || RightEdge() <= left_ + printableWidth_;
}

void Report::Paginate(ReportCanvas& canvas, const PageGeometry& page) {
  BeginLayout(canvas, page);
  PlaceColumns(canvas);
  // A table narrower than the printable width is centred on it (measured from the left margin's
  // inside, as the page has always been laid out).
  if (!columns_.empty() && RightEdge() < printableWidth_) {
    const int shift = (printableWidth_ - RightEdge()) / 2;
    for (ReportColumn& column : columns_) column.x += shift;
  }

  firstRowY_ = PageHead(nullptr, 1);
  PaginateRows();
}

int Report::ColumnWidth(ReportCanvas& canvas, size_t column) { return canvas.TextWidth(columns_[column].templateText); }

void Report::PaginateRows() {
  firstRows_.assign(1, 0);
  aux_.clear();
  int y = firstRowY_;
  const size_t rows = RowCount();
  // A row whose bottom would pass the limit opens the next page: a row is never cut by the page's
  // foot. A page takes at least one row, even a page too short for it or for its head.
  bool pageHasRow = false;
  for (size_t n = 0; n < rows; ++n) {
    if ((y + RowHeight(n) > Limit() && pageHasRow) || (n > 0 && OpensPage(n))) {
      firstRows_.push_back(static_cast<long>(n));
      y = firstRowY_;
    }
    pageHasRow = true;
    y += RowHeight(n);
    if (n % kRowsPerPump == kRowsPerPump - 1) EngineProgress();
  }
}

void Report::PrintPage(ReportCanvas& canvas, int page, bool /*preview*/) {
  canvas.SetFont(fontTenths_);
  int y = PageHead(&canvas, page);
  const long first = GetPageEntry(page);
  if (first >= 0) {
    // The page ends where the next one begins.
    const size_t rows = page < PageCount() ? static_cast<size_t>(GetPageEntry(page + 1)) : RowCount();
    // Every row the page table gives the page, the one it begins with even on a page too short
    // for its head.
    for (size_t n = static_cast<size_t>(first); n < rows; ++n) y = DrawRow(canvas, n, y);
  }
  Grid(canvas, y);
}

int Report::HeadLines(ReportCanvas* canvas, int page) const {
  const int y2 = top_ + lineHeight_ + 10;
  if (canvas) {
    const int right = left_ + printableWidth_;
    canvas->Text(left_, top_, kProgramTitle);
    canvas->RightText(right, top_, Format("Pag. %d di %d", page, PageCount()));
    canvas->Text(left_, y2, subtitle);
    canvas->RightText(right, y2,
                      Format("%02d/%02d/%04d %02d:%02d", printTime.day, printTime.month, printTime.year, printTime.hour,
                             printTime.minute));
  }
  return y2;
}

int Report::PageHead(ReportCanvas* canvas, int page) {
  const int y2 = HeadLines(canvas, page);
  bandTop_ = ExtraHeadLines(canvas, page, y2 + lineHeight_ + 30);
  if (canvas && !columns_.empty()) {
    const int from = X(0) - 20;
    canvas->Band(from, bandTop_, RightEdge(), bandTop_ + lineHeight_ + 40);
    canvas->Line(from, bandTop_, RightEdge(), bandTop_);
    for (const ReportColumn& column : columns_)
      if (!column.title.empty()) canvas->Text(column.x, bandTop_ + 20, column.title);
  }
  return bandTop_ + lineHeight_ + 40;
}

void Report::RowLine(ReportCanvas& canvas, int fromX, int y) const { canvas.Line(fromX, y, RightEdge(), y); }

void Report::Grid(ReportCanvas& canvas, int y) const {
  if (columns_.empty()) return;
  // The bottom line stops 10 units past the last column; the band and the right-hand line reach 20.
  canvas.Line(X(0) - 20, y, RightEdge() - 10, y);
  for (size_t i = 0; i < columns_.size(); ++i)
    if (GridLineBefore(i)) canvas.Line(columns_[i].x - 20, bandTop_, columns_[i].x - 20, y);
  canvas.Line(RightEdge(), bandTop_, RightEdge(), y);
}

std::vector<std::string> WrapText(ReportCanvas& canvas, const std::string& text, int width) {
  std::vector<std::string> lines;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    size_t next = text.find(' ', at);
    if (next == std::string::npos) next = text.size();
    const std::string word = text.substr(at, next - at);
    at = next + 1;
    const std::string longer = line.empty() ? word : line + ' ' + word;
    if (line.empty() || canvas.TextWidth(longer) <= width) {
      line = longer;
    } else {
      lines.push_back(line);
      line = word;
    }
    // A word wider than the line is cut where it reaches the edge.
    while (canvas.TextWidth(line) > width && line.size() > 1) {
      size_t fit = 1;
      while (fit < line.size() && canvas.TextWidth(line.substr(0, fit + 1)) <= width) ++fit;
      lines.push_back(line.substr(0, fit));
      line.erase(0, fit);
    }
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}
