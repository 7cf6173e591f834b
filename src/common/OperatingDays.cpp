#include "common/OperatingDays.h"

#include "common/CalendarDays.h"

#include <algorithm>

ServiceCalendar::ServiceCalendar(std::string_view first, std::string_view last) {
  DateRecord f, l;
  if (!ParseDateText10(first, f) || !ParseDateText10(last, l)) return;
  firstKey_ = Key(f);
  lastKey_ = Key(l);
}

void ServiceCalendar::Add(std::string_view date, std::string_view cadence) {
  DateRecord d;
  if (!ParseDateText10(date, d)) return;
  const int key = Key(d);
  if (key < firstKey_ || key > lastKey_) return;
  added_.emplace_back(key, std::string(cadence));
}

void ServiceCalendar::Finish() {
  std::sort(added_.begin(), added_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  dates_.clear();
  keys_.clear();
  weekdays_.clear();
  byCadence_.clear();
  for (const auto& [key, type] : added_) {
    if (!keys_.empty() && keys_.back() == key) continue;
    keys_.push_back(key);
    const DateRecord d{key / 10000, key / 100 % 100, key % 100};
    dates_.push_back(d);
    const QDate q = ToQDate(d);
    weekdays_.push_back(q.isValid() ? WeekdayDigit(q) : '?');
  }
  size_t i = 0;
  for (const auto& [key, type] : added_) {
    while (keys_[i] != key) ++i;
    auto found = byCadence_.find(type);
    if (found == byCadence_.end()) found = byCadence_.emplace(type, DayBits(keys_.size())).first;
    found->second.Set(i);
  }
  added_.clear();
  added_.shrink_to_fit();
}

DayBits ServiceCalendar::OperatingDays(const std::vector<ValidityPeriod>& periods) const {
  DayBits runs(keys_.size()), excluded(keys_.size());
  for (const ValidityPeriod& p : periods) {
    DateRecord from, to;
    if (!ParseDateText10(p.from, from) || !ParseDateText10(p.to, to)) continue;
    const auto days = byCadence_.find(p.cadence);
    if (days == byCadence_.end()) continue;
    const size_t first = static_cast<size_t>(std::lower_bound(keys_.begin(), keys_.end(), Key(from)) - keys_.begin());
    const size_t last = static_cast<size_t>(std::upper_bound(keys_.begin(), keys_.end(), Key(to)) - keys_.begin());
    (p.excluded ? excluded : runs).AddRange(days->second, first, last);
  }
  runs.Remove(excluded);
  return runs;
}

const char* WeekdayShortName(char digit) {
  static const char* const kNames[] = {"Lu", "Ma", "Me", "Gi", "Ve", "Sa", "Do"};
  return digit >= '1' && digit <= '7' ? kNames[digit - '1'] : "??";
}
