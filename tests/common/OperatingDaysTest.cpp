// The days of operation of a trip: the bit set of the calendar's dates, the calendar of the
// working period, and the rule that a date counts once when an included period gives it and no
// excluded period takes it away.

#include "common/OperatingDays.h"

#include <gtest/gtest.h>

namespace {

// The set's positions, written out.
std::string Positions(const DayBits& bits) {
  std::string out;
  for (size_t i = bits.NextSet(0); i < bits.Size(); i = bits.NextSet(i + 1)) out += std::to_string(i) + " ";
  return out;
}

TEST(DayBits, RangesCountsAndTheNthDayAcrossWords) {
  DayBits all(200);
  for (size_t i = 0; i < 200; ++i) all.Set(i);
  struct Case {
    size_t first, last;  // [first, last)
    size_t count;
  };
  const Case cases[] = {{0, 200, 200}, {0, 64, 64},    {63, 65, 2}, {64, 128, 64}, {5, 5, 0},
                        {199, 200, 1}, {150, 400, 50}, {10, 3, 0},  {1, 199, 198}};
  for (const Case& c : cases) {
    DayBits some(200);
    some.AddRange(all, c.first, c.last);
    EXPECT_EQ(some.Count(), c.count) << c.first << "-" << c.last;
    if (c.count > 0) {
      EXPECT_EQ(some.NthSet(0), c.first);
      EXPECT_EQ(some.NthSet(c.count - 1), std::min<size_t>(c.last, 200) - 1);
      EXPECT_EQ(some.NextSet(0), c.first);
    }
    EXPECT_EQ(some.NthSet(c.count), 200u);
  }
  DayBits odd(130);
  for (size_t i = 1; i < 130; i += 2) odd.Set(i);
  EXPECT_EQ(odd.NthSet(31), 63u);
  EXPECT_EQ(odd.NthSet(32), 65u);
  EXPECT_EQ(odd.NextSet(64), 65u);
  EXPECT_EQ(odd.NextSet(130), 130u);
  DayBits low(130);
  low.AddRange(odd, 0, 70);
  odd.Remove(low);
  EXPECT_EQ(Positions(odd).substr(0, 12), "71 73 75 77 ");
  EXPECT_FALSE(odd.Test(69));
  EXPECT_TRUE(odd.Test(129));
  EXPECT_FALSE(odd.Test(500));
}

// January 2024: FER on every weekday, SAB on Saturdays; a date outside the period is left out.
ServiceCalendar January() {
  ServiceCalendar c("01/01/2024", "31/01/2024");
  for (int d = 31; d >= 1; --d) {  // any order
    const std::string date = (d < 10 ? "0" : "") + std::to_string(d) + "/01/2024";
    const int weekday = (d - 1) % 7;  // 01/01/2024 is a Monday
    if (weekday < 5) c.Add(date, "FER");
    if (weekday == 5) c.Add(date, "SAB");
    c.Add(date, "TUT");
  }
  c.Add("01/02/2024", "FER");
  c.Add("1/1/2024", "FER");
  c.Finish();
  return c;
}

TEST(ServiceCalendar, DatesInOrderOnceWithTheirWeekdays) {
  const ServiceCalendar c = January();
  ASSERT_EQ(c.DayCount(), 31u);
  EXPECT_EQ(c.DateAt(0).Format(), "01/01/2024");
  EXPECT_EQ(c.DateAt(30).Format(), "31/01/2024");
  EXPECT_EQ(c.WeekdayAt(0), '1');
  EXPECT_EQ(c.WeekdayAt(5), '6');
  EXPECT_EQ(std::string(WeekdayShortName(c.WeekdayAt(6))), "Do");
  EXPECT_EQ(std::string(WeekdayShortName('0')), "??");
  EXPECT_EQ(ServiceCalendar("1/1/2024", "31/01/2024").DayCount(), 0u);
}

TEST(ServiceCalendar, ADayCountsOnceWhenIncludedAndNotExcluded) {
  const ServiceCalendar c = January();
  using P = std::vector<ValidityPeriod>;
  struct Case {
    P periods;
    size_t days;
  };
  const Case cases[] = {
      {{{"FER", "01/01/2024", "31/01/2024", false}}, 23},
      {{{"SAB", "01/01/2024", "31/01/2024", false}}, 4},
      // Overlapping included periods: each date once.
      {{{"FER", "01/01/2024", "20/01/2024", false}, {"FER", "10/01/2024", "31/01/2024", false}}, 23},
      {{{"FER", "01/01/2024", "31/01/2024", false}, {"FER", "01/01/2024", "31/01/2024", false}}, 23},
      // An exclusion alone, or over days no period gives: nothing, never less.
      {{{"FER", "01/01/2024", "31/01/2024", true}}, 0},
      {{{"SAB", "01/01/2024", "10/01/2024", false}, {"FER", "15/01/2024", "31/01/2024", true}}, 1},
      // An exclusion takes the date away from every day type of the trip.
      {{{"SAB", "01/01/2024", "31/01/2024", false}, {"TUT", "13/01/2024", "13/01/2024", true}}, 3},
      {{{"FER", "01/01/2024", "31/01/2024", false}, {"FER", "01/01/2024", "05/01/2024", true}}, 18},
      // Outside the working period, unknown day types, dates of another length: nothing.
      {{{"FER", "01/02/2024", "29/02/2024", false}}, 0},
      {{{"FER", "15/12/2023", "02/01/2024", false}}, 2},
      {{{"XXX", "01/01/2024", "31/01/2024", false}}, 0},
      {{{"FER", "1/1/2024", "31/01/2024", false}}, 0},
      {{{"FER", "31/01/2024", "01/01/2024", false}}, 0},
      {{}, 0},
  };
  for (const Case& k : cases) {
    const DayBits days = c.OperatingDays(k.periods);
    EXPECT_EQ(days.Size(), 31u);
    EXPECT_EQ(days.Count(), k.days) << Positions(days);
  }
  const DayBits saturdays = c.OperatingDays({{"SAB", "01/01/2024", "31/01/2024", false}});
  EXPECT_EQ(Positions(saturdays), "5 12 19 26 ");
}

}  // namespace
