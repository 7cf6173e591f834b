#include "common/CalendarDays.h"

#include "common/EditorLists.h"

#include <cmath>

namespace {

struct FixedHoliday {
  int month;
  int day;
  const char* name;
};

constexpr FixedHoliday kFixedHolidays[] = {
    {1, 1, "Capodanno"},   {1, 6, "Epifania"},    {4, 25, "25 Aprile"},  {5, 1, "1 Maggio"},
    {6, 2, "2 Giugno"},    {8, 15, "Ferragosto"}, {11, 1, "Ognissanti"}, {11, 2, "Defunti"},
    {11, 4, "4 Novembre"}, {12, 8, "Immacolata"}, {12, 25, "Natale"},    {12, 26, "S.Stefano"},
};

}  // namespace

int EasterDate(int year, int& easterMonth, int& easterDay, int& mondayMonth, int& mondayDay) {
  if (year < 1900 || year > 2199) return 0;
  const int golden = year % 19 + 1;
  const int epact = (11 * golden - 6) % 30;
  const int p = 50 - epact;  // days from 1 March: 20 .. 50
  int month = p <= 31 ? 3 : 4;
  int day = p <= 31 ? p : p - 31;
  if (month == 4 && day == 19)
    day = 18;
  else if (month == 4 && day == 18 && golden >= 12)
    day = 17;
  const QDate fullMoon(year, month, day);
  const QDate sunday = fullMoon.addDays(7 - fullMoon.dayOfWeek() % 7);  // strictly after
  const QDate monday = sunday.addDays(1);
  easterMonth = sunday.month();
  easterDay = sunday.day();
  mondayMonth = monday.month();
  mondayDay = monday.day();
  return 1;
}

std::string HolidayName(const QDate& date) {
  if (!date.isValid()) return std::string();
  std::string name;
  for (const FixedHoliday& h : kFixedHolidays)
    if (h.month == date.month() && h.day == date.day()) name = h.name;
  if (date.month() == 3 || date.month() == 4) {
    int em = 0, ed = 0, mm = 0, md = 0;
    if (EasterDate(date.year(), em, ed, mm, md)) {
      if (date.month() == em && date.day() == ed) name = "Pasqua";
      if (date.month() == mm && date.day() == md) name = "Pasquetta";
    }
  }
  return name;
}

char WeekdayDigit(const QDate& date) { return static_cast<char>('0' + date.dayOfWeek()); }

CadenceNoteList& BuildCalendarDays(CadenceNoteList& list, const QDate& first, const QDate& last) {
  list.Clear();
  if (!first.isValid() || !last.isValid()) return list;
  for (QDate d = first; d <= last; d = d.addDays(1))
    list.Append(d.year(), d.month(), d.day(), WeekdayDigit(d), HolidayName(d));
  return list;
}

double DatePart(double value) {
  constexpr double kHalfSecond = 5.787037037037037e-6;
  return std::trunc(value >= 0 ? value + kHalfSecond : value - kHalfSecond);
}

bool ParseDateText10(std::string_view text, DateRecord& out) {
  if (text.size() != 10) return false;
  out.day = LeadingInt(text.substr(0, 2));
  out.month = LeadingInt(text.substr(3, 2));
  out.year = LeadingInt(text.substr(6, 4));
  return true;
}

bool DateInPeriod(const DateRecord& date, const DateRecord& from, const DateRecord& to) {
  // Year, then month, then day: both ends included.
  auto notBefore = [](const DateRecord& a, const DateRecord& b) {
    if (a.year != b.year) return a.year > b.year;
    if (a.month != b.month) return a.month > b.month;
    return a.day >= b.day;
  };
  return notBefore(date, from) && notBefore(to, date);
}

QDate ToQDate(const DateRecord& date) { return QDate(date.year, date.month, date.day); }
