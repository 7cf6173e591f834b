#include "editing/TripRows.h"

#include "db/DbSelect.h"
#include "editing/TripStore.h"

#include <string_view>

namespace {

const char* const kOrders[TripRows::kSortOrders] = {
    "id",
    "gruppo, id",
    "codperc COLLATE DICTIONARY, id",
    "codcorsa COLLATE DICTIONARY, codlinea COLLATE DICTIONARY, id",
    "codlinea COLLATE DICTIONARY, codcorsa COLLATE DICTIONARY, id",
    "parte, id",
    "arriva, id",
    "lung, id",
    "tempo, id",
    "denom COLLATE DICTIONARY, id",
    "reglinea, id",
};

}  // namespace

const char* TripRows::OrderBy(int sortOrder) {
  return sortOrder >= 0 && sortOrder < kSortOrders ? kOrders[sortOrder] : kOrders[0];
}

TripRows::TripRows(DbDatabase* db) : db_(db) {}

void TripRows::Load(int sortOrder) {
  sortOrder_ = sortOrder >= 0 && sortOrder < kSortOrders ? sortOrder : 0;
  rows_.Clear();
  index_.clear();
  positions_.clear();

  fault_ = {};
  // One selection for every trip; the rows are built from its result without another read. The
  // fields of the head that the list does not show are read too, so that a value of another kind
  // than its column's is found before the editor shows or copies any head.
  DbSelect select(db_, {.columns = "id, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom, gruppo,"
                                   " reglinea, ente, contratt, ct_lung, ct_tempo, prevcor, nextcor, mezzo",
                        .from = "tescor"});
  select.SetOrderBy(OrderBy(sortOrder_));
  select.SetFaultsToldByCaller(true);
  select.Open();
  const size_t count = static_cast<size_t>(select.RowCount());
  index_.reserve(count);
  positions_.reserve(count);
  std::string route, trip, line, direction, description;
  for (; select.hasRow; select.MoveNext()) {
    long id = 0, length = 0, quadro = 0, regional = 0;
    int departure = 0, arrival = 0, duration = 0;
    select.GetFieldLongAt(0, &id);
    select.GetFieldTextAt(1, route);
    select.GetFieldTextAt(2, trip);
    select.GetFieldTextAt(3, line);
    select.GetFieldTextAt(4, direction);
    select.GetFieldIntAt(5, &departure);
    select.GetFieldIntAt(6, &arrival);
    select.GetFieldLongAt(7, &length);
    select.GetFieldIntAt(8, &duration);
    select.GetFieldTextAt(9, description);
    select.GetFieldLongAt(10, &quadro);
    if (!select.GetFieldLongAt(11, &regional)) regional = -1;  // no regional code
    long unshown = 0;
    for (int k = 12; k < 18; ++k) select.GetFieldLongAt(k, &unshown);
    std::string mode;
    select.GetFieldTextAt(18, mode);
    if (select.Faulted()) {
      fault_ = FaultOf(select, "tescor", StoredTripRow(select, 0));
      return;
    }
    Add(TripLeg(static_cast<std::int32_t>(id), static_cast<std::int32_t>(regional), static_cast<std::int32_t>(quadro),
                WithoutTrailingBlanks(trip), WithoutTrailingBlanks(line), direction.empty() ? '\0' : direction.front(),
                FormatTimeOfDay(departure), FormatTimeOfDay(arrival), FormatMetresAsKm(length),
                FormatDuration(duration), WithoutTrailingBlanks(description), WithoutTrailingBlanks(route)));
  }
}

TripLeg* TripRows::Add(TripLeg&& row) {
  TripLeg* added = rows_.Append(std::move(row));
  positions_.emplace(added, static_cast<int>(index_.size()));
  index_.push_back(added);
  return added;
}

TripLeg* TripRows::At(int position) const {
  return position >= 0 && position < Count() ? index_[static_cast<size_t>(position)] : nullptr;
}

int TripRows::PositionOf(const TripLeg* row) const {
  const auto found = positions_.find(row);
  return found == positions_.end() ? -1 : found->second;
}

int TripRows::FindId(std::int32_t id) const {
  for (size_t k = 0; k < index_.size(); ++k)
    if (index_[k]->id == id) return static_cast<int>(k);
  return -1;
}

void ApplyHeadTexts(TripLeg& row, const TripHead& head) {
  row.tripCode = WithoutTrailingBlanks(head.tripCode);
  row.lineCode = WithoutTrailingBlanks(head.lineCode);
  row.direction = head.direction;
  row.routeCode = WithoutTrailingBlanks(head.routeCode);
  row.lengthText = FormatMetresAsKm(head.length);
  row.durationText = FormatDuration(head.duration);
  row.description = WithoutTrailingBlanks(head.note);
  row.changed = 1;
}

TripLeg* TripRows::AppendNew(std::int32_t id, std::int32_t quadro, const TripHead& head) {
  TripLeg* row = Add(TripLeg(id, -1, quadro, {}, {}, ' ', FormatTimeOfDay(0), FormatTimeOfDay(9999), {}, {}, {}, {}));
  ApplyHeadTexts(*row, head);
  return row;
}

void TripRows::ApplyHead(std::int32_t id, const TripHead& head) {
  if (TripLeg* row = At(FindId(id))) ApplyHeadTexts(*row, head);
}

void TripRows::MarkDeleted(std::int32_t id) {
  if (TripLeg* row = At(FindId(id))) row->deleted = 1;
}
