#pragma once
// The rows of the trip list: every trip head of `tescor` as display texts, in one of eleven sort
// orders, reached by position in constant time. Rows added or deleted in the editor are marked
// until the next load.

#include "common/EditorLists.h"
#include "editing/EditorFaults.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class DbDatabase;
struct TripHead;

// A trip's row (or column) takes the texts of its head as written, marked changed.
void ApplyHeadTexts(TripLeg& row, const TripHead& head);

class TripRows {
 public:
  static constexpr int kSortOrders = 11;
  // The ORDER BY clause of a sort order from 0 to 10: "id", "gruppo, id", "codperc, id", ...
  static const char* OrderBy(int sortOrder);

  explicit TripRows(DbDatabase* db);

  // (Re)reads the trips in a sort order (0 to 10; any other is taken as 0). A stored value of a
  // trip's head that its column cannot hold as its kind ends the reading: Fault names it.
  void Load(int sortOrder);
  const EditorFault& Fault() const { return fault_; }
  int SortOrder() const { return sortOrder_; }

  int Count() const { return static_cast<int>(index_.size()); }
  TripLeg* At(int position) const;
  int PositionOf(const TripLeg* row) const;
  // The position of the first row of a trip id, -1 when none.
  int FindId(std::int32_t id) const;

  // Appends the row of a trip just added (departure 0, arrival 9999), marked changed.
  TripLeg* AppendNew(std::int32_t id, std::int32_t quadro, const TripHead& head);
  // The first row of a trip id takes the texts of its head as written, marked changed.
  void ApplyHead(std::int32_t id, const TripHead& head);
  // Marks the first row of a trip id deleted.
  void MarkDeleted(std::int32_t id);

 private:
  TripLeg* Add(TripLeg&& row);

  DbDatabase* db_;
  int sortOrder_ = 0;
  TripLegList rows_;
  std::vector<TripLeg*> index_;
  std::unordered_map<const TripLeg*, int> positions_;
  EditorFault fault_;
};
