#include "common/EditorLists.h"
#include "common/Formatters.h"
#include "common/ReportLists.h"

#include <gtest/gtest.h>
#include <climits>

TEST(Formatters, DatesAreDayMonthYear) {
  EXPECT_EQ((DateRecord{2024, 3, 5}.Format()), "05/03/2024");
  EXPECT_EQ((DateRecord{2024, 12, 31}.Format()), "31/12/2024");
  EXPECT_EQ((DateRecord{987, 1, 2}.Format()), "02/01/0987");
}

TEST(Formatters, KilometresCarryADecimalComma) {
  EXPECT_EQ(FormatMetresAsKm(0), "0,000");
  EXPECT_EQ(FormatMetresAsKm(1500), "1,500");
  EXPECT_EQ(FormatMetresAsKm(-250), "-0,250");
  EXPECT_EQ(FormatMetresAsKm(1234), "1,234");
  EXPECT_EQ(FormatMetresAsKm(12345678), "12345,678");  // no thousands separator
  EXPECT_EQ(DecimalComma("1.2.3"), "1,2,3");
}

TEST(Formatters, TimesOfDayAndDurations) {
  EXPECT_EQ(FormatTimeOfDay(835), "8:35");
  EXPECT_EQ(FormatTimeOfDay(1205), "12:05");
  EXPECT_EQ(FormatTimeOfDay(0), "0:00");
  EXPECT_EQ(FormatTimeOfDay(9999), "99:99");
  EXPECT_EQ(FormatTimeOfDay(-1), "");
  EXPECT_EQ(FormatDuration(75), "1h 15m");
  EXPECT_EQ(FormatDuration(60), "1h 0m");
  EXPECT_EQ(FormatDuration(59), "59m");
  EXPECT_EQ(FormatDuration(0), "0m");
  EXPECT_EQ(CountRecord::Format(-12), "-12");
  EXPECT_EQ(ShortCode5("ABCDEFG"), "ABCDE");
  EXPECT_EQ(ShortCode5("AB"), "AB");
}

TEST(Formatters, TypedTimesBecomeHhmm) {
  EXPECT_EQ(ParseTimeText(""), 0);
  EXPECT_EQ(ParseTimeText("7.4"), 0);
  EXPECT_EQ(ParseTimeText("7.45"), 745);
  EXPECT_EQ(ParseTimeText("12.05"), 1205);
  EXPECT_EQ(ParseTimeText("12.5"), 100);  // four characters: H.MM
  EXPECT_EQ(ParseTimeText("07.45"), 745);
  EXPECT_EQ(ParseTimeText("07:45"), 745);
  EXPECT_EQ(ParseTimeText("7-45"), 745);
  EXPECT_EQ(ParseTimeText("23.59 and more"), 2359);
  EXPECT_EQ(ParseTimeText("ab.cd"), 0);
  // Trailing blanks are no part of the time.
  EXPECT_EQ(ParseTimeText("8:35 "), 835);
  EXPECT_EQ(ParseTimeText("7.4  "), 0);
  // Absurd digits are held, never overflowed.
  EXPECT_EQ(ParseTimeText("99.99999999999999"), INT_MAX);
  EXPECT_EQ(LeadingInt("  -42x"), -42);
  EXPECT_EQ(LeadingInt("+7"), 7);
  EXPECT_EQ(LeadingInt("-99999999999"), INT_MIN);

  TimeCell cell;
  cell.arrivalText = "8:35";
  cell.departureText = "10:40";
  EXPECT_EQ(cell.GetArrivalHhmm(), 835);
  EXPECT_EQ(cell.GetDepartureHhmm(), 1040);
}

namespace {
ReportRowList RowsWithMinutes(std::initializer_list<std::pair<int, int>> minutesAndCount) {
  ReportRowList rows;
  int id = 1;
  for (auto [minutes, count] : minutesAndCount) rows.Append(7, id++, "T", "L", 'A', 12345, minutes)->count = count;
  return rows;
}
}  // namespace

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
  ReportRowList big = RowsWithMinutes({{1000000, 5000}});
  EXPECT_EQ(big.FormatTotalTimeAt(7, 0), "83333333:20");
}

TEST(Formatters, MissingReportRowsGiveQuestionMark) {
  ReportRowList empty;
  for (const std::string& text : {empty.FormatKmAt(1, 0), empty.FormatTimeAt(1, 0), empty.FormatCountAt(1, 0),
                                  empty.FormatTotalKmAt(1, 0), empty.FormatTotalTimeAt(1, 0)})
    EXPECT_EQ(text, "?");
  EXPECT_EQ(empty.GetIdAt(1, 0), -1);
  EXPECT_EQ(empty.GetCodeAt(1, 0), '?');

  ReportRowList rows = RowsWithMinutes({{10, 1}, {20, 1}});
  rows.Append(8, 99, "X", "Y", 'R', 500, 5);
  EXPECT_EQ(rows.FormatKmAt(7, 2), "?");  // beyond the rows of key 7
  EXPECT_EQ(rows.FormatTimeAt(7, -1), "?");
  EXPECT_EQ(rows.FormatKmAt(9, 0), "?");  // no such key
  EXPECT_EQ(rows.GetIdAt(7, 2), -1);
  EXPECT_EQ(rows.GetFlagAt(7, 2), 0);
  EXPECT_EQ(rows.GetTextAt(7, 2), nullptr);
  EXPECT_EQ(rows.GetValueAt(7, 2), nullptr);
  EXPECT_EQ(rows.GetIdAt(8, 0), 99);
  ASSERT_NE(rows.GetText2At(8, 0), nullptr);
  EXPECT_EQ(*rows.GetText2At(8, 0), "Y");
  EXPECT_EQ(rows.GetFlagAt(8, 0), 'R');
  EXPECT_EQ(rows.FormatKmAt(8, 0), "0,500");
}
