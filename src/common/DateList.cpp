#include "common/DateList.h"

#include "common/CalendarDays.h"

#include <cmath>

int DateEntry::HasText(std::string_view text) const {
  return texts.FindIf([&](const TextNode& n) { return n.text == text; }) ? 1 : 0;
}

DateEntry* DateList::AddDateText(std::string_view date, std::string_view text) {
  DateRecord d;
  if (!ParseDateText10(date, d)) return nullptr;
  DateEntry* entry = Find(d.year, d.month, d.day);
  if (!entry) entry = Emplace(d.year, d.month, d.day);
  entry->AddText(text);
  return entry;
}

DateEntry* DateList::Find(int year, int month, int day) {
  return FindIf([&](const DateEntry& e) { return e.year == year && e.month == month && e.day == day; });
}

void DateList::GetDateRange(QDate& first, QDate& last) const {
  first = QDate(2099, 12, 31);
  last = QDate(1901, 1, 1);
  bool any = false;
  for (const DateEntry& e : items_) {
    const QDate d = ToQDate(e);
    if (!d.isValid()) continue;
    if (!any || d < first) first = d;
    if (!any || d > last) last = d;
    any = true;
  }
}

int DateList::CountText(std::string_view from, std::string_view to, std::string_view cadence, int mode) const {
  DateRecord f, t;
  if (!ParseDateText10(from, f) || !ParseDateText10(to, t)) return 0;
  int count = 0;
  for (const DateEntry& e : items_)
    if (DateInPeriod(e, f, t) && e.HasText(cadence)) count += mode == 1 ? -1 : 1;
  return count;
}

void DateList::ForEachPeriodDay(std::string_view start, std::string_view cadence, std::string_view from,
                                std::string_view to, const std::function<void(int)>& mark) const {
  DateRecord s, f, t;
  if (!ParseDateText10(start, s) || !ParseDateText10(from, f) || !ParseDateText10(to, t)) return;
  const QDate startDate = ToQDate(s);
  if (!startDate.isValid()) return;
  for (const DateEntry& e : items_) {
    if (!DateInPeriod(e, f, t) || !e.HasText(cadence)) continue;
    const QDate d = ToQDate(e);
    if (!d.isValid()) continue;
    const double days = DatePart(static_cast<double>(startDate.daysTo(d)));
    if (std::fabs(days) > 2.0e9) continue;
    mark(static_cast<int>(days));
  }
}
