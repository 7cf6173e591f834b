#include "utilities/TripGrouping.h"

#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"

#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

const char* const kMissingMaster =
    "ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!";

// The lower-case letter of a Windows-1252 byte (the accented capitals included).
unsigned char Lower(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;  // Š
    case 0x8C: return 0x9C;  // Œ
    case 0x8E: return 0x9E;  // Ž
    case 0x9F: return 0xFF;  // Ÿ
    default: return c;
  }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k)
    if (Lower(static_cast<unsigned char>(a[k])) != Lower(static_cast<unsigned char>(b[k]))) return false;
  return true;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// A hash that agrees with TripsHaveSameStops: equal trips hash alike.
class TripHash {
 public:
  void Add(std::uint64_t v) {
    for (int k = 0; k < 8; ++k) Byte(static_cast<unsigned char>(v >> (8 * k)));
  }
  void AddText(const std::string& text) {
    Add(text.size());
    for (char c : text) Byte(Lower(static_cast<unsigned char>(c)));
  }
  std::uint64_t Value() const { return h_; }

 private:
  void Byte(unsigned char b) {
    h_ ^= b;
    h_ *= 1099511628211ULL;
  }
  std::uint64_t h_ = 1469598103934665603ULL;
};

std::uint64_t HashOf(const GroupTrip& trip) {
  TripHash h;
  h.Add(static_cast<std::uint64_t>(trip.stops.Count()));
  for (const GroupStop& s : trip.stops) {
    h.Add(static_cast<std::uint16_t>(s.sub));
    h.AddText(s.fermata);
    h.AddText(s.denom);
    h.AddText(s.ubicaz);
    h.Add(static_cast<std::uint32_t>(s.dist));
    h.Add(static_cast<std::uint64_t>(s.primaria * 4 + s.facolt * 2 + s.nonferma));
  }
  return h.Value();
}

bool SeekMasterRow(DbTable& master) { return master.isOpen && master.SetIndex("codice") && master.SeekEqual({"0"}); }

}  // namespace

bool StopsAreEqual(const GroupStop& a, const GroupStop& b) {
  return a.sub == b.sub && a.dist == b.dist && a.primaria == b.primaria && a.facolt == b.facolt &&
         a.nonferma == b.nonferma && EqualNoCase(a.fermata, b.fermata) && EqualNoCase(a.denom, b.denom) &&
         EqualNoCase(a.ubicaz, b.ubicaz);
}

bool TripsHaveSameStops(const GroupTrip& a, const GroupTrip& b) {
  if (a.stops.Count() != b.stops.Count()) return false;
  auto i = a.stops.begin();
  for (auto j = b.stops.begin(); j != b.stops.end(); ++i, ++j)
    if (!StopsAreEqual(*i, *j)) return false;
  return true;
}

GroupingResult GroupTrips(DbDatabase* db, WorkProgress* progress) {
  GroupingResult result;
  DbTable master(db, "master");
  if (!SeekMasterRow(master)) return result;
  result.masterFound = true;

  DbBatch batch(db);
  DbSelect select(db);
  select.SetColumns("id, sub, fermata, denom, ubicaz, dist, primaria, facolt, nonferma");
  select.SetFrom("detcor");
  select.SetOrderBy("id, sub");
  select.Open();
  const long rows = select.RowCount();

  // Pass 1: the trips in id order, each with its stops in `sub` order.
  RecordList<GroupTrip> trips;
  if (progress) progress->Begin({});
  GroupTrip* current = nullptr;
  std::string text;
  long row = 0;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    if (progress) progress->Step(row++, rows);
    long id = 0;
    int value = 0;
    select.GetFieldLongAt(0, &id);
    if (!current || current->id != id) current = trips.Emplace(static_cast<std::int32_t>(id));
    GroupStop* stop = current->stops.Emplace();
    select.GetFieldIntAt(1, &value);
    stop->sub = static_cast<std::int16_t>(value);
    select.GetFieldTextAt(2, text);
    stop->fermata = TrimRight(text);
    select.GetFieldTextAt(3, text);
    stop->denom = TrimRight(text);
    select.GetFieldTextAt(4, text);
    stop->ubicaz = TrimRight(text);
    long dist = 0;
    select.GetFieldLongAt(5, &dist);
    stop->dist = static_cast<std::int32_t>(dist);
    select.GetFieldIntAt(6, &value);
    stop->primaria = value != 0;
    select.GetFieldIntAt(7, &value);
    stop->facolt = value != 0;
    select.GetFieldIntAt(8, &value);
    stop->nonferma = value != 0;
  }

  // Pass 2: each trip joins the first earlier group whose trips have the same stops, or opens
  // the next group. Same stops is an equivalence, so this numbers the groups as comparing every
  // unassigned trip with every later one would, without comparing every pair.
  std::unordered_map<std::uint64_t, std::vector<const GroupTrip*>> groups;
  std::int32_t next = 1;
  const long count = trips.Count();
  row = 0;
  if (progress) progress->Begin({});
  for (GroupTrip& trip : trips) {
    if (progress) progress->Step(row++, count);
    auto& candidates = groups[HashOf(trip)];
    for (const GroupTrip* first : candidates)
      if (TripsHaveSameStops(*first, trip)) {
        trip.gruppo = first->gruppo;
        break;
      }
    if (trip.gruppo == -1) {
      trip.gruppo = next++;
      candidates.push_back(&trip);
    }
  }

  // Pass 3: the numbers into the trips, the next free one into `master`.
  DbTable heads(db, "tescor");
  heads.SetIndex("codice");
  row = 0;
  if (progress) progress->Begin({});
  for (const GroupTrip& trip : trips) {
    if (progress) progress->Step(row++, count);
    const std::string key = std::to_string(trip.id);
    if (!heads.isOpen || !heads.SeekEqual({key.c_str()})) continue;
    heads.Edit();
    heads.SetFieldText("gruppo", std::to_string(trip.gruppo));
    heads.Update();
  }
  master.Edit();
  master.SetFieldText("gruppo", std::to_string(next));
  master.Update();
  if (progress) progress->End();
  batch.Commit();
  result.tripsRead = trips.Count();
  result.quadri = next - 1;
  return result;
}

bool GroupingMasterExists(DbDatabase* db) {
  DbTable master(db, "master");
  return SeekMasterRow(master);
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

std::string GroupingMissingMasterText() { return kMissingMaster; }

std::string GroupingResultText(const GroupingResult& result) {
  char counts[96];
  std::snprintf(counts, sizeof counts, "Lette %d corse; Identificati %d quadri orari.", result.tripsRead,
                result.quadri);
  return std::string("Risultati dell'elaborazione:\n\n") + counts;
}
