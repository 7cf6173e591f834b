#include "reports/CadenceCalendar.h"

#include "common/CalendarDays.h"
#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"

#include <algorithm>

namespace {

bool DateKey(std::string_view text, std::int32_t& key) {
  DateRecord d;
  if (!ParseDateText10(text, d)) return false;
  key = d.year * 10000 + d.month * 100 + d.day;
  return true;
}

// The ISO text a date is bound as in a selection.
std::string IsoDate(const std::string& date) {
  const std::string quoted = SqlDate(date);
  return quoted.size() >= 2 && quoted.front() == '\'' ? quoted.substr(1, quoted.size() - 2) : quoted;
}

}  // namespace

void CadenceCalendarList::Load(DbDatabase* db, const std::string& first, const std::string& last) {
  dates_.clear();
  std::int32_t a = 0, b = 0;
  if (!DateKey(first, a) || !DateKey(last, b)) return;
  DbSelect select(db);
  select.SetColumns("data, caden");
  select.SetFrom("calend");
  select.SetWhere("calend.data >= ?1 AND calend.data <= ?2");
  select.SetParameters({IsoDate(first), IsoDate(last)});
  select.SetOrderBy("data, caden");
  select.SetStreaming(true);
  if (!select.Open()) return;
  std::string date, type;
  for (; select.hasRow; select.MoveNext()) {
    select.GetFieldTextAt(0, date);
    select.GetFieldTextAt(1, type);
    AddDate(date, WithoutTrailingBlanks(type));
  }
}

void CadenceCalendarList::AddDate(std::string_view date, std::string_view dayType) {
  std::int32_t key = 0;
  if (!DateKey(date, key)) return;
  std::vector<std::int32_t>& list = dates_[std::string(dayType)];
  if (!list.empty() && list.back() >= key) sorted_ = false;
  list.push_back(key);
}

void CadenceCalendarList::Sort() const {
  for (auto& [type, list] : dates_) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  sorted_ = true;
}

int CadenceCalendarList::DaysOfOperation(const std::vector<ValidityPeriod>& periods) const {
  if (!sorted_) Sort();
  in_.clear();
  out_.clear();
  for (const ValidityPeriod& p : periods) {
    std::int32_t from = 0, to = 0;
    if (!DateKey(p.start, from) || !DateKey(p.end, to)) continue;
    const auto found = dates_.find(p.dayType);
    if (found == dates_.end()) continue;
    const std::vector<std::int32_t>& list = found->second;
    const auto begin = std::lower_bound(list.begin(), list.end(), from);
    const auto end = std::upper_bound(begin, list.end(), to);
    if (begin >= end) continue;
    std::vector<std::int32_t>& into = p.excluded ? out_ : in_;
    into.insert(into.end(), begin, end);
  }
  std::sort(in_.begin(), in_.end());
  in_.erase(std::unique(in_.begin(), in_.end()), in_.end());
  if (out_.empty()) return static_cast<int>(in_.size());
  std::sort(out_.begin(), out_.end());
  int days = 0;
  for (std::int32_t d : in_) days += !std::binary_search(out_.begin(), out_.end(), d);
  return days;
}
