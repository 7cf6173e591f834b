#pragma once
// The days of operation of a trip over the working period: the dates of the service calendar on
// which one of the trip's validity periods gives it and none of its excluded periods takes it
// away. A date counts once however many included periods give it, and an excluded period only
// removes dates, so a count is never negative. The contract check, the days-of-operation check,
// the contract export and the quadro reports all count through here.
//
// The calendar holds only its dates inside the working period, each with the day types that run
// on it; a trip's days are a bit set over those dates (bit i: the i-th date of the calendar), so
// a year of days costs a few words per trip.

#include "common/Formatters.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// A set of positions 0 .. size-1.
class DayBits {
 public:
  DayBits() = default;
  explicit DayBits(size_t size) : size_(size), words_((size + 63) / 64, 0) {}

  size_t Size() const { return size_; }
  void Set(size_t i) { words_[i / 64] |= std::uint64_t{1} << (i % 64); }
  bool Test(size_t i) const { return i < size_ && (words_[i / 64] >> (i % 64) & 1) != 0; }
  // How many positions are set.
  size_t Count() const;
  // The first set position at or after `from`; Size() when there is none.
  size_t NextSet(size_t from) const;
  // The position of the k-th set one (k from 0); Size() when fewer are set.
  size_t NthSet(size_t k) const;

  // Sets the positions of [first, last) that `mask` holds (both of one size).
  void AddRange(const DayBits& mask, size_t first, size_t last);
  // Clears every position that `other` holds.
  void Remove(const DayBits& other);

 private:
  size_t size_ = 0;
  std::vector<std::uint64_t> words_;
};

// One validity period of a trip: its day type, first and last date ("GG/MM/AAAA", both
// included) and whether it excludes the trip rather than running it. A date text that is not
// exactly 10 characters makes the period give no date.
struct ValidityPeriod {
  std::string dayType;
  std::string from, to;
  bool excluded = false;
};

class ServiceCalendar {
 public:
  ServiceCalendar() = default;
  // The working period, both dates included ("GG/MM/AAAA"; a text of another length gives an
  // empty calendar).
  ServiceCalendar(std::string_view first, std::string_view last);

  // A day type that runs on a date ("GG/MM/AAAA"); a date outside the working period, or not
  // exactly 10 characters, is left out. Dates may come in any order; Finish orders them.
  void Add(std::string_view date, std::string_view dayType);
  // Done adding: the dates in order, each once, and the days of each day type.
  void Finish();

  // The dates of the calendar, in order.
  size_t DayCount() const { return dates_.size(); }
  const DateRecord& DateAt(size_t i) const { return dates_[i]; }
  // '1' Monday to '7' Sunday; '?' for a date the calendar has not got.
  char WeekdayAt(size_t i) const { return weekdays_[i]; }

  // The days of operation of a trip with these periods.
  DayBits OperatingDays(const std::vector<ValidityPeriod>& periods) const;

 private:
  static int Key(const DateRecord& d) { return d.year * 10000 + d.month * 100 + d.day; }
  int firstKey_ = 0, lastKey_ = -1;
  std::vector<std::pair<int, std::string>> added_;
  std::vector<DateRecord> dates_;
  std::vector<int> keys_;
  std::vector<char> weekdays_;
  std::map<std::string, DayBits, std::less<>> byDayType_;
};

// The weekday's two letters of the day lists: "Lu" to "Do" for '1' to '7', "??" for anything else.
const char* WeekdayShortName(char digit);
