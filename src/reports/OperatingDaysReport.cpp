#include "reports/OperatingDaysReport.h"

#include "db/ContractTrips.h"
#include "db/DbDatabase.h"
#include "reports/DirectoryLoading.h"
#include "reports/ReportCanvas.h"

#include <algorithm>

namespace {

enum Column { kLine, kId, kTripCode, kDeparture, kDays };

// The widest day text.
constexpr const char* kDayTemplate = "(999 - Xx 12/12) ";

}  // namespace

OperatingDaysReport::OperatingDaysReport(DbDatabase* db, bool all, long from, long to)
    : Report("Rubrica Verifica Giorni"), allTrips(all), fromId(from), toId(to) {
  ReadSubtitle(db);
  columns_ = {{"Codice Linea", "Codice Linea"},
              {"9999999999", "ID Corsa"},
              {"Codice Corsa", "Codice Corsa"},
              {"Ora Partenza", "Ora Partenza"},
              {kDayTemplate, "Giorni di effettuazione della corsa"}};
}

void OperatingDaysReport::Load(DbDatabase* db, WorkProgress* progress) {
  DropRows();
  std::vector<TripPeriods> read;
  {
    DbReadSnapshot snapshot(db);
    RowFault fault;
    calendar = ReadWorkingCalendar(db, fault);
    if (fault.Any()) return KeepFault(fault);
    TripReadFault tripFault;
    read = ReadTripPeriods(db, {allTrips, fromId, toId}, progress, &tripFault);
    if (tripFault.value.position >= 0) return KeepFault(TripRowFault(tripFault));
  }
  trips.reserve(read.size());
  for (TripPeriods& r : read) {
    Trip& t = trips.emplace_back();
    t.id = r.id;
    t.tripCode = std::move(r.tripCode);
    t.lineCode = std::move(r.lineCode);
    t.direction = r.direction;
    t.departure = FormatTimeOfDay(r.departure);
    t.days = calendar.OperatingDays(r.periods);
    t.dayCount = t.days.Count();
    r.periods = {};
  }
  textsPerRow_ = 0;
  CountRows();
}

void OperatingDaysReport::DropRows() {
  trips.clear();
  calendar = {};
  firstRows_.clear();
}

void OperatingDaysReport::CountRows() {
  firstRows_.assign(1, 0);
  firstRows_.reserve(trips.size() + 1);
  for (const Trip& t : trips) {
    const size_t rows = textsPerRow_ == 0 ? 1 : std::max<size_t>(1, (t.dayCount + textsPerRow_ - 1) / textsPerRow_);
    firstRows_.push_back(firstRows_.back() + rows);
  }
}

void OperatingDaysReport::ColumnsPlaced() {
  // As many day texts as fit from the days column to the printable width, less one; one at least.
  const int w = W(kDays), x = X(kDays);
  int fit = 0;
  if (w > 0)
    for (int k = 1; k <= 1000 && x + k * w <= PrintableWidth(); ++k) fit = k;
  columns_[kDays].width = fit > 0 ? fit * w : w;
  textsPerRow_ = static_cast<size_t>(std::max(1, fit - 1));
  CountRows();
}

size_t OperatingDaysReport::TripOfRow(size_t n, size_t& rowOfTrip) const {
  const size_t t =
      static_cast<size_t>(std::upper_bound(firstRows_.begin(), firstRows_.end(), n) - firstRows_.begin()) - 1;
  rowOfTrip = n - firstRows_[t];
  return t;
}

std::string OperatingDaysReport::RowText(size_t n) const {
  size_t row = 0;
  const Trip& t = trips[TripOfRow(n, row)];
  std::string text;
  if (textsPerRow_ == 0) return text;
  size_t number = row * textsPerRow_;
  const size_t end = std::min(t.dayCount, number + textsPerRow_);
  for (size_t day = t.days.NthSet(number); number < end; day = t.days.NextSet(day + 1)) {
    ++number;
    text += Format("(%zu - %s %s) ", number, WeekdayShortName(calendar.WeekdayAt(day)),
                   ShortCode5(calendar.DateAt(day).Format()).c_str());
  }
  return text;
}

int OperatingDaysReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  size_t row = 0;
  const Trip& t = trips[TripOfRow(n, row)];
  const int next = y + LineHeight() + 20;
  if (row == 0) {
    RowLine(canvas, X(kLine) - 20, y);
    RowLine(canvas, X(kLine) - 20, next);
    canvas.Text(X(kLine), y + 10, t.lineCode + ' ' + t.direction);
    canvas.RightText(X(kId) + W(kId), y + 10, Format("%ld", t.id));
    canvas.Text(X(kTripCode), y + 10, t.tripCode);
    canvas.RightText(X(kDeparture) + W(kDeparture), y + 10, t.departure);
    for (size_t i = kId; i <= kDays; ++i) canvas.Line(X(i) - 20, y, X(i) - 20, next);
  } else {
    RowLine(canvas, X(kDays) - 20, y);
  }
  canvas.Text(X(kDays), y + 10, RowText(n));
  return next;
}
