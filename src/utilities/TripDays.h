#pragma once
// The days of the service calendar as bit sets: one bit a day from the calendar's first date.
// The days a trip runs, the days excluded for it, and the test whether two trips run on one day
// in common are a few word operations for every 64 days.

#include <cstddef>
#include <cstdint>
#include <vector>

class DayBits {
 public:
  DayBits() = default;
  explicit DayBits(int dayCount) : count_(dayCount > 0 ? dayCount : 0), words_((count_ + 63) / 64, 0) {}

  int DayCount() const { return count_; }
  bool Test(int day) const {
    return day >= 0 && day < count_ && (words_[static_cast<size_t>(day) / 64] >> (day % 64) & 1) != 0;
  }
  // Outside the range nothing happens.
  void Set(int day) {
    if (day >= 0 && day < count_) words_[static_cast<size_t>(day) / 64] |= std::uint64_t{1} << (day % 64);
  }
  // Sets the days of `mask` (of the same size) that fall from `first` to `last`, both included
  // and clipped to the range.
  void SetWithin(const DayBits& mask, int first, int last);
  // Whether one day is set in `a` and in `b` and in neither `notA` nor `notB` (all of one size).
  static bool CommonDay(const DayBits& a, const DayBits& notA, const DayBits& b, const DayBits& notB);

 private:
  int count_ = 0;
  std::vector<std::uint64_t> words_;
};

// The days of one trip over the calendar: the days its periods run and the days they exclude,
// 'S' or 'N' for each day (day 0 the calendar's first date; outside the range 'N').
class TripDays {
 public:
  // Sized for the calendar's days, every day 'N'.
  void Init(int dayCount) {
    run_ = DayBits(dayCount);
    excluded_ = DayBits(dayCount);
  }
  int DayCount() const { return run_.DayCount(); }
  char GetRunDay(int day) const { return run_.Test(day) ? 'S' : 'N'; }
  char GetExcludedDay(int day) const { return excluded_.Test(day) ? 'S' : 'N'; }
  // Only 'S' marks a day; outside the range nothing happens.
  void SetRunDay(int day, char flag) {
    if (flag == 'S') run_.Set(day);
  }
  void SetExcludedDay(int day, char flag) {
    if (flag == 'S') excluded_.Set(day);
  }
  // The days of a period: the days of `mask` from `first` to `last`, as run or as excluded days.
  void AddPeriod(const DayBits& mask, int first, int last, bool excluded) {
    (excluded ? excluded_ : run_).SetWithin(mask, first, last);
  }
  // Whether both trips run, and neither is excluded, on one day at least.
  bool ShareARunningDay(const TripDays& other) const {
    return DayBits::CommonDay(run_, excluded_, other.run_, other.excluded_);
  }

 private:
  DayBits run_, excluded_;
};
