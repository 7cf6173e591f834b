#pragma once
// The days a trip runs and the days excluded for it, as bit sets over the service calendar (day 0
// its first date), and the test whether two trips run on one day in common.

#include "common/DayBits.h"

#include <algorithm>

// The days of one trip over the calendar: the days its periods run and the days they exclude,
// 'S' or 'N' for each day (day 0 the calendar's first date; outside the range 'N').
class TripDays {
 public:
  // Sized for the calendar's days, every day 'N'.
  void Init(int dayCount) {
    run_ = DayBits(static_cast<size_t>(std::max(dayCount, 0)));
    excluded_ = DayBits(static_cast<size_t>(std::max(dayCount, 0)));
  }
  int DayCount() const { return static_cast<int>(run_.Size()); }
  char GetRunDay(int day) const { return day >= 0 && run_.Test(static_cast<size_t>(day)) ? 'S' : 'N'; }
  char GetExcludedDay(int day) const { return day >= 0 && excluded_.Test(static_cast<size_t>(day)) ? 'S' : 'N'; }
  // Only 'S' marks a day; outside the range nothing happens.
  void SetRunDay(int day, char flag) {
    if (flag == 'S' && day >= 0 && day < DayCount()) run_.Set(static_cast<size_t>(day));
  }
  void SetExcludedDay(int day, char flag) {
    if (flag == 'S' && day >= 0 && day < DayCount()) excluded_.Set(static_cast<size_t>(day));
  }
  // The days of a period: the days of `mask` (of the calendar's size) from `first` to `last`, both
  // included and clipped to the calendar, as run or as excluded days.
  void AddPeriod(const DayBits& mask, int first, int last, bool excluded) {
    first = std::max(first, 0);
    last = std::min(last, DayCount() - 1);
    if (first > last) return;
    (excluded ? excluded_ : run_).AddRange(mask, static_cast<size_t>(first), static_cast<size_t>(last) + 1);
  }
  // Whether both trips run, and neither is excluded, on one day at least.
  bool ShareARunningDay(const TripDays& other) const {
    return DayBits::CommonDay(run_, excluded_, other.run_, other.excluded_);
  }

 private:
  DayBits run_, excluded_;
};
