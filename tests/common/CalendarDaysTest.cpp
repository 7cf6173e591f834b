// Easter and the holidays against an independent computation, the days of a calendar, and the
// periods of the service calendar.

#include "common/CalendarDays.h"
#include "common/DateList.h"
#include "common/EditorLists.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

// Easter Sunday by the anonymous Gregorian algorithm (Meeus/Jones/Butcher), an independent
// computation for comparison.
QDate ReferenceEaster(int y) {
  const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4, f = (b + 8) / 25, g = (b - f + 1) / 3;
  const int h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4;
  const int l = (32 + 2 * e + 2 * i - h - k) % 7, m = (a + 11 * h + 22 * l) / 451;
  return QDate(y, (h + l - 7 * m + 114) / 31, (h + l - 7 * m + 114) % 31 + 1);
}

TEST(Easter, MatchesAnIndependentComputationForEveryAllowedYear) {
  for (int year = 1900; year <= 2199; ++year) {
    int em = 0, ed = 0, mm = 0, md = 0;
    ASSERT_TRUE(EasterDate(year, em, ed, mm, md)) << year;
    const QDate sunday(year, em, ed);
    EXPECT_EQ(sunday, ReferenceEaster(year)) << year;
    EXPECT_EQ(sunday.dayOfWeek(), 7) << year;
    EXPECT_EQ(QDate(year, mm, md), sunday.addDays(1)) << year;  // 31 March is followed by 1 April
  }
  int em = -5, ed = -5, mm = -5, md = -5;
  EXPECT_EQ(EasterDate(1899, em, ed, mm, md), 0);
  EXPECT_EQ(EasterDate(2200, em, ed, mm, md), 0);
  EXPECT_EQ(em + ed + mm + md, -20);  // untouched
}

TEST(Holidays, NamedOnTheirDatesInOrdinaryAndLeapYears) {
  for (int year : {1900, 1981, 2000, 2023, 2024, 2038, 2100}) {
    std::map<QDate, std::string> expected = {
        {QDate(year, 1, 1), "Capodanno"},   {QDate(year, 1, 6), "Epifania"}, {QDate(year, 4, 25), "25 Aprile"},
        {QDate(year, 5, 1), "1 Maggio"},    {QDate(year, 6, 2), "2 Giugno"}, {QDate(year, 8, 15), "Ferragosto"},
        {QDate(year, 11, 1), "Ognissanti"}, {QDate(year, 11, 2), "Defunti"}, {QDate(year, 11, 4), "4 Novembre"},
        {QDate(year, 12, 8), "Immacolata"}, {QDate(year, 12, 25), "Natale"}, {QDate(year, 12, 26), "S.Stefano"},
    };
    const QDate easter = ReferenceEaster(year);
    expected[easter] = "Pasqua";
    expected[easter.addDays(1)] = "Pasquetta";
    CadenceNoteList days;
    BuildCalendarDays(days, QDate(year, 1, 1), QDate(year, 12, 31));
    std::map<QDate, std::string> names;
    for (const CadenceNote& n : days)
      if (!n.name.empty()) names[QDate(n.year, n.month, n.day)] = n.name;
    EXPECT_EQ(names, expected) << year;
  }
}

TEST(Holidays, EasterNamesReplaceTheTwentyFifthOfApril) {
  const std::pair<QDate, const char*> cases[] = {
      {QDate(2011, 4, 25), "Pasquetta"},
      {QDate(2038, 4, 25), "Pasqua"},
      {QDate(2024, 4, 25), "25 Aprile"},
      {QDate(2024, 4, 1), "Pasquetta"},
      {QDate(2024, 4, 2), ""},
      {QDate(2250, 12, 25), "Natale"},  // outside the years of Easter only the fixed holidays are named
  };
  for (const auto& [date, name] : cases) EXPECT_EQ(HolidayName(date), name) << date.toString().toStdString();
}

TEST(CalendarDays, WeekdaysAndRangeLimits) {
  CadenceNoteList days;
  for (int year : {1900, 2024, 2099}) {                                 // 1900 is no leap year, 2024 is one
    BuildCalendarDays(days, QDate(year, 1, 1), QDate(year + 1, 1, 1));  // rebuilding replaces the old days
    ASSERT_EQ(days.Count(), QDate(year, 1, 1).daysTo(QDate(year + 1, 1, 1)) + 1) << year;
    for (const CadenceNote& n : days)
      EXPECT_EQ(n.weekday, '0' + QDate(n.year, n.month, n.day).dayOfWeek()) << n.year << "-" << n.month << "-" << n.day;
    EXPECT_EQ(days.Last()->name, "Capodanno");
  }
  EXPECT_EQ(days.Find(2099, 2, 29), nullptr);
  EXPECT_EQ(days.Find(2099, 12, 25)->name, "Natale");
  EXPECT_EQ(BuildCalendarDays(days, QDate(2024, 5, 5), QDate(2024, 5, 5)).Count(), 1);
  EXPECT_EQ(BuildCalendarDays(days, QDate(2024, 5, 6), QDate(2024, 5, 5)).Count(), 0);
  EXPECT_EQ(BuildCalendarDays(days, QDate(), QDate(2024, 5, 5)).Count(), 0);
  EXPECT_EQ(BuildCalendarDays(days, QDate(2024, 5, 5), QDate(2024, 2, 30)).Count(), 0);
}

TEST(CalendarDays, WholeDaysDateTextsAndThePeriodTest) {
  for (const auto& [difference, days] : std::initializer_list<std::pair<double, double>>{
           {0.0, 0.0}, {1.0, 1.0}, {6.9999999, 7.0}, {-2.0000001, -2.0}, {2.4, 2.0}, {-2.4, -2.0}})
    EXPECT_EQ(DatePart(difference), days) << difference;

  DateRecord d;
  ASSERT_TRUE(ParseDateText10("05-03.2024", d));  // separators not examined
  EXPECT_EQ(std::vector<int>({d.day, d.month, d.year}), std::vector<int>({5, 3, 2024}));
  EXPECT_FALSE(ParseDateText10("5/03/2024", d));
  EXPECT_FALSE(ParseDateText10("05/03/20245", d));

  const DateRecord from{2023, 12, 30}, to{2024, 1, 2};
  const std::pair<DateRecord, bool> cases[] = {
      {{2023, 12, 30}, true},  {{2023, 12, 31}, true},  {{2024, 1, 2}, true},  {{2024, 1, 3}, false},
      {{2023, 12, 29}, false}, {{2023, 11, 31}, false}, {{2024, 2, 1}, false},
  };
  for (const auto& [date, inside] : cases) EXPECT_EQ(DateInPeriod(date, from, to), inside) << date.Format();
}

DateList ServiceCalendar() {
  DateList dates;
  for (const char* d : {"30/12/2023", "31/12/2023", "01/01/2024", "02/01/2024", "03/01/2024"})
    dates.AddDateText(d, "FER");
  dates.AddDateText("01/01/2024", "FES");
  return dates;
}

TEST(DateListPeriods, CountsDatesOfADayTypeInAPeriod) {
  const DateList dates = ServiceCalendar();
  const struct {
    const char *from, *to, *type;
    int mode, count;
  } cases[] = {
      {"31/12/2023", "02/01/2024", "FER", 0, 3},  {"31/12/2023", "02/01/2024", "FER", 1, -3},
      {"01/01/2000", "31/12/2099", "FES", 2, 1},  {"01/01/2000", "31/12/2099", "fer", 0, 0},  // case counts
      {"01/01/2000", "31/12/2099", "FER ", 0, 0}, {"1/12/2023", "02/01/2024", "FER", 0, 0},   // 9 characters
      {"31/12/2023", "02/01/202", "FER", 0, 0},   {"03/01/2024", "30/12/2023", "FER", 0, 0},  // reversed period
  };
  for (const auto& c : cases) EXPECT_EQ(dates.CountText(c.from, c.to, c.type, c.mode), c.count) << c.from << c.type;
}

// The days of one trip as the duplicate-trip check keeps them.
struct TestTripDays {
  std::string run = std::string(10, 'N');
  std::string excluded = std::string(10, 'N');
  void SetRunDay(int i, char flag) {
    if (i >= 0 && i < 10) run[static_cast<std::size_t>(i)] = flag;
  }
  void SetExcludedDay(int i, char flag) {
    if (i >= 0 && i < 10) excluded[static_cast<std::size_t>(i)] = flag;
  }
};

TEST(DateListPeriods, MarksTripDaysFromTheStartOfTheServicePeriod) {
  const DateList dates = ServiceCalendar();
  TestTripDays days;
  dates.MarkTripDays(days, "30/12/2023", "FER", "31/12/2023", "02/01/2024", 0);
  EXPECT_EQ(days.run, "NSSSNNNNNN");
  dates.MarkTripDays(days, "30/12/2023", "FES", "01/01/2024", "01/01/2024", 1);
  EXPECT_EQ(days.excluded, "NNSNNNNNNN");
  // Dates before the start give negative indexes, which the days ignore.
  dates.MarkTripDays(days, "01/01/2024", "FER", "01/01/2000", "31/12/2099", 1);
  EXPECT_EQ(days.excluded, "SSSNNNNNNN");

  TestTripDays untouched;
  dates.MarkTripDays(untouched, "30/12/202", "FER", "31/12/2023", "02/01/2024", 0);
  dates.MarkTripDays(untouched, "30/12/2023", "FER", "31/12/23", "02/01/2024", 0);
  dates.MarkTripDays(untouched, "31/02/2023", "FER", "31/12/2023", "02/01/2024", 0);  // no such start date
  EXPECT_EQ(untouched.run, std::string(10, 'N'));
}

TEST(DateListPeriods, DateRangeCoversDatesBefore1901AndAfter2099) {
  DateList dates, late;
  const auto range = [](const DateList& list) {
    QDate first, last;
    list.GetDateRange(first, last);
    return first.toString(Qt::ISODate).toStdString() + " " + last.toString(Qt::ISODate).toStdString();
  };
  EXPECT_EQ(range(dates), "2099-12-31 1901-01-01");  // empty: a range with its start after its end
  dates.AddDateText("15/06/1900", "X");
  EXPECT_EQ(range(dates), "1900-06-15 1900-06-15");
  dates.AddDateText("03/03/2150", "X");
  dates.AddDateText("01/01/2024", "X");
  dates.AddDateText("31/02/2024", "X");  // no calendar date: ignored by the range
  EXPECT_EQ(range(dates), "1900-06-15 2150-03-03");
  late.AddDateText("01/01/2100", "X");
  late.AddDateText("31/12/2100", "X");
  EXPECT_EQ(range(late), "2100-01-01 2100-12-31");
}

}  // namespace
