#pragma once
// The calendar of a date-range export: the day types of the exported calendar rows with their
// dates, and the trips kept so far. A validity period is kept only when its day type runs on a
// date inside it; a trip only when one of its periods is kept. Built and dropped by one export.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CadenceCalendar {
 public:
  // A calendar row: the day type (trailing blanks are no part of the code) and the date as the
  // exchange file writes it, YYYYMMDD. A text that is no valid date is kept as a date that
  // never matches.
  void AddDate(std::string_view code, std::string_view yyyymmdd);
  // True when the day type has a date d with first <= d <= last (dates as yyyymmdd numbers).
  // A day type without calendar rows never runs.
  bool HasDateInRange(std::string_view code, int first, int last) const;

  void AddTrip(std::int32_t id) { trips_.insert(id); }
  bool HasTrip(std::int32_t id) const { return trips_.count(id) != 0; }

  void Clear();

  int DayTypeCount() const { return static_cast<int>(dates_.size()); }

 private:
  // Each day type's valid dates, ascending.
  std::unordered_map<std::string, std::vector<int>> dates_;
  std::unordered_set<std::int32_t> trips_;
};
