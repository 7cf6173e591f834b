#include "reports/TripChainReport.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "reports/DirectoryLoading.h"
#include "reports/ReportCanvas.h"

#include <unordered_map>

namespace {

// The characters of a stop name kept before its time.
constexpr size_t kNameLength = 25;

// A link of the trip: -1 when empty (or not a whole number, which stops the loading).
std::int32_t LinkAt(DbSelect& select, int position) {
  long link = 0;
  return select.GetFieldLongAt(position, &link) == 1 ? static_cast<std::int32_t>(link) : -1;
}

std::string StopAndTime(const std::string& name, long hhmm) {
  return Format("%s (%ld.%02ld)", name.c_str(), hhmm / 100, hhmm % 100);
}

}  // namespace

TripChainReport::TripChainReport(DbDatabase* db) : RowsReport("Rubrica Concatenazioni Corse") {
  ReadSubtitle(db);
  columns_ = {{"999999", "ID"}, {std::string(20, 'V'), "Codice Corsa"}, {std::string(60, 'V'), "Fermata di Scambio"}};
}

void TripChainReport::Load(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  std::vector<Row> list;  // in trip id order
  std::unordered_map<std::int32_t, size_t> byId;
  {
    DbSelect trips(db, {.columns = "id, codcorsa, prevcor, nextcor", .from = "tescor", .orderBy = "id"});
    WalkSelection(trips, progress, Title(), [&] {
      Row row;
      row.id = static_cast<std::int32_t>(LongAt(trips, 0));
      row.tripCode = TrimmedTextAt(trips, 1);
      row.previousTrip = LinkAt(trips, 2);
      row.nextTrip = LinkAt(trips, 3);
      if (row.previousTrip == -1 && row.nextTrip == -1) return;
      byId.try_emplace(row.id, list.size());
      list.push_back(std::move(row));
    });
    if (trips.Faulted()) return KeepFault(trips.Fault(), TripName(trips, 0), "tescor");
  }
  if (list.empty()) return;
  {
    DbSelect stops(db, {.columns = "id, denom, arriva, parte, sub", .from = "detcor", .orderBy = "id, sub"});
    WalkSelection(stops, progress, {}, [&] {
      const auto trip = byId.find(static_cast<std::int32_t>(LongAt(stops, 0)));
      if (trip == byId.end()) return;
      Row& row = list[trip->second];
      std::string name = TrimmedTextAt(stops, 1);
      if (name.size() > kNameLength) name.resize(kNameLength);
      if (row.start.empty()) row.start = StopAndTime(name, LongAt(stops, 3));
      row.end = StopAndTime(name, LongAt(stops, 2));
    });
    if (stops.Faulted()) return KeepFault(stops.Fault(), StopName(stops, 0, 4), "detcor");
  }

  // The chains from their heads, then whatever no head reached.
  std::vector<bool> placed(list.size(), false);
  rows.reserve(list.size());
  const auto place = [&](size_t k) {
    placed[k] = true;
    rows.push_back(list[k]);
  };
  for (size_t k = 0; k < list.size(); ++k) {
    if (placed[k] || list[k].previousTrip != -1) continue;
    place(k);
    for (size_t last = k; list[last].nextTrip != -1;) {
      const auto next = byId.find(list[last].nextTrip);
      if (next == byId.end() || placed[next->second]) break;
      place(last = next->second);
    }
  }
  for (size_t k = 0; k < list.size(); ++k)
    if (!placed[k]) place(k);
}

int TripChainReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Row& row = rows[n];
  canvas.RightText(X(0) + W(0), y + 10, Format("%ld", static_cast<long>(row.id)));
  canvas.Text(X(1), y + 10, row.tripCode);
  canvas.Text(X(2), y + 10, row.start + " / " + row.end);
  const int next = y + LineHeight() + 20;
  if (row.nextTrip == -1) canvas.Line(X(0) - 20, next, RightEdge() - 10, next);
  return next;
}
