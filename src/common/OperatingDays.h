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

#include "common/DayBits.h"
#include "common/Formatters.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// One validity period of a trip: its day type (named as the calendar's dates name theirs: read
// from the database, by its key), first and last date ("GG/MM/AAAA", both
// included) and whether it excludes the trip rather than running it. A date text that is not
// exactly 10 characters makes the period give no date.
struct ValidityPeriod {
  std::string cadence;
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
  void Add(std::string_view date, std::string_view cadence);
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
  std::map<std::string, DayBits, std::less<>> byCadence_;
};

// The weekday's two letters of the day lists: "Lu" to "Do" for '1' to '7', "??" for anything else.
const char* WeekdayShortName(char digit);
