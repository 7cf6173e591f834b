#pragma once
// The validity periods of one trip, as the period editor lists them: the rows of `period` whose
// day type is in `cadenz`, by start and end, with the day type's name; and the three writes of
// the editor. Every write happens inside the trip editor's transaction; a write the database
// refuses has been reported by the table layer and leaves the rows as they were.

#include "common/EditorLists.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "editing/EditorFaults.h"

#include <cstdint>
#include <string>
#include <vector>

class DbDatabase;

class PeriodRows {
 public:
  explicit PeriodRows(DbDatabase* db);

  // (Re)reads the periods of a trip: dates as "GG/MM/AAAA", code and name without trailing blanks
  // (the code as stored too, when it lost a character). A stored value its column cannot hold as
  // its kind ends the reading: Fault names it.
  void Load(std::int32_t tripId);
  const EditorFault& Fault() const { return fault_; }
  std::int32_t TripId() const { return tripId_; }

  int Count() const { return static_cast<int>(index_.size()); }
  PeriodRecord* At(int position) const;
  int PositionOf(const PeriodRecord* row) const;
  // The position of the first period starting on a date ("GG/MM/AAAA"), -1 when none.
  int FindStart(const std::string& start) const;

  // Adds a period of the trip (dates "GG/MM/AAAA", kept as typed: one that ends before it starts
  // too, which holds no day); on success appends it marked changed. The day type is written as
  // stored when it lost a character (an entry of the list of day types).
  PeriodRecord* Insert(const std::string& start, const std::string& end, const DbText& code, const std::string& name,
                       bool excluded);
  // Writes a new day type (as stored, as above) and kind to a period (its dates are its key and
  // stay); without `codeChanged` (the day type left as shown) a day type read with '?' stays as
  // stored.
  bool Modify(PeriodRecord* row, const DbText& code, const std::string& name, bool excluded, bool codeChanged = true);
  // Deletes a period; on success it is marked deleted.
  bool Remove(PeriodRecord* row);

  // The reporting period of the master row, proposed for a new period; false without the row.
  bool MasterPeriod(std::string& start, std::string& end);

 private:
  DbDatabase* db_;
  DbTable table_;  // period, index "codice" (id, inizio, fine)
  std::int32_t tripId_ = -1;
  PeriodList rows_;
  std::vector<PeriodRecord*> index_;
  EditorFault fault_;
};
