// The texts the program writes for dates, distances, times and report totals, the times and
// numbers it reads from what a user typed, and the program's clock.

#include "common/Clock.h"
#include "common/Formatters.h"
#include "common/ReportLists.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <climits>

namespace {

TEST(Formatters, TextsOfDatesDistancesAndTimes) {
  const std::pair<std::string, const char*> cases[] = {
      {DateRecord{987, 1, 2}.Format(), "02/01/0987"},
      {FormatMetresAsKm(0), "0,000"},
      {FormatMetresAsKm(1500), "1,500"},
      {FormatMetresAsKm(-250), "-0,250"},
      {FormatMetresAsKm(12345678), "12345,678"},  // no thousands separator
      {DecimalComma("1.2.3"), "1,2,3"},
      {FormatTimeOfDay(835), "8:35"},
      {FormatTimeOfDay(0), "0:00"},
      {FormatTimeOfDay(9999), "99:99"},
      {FormatTimeOfDay(-1), ""},
      {FormatDuration(75), "1h 15m"},
      {FormatDuration(60), "1h 0m"},
      {FormatDuration(59), "59m"},
      {FormatDuration(0), "0m"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

TEST(Formatters, TypedTimesBecomeHhmmAndNumbersAreHeld) {
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
  EXPECT_EQ(LeadingInt("  -42x"), -42);
  EXPECT_EQ(LeadingInt("+7"), 7);
  EXPECT_EQ(LeadingInt("-99999999999"), INT_MIN);
}

ReportRowList RowsWithMinutes(std::initializer_list<std::pair<int, int>> minutesAndCount) {
  ReportRowList rows;
  int id = 1;
  for (auto [minutes, count] : minutesAndCount) rows.Append(7, id++, "T", "L", 'A', 12345, minutes)->count = count;
  return rows;
}

TEST(Formatters, ReportRowTimesAndTotals) {
  ReportRowList rows = RowsWithMinutes({{59, 1}, {60, 1}, {605, 3}, {30, 5}, {700, 2}});
  EXPECT_EQ(rows.FormatTimeAt(7, 0), "00:59");
  EXPECT_EQ(rows.FormatTimeAt(7, 1), "01:00");
  EXPECT_EQ(rows.FormatTimeAt(7, 2), "10:05");
  EXPECT_EQ(rows.FormatTotalTimeAt(7, 3), "2:30");
  EXPECT_EQ(rows.FormatTotalTimeAt(7, 4), "23:20");
  EXPECT_EQ(rows.FormatTotalTimeAt(7, 0), "00:59");
  EXPECT_EQ(rows.FormatTotalKmAt(7, 2), "37,0");  // 12345 m x 3
  EXPECT_EQ(rows.FormatKmAt(7, 2), "12,345");
  EXPECT_EQ(rows.FormatCountAt(7, 3), "5");
  // A year of daily runs of a long trip does not overflow the total.
  EXPECT_EQ(RowsWithMinutes({{1000000, 5000}}).FormatTotalTimeAt(7, 0), "83333333:20");
}

TEST(Formatters, MissingReportRowsGiveQuestionMark) {
  ReportRowList rows = RowsWithMinutes({{10, 1}, {20, 1}});
  rows.Append(8, 99, "X", "Y", 'R', 500, 5);
  // Beyond the rows of a key, before them, or no such key.
  for (auto [key, at] : {std::pair{7, 2}, {7, -1}, {9, 0}}) {
    EXPECT_EQ(rows.FormatKmAt(key, at) + rows.FormatTimeAt(key, at) + rows.FormatCountAt(key, at) +
                  rows.FormatTotalKmAt(key, at) + rows.FormatTotalTimeAt(key, at),
              "?????");
    EXPECT_EQ(rows.GetIdAt(key, at), -1);
    EXPECT_EQ(rows.GetCodeAt(key, at), '?');
    EXPECT_EQ(rows.GetFlagAt(key, at), 0);
    EXPECT_EQ(rows.GetTextAt(key, at), nullptr);
    EXPECT_EQ(rows.GetValueAt(key, at), nullptr);
  }
  EXPECT_EQ(rows.GetIdAt(8, 0), 99);
  ASSERT_NE(rows.GetText2At(8, 0), nullptr);
  EXPECT_EQ(*rows.GetText2At(8, 0) + rows.GetFlagAt(8, 0) + rows.FormatKmAt(8, 0), "YR0,500");
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
