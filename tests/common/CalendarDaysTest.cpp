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

QDate EasterOf(int year, QDate* monday = nullptr) {
  int em = 0, ed = 0, mm = 0, md = 0;
  if (!EasterDate(year, em, ed, mm, md)) return QDate();
  if (monday) *monday = QDate(year, mm, md);
  return QDate(year, em, ed);
}

std::map<QDate, std::string> NamesOfYear(int year) {
  CadenceNoteList days;
  BuildCalendarDays(days, QDate(year, 1, 1), QDate(year, 12, 31));
  std::map<QDate, std::string> names;
  for (const CadenceNote& n : days)
    if (!n.name.empty()) names[QDate(n.year, n.month, n.day)] = n.name;
  return names;
}

}  // namespace

TEST(Easter, MatchesAnIndependentComputationForEveryAllowedYear) {
  for (int year = 1900; year <= 2199; ++year) {
    QDate monday;
    const QDate sunday = EasterOf(year, &monday);
    ASSERT_TRUE(sunday.isValid()) << year;
    EXPECT_EQ(sunday, ReferenceEaster(year)) << year;
    EXPECT_EQ(sunday.dayOfWeek(), 7) << year;
    EXPECT_EQ(monday, sunday.addDays(1)) << year;
  }
}

TEST(Easter, KnownYearsAndLimits) {
  QDate monday;
  EXPECT_EQ(EasterOf(2024, &monday), QDate(2024, 3, 31));
  EXPECT_EQ(monday, QDate(2024, 4, 1));  // 31 March is followed by 1 April
  EXPECT_EQ(EasterOf(2021, &monday), QDate(2021, 4, 4));
  EXPECT_EQ(monday, QDate(2021, 4, 5));
  EXPECT_EQ(EasterOf(2025), QDate(2025, 4, 20));
  EXPECT_EQ(EasterOf(2008), QDate(2008, 3, 23));
  EXPECT_EQ(EasterOf(2010), QDate(2010, 4, 4));
  EXPECT_EQ(EasterOf(2011), QDate(2011, 4, 24));
  EXPECT_EQ(EasterOf(1981), QDate(1981, 4, 19));
  EXPECT_EQ(EasterOf(2019), QDate(2019, 4, 21));

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
    EXPECT_EQ(NamesOfYear(year), expected) << year;
  }
}

TEST(Holidays, EasterNamesReplaceTheTwentyFifthOfApril) {
  EXPECT_EQ(HolidayName(QDate(2011, 4, 25)), "Pasquetta");
  EXPECT_EQ(HolidayName(QDate(2038, 4, 25)), "Pasqua");
  EXPECT_EQ(HolidayName(QDate(2024, 4, 25)), "25 Aprile");
  EXPECT_EQ(HolidayName(QDate(2024, 4, 1)), "Pasquetta");
  EXPECT_EQ(HolidayName(QDate(2024, 4, 2)), "");
  // Outside the years of Easter only the fixed holidays are named.
  EXPECT_EQ(HolidayName(QDate(2250, 12, 25)), "Natale");
}

TEST(CalendarDays, WeekdaysAndRangeLimits) {
  CadenceNoteList days;
  BuildCalendarDays(days, QDate(2024, 1, 1), QDate(2024, 1, 7));
  ASSERT_EQ(days.Count(), 7);
  std::string digits, names;
  for (const CadenceNote& n : days) {
    digits += n.weekday;
    names += n.name + "|";
  }
  EXPECT_EQ(digits, "1234567");  // 1 January 2024 is a Monday
  EXPECT_EQ(names, "Capodanno|||||Epifania||");
  EXPECT_EQ(days.First()->year, 2024);
  EXPECT_EQ(days.Last()->day, 7);
  EXPECT_EQ(days.Find(2024, 1, 6)->name, "Epifania");

  // Rebuilding replaces the old days; a leap day has its entry.
  BuildCalendarDays(days, QDate(2024, 2, 28), QDate(2024, 3, 1));
  ASSERT_EQ(days.Count(), 3);
  EXPECT_NE(days.Find(2024, 2, 29), nullptr);
  EXPECT_EQ(days.Find(2024, 1, 1), nullptr);

  BuildCalendarDays(days, QDate(1900, 2, 28), QDate(1900, 3, 1));  // 1900 is no leap year
  EXPECT_EQ(days.Count(), 2);
  EXPECT_EQ(days.First()->weekday, '3');  // 28 February 1900 was a Wednesday

  BuildCalendarDays(days, QDate(2099, 12, 31), QDate(2100, 1, 1));
  ASSERT_EQ(days.Count(), 2);
  EXPECT_EQ(days.Last()->name, "Capodanno");

  EXPECT_EQ(BuildCalendarDays(days, QDate(2024, 5, 5), QDate(2024, 5, 5)).Count(), 1);
  EXPECT_EQ(BuildCalendarDays(days, QDate(2024, 5, 6), QDate(2024, 5, 5)).Count(), 0);
  EXPECT_EQ(BuildCalendarDays(days, QDate(), QDate(2024, 5, 5)).Count(), 0);
  EXPECT_EQ(BuildCalendarDays(days, QDate(2024, 5, 5), QDate(2024, 2, 30)).Count(), 0);
}

TEST(CalendarDays, WholeDaysOfADifference) {
  EXPECT_EQ(DatePart(0.0), 0.0);
  EXPECT_EQ(DatePart(1.0), 1.0);
  EXPECT_EQ(DatePart(6.9999999), 7.0);
  EXPECT_EQ(DatePart(-2.0000001), -2.0);
  EXPECT_EQ(DatePart(2.4), 2.0);
  EXPECT_EQ(DatePart(-2.4), -2.0);
}

TEST(CalendarDays, DateTextsAndThePeriodTest) {
  DateRecord d;
  ASSERT_TRUE(ParseDateText10("05-03.2024", d));  // separators not examined
  EXPECT_EQ(d.day, 5);
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.year, 2024);
  EXPECT_FALSE(ParseDateText10("5/03/2024", d));
  EXPECT_FALSE(ParseDateText10("05/03/20245", d));

  const DateRecord from{2023, 12, 30}, to{2024, 1, 2};
  EXPECT_TRUE(DateInPeriod(DateRecord{2023, 12, 30}, from, to));
  EXPECT_TRUE(DateInPeriod(DateRecord{2023, 12, 31}, from, to));
  EXPECT_TRUE(DateInPeriod(DateRecord{2024, 1, 2}, from, to));
  EXPECT_FALSE(DateInPeriod(DateRecord{2024, 1, 3}, from, to));
  EXPECT_FALSE(DateInPeriod(DateRecord{2023, 12, 29}, from, to));
  EXPECT_FALSE(DateInPeriod(DateRecord{2023, 11, 31}, from, to));
  EXPECT_FALSE(DateInPeriod(DateRecord{2024, 2, 1}, from, to));
}

namespace {

DateList ServiceCalendar() {
  DateList dates;
  for (const char* d : {"30/12/2023", "31/12/2023", "01/01/2024", "02/01/2024", "03/01/2024"}) {
    dates.AddDateText(d, "FER");
  }
  dates.AddDateText("01/01/2024", "FES");
  return dates;
}

// The days of one trip as the duplicate-trip check keeps them.
struct TestTripDays {
  std::string run = std::string(10, 'N');
  std::string excluded = std::string(10, 'N');
  void SetRunDay(int i, char flag) {
    if (i >= 0 && i < static_cast<int>(run.size())) run[static_cast<std::size_t>(i)] = flag;
  }
  void SetExcludedDay(int i, char flag) {
    if (i >= 0 && i < static_cast<int>(excluded.size())) excluded[static_cast<std::size_t>(i)] = flag;
  }
};

}  // namespace

TEST(DateListPeriods, CountsDatesOfADayTypeInAPeriod) {
  const DateList dates = ServiceCalendar();
  EXPECT_EQ(dates.CountText("31/12/2023", "02/01/2024", "FER", 0), 3);
  EXPECT_EQ(dates.CountText("31/12/2023", "02/01/2024", "FER", 1), -3);
  EXPECT_EQ(dates.CountText("01/01/2000", "31/12/2099", "FES", 2), 1);
  EXPECT_EQ(dates.CountText("01/01/2000", "31/12/2099", "fer", 0), 0);  // case counts
  EXPECT_EQ(dates.CountText("01/01/2000", "31/12/2099", "FER ", 0), 0);
  EXPECT_EQ(dates.CountText("1/12/2023", "02/01/2024", "FER", 0), 0);  // 9 characters
  EXPECT_EQ(dates.CountText("31/12/2023", "02/01/202", "FER", 0), 0);
  EXPECT_EQ(dates.CountText("03/01/2024", "30/12/2023", "FER", 0), 0);  // reversed period
}

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
  DateList dates;
  QDate first, last;
  dates.GetDateRange(first, last);
  EXPECT_EQ(first, QDate(2099, 12, 31));
  EXPECT_EQ(last, QDate(1901, 1, 1));
  EXPECT_GT(first, last);  // empty range

  dates.AddDateText("15/06/1900", "X");
  dates.GetDateRange(first, last);
  EXPECT_EQ(first, QDate(1900, 6, 15));
  EXPECT_EQ(last, QDate(1900, 6, 15));

  dates.AddDateText("03/03/2150", "X");
  dates.AddDateText("01/01/2024", "X");
  dates.AddDateText("31/02/2024", "X");  // no calendar date: ignored by the range
  dates.GetDateRange(first, last);
  EXPECT_EQ(first, QDate(1900, 6, 15));
  EXPECT_EQ(last, QDate(2150, 3, 3));

  DateList late;
  late.AddDateText("01/01/2100", "X");
  late.AddDateText("31/12/2100", "X");
  late.GetDateRange(first, last);
  EXPECT_EQ(first, QDate(2100, 1, 1));
  EXPECT_EQ(last, QDate(2100, 12, 31));
}
