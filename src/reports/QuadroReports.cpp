// The quadro reports' layout: the widths measured on the texts printed, the slices of trip
// columns, the pages of each slice with the footer's room kept, and the drawing of a page.

#include "reports/QuadroReports.h"

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "reports/ReportCanvas.h"

#include <algorithm>

namespace {

constexpr int kFontTenths = 70;
constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kGrey = 0xC0C0C0, kDarkGrey = 0x808080;

const char* const kFooterLabels[] = {"Lunghezza contabile corsa Km ", "Durata contabile corsa ",
                                     "Giorni effettuazione ", "Totale Contabile Periodo Km ",
                                     "Durata Contabile Totale Periodo "};
constexpr int kFooterRows = 5;

std::string TimeText(int hhmm) {
  if (hhmm < 0) hhmm = 9999;  // the editor's "no time yet"
  return Format("%d:%02d", hhmm / 100, hhmm % 100);
}

// Minutes as "%02d:%02d" (hours and minutes).
std::string Minutes(long long minutes) { return Format("%02lld:%02lld", minutes / 60, minutes % 60); }

// Minutes as "%d:%02d", "00:%02d" under an hour.
std::string TotalMinutes(long long minutes) {
  if (minutes < 60) return Format("00:%02lld", minutes);
  return Format("%lld:%02lld", minutes / 60, minutes % 60);
}

// The five footer values of a trip.
std::string FooterValue(const QuadroTrip& trip, int row) {
  switch (row) {
    case 0: return FormatMetresAsKm(trip.contractLength);
    case 1: return Minutes(trip.contractMinutes);
    case 2: return Format("%d", trip.days);
    case 3: return DecimalComma(Format("%1.1lf", static_cast<double>(trip.contractLength) * trip.days / 1000.0));
    default: return TotalMinutes(static_cast<long long>(trip.contractMinutes) * trip.days);
  }
}

std::string LineText(const QuadroTrip& trip) {
  std::string text = trip.line;
  if (trip.direction) text += trip.direction;
  return text;
}

}  // namespace

std::string QuadroReport::CellText(const StopCell& cell) {
  if (!cell.Present()) return {};
  const std::string arrival = TimeText(cell.arrival), departure = TimeText(cell.departure);
  if (arrival == departure) return arrival;
  if (arrival == "99:99") return departure;
  if (departure == "99:99") return arrival;
  return arrival + " / P: " + departure;
}

std::string QuadroReport::PeriodNote(const QuadroTrip& trip) {
  std::string note;
  for (const PrintedPeriod& p : trip.periods) {
    if (!note.empty()) note += "; ";
    note += (p.excluded ? "Esclusa dal " : "Si effettua dal ") + p.start + " al " + p.end + " [" + p.cadence + "] " +
            p.cadenceName;
  }
  return note;
}

int QuadroReport::Width(ReportCanvas& canvas, const std::string& text) {
  auto [at, fresh] = widths_.try_emplace(text, 0);
  if (fresh) at->second = canvas.TextWidth(text);
  return at->second;
}

int QuadroReport::DrawRow(ReportCanvas& /*canvas*/, size_t /*n*/, int y) { return y + lineHeight_ + 20; }

void QuadroReport::Paginate(ReportCanvas& canvas, const PageGeometry& page) {
  BeginLayout(canvas, page);
  widths_.clear();
  pages_.clear();
  lineHeight_ = LineHeight();
  Layout& l = layout_;

  // Widths measured on the texts printed.
  l.wSub = Width(canvas, "Sub");
  l.wCode = Width(canvas, "Codice");
  l.wName = Width(canvas, "Denominazione");
  l.wKm = 0;
  l.columnWidth = 0;
  for (const QuadroStop& row : stops) {
    l.wSub = std::max(l.wSub, Width(canvas, Format("%d", row.sub)));
    l.wCode = std::max(l.wCode, Width(canvas, row.code));
    l.wName = std::max(l.wName, Width(canvas, row.name));
    l.wKm = std::max(l.wKm, Width(canvas, FormatMetresAsKm(row.distance)));
    for (const StopCell& cell : row.cells) l.columnWidth = std::max(l.columnWidth, Width(canvas, CellText(cell)));
  }
  for (const QuadroTrip& trip : trips) {
    for (const std::string& text : {trip.code, LineText(trip), Format("%ld", trip.id)})
      l.columnWidth = std::max(l.columnWidth, Width(canvas, text));
    for (int r = 0; r < kFooterRows; ++r) l.columnWidth = std::max(l.columnWidth, Width(canvas, FooterValue(trip, r)));
  }
  l.xSub = Left() + 20;
  l.xCode = l.xSub + l.wSub + 40;
  l.xName = l.xCode + l.wCode + 40;
  l.xKm = l.xName + l.wName + 40;
  l.firstColumn = l.xKm + l.wKm + 20;
  // The trip columns that end within the printable width; at least one, however wide it is.
  const int room = Left() + PrintableWidth() - l.firstColumn;
  l.perPage = std::max(1, room / (l.columnWidth + 40));

  // Quadro by quadro, slice by slice: as many rows a page as leave room for the slice's footer.
  const int firstRowY = Head(canvas, false, 1, QuadroRange{}, 0);
  const int limit = Top() + PrintableHeight();
  const int rowHeight = lineHeight_ + 20;
  for (size_t q = 0; q < quadri.size(); ++q) {
    const QuadroRange& range = quadri[q];
    if (range.rowCount == 0) continue;
    for (size_t c0 = 0; c0 < range.tripCount; c0 += static_cast<size_t>(l.perPage)) {
      const int footer = Footer(canvas, false, 0, range, c0);
      const size_t rowsPerPage = static_cast<size_t>(std::max(1, (limit - firstRowY - footer) / rowHeight));
      for (size_t first = range.firstRow; first < range.firstRow + range.rowCount; first += rowsPerPage) {
        pages_.push_back({q, first, std::min(first + rowsPerPage, range.firstRow + range.rowCount), c0});
        SetPageEntry(static_cast<int>(pages_.size()), static_cast<long>(first));
        SetPageAux(static_cast<int>(pages_.size()), static_cast<long>(c0));
      }
      EngineProgress();
    }
  }
  if (pages_.empty()) SetPageEntry(1, 0);  // nothing to print: one empty page
}

bool QuadroReport::PageSlice(int page, size_t& quadro, size_t& firstColumn) const {
  if (page < 1 || static_cast<size_t>(page) > pages_.size()) return false;
  quadro = pages_[static_cast<size_t>(page) - 1].quadro;
  firstColumn = pages_[static_cast<size_t>(page) - 1].firstColumn;
  return true;
}

void QuadroReport::PrintPage(ReportCanvas& canvas, int page, bool /*preview*/) {
  if (page < 1 || static_cast<size_t>(page) > pages_.size()) return;  // a page never paginated
  const Page& p = pages_[static_cast<size_t>(page) - 1];
  const QuadroRange& q = quadri[p.quadro];
  canvas.SetFont(kFontTenths);
  int y = Head(canvas, true, page, q, p.firstColumn);
  for (size_t n = p.firstRow; n < p.endRow; ++n)
    y = StopRow(canvas, stops[n], y, p.firstColumn, ColumnsOn(q, p.firstColumn));
  Footer(canvas, true, y, q, p.firstColumn);
}

size_t QuadroReport::ColumnsOn(const QuadroRange& q, size_t c0) const {
  return c0 >= q.tripCount ? 0 : std::min(static_cast<size_t>(layout_.perPage), q.tripCount - c0);
}

void QuadroReport::Centred(ReportCanvas& canvas, size_t j, int y, const std::string& text) {
  if (text.empty()) return;
  canvas.Text(ColumnStart(j) + 20 + (layout_.columnWidth - Width(canvas, text)) / 2, y, text);
}

int QuadroReport::Head(ReportCanvas& canvas, bool draw, int page, const QuadroRange& q, size_t c0) {
  const Layout& l = layout_;
  const int lh = lineHeight_;
  const int y2 = HeadLines(draw ? &canvas : nullptr, page);
  const int quadroY = y2 + lh + 10;
  const int bandsY = quadroY + lh + 30;
  const int bandHeight = lh + 10;
  bandTop_ = bandsY + 4 * bandHeight;
  if (!draw) return bandTop_ + lh + 40;

  const size_t n = ColumnsOn(q, c0);
  const int end = ColumnStart(n);
  canvas.Text(Left(), quadroY, Format("Quadro Orario: %ld", q.group));
  const char* const labels[] = {"", "ID Corsa", "Nota Cadenza", "Linea"};
  for (int band = 0; band < 4; ++band) {
    const int top = bandsY + band * bandHeight;
    canvas.Fill(l.firstColumn, top, end, top + bandHeight, band == 0 ? kBlack : kGrey);
    if (band > 0) canvas.RightText(l.xKm + l.wKm - 5, top + 2, labels[band]);
    if (band == 0) canvas.SetTextColour(kWhite);
    for (size_t j = 0; j < n; ++j) {
      const QuadroTrip& trip = trips[q.firstTrip + c0 + j];
      switch (band) {
        case 0: Centred(canvas, j, top + 2, Format("%zu", c0 + j + 1)); break;
        case 1: Centred(canvas, j, top + 2, Format("%ld", trip.id)); break;
        case 2: Centred(canvas, j, top + 2, std::string(1, trip.letter)); break;
        default: Centred(canvas, j, top + 2, LineText(trip)); break;
      }
    }
    if (band == 0) canvas.SetTextColour(kBlack);
    for (size_t j = 1; j < n; ++j) canvas.ColourLine(ColumnStart(j), top, ColumnStart(j), top + bandHeight, kWhite, 4);
  }

  // The band of column titles.
  canvas.Fill(l.xSub - 20, bandTop_, end, bandTop_ + lh + 40, kGrey);
  canvas.Line(l.xSub - 20, bandTop_, end, bandTop_);
  const int y = bandTop_ + 20;
  canvas.Text(l.xSub, y, "Sub");
  canvas.Text(l.xCode, y, "Codice");
  canvas.Text(l.xName, y, "Denominazione");
  canvas.RightText(l.xKm + l.wKm, y, "Km");
  for (size_t j = 0; j < n; ++j) canvas.Text(ColumnStart(j) + 20, y, trips[q.firstTrip + c0 + j].code);
  return bandTop_ + lh + 40;
}

int QuadroReport::StopRow(ReportCanvas& canvas, const QuadroStop& row, int y, size_t c0, size_t n) {
  const Layout& l = layout_;
  const int end = ColumnStart(n);
  const int height = lineHeight_ + 20;
  const bool light = row.primary || row.optional || !row.notServed;
  if (row.primary)
    canvas.Fill(l.xSub - 20, y, end, y + height, kGrey);
  else if (row.optional)
    canvas.Fill(l.xSub - 20, y, end, y + height, kDarkGrey);
  else if (row.notServed)
    canvas.Fill(l.xSub - 20, y, end, y + height, kBlack);
  canvas.Line(l.xSub - 20, y, end, y);
  if (!light) canvas.SetTextColour(kWhite);
  const int ty = y + 10;
  canvas.RightText(l.xSub + l.wSub, ty, Format("%d", row.sub));
  canvas.Text(l.xCode, ty, row.code);
  canvas.Text(l.xName, ty, row.name);
  const std::string km = FormatMetresAsKm(row.distance);
  canvas.Text(l.xKm + l.wKm - Width(canvas, km), ty, km);
  for (size_t j = 0; j < n; ++j)
    if (c0 + j < row.cells.size()) Centred(canvas, j, ty, CellText(row.cells[c0 + j]));
  if (!light) canvas.SetTextColour(kBlack);
  return y + height;
}

int QuadroReport::Footer(ReportCanvas& canvas, bool draw, int y, const QuadroRange& q, size_t c0) {
  const Layout& l = layout_;
  const size_t n = ColumnsOn(q, c0);
  const int end = ColumnStart(n);
  if (draw) {
    // The grid of the stop rows.
    for (int x : {l.xSub - 20, l.xCode - 20, l.xName - 20, l.xKm - 20, l.firstColumn}) canvas.Line(x, bandTop_, x, y);
    for (size_t j = 1; j <= n; ++j) canvas.Line(ColumnStart(j), bandTop_, ColumnStart(j), y);
    canvas.Line(l.xSub - 20, y, end, y);
  }
  const int rowHeight = lineHeight_ + 20;
  for (int r = 0; r < kFooterRows; ++r) {
    if (draw) {
      canvas.RightText(l.firstColumn, y + 10, kFooterLabels[r]);
      for (size_t j = 0; j < n; ++j) Centred(canvas, j, y + 10, FooterValue(trips[q.firstTrip + c0 + j], r));
      for (size_t j = 1; j <= n; ++j) canvas.Line(ColumnStart(j), y, ColumnStart(j), y + rowHeight);
      canvas.Line(l.firstColumn, y + rowHeight, end, y + rowHeight);
    }
    y += rowHeight;
  }
  // One note per letter of the page's trips, in column order; a trip past the letters ('?')
  // has a note of its own.
  std::string seen;
  const int noteWidth = Left() + PrintableWidth() - l.xCode;
  bool first = true;
  for (size_t j = 0; j < n; ++j) {
    const QuadroTrip& trip = trips[q.firstTrip + c0 + j];
    if (trip.letter != '?' && seen.find(trip.letter) != std::string::npos) continue;
    seen += trip.letter;
    if (first) y += 10;
    first = false;
    bool letterDrawn = false;
    for (const std::string& line : WrapText(canvas, PeriodNote(trip), noteWidth)) {
      if (draw) {
        if (!letterDrawn) canvas.Text(l.xSub, y, std::string(1, trip.letter));
        canvas.Text(l.xCode, y, line);
      }
      letterDrawn = true;
      y += lineHeight_ + 10;
    }
  }
  return y;
}
