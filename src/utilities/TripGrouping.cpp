#include "utilities/TripGrouping.h"

#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/MasterRow.h"
#include "db/TextKeys.h"
#include "utilities/RowBatch.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

bool SameFoldedStop(const GroupStop& a, const GroupStop& b) {
  return a.sub == b.sub && a.dist == b.dist && a.primaria == b.primaria && a.facolt == b.facolt &&
         a.nonferma == b.nonferma && a.fermata == b.fermata && a.denom == b.denom && a.ubicaz == b.ubicaz;
}

// The folded stops of `b` (its first `count`) against those of `a`.
bool SameStops(const std::vector<GroupStop>& a, const std::vector<GroupStop>& b, size_t count) {
  if (a.size() != count) return false;
  for (size_t k = 0; k < count; ++k)
    if (!SameFoldedStop(a[k], b[k])) return false;
  return true;
}

// A hash of folded stops: trips with the same stops hash alike.
class TripHash {
 public:
  void Add(std::uint64_t v) {
    h_ = (h_ ^ v) * 0x9E3779B97F4A7C15ULL;
    h_ ^= h_ >> 29;
  }
  void AddText(const std::string& text) {
    Add(text.size());
    size_t k = 0;
    for (; k + 8 <= text.size(); k += 8) {
      std::uint64_t w;
      std::memcpy(&w, text.data() + k, 8);
      Add(w);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, text.data() + k, text.size() - k);
    Add(tail);
  }
  void AddStop(const GroupStop& s) {
    Add(static_cast<std::uint16_t>(s.sub) | static_cast<std::uint64_t>(static_cast<std::uint32_t>(s.dist)) << 16 |
        static_cast<std::uint64_t>(s.primaria * 4 + s.facolt * 2 + s.nonferma) << 48);
    AddText(s.fermata);
    AddText(s.denom);
    AddText(s.ubicaz);
  }
  std::uint64_t Value() const { return h_; }

 private:
  std::uint64_t h_ = 0;
};

// The grouping without its message: `ok` once every number is stored.
GroupingResult Group(DbDatabase* db, WorkProgress* progress) {
  GroupingResult result;
  DbTable master(db, "master");
  if (!SeekMasterRow(master)) return result;
  result.masterFound = true;

  DbBatch batch(db);
  if (!batch.Active()) return result;
  const long trips = CountTableRows(db, "tescor");  // for the bar, trip by trip
  DbSelect select(db, {.columns = "id, sub, fermata, denom, ubicaz, dist, primaria, facolt, nonferma",
                       .from = "detcor",
                       .orderBy = "id, sub",
                       .streaming = true});
  select.SetFaultsToldByCaller(true);
  select.Open();

  // Passes 1 and 2 in one walk: the trips come in id order, each with its stops in `sub` order;
  // each trip joins the first earlier group whose first trip has the same stops, or opens the
  // next group. Same stops is an equivalence, so this numbers the groups as comparing every
  // unassigned trip with every later one would, without comparing every pair.
  std::vector<std::vector<GroupStop>> firstStops;  // of each group's first trip, by number - 1
  std::unordered_map<std::uint64_t, std::vector<std::int32_t>> groupsByHash;
  std::vector<std::pair<std::int32_t, std::int32_t>> numbers;  // trip id, group number
  std::vector<GroupStop> stops;                                // of the trip being read; kept for the next trip's texts
  size_t stopCount = 0;
  TripHash hash;
  std::int32_t next = 1;
  std::int32_t current = 0;
  const auto finishTrip = [&] {
    hash.Add(stopCount);
    std::vector<std::int32_t>& candidates = groupsByHash[hash.Value()];
    std::int32_t group = -1;
    for (std::int32_t g : candidates)
      if (SameStops(firstStops[static_cast<size_t>(g - 1)], stops, stopCount)) {
        group = g;
        break;
      }
    if (group == -1) {
      group = next++;
      firstStops.emplace_back(stops.begin(), stops.begin() + static_cast<std::ptrdiff_t>(stopCount));
      candidates.push_back(group);
    }
    numbers.emplace_back(current, group);
    if (progress) progress->Step(static_cast<long>(numbers.size()), std::max(trips, static_cast<long>(numbers.size())));
  };
  if (progress) progress->Begin({});
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    long id = 0;
    int value = 0;
    select.GetFieldLongAt(0, &id);
    if (stopCount == 0 || id != current) {
      if (stopCount > 0) finishTrip();
      current = static_cast<std::int32_t>(id);
      stopCount = 0;
      hash = TripHash();
    }
    if (stopCount == stops.size()) stops.emplace_back();
    GroupStop& stop = stops[stopCount++];
    select.GetFieldIntAt(1, &value);
    stop.sub = static_cast<std::int16_t>(value);
    // The texts folded to lower case once, as they are read: texts equal without regard to letter
    // case are then equal byte for byte (one that lost a character by its stored text).
    for (auto [position, text] : {std::pair{2, &stop.fermata}, {3, &stop.denom}, {4, &stop.ubicaz}})
      ReadTextKey(select, position, *text, LetterCase::Ignored);
    long dist = 0;
    select.GetFieldLongAt(5, &dist);
    stop.dist = static_cast<std::int32_t>(dist);
    select.GetFieldIntAt(6, &value);
    stop.primaria = value != 0;
    select.GetFieldIntAt(7, &value);
    stop.facolt = value != 0;
    select.GetFieldIntAt(8, &value);
    stop.nonferma = value != 0;
    if (select.Faulted()) break;
    hash.AddStop(stop);
  }
  if (stopCount > 0 && !select.Faulted()) finishTrip();
  result.tripsRead = static_cast<int>(numbers.size());
  result.quadri = next - 1;
  // A walk cut short by a read error, or by a value its column cannot hold, would number only
  // some of the trips.
  if (select.WalkFailed() || select.Faulted()) {
    batch.Rollback();
    if (progress) progress->End();
    if (select.Faulted()) result.refusal = StoredValueRefusal(StoredTripRow(select, 0, 1), select.FaultText());
    return result;
  }

  // Pass 3: the numbers into the trips, the next free one into `master`. The first write that
  // fails ends the grouping with nothing of it kept.
  DbTable heads(db, "tescor");
  bool written = heads.isOpen && heads.SetIndex("codice");
  const int groupAt = heads.FieldIndex("gruppo");
  long done = 0;
  if (progress) progress->Begin({});
  for (const auto& [id, group] : numbers) {
    if (!written) break;
    if (progress) progress->Step(++done, static_cast<long>(numbers.size()));
    const std::string key = std::to_string(id);
    if (!heads.SeekEqual({key.c_str()})) continue;
    if (!heads.Edit() || !heads.SetFieldNumberAt(groupAt, group) || !heads.Update()) {
      written = false;
      break;
    }
  }
  written = written && master.Edit() && master.SetFieldText("gruppo", std::to_string(next)) && master.Update();
  if (progress) progress->End();
  if (!written) {
    batch.Rollback();
    return result;
  }
  result.ok = batch.Commit() != 0;
  return result;
}

}  // namespace

GroupingResult GroupTrips(DbDatabase* db, WorkProgress* progress) {
  GroupingResult result = Group(db, progress);
  if (!result.masterFound)
    result.Fail(GroupingMissingMasterText());
  else if (!result.refusal.empty())
    result.Fail(result.refusal);
  else if (!result.ok)
    result.Fail(GroupingNotStoredText());
  else
    result.Inform(GroupingResultText(result));
  return result;
}

bool GroupingMasterExists(DbDatabase* db) {
  DbTable master(db, "master");
  return SeekMasterRow(master);
}

Outcome GroupingCanStart(DbDatabase* db) {
  Outcome start;
  if (GroupingMasterExists(db))
    start.Succeed();
  else
    start.Fail(GroupingMissingMasterText());
  return start;
}

std::string GroupingQuestion() {
  return std::string("ATTENZIONE: Questa funzione identificherà le corse che hanno percorso identico.\n") +
         "Percorso identico significa che:\n" + "A) la lista delle fermate è la medesima.\n" +
         "B) ogni singola fermata presenta i medesimi attributi (principale, facoltativa ..)\n" +
         "C) le distanze (se indicate) sono le medesime.\n\n" +
         "Al termine di questa elaborazione le corse potranno essere editate come quadri orari.\n\n" +
         "I codici di raggruppamento corsa eventualmente già presenti saranno sovrascritti.\n\n" +
         "Intendi proseguire?";
}

std::string GroupingMissingMasterText() { return kMissingMasterText; }

std::string GroupingNotStoredText() {
  return "ATTENZIONE: il raggruppamento delle corse omogenee non è stato registrato nel database.\n\n"
         "I codici di raggruppamento corsa già presenti restano invariati.";
}

std::string GroupingResultText(const GroupingResult& result) {
  char counts[96];
  std::snprintf(counts, sizeof counts, "Lette %d corse; Identificati %d quadri orari.", result.tripsRead,
                result.quadri);
  return std::string("Risultati dell'elaborazione:\n\n") + counts;
}
