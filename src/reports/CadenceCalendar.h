#pragma once
// The day-type calendar of the reporting period and the one rule by which a trip's validity
// periods give its days of operation: a date counts once when some period of the trip that is
// not excluded gives it (the date lies in the period and the calendar gives it the period's day
// type) and no excluded period takes it away. Overlapping periods do not count a date twice, and
// an exclusion over dates no period gives removes nothing.

#include "common/OperatingDays.h"
#include "db/DbSelect.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class DbDatabase;

// One validity period of a trip as the quadro reports print it: the period the days are counted
// from, and the name of its day type for the notes. Day types are told apart by their keys
// (db/TextKeys): `cadenceStored` is the code as stored when it lost a character (DbText::stored).
struct PrintedPeriod {
  std::string cadence;
  std::string cadenceName;
  std::string start;
  std::string end;
  bool excluded = false;
  std::string cadenceStored = {};
  std::string CadenceKey() const;
};

// The dates of `calend` with their day types, counted by the one rule of the days of operation
// (common/OperatingDays).
class CadenceCalendarList {
 public:
  // Reads the dates of `calend` from `first` to `last` ("GG/MM/AAAA", both included) with their
  // day types (by their keys); a bound that is not a 10-character date gives an empty calendar.
  // A value its column cannot hold as its kind empties the calendar too: `fault` tells it, and
  // `faultRow` names its date ("giorno <data> del calendario").
  void Load(DbDatabase* db, const std::string& first, const std::string& last);
  DbSelect::ValueFault fault;
  std::string faultRow;

  // Gives the date ("GG/MM/AAAA" of exactly 10 characters; anything else is ignored) the day type.
  void AddDate(std::string_view date, std::string_view cadence);
  void Clear();

  // The days of operation of a trip with these periods (a period whose dates are not
  // 10-character texts gives and takes away nothing).
  int DaysOfOperation(const std::vector<PrintedPeriod>& periods) const;

 private:
  std::vector<std::pair<DateRecord, std::string>> added_;
  mutable std::optional<ServiceCalendar> calendar_;  // made from added_ when first asked
};
