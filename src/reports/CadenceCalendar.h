#pragma once
// The day-type calendar of the reporting period and the one rule by which a trip's validity
// periods give its days of operation: a date counts once when some period of the trip that is
// not excluded gives it (the date lies in the period and the calendar gives it the period's day
// type) and no excluded period takes it away. Overlapping periods do not count a date twice, and
// an exclusion over dates no period gives removes nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class DbDatabase;

// One validity period of a trip (`period`): day type, its name, the first and last date
// ("GG/MM/AAAA") and whether the trip does not run in it.
struct ValidityPeriod {
  std::string dayType;
  std::string dayTypeName;
  std::string start;
  std::string end;
  bool excluded = false;
};

class CadenceCalendarList {
 public:
  // Reads the dates of `calend` from `first` to `last` ("GG/MM/AAAA", both included) with their
  // day types; a bound that is not a 10-character date gives an empty calendar.
  void Load(DbDatabase* db, const std::string& first, const std::string& last);

  // Gives the date ("GG/MM/AAAA" of exactly 10 characters; anything else is ignored) the day type.
  void AddDate(std::string_view date, std::string_view dayType);
  void Clear() { dates_.clear(); }

  // The days of operation of a trip with these periods (a period whose dates are not
  // 10-character texts gives and takes away nothing).
  int DaysOfOperation(const std::vector<ValidityPeriod>& periods) const;

 private:
  // Per day type, its dates as year * 10000 + month * 100 + day, in order once read.
  mutable std::unordered_map<std::string, std::vector<std::int32_t>> dates_;
  mutable bool sorted_ = true;
  void Sort() const;
  mutable std::vector<std::int32_t> in_, out_;
};
