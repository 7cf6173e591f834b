// The program's clock and its fixed moment.

#include "common/Clock.h"

#include <gtest/gtest.h>
#include <QDateTime>

TEST(Clock, ParsesOnlyRealMoments) {
  ClockTime t;
  ASSERT_TRUE(ParseClockTime("2024-02-29 23:59", t));
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.day, 29);
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 0);
  ASSERT_TRUE(ParseClockTime("2025-12-31 08:05:09", t));
  EXPECT_EQ(t.second, 9);
  for (const char* bad : {"2025-02-29 10:00", "2025-1-01 10:00", "2025-01-01 24:00", "2025-01-01T10:00",
                          "2025-01-01 10:00 ", "2025-01-01", "", "2025-01-01 10:60", "20x5-01-01 10:00"})
    EXPECT_FALSE(ParseClockTime(bad, t)) << bad;
}

TEST(Clock, FixedMomentHoldsUntilReleased) {
  FixClock({2031, 7, 14, 9, 30, 0});
  const ClockTime fixed = Now();
  EXPECT_EQ(fixed.year, 2031);
  EXPECT_EQ(fixed.minute, 30);
  UnfixClock();
  const ClockTime real = Now();
  EXPECT_EQ(real.year, QDate::currentDate().year());
}
