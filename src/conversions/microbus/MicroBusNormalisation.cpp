#include "conversions/microbus/MicroBusNormalisation.h"

#include "common/Formatters.h"
#include "conversions/StoredValues.h"
#include "conversions/microbus/MicroBusShape.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/TextKeys.h"
#include "exchange/RecordLayouts.h"
#include "utilities/CodeAssignment.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace {

// One trip of a group: what must be equal, packed into texts compared whole.
struct CompareTrip {
  std::int32_t id = 0;
  std::string head;   // contratt .. nextcor
  std::string stops;  // every stop's values, in sub order
  std::vector<int> subs;
  std::vector<std::string> dates;  // the periods' first days, as display texts
  bool merged = false;
};

// Appends a value so that no two different lists of values pack to the same text.
void Pack(std::string& out, const std::string& value) {
  out += std::to_string(value.size());
  out += ':';
  out += value;
}

// A text read as the comparisons take it: its first `length` characters, or its key (db/TextKeys)
// when it lost a character Windows-1252 lacks, so that two texts read alike are not one.
std::string Compared(DbSelect& select, int position, std::size_t length = std::string::npos) {
  const DbText t = select.TrimmedTextAt(position);
  return t.Lost() ? TextKey(t) : t.text.substr(0, length);
}

struct GroupKey {
  std::string codlinea, verso, codcorsa, codperc;
  long parte = 0, arriva = 0, ente = 0;
  auto Tie() const { return std::tie(codlinea, verso, codcorsa, parte, arriva, ente, codperc); }
  bool operator<(const GroupKey& o) const { return Tie() < o.Tie(); }
};

constexpr int kHeadColumns = 19;
// The kinds of the compared head columns from `contratt` on: 'I' short, 'L' long, 'A' text, 'C'
// one character.
constexpr char kHeadKinds[] = "ILILIALACLL";
static_assert(sizeof kHeadKinds - 1 == kHeadColumns - 8);

// Reads the heads into their groups (ids ascending within each).
bool ReadGroups(DbDatabase* db, std::vector<CompareTrip>& trips, std::vector<std::vector<std::size_t>>& groups,
                std::string& refusal) {
  DbSelect select(db);
  select.SetColumns(
      "ID, codlinea, verso, codcorsa, parte, arriva, ente, codperc, contratt, lung, tempo, ct_lung, ct_tempo, "
      "regcorsa, "
      "reglinea, denom, mezzo, prevcor, nextcor, (codlinea IS NULL OR verso IS NULL OR codcorsa IS NULL OR parte IS "
      "NULL OR "
      "arriva IS NULL OR ente IS NULL OR codperc IS NULL)");
  select.SetFrom("tescor");
  select.SetOrderBy("ID");
  select.SetStreaming(true);
  OpenToRefuseFaults(select);
  std::map<GroupKey, std::vector<std::size_t>> byKey;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    // A key field without a value leaves the trip out of every group.
    const bool keyed = select.LongAt(kHeadColumns) == 0;
    GroupKey key;
    key.codlinea = Compared(select, 1);
    key.verso = Compared(select, 2, 1);
    key.codcorsa = Compared(select, 3);
    key.parte = select.IntAt(4);
    key.arriva = select.IntAt(5);
    key.ente = select.IntAt(6);
    key.codperc = Compared(select, 7);
    const long id = select.LongAt(0);
    const auto row = [&select] { return StoredTripRow(select, 0); };
    if (StoredValueRefused(select, row, &TripHeadLayout(), Undone::Changes, refusal)) return false;
    if (!keyed || key.verso.empty()) continue;
    CompareTrip trip;
    trip.id = static_cast<std::int32_t>(id);
    // Each value read by its column's kind: a number compared as a number, never as a text.
    for (int c = 8; c < kHeadColumns; ++c) {
      switch (kHeadKinds[c - 8]) {
        case 'C': Pack(trip.head, Compared(select, c, 1)); break;  // mezzo: its first character
        case 'I':
        case 'L': {  // a number, of which NULL is none
          long number = 0;
          Pack(trip.head, select.GetFieldLongAt(c, &number) ? std::to_string(number) : std::string());
          break;
        }
        default: Pack(trip.head, Compared(select, c)); break;
      }
    }
    if (StoredValueRefused(select, row, &TripHeadLayout(), Undone::Changes, refusal)) return false;
    byKey[key].push_back(trips.size());
    trips.push_back(std::move(trip));
  }
  if (select.WalkFailed()) return false;
  for (auto& [key, members] : byKey)
    if (members.size() > 1) groups.push_back(std::move(members));
  return true;
}

// The stops and the period days of the trips that have a group to be compared in.
bool ReadStopsAndDays(DbDatabase* db, std::vector<CompareTrip>& trips,
                      const std::unordered_map<std::int32_t, std::size_t>& slot, std::string& refusal) {
  {
    DbSelect select(db);
    select.SetColumns(
        "ID, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, regferma, regarea, "
        "reglocal");
    select.SetFrom("detcor");
    select.SetOrderBy("ID, sub");
    select.SetStreaming(true);
    OpenToRefuseFaults(select);
    for (bool more = select.hasRow; more; more = select.MoveNext()) {
      const long id = select.LongAt(0);
      const auto it = slot.find(static_cast<std::int32_t>(id));
      if (it == slot.end()) continue;
      CompareTrip& t = trips[it->second];
      const int sub = select.IntAt(1);
      t.subs.push_back(sub);
      std::string& s = t.stops;
      Pack(s, std::to_string(sub));
      for (int c : {2, 3, 4}) Pack(s, Compared(select, c));
      Pack(s, std::to_string(select.LongAt(5)));                           // dist
      for (int c : {6, 7}) Pack(s, std::to_string(select.IntAt(c)));       // arriva, parte
      for (int c : {8, 9, 10}) Pack(s, select.IntAt(c) != 0 ? "1" : "0");  // yes/no
      Pack(s, std::to_string(select.LongAt(11)));                          // regferma
      Pack(s, Compared(select, 12));                                       // regarea
      Pack(s, std::to_string(select.IntAt(13)));                           // reglocal
      s += ';';
      if (StoredValueRefused(
              select, [&select] { return StoredTripRow(select, 0, 1); }, &TripDetailLayout(), Undone::Changes, refusal))
        return false;
    }
    if (select.WalkFailed()) return false;
  }
  DbSelect select(db, {.columns = "ID, inizio", .from = "period", .orderBy = "ID, inizio", .streaming = true});
  OpenToRefuseFaults(select);
  std::string date;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    const long id = select.LongAt(0);
    const auto it = slot.find(static_cast<std::int32_t>(id));
    if (it == slot.end()) continue;
    select.GetFieldTextAt(1, date);
    if (StoredValueRefused(
            select, [&select] { return StoredTripRow(select, 0); }, &PeriodLayout(), Undone::Changes, refusal))
      return false;
    trips[it->second].dates.push_back(date);
  }
  return !select.WalkFailed();
}

bool Disjoint(const std::unordered_set<std::string>& days, const std::vector<std::string>& other) {
  return std::none_of(other.begin(), other.end(), [&](const std::string& d) { return days.count(d) != 0; });
}

// The writes of one trip B merged into A: B's days given to A, then B's periods, stops and head
// deleted. True when the head went.
bool MergeInto(const CompareTrip& a, const CompareTrip& b, DbTable& periods, DbTable& stops, DbTable& heads) {
  const std::string aId = std::to_string(a.id), bId = std::to_string(b.id);
  for (const std::string& d : b.dates) {
    if (periods.AddNew()) {
      if (periods.SetFieldText("id", aId) && periods.SetFieldText("caden", "UNICA") &&
          periods.SetFieldText("inizio", d) && periods.SetFieldText("fine", d) && periods.SetFieldText("escluso", "0"))
        periods.Update();
    }
    if (periods.SeekEqual({bId.c_str(), d.c_str(), d.c_str()})) periods.Delete();
  }
  for (int sub : b.subs) {
    const std::string s = std::to_string(sub);
    if (stops.SeekEqual({bId.c_str(), s.c_str()})) stops.Delete();
  }
  return heads.SeekEqual({bId.c_str()}) && heads.Delete();
}

// Merges the trips of every group inside `batch`, which the trips were read in; false when a
// read failed, or with `refusal` at a value read that is not of its column's kind.
bool MergeGroups(DbDatabase* db, WorkProgress* progress, int& deleted, std::string& refusal) {
  std::vector<CompareTrip> trips;
  std::vector<std::vector<std::size_t>> groups;
  if (!ReadGroups(db, trips, groups, refusal)) return false;
  std::unordered_map<std::int32_t, std::size_t> slot;
  for (const auto& g : groups)
    for (std::size_t i : g) slot.emplace(trips[i].id, i);
  if (!ReadStopsAndDays(db, trips, slot, refusal)) return false;

  DbTable periods(db, "period"), stops(db, "detcor"), heads(db, "tescor");
  if (!periods.SetIndex("codice") || !stops.SetIndex("codice") || !heads.SetIndex("codice")) return false;
  if (progress) progress->Begin({});
  const long total = static_cast<long>(groups.size());
  long done = 0;
  for (const auto& g : groups) {
    if (db->TransactionLost()) break;
    if (progress) progress->Step(done++, total);
    for (std::size_t ai = 0; ai < g.size(); ++ai) {
      CompareTrip& a = trips[g[ai]];
      if (a.merged) continue;
      std::unordered_set<std::string> days(a.dates.begin(), a.dates.end());
      for (std::size_t bi = ai + 1; bi < g.size(); ++bi) {
        CompareTrip& b = trips[g[bi]];
        if (b.merged || b.head != a.head || b.stops != a.stops || !Disjoint(days, b.dates)) continue;
        if (MergeInto(a, b, periods, stops, heads)) ++deleted;
        for (const std::string& d : b.dates) {
          a.dates.push_back(d);
          days.insert(d);
        }
        b.merged = true;
      }
    }
  }
  if (progress) progress->End();
  return true;
}

}  // namespace

NormalisationResult MergeMicroBusTrips(DbDatabase* db, WorkProgress* progress) {
  NormalisationResult result;
  // The data asked about may have changed while the question waited: the shape is checked again
  // in the transaction that reads and merges the trips, and its refusal stops the merge.
  DbBatch batch(db);
  if (!batch.Active()) return NotStored<NormalisationResult>();
  if (Outcome shape = CheckMicroBusShape(db); !shape.ok) {
    batch.Rollback();
    static_cast<Outcome&>(result) = std::move(shape);
    return result;
  }
  std::string refusal;
  const bool merged = MergeGroups(db, progress, result.deleted, refusal);
  if (!merged) batch.Rollback();
  if (merged && batch.Commit() != 0) {
    result.Succeed(NormalisationResultText(result.deleted));
  } else {
    result.deleted = 0;
    result.Fail(refusal.empty() ? AssignmentNotStoredText() : refusal);
  }
  return result;
}

std::string NormalisationQuestionText() {
  return std::string("I dati analizzati presentano le caratteristiche tipiche di MicroBus-IVU\n\n") +
         "Intendi procedere con la normalizzazione della comunicazione?";
}

std::string NormalisationResultText(int deleted) { return Format("Eliminate %d corse ridondanti", deleted); }
