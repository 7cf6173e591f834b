#pragma once
// What the directory reports share while they load (and the other reports' loaders with them): a
// selection walked row by row with the progress of the walk, stopped at a value its column cannot
// hold as its kind; the names of the rows such a value is read on; the texts of a row without
// their trailing blanks; and one key for the texts that make a row of the directory, compared
// exactly (letter case counts) by their keys (db/TextKeys: two texts read alike, with '?', make
// two rows), so that a row is found in a map rather than by walking the rows made so far.

#include "common/WorkProgress.h"
#include "db/ContractTrips.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"
#include "reports/Report.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// The key of a row made of `parts`: equal keys, equal texts, part by part.
std::string ExactKey(std::initializer_list<std::string_view> parts);

// Column `position` of the selection's current row without its trailing blanks.
std::string TrimmedTextAt(DbSelect& select, int position);
// Column `position` as a whole number: 0 for an empty value.
long LongAt(DbSelect& select, int position);
// Column `position` as a yes/no value: false for an empty value.
bool FlagAt(DbSelect& select, int position);

// Opens the selection and calls `row()` on each of its rows in turn, the progress going from 0 to
// the rows counted (`progress` may be null). False when the selection failed (the database layer
// has said why; the rows walked so far stay made), or when a row held a value its column cannot
// hold as its kind: the walk stops on that row, whose fault (select.Fault()) the caller tells.
template <class RowFunction>
bool WalkSelection(DbSelect& select, WorkProgress* progress, const std::string& caption, RowFunction&& row) {
  select.SetFaultsToldByCaller(true);
  if (!select.Open()) return false;
  const long total = select.RowCount();
  if (progress) progress->Begin(caption);
  long done = 0;
  for (; select.hasRow; select.MoveNext()) {
    row();
    if (select.Faulted()) break;
    if (progress) progress->Step(++done, total);
  }
  if (progress) progress->End();
  return !select.WalkFailed() && !select.Faulted();
}

// The names of the rows a fault is read on, from the selection's current row: "corsa <id>",
// "fermata <sub> della corsa <id>", "località <id>", "cadenza <codice>", "giorno <data> del
// calendario", by the positions of their keys. A key that is itself the fault is not part of the
// name (the refusal quotes it): the row is named by what else can be read (db/StoredValueRefusal).
std::string TripName(DbSelect& select, int id);
std::string StopName(DbSelect& select, int id, int sub);
std::string LocalityName(DbSelect& select, int id);
std::string CadenceName(DbSelect& select, int code);
// The day type at `code`, when there is one, names a day whose date is the fault.
std::string CalendarDayName(DbSelect& select, int date, int code);

// The service calendar of the master row's working period (db/ContractTrips). At the first value of
// the master row or of the calendar that its column cannot hold as its kind, `fault` tells it and
// the calendar is empty.
ServiceCalendar ReadWorkingCalendar(DbDatabase* db, RowFault& fault);
// A fault met reading the trips with their periods: "corsa <id>", in `period` for the fields of
// the trip's periods, in `tescor` for the others (none when `fault` has none).
RowFault TripRowFault(const TripReadFault& fault);

// The rows of the codes that stand more than once in a selection ordered by code: the first row of
// a code is held back until a second row of the same code comes (codes compared by their keys,
// db/TextKeys; the first row of the selection is never a repeat), then both go to the rows, and so does every
// further row of that code.
template <class Row>
class RepeatedCodeRows {
 public:
  explicit RepeatedCodeRows(std::vector<Row>& rows) : rows_(rows) {}
  void Take(std::string_view codeKey, Row row) {
    if (first_ || codeKey != previous_) {
      held_ = std::move(row);
      heldBack_ = true;
    } else {
      if (heldBack_) rows_.push_back(std::move(held_));
      heldBack_ = false;
      rows_.push_back(std::move(row));
    }
    first_ = false;
    previous_ = codeKey;
  }

 private:
  std::vector<Row>& rows_;
  Row held_{};
  bool first_ = true;
  bool heldBack_ = false;
  std::string previous_;
};

// The rows of a directory reached by their key (ExactKey) in constant time, in the order first
// found: the first time a key comes its row is made and appended; later it is only found.
template <class Row>
class FirstFoundRows {
 public:
  explicit FirstFoundRows(std::vector<Row>& rows) : rows_(rows) {}
  // The row of `key`; `make()` gives it the first time.
  template <class Make>
  Row& Find(std::string key, Make&& make) {
    const auto [at, added] = index_.try_emplace(std::move(key), rows_.size());
    if (added) rows_.push_back(make());
    return rows_[at->second];
  }
  // The same, for rows that count how often their key came: 1 when made, then one more each time.
  template <class Make>
  void Count(std::string key, Make&& make) {
    const size_t before = rows_.size();
    Row& row = Find(std::move(key), std::forward<Make>(make));
    if (rows_.size() == before) ++row.count;
  }

 private:
  std::vector<Row>& rows_;
  std::unordered_map<std::string, size_t> index_;
};
