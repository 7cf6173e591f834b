#include "reports/CadenceCalendar.h"

#include "common/CalendarDays.h"
#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"
#include "reports/DirectoryLoading.h"

namespace {

// The ISO text a date is bound as in a selection.
std::string IsoDate(const std::string& date) {
  const std::string quoted = SqlDate(date);
  return quoted.size() >= 2 && quoted.front() == '\'' ? quoted.substr(1, quoted.size() - 2) : quoted;
}

}  // namespace

std::string PrintedPeriod::CadenceKey() const { return TextKey({cadence, cadenceStored}); }

void CadenceCalendarList::Load(DbDatabase* db, const std::string& first, const std::string& last) {
  Clear();
  fault = {};
  faultRow.clear();
  DateRecord a, b;
  if (!ParseDateText10(first, a) || !ParseDateText10(last, b)) return;
  DbSelect select(db, {.columns = "data, caden", .from = "calend", .where = "calend.data >= ?1 AND calend.data <= ?2"});
  select.SetParameters({IsoDate(first), IsoDate(last)});
  select.SetOrderBy("data, caden");
  select.SetStreaming(true);
  std::string date, type;
  WalkSelection(select, nullptr, {}, [&] {
    select.GetFieldTextAt(0, date);
    ReadTextKey(select, 1, type);
    AddDate(date, type);
  });
  if (!select.Faulted()) return;
  fault = select.Fault();
  faultRow = CalendarDayName(select, 0, 1);
  Clear();
}

void CadenceCalendarList::AddDate(std::string_view date, std::string_view cadence) {
  DateRecord d;
  if (!ParseDateText10(date, d)) return;
  added_.emplace_back(d, std::string(cadence));
  calendar_.reset();
}

void CadenceCalendarList::Clear() {
  added_.clear();
  calendar_.reset();
}

int CadenceCalendarList::DaysOfOperation(const std::vector<PrintedPeriod>& periods) const {
  if (!calendar_) {
    // A calendar over the dates given, from the first to the last.
    const auto key = [](const DateRecord& d) { return d.year * 10000 + d.month * 100 + d.day; };
    const DateRecord* first = nullptr;
    const DateRecord* last = nullptr;
    for (const auto& [date, type] : added_) {
      if (!first || key(date) < key(*first)) first = &date;
      if (!last || key(date) > key(*last)) last = &date;
    }
    calendar_.emplace(first ? first->Format() : std::string(), last ? last->Format() : std::string());
    for (const auto& [date, type] : added_) calendar_->Add(date.Format(), type);
    calendar_->Finish();
  }
  std::vector<ValidityPeriod> counted;
  counted.reserve(periods.size());
  for (const PrintedPeriod& p : periods) counted.push_back({p.CadenceKey(), p.start, p.end, p.excluded});
  return static_cast<int>(calendar_->OperatingDays(counted).Count());
}
