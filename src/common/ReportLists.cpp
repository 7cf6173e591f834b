#include "common/ReportLists.h"

#include "common/CalendarDays.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

int CountPeriodDays(const PeriodEntryList& periods, const DateList& dates) {
  int sum = 0;
  for (const PeriodEntry& p : periods) sum += dates.CountText(p.from, p.to, p.dayType, p.mode);
  return sum;
}

// ---- ReportRowList -------------------------------------------------------------------------

const ReportRow* ReportRowList::RowAt(std::int32_t key, int n) const {
  if (n < 0) return nullptr;
  for (const ReportRow& r : items_)
    if (r.key == key && n-- == 0) return &r;
  return nullptr;
}

int ReportRowList::CountByKey(std::int32_t key) const {
  int count = 0;
  for (const ReportRow& r : items_)
    if (r.key == key) ++count;
  return count;
}

ReportRow* ReportRowList::FindById(std::int32_t id) {
  return FindIf([&](const ReportRow& r) { return r.id == id; });
}

int ReportRowList::IndexOf(std::int32_t key, std::int32_t id) const {
  int position = 0;
  for (const ReportRow& r : items_) {
    if (r.key != key) continue;
    if (r.id == id) return position;
    ++position;
  }
  return 0;
}

std::int32_t ReportRowList::GetIdAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? r->id : -1;
}

char ReportRowList::GetFlagAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? r->flag : 0;
}

char ReportRowList::GetCodeAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? r->code : '?';
}

const PeriodEntryList* ReportRowList::GetValueAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? &r->periods : nullptr;
}

const std::string* ReportRowList::GetTextAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? &r->text : nullptr;
}

const std::string* ReportRowList::GetText2At(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? &r->text2 : nullptr;
}

namespace {

std::string Printf(const char* format, double value) {
  char buffer[400];  // a double printed with one or three decimals fits
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// Minutes as hours and minutes; below one hour "00:%02d".
std::string HoursMinutes(long long minutes, const char* format) {
  char buffer[64];
  if (minutes >= 60)
    std::snprintf(buffer, sizeof buffer, format, minutes / 60, minutes % 60);
  else
    std::snprintf(buffer, sizeof buffer, "00:%02lld", minutes);
  return buffer;
}

}  // namespace

std::string ReportRowList::FormatKmAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? DecimalComma(Printf("%1.3lf", r->length * 0.001)) : std::string("?");
}

std::string ReportRowList::FormatTimeAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? HoursMinutes(r->minutes, "%02lld:%02lld") : std::string("?");
}

std::string ReportRowList::FormatCountAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? std::to_string(r->count) : std::string("?");
}

std::string ReportRowList::FormatTotalKmAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? DecimalComma(Printf("%1.1lf", r->length * 0.001 * r->count)) : std::string("?");
}

std::string ReportRowList::FormatTotalTimeAt(std::int32_t key, int n) const {
  const ReportRow* r = RowAt(key, n);
  return r ? HoursMinutes(static_cast<long long>(r->minutes) * r->count, "%lld:%02lld") : std::string("?");
}

void ReportRowList::Tally(const DateList& dates) {
  for (ReportRow& r : items_) r.count += CountPeriodDays(r.periods, dates);
}

namespace {

struct Triple {
  const std::string* dayType;
  const std::string* from;
  const std::string* to;
};

std::vector<Triple> TriplesOf(const ReportRow& row) {
  std::vector<Triple> triples;
  for (const PeriodEntry& p : row.periods) triples.push_back({&p.dayType, &p.from, &p.to});
  return triples;
}

// Position by position; a missing position counts as a period with three empty texts.
bool SamePeriods(const std::vector<Triple>& a, const std::vector<Triple>& b) {
  static const std::string empty;
  const Triple blank{&empty, &empty, &empty};
  const std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const Triple& x = i < a.size() ? a[i] : blank;
    const Triple& y = i < b.size() ? b[i] : blank;
    if (*x.dayType != *y.dayType || *x.from != *y.from || *x.to != *y.to) return false;
  }
  return true;
}

}  // namespace

void ReportRowList::AssignCodes() {
  std::map<std::int32_t, char> nextLetter;  // per key
  for (auto base = items_.begin(); base != items_.end(); ++base) {
    if (base->code != '?') continue;
    auto [slot, fresh] = nextLetter.try_emplace(base->key, 'A');
    (void)fresh;
    const char letter = slot->second;
    base->code = letter;
    const std::vector<Triple> pattern = TriplesOf(*base);
    for (auto other = std::next(base); other != items_.end(); ++other)
      if (other->key == base->key && SamePeriods(pattern, TriplesOf(*other))) other->code = letter;
    slot->second = letter == 'Z' ? 'a' : static_cast<char>(letter + 1);
  }
}

// ---- Contract check ------------------------------------------------------------------------

CalendarSummaryRecord::CalendarSummaryRecord(std::int32_t ente_, std::int32_t contract_, std::int32_t tripId_,
                                             std::string_view tripCode_, std::string_view lineCode_, char direction_,
                                             std::string_view departureText_, std::string_view lengthText_,
                                             std::string_view contractLengthText_, std::string_view timeText_,
                                             std::string_view contractTimeText_, std::int32_t contractLength_,
                                             std::int32_t contractMinutes_, char mode_)
    : ente(ente_),
      contract(contract_),
      tripId(tripId_),
      tripCode(tripCode_),
      lineCode(lineCode_),
      direction(direction_),
      departureText(departureText_),
      lengthText(lengthText_),
      contractLengthText(contractLengthText_),
      timeText(timeText_),
      contractTimeText(contractTimeText_),
      contractLength(contractLength_),
      contractMinutes(contractMinutes_),
      mode(mode_) {}

void CalendarSummaryList::Tally(const DateList& dates) {
  for (CalendarSummaryRecord& r : items_) r.total += CountPeriodDays(r.periods, dates);
}

ContractTripEntry* ContractTripList::Append(std::int32_t ente, std::int32_t contract, std::string_view text, double v1,
                                            double v2, double v3, double v4) {
  return Emplace(ContractTripEntry{ente, contract, nullptr, std::string(text), {v1, v2, v3, v4}});
}

ContractTripEntry* ContractTripList::Append(std::int32_t ente, std::int32_t contract,
                                            const CalendarSummaryRecord* trip) {
  return Emplace(ContractTripEntry{ente, contract, trip, std::string(), {0, 0, 0, 0}});
}

// ---- Days of operation ---------------------------------------------------------------------

OperatingDaysDate* OperatingDaysTrip::FindDate(std::string_view dateText) {
  return dates.FindIf([&](const OperatingDaysDate& d) { return d.dateText == dateText; });
}

void OperatingDaysTrip::BuildDateRows(std::string_view from, std::string_view to) {
  dates.Clear();
  DateRecord f, t;
  if (!ParseDateText10(from, f) || !ParseDateText10(to, t)) return;
  const QDate first = ToQDate(f), last = ToQDate(t);
  if (!first.isValid() || !last.isValid()) return;
  for (QDate d = first; d <= last; d = d.addDays(1))
    AddDateRow(DateRecord{d.year(), d.month(), d.day()}.Format(), WeekdayDigit(d));
}

void DateList::MarkPeriodDays(OperatingDaysTrip& trip, std::string_view from, std::string_view to,
                              std::string_view dayType, int mode) const {
  DateRecord f, t;
  if (!ParseDateText10(from, f) || !ParseDateText10(to, t)) return;
  for (const DateEntry& e : items_) {
    if (!DateInPeriod(e, f, t) || !e.HasText(dayType)) continue;
    if (OperatingDaysDate* row = trip.FindDate(e.Format())) (mode == 1 ? row->excluded : row->run) = 1;
  }
}

void OperatingDaysTripList::ApplyPeriods(const DateList& dates, std::string_view from, std::string_view to) {
  for (OperatingDaysTrip& trip : items_) {
    trip.BuildDateRows(from, to);
    for (const PeriodEntry& p : trip.periods) dates.MarkPeriodDays(trip, p.from, p.to, p.dayType, p.mode);
  }
}

// ---- Stop rows -----------------------------------------------------------------------------

TimeCell* ReportStopRow::GetCell(int i) {
  return i >= 0 && i < CellCount() ? &cells[static_cast<std::size_t>(i)] : nullptr;
}

ReportStopRow* ReportStopRowList::Append(std::int32_t key, std::int32_t stopNumber, std::string_view stopCode,
                                         std::string_view stopName, std::int32_t v1, std::int32_t v2, std::int32_t v3,
                                         std::int32_t v4, int cellCount) {
  ReportStopRow* row = Emplace();
  row->key = key;
  row->stopNumber = stopNumber;
  row->stopCode = std::string(stopCode);
  row->stopName = std::string(stopName);
  row->values[0] = v1;
  row->values[1] = v2;
  row->values[2] = v3;
  row->values[3] = v4;
  if (cellCount > 0) row->cells.resize(static_cast<std::size_t>(cellCount));
  return row;
}

ReportStopRow* ReportStopRowList::Find(std::int32_t key, std::int32_t stopNumber) {
  return FindIf([&](const ReportStopRow& r) { return r.key == key && r.stopNumber == stopNumber; });
}

// ---- Calendar days -------------------------------------------------------------------------

std::string CalendarDayLabel(char weekdayDigit, std::string_view dateText) {
  static const char* const kDays[] = {"LUN", "MAR", "MER", "GIO", "VEN", "SAB", "DOM"};
  const char* abbreviation = weekdayDigit >= '1' && weekdayDigit <= '7' ? kDays[weekdayDigit - '1'] : "???";
  return std::string(abbreviation) + " " + std::string(dateText);
}

CalendarDay* CalendarDayList::Append(char weekdayDigit, std::string_view dateText, std::string_view note,
                                     std::string_view code, std::string_view name) {
  return Emplace(
      CalendarDay{CalendarDayLabel(weekdayDigit, dateText), std::string(note), std::string(code), std::string(name)});
}
