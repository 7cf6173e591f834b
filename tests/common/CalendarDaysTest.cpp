// Easter and the holidays against an independent computation, the days of a calendar, and the
// periods of the service calendar; the texts the program writes for dates, distances, times and
// report totals, the times and numbers it reads from what a user typed, and the program's clock.

#include "common/CalendarDays.h"
#include "common/Clock.h"
#include "common/DateList.h"
#include "common/EditorLists.h"
#include "common/Formatters.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <climits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Easter Sunday by the anonymous Gregorian algorithm (Meeus/Jones/Butcher), an independent computation for comparison.
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
  EXPECT_FALSE(EasterDate(1899, em, ed, mm, md) || EasterDate(2200, em, ed, mm, md));
  EXPECT_EQ(em + ed + mm + md, -20);  // untouched
}

// Every day of a year and the next new year's day, with its weekday and holiday: Easter's names
// replace the 25th of April when they fall on it (2011, 2038); outside the years of Easter only
// the fixed holidays are named. Rebuilding replaces the old days; a range with a bad end has none.
TEST(CalendarDays, DaysAndHolidaysOfOrdinaryAndLeapYears) {
  CadenceNoteList days;
  for (int year : {1900, 1981, 2000, 2011, 2024, 2038, 2100}) {
    std::map<QDate, std::string> expected = {
        {QDate(year, 1, 1), "Capodanno"},     {QDate(year, 1, 6), "Epifania"}, {QDate(year, 4, 25), "25 Aprile"},
        {QDate(year, 5, 1), "1 Maggio"},      {QDate(year, 6, 2), "2 Giugno"}, {QDate(year, 8, 15), "Ferragosto"},
        {QDate(year, 11, 1), "Ognissanti"},   {QDate(year, 11, 2), "Defunti"}, {QDate(year, 11, 4), "4 Novembre"},
        {QDate(year, 12, 8), "Immacolata"},   {QDate(year, 12, 25), "Natale"}, {QDate(year, 12, 26), "S.Stefano"},
        {QDate(year + 1, 1, 1), "Capodanno"},
    };
    expected[ReferenceEaster(year)] = "Pasqua";
    expected[ReferenceEaster(year).addDays(1)] = "Pasquetta";
    BuildCalendarDays(days, QDate(year, 1, 1), QDate(year + 1, 1, 1));
    ASSERT_EQ(days.Count(), QDate(year, 1, 1).daysTo(QDate(year + 1, 1, 1)) + 1) << year;
    std::map<QDate, std::string> names;
    for (const CadenceNote& n : days) {
      EXPECT_EQ(n.weekday, '0' + QDate(n.year, n.month, n.day).dayOfWeek()) << n.year << "-" << n.month << "-" << n.day;
      if (!n.name.empty()) names[QDate(n.year, n.month, n.day)] = n.name;
    }
    EXPECT_EQ(names, expected) << year;
  }
  EXPECT_TRUE(days.Find(2100, 2, 29) == nullptr && days.Find(2100, 12, 25)->name == "Natale");
  EXPECT_EQ(HolidayName(QDate(2250, 12, 25)) + "|" + HolidayName(QDate(2250, 4, 25)), "Natale|25 Aprile");
  for (const auto& [first, last, count] : {std::tuple{QDate(2024, 5, 5), QDate(2024, 5, 5), 1},
                                           {QDate(2024, 5, 6), QDate(2024, 5, 5), 0},
                                           {QDate(), QDate(2024, 5, 5), 0},
                                           {QDate(2024, 5, 5), QDate(2024, 2, 30), 0}})
    EXPECT_EQ(BuildCalendarDays(days, first, last).Count(), count);
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

// The days of one trip as the duplicate-trip check keeps them: ten flags of run and of excluded days.
struct TestTripDays {
  std::string run = std::string(10, 'N'), excluded = run;
  static void Set(std::string& days, int i, char flag) {
    if (i >= 0 && i < 10) days[static_cast<std::size_t>(i)] = flag;  // as the trips' own days
  }
  void SetRunDay(int i, char flag) { Set(run, i, flag); }
  void SetExcludedDay(int i, char flag) { Set(excluded, i, flag); }
};

TEST(DateListPeriods, CountsDatesOfACadenceInAPeriodAndMarksTripDays) {
  DateList dates;
  for (const char* d : {"30/12/2023", "31/12/2023", "01/01/2024", "02/01/2024", "03/01/2024"})
    dates.AddDateText(d, "FER");
  dates.AddDateText("01/01/2024", "FES");
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
  // Trip days are marked from the start of the service period.
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

// The range of the dates of a list: empty, a range with its start after its end; dates with no
// calendar day are no part of it; it reaches before 1901 and after 2099.
TEST(DateListPeriods, DateRangeCoversDatesBefore1901AndAfter2099) {
  DateList dates;
  std::string ranges;
  for (const char* date : {"", "15/06/1900", "31/02/2024", "03/03/2150"}) {
    if (*date) dates.AddDateText(date, "X");
    QDate first, last;
    dates.GetDateRange(first, last);
    ranges += first.toString(Qt::ISODate).toStdString() + " " + last.toString(Qt::ISODate).toStdString() + "|";
  }
  EXPECT_EQ(ranges, "2099-12-31 1901-01-01|1900-06-15 1900-06-15|1900-06-15 1900-06-15|1900-06-15 2150-03-03|");
  DateList late;
  late.AddDateText("01/01/2100", "X");
  QDate first, last;
  late.GetDateRange(first, last);
  EXPECT_EQ(std::pair(first, last), std::pair(QDate(2100, 1, 1), QDate(2100, 1, 1)));
}

// Kilometres without a thousands separator; times of day as typed, up to 99:99.
TEST(Formatters, TextsWrittenAndTimesAndNumbersRead) {
  EXPECT_EQ((DateRecord{987, 1, 2}.Format()) + " " + DecimalComma("1.2.3"), "02/01/0987 1,2,3");
  for (const auto& [metres, km] : {std::pair{0, "0,000"}, {1500, "1,500"}, {-250, "-0,250"}, {12345678, "12345,678"}})
    EXPECT_EQ(FormatMetresAsKm(metres), km);
  for (const auto& [hhmm, text] : {std::pair{835, "8:35"}, {0, "0:00"}, {9999, "99:99"}, {-1, ""}})
    EXPECT_EQ(FormatTimeOfDay(hhmm), text);
  for (const auto& [minutes, text] : {std::pair{75, "1h 15m"}, {60, "1h 0m"}, {59, "59m"}, {0, "0m"}})
    EXPECT_EQ(FormatDuration(minutes), text);
  // Typed times become hhmm; numbers are held.
  const std::pair<const char*, int> times[] = {
      {"", 0},        {"7.4", 0},
      {"7.45", 745},  {"12.05", 1205},
      {"12.5", 100},  // four characters: H.MM
      {"07.45", 745}, {"07:45", 745},
      {"7-45", 745},  {"23.59 and more", 2359},
      {"ab.cd", 0},   {"8:35 ", 835},                  // trailing blanks are no part of the time
      {"7.4  ", 0},   {"99.99999999999999", INT_MAX},  // absurd digits are held, never overflowed
  };
  for (const auto& [text, hhmm] : times) EXPECT_EQ(ParseTimeText(text), hhmm) << text;
  EXPECT_EQ(std::vector<int>({LeadingInt("  -42x"), LeadingInt("+7"), LeadingInt("-99999999999")}),
            std::vector<int>({-42, 7, INT_MIN}));
}

TEST(Clock, ParsesOnlyRealMomentsAndAFixedMomentHoldsUntilReleased) {
  ClockTime t;
  ASSERT_TRUE(ParseClockTime("2024-02-29 23:59", t));
  EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
            std::vector<int>({2024, 2, 29, 23, 59, 0}));
  ASSERT_TRUE(ParseClockTime("2025-12-31 08:05:09", t));
  EXPECT_EQ(t.second, 9);
  for (const char* bad : {"2025-02-29 10:00", "2025-1-01 10:00", "2025-01-01 24:00", "2025-01-01T10:00",
                          "2025-01-01 10:00 ", "2025-01-01", "", "2025-01-01 10:60", "20x5-01-01 10:00"})
    EXPECT_FALSE(ParseClockTime(bad, t)) << bad;

  FixClock({2031, 7, 14, 9, 30, 0});
  EXPECT_EQ(std::vector<int>({Now().year, Now().minute}), std::vector<int>({2031, 30}));
  UnfixClock();
  EXPECT_EQ(Now().year, QDate::currentDate().year());
}

}  // namespace
