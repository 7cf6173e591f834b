#include "utilities/CleanUps.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "utilities/KeyedRows.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

struct CleanUpText {
  const char* table;
  const char* field;
  std::string_view value;
  const char* first;   // the question's first paragraph
  const char* second;  // its second
  const char* result;  // the counters line
};

const CleanUpText& TextOf(CleanUp which) {
  static const CleanUpText texts[] = {
      {"tescor", "codcorsa", " ", "ATTENZIONE: Questa funzione eliminarà tutti i codici assegnati alle corse.\n\n",
       "i codici corsa forniti dall'azienda e palesamente incongruenti.\n\n",
       "Lette %d corse; Azzerati %d codici corsa."},
      {"tescor", "codperc", "",
       "ATTENZIONE: Questa funzione eliminarà tutti i codici percorso assegnati alle corse.\n\n",
       "i codici percorso forniti dall'azienda e palesamente incongruenti.\n\n",
       "Lette %d corse; Azzerati %d codici percorso."},
      {"detcor", "fermata", "", "ATTENZIONE: Questa funzione eliminarà tutti i codici fermata dalle corse.\n\n",
       "i codici fermata forniti dall'azienda e palesamente incongruenti.\n\n",
       "Lette %d fermate; Azzerati %d codici fermata."},
      {"detcor", "ubicaz", "", "ATTENZIONE: Questa funzione eliminarà tutte le ubicazioni fermata dalle corse.\n\n",
       "le ubicazioni fermata fornite dall'azienda e palesamente incongruenti.\n\n",
       "Lette %d fermate; Azzerate %d ubicazioni fermata."},
  };
  return texts[static_cast<int>(which)];
}

const char* const kCertain = "La funzione va utilizzata solo se si è veramente certi di volere eliminare\n";

// Sorted ids, found by binary search.
bool Holds(const std::vector<long>& sorted, long id) { return std::binary_search(sorted.begin(), sorted.end(), id); }

// The trip ids of a table's rows; at an id that is no number, the refusal that names it.
std::vector<long> Ids(DbDatabase* db, const char* table, std::string& refusal) {
  std::vector<long> ids;
  DbSelect select(db);
  select.SetStreaming(true);
  select.SetFaultsToldByCaller(true);
  select.SetColumns("id");
  select.SetFrom(table);
  for (int ok = select.Open(); ok && refusal.empty(); ok = select.MoveNext()) {
    ids.push_back(select.LongAt(0));
    if (select.Faulted()) refusal = StoredValueRefusal(StoredTripRow(select, 0), select.FaultText());
  }
  return ids;
}

// A run stopped by a value that its column cannot hold: nothing of its batch kept.
template <class Result = AssignmentResult>
Result Refused(DbBatch& batch, const std::string& refusal) {
  batch.Rollback();
  Result result;
  result.refused = true;
  result.Fail(refusal);
  return result;
}

}  // namespace

AssignmentResult ClearCodes(DbDatabase* db, CleanUp which, WorkProgress* progress) {
  const CleanUpText& text = TextOf(which);
  const bool stops = std::string_view(text.table) == "detcor";
  DbSelect select(db);
  select.SetColumns(stops ? "id, sub" : "id");
  select.SetFrom(text.table);
  KeyedRows rows(db, text.table);
  const int field = rows.Field(text.field);
  DbTable& t = rows.Table();
  AssignmentResult result = WriteRows(db, select, stops ? Walked::Stops : Walked::Trips, progress, [&] {
    const bool found = stops ? rows.Seek(select.LongAt(0), select.IntAt(1)) : rows.Seek(select.LongAt(0));
    return found && t.Edit() && t.SetFieldTextAt(field, text.value) && t.Update();
  });
  return Told(std::move(result), [which](const AssignmentResult& r) { return CleanUpResultText(which, r); });
}

std::string CleanUpQuestion(CleanUp which) {
  const CleanUpText& text = TextOf(which);
  return std::string(text.first) + kCertain + text.second + "Intendi proseguire?";
}

std::string CleanUpResultText(CleanUp which, const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") + Format(TextOf(which).result, r.read, r.updated);
}

AssignmentResult DeleteTripsWithoutPeriod(DbDatabase* db, WorkProgress* progress) {
  DbBatch batch(db);
  if (!batch.Active()) return NotStored();
  // The trips in the order read, and the same ids sorted for the searches.
  std::string refusal;
  const std::vector<long> trips = Ids(db, "tescor", refusal);
  std::vector<long> periods = Ids(db, "period", refusal);
  if (!refusal.empty()) return Refused(batch, refusal);
  std::vector<long> sorted = trips;
  std::sort(sorted.begin(), sorted.end());
  std::sort(periods.begin(), periods.end());
  // The trips to delete: no period row names them. Stop rows of no trip go with them.
  std::vector<long> doomed;
  for (long id : trips)
    if (!Holds(periods, id)) doomed.push_back(id);
  // Each trip's stop numbers; the rows of an id that is no trip go too, after the trips.
  std::unordered_map<long, std::vector<int>> subs;
  std::vector<std::pair<long, int>> orphans;
  {
    std::vector<long> doomedSorted = doomed;
    std::sort(doomedSorted.begin(), doomedSorted.end());
    DbSelect stops(db, {.columns = "id, sub", .from = "detcor", .streaming = true});
    stops.SetFaultsToldByCaller(true);
    for (int ok = stops.Open(); ok; ok = stops.MoveNext()) {
      const long id = stops.LongAt(0);
      const int sub = stops.IntAt(1);
      if (stops.Faulted()) return Refused(batch, StoredValueRefusal(StoredTripRow(stops, 0, 1), stops.FaultText()));
      if (Holds(doomedSorted, id))
        subs[id].push_back(sub);
      else if (!Holds(sorted, id))
        orphans.emplace_back(id, sub);
    }
  }
  AssignmentResult result;
  result.read = static_cast<int>(trips.size());
  KeyedRows heads(db, "tescor"), stopRows(db, "detcor");
  if (progress) progress->Begin({});
  long done = 0;
  const long total = static_cast<long>(doomed.size());
  for (long id : doomed) {
    if (batch.Lost()) break;
    if (progress) progress->Step(++done, total);
    for (int sub : subs[id])
      if (stopRows.Seek(id, sub)) stopRows.Table().Delete();
    if (heads.Seek(id) && heads.Table().Delete()) ++result.updated;
  }
  for (const auto& [id, sub] : orphans)
    if (stopRows.Seek(id, sub)) stopRows.Table().Delete();
  if (progress) progress->End();
  return Told(Committed(batch, result), PeriodlessTripsResultText);
}

std::string PeriodlessTripsQuestion() {
  return std::string("ATTENZIONE: Questa funzione eliminarà tutte le corse prive di periodo di effettuazione.\n\n") +
         kCertain + "le corse che non vengono mai effettuate.\n\n" + "Intendi proseguire?";
}

std::string PeriodlessTripsResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") +
         Format("Eliminate %d corse senza periodo di effettuazione.", r.updated);
}

namespace {

// Whether `code` is the first or the last stop of some trip of the quadri whose trips use it (and
// of the trips themselves, should a trip have no quadro number); at a value read that its column
// cannot hold, the refusal that names it.
bool IsTerminus(DbDatabase* db, const DbText& code, std::string& refusal) {
  DbSelect select(db,
                  {.columns = "detcor.id, detcor.sub, detcor.fermata", .from = "tescor, detcor", .streaming = true});
  select.SetFaultsToldByCaller(true);
  select.SetWhere(
      "tescor.id = detcor.id AND (tescor.gruppo IN (SELECT t.gruppo FROM tescor t, detcor d"
      " WHERE t.id = d.id AND d.fermata = ?1) OR tescor.id IN (SELECT id FROM detcor WHERE fermata = ?1))");
  select.SetParameters({code});
  select.SetOrderBy("detcor.id, detcor.sub");
  bool first = true;
  long lastId = 0;
  DbText lastCode;
  for (int ok = select.Open(); ok; ok = select.MoveNext()) {
    const long id = select.LongAt(0);
    DbText stop = select.TrimmedTextAt(2);
    if (select.Faulted()) {
      refusal = StoredValueRefusal(StoredTripRow(select, 0, 1), select.FaultText());
      return false;
    }
    if (!first && id != lastId && lastCode == code) return true;  // the last stop of the trip before
    if ((first || id != lastId) && stop == code) return true;     // the first stop of this trip
    first = false;
    lastId = id;
    lastCode = std::move(stop);
  }
  return !first && lastCode == code;  // the last stop of the last trip
}

}  // namespace

StopDeletion DeleteStop(DbDatabase* db, const DbText& code, WorkProgress* progress) {
  StopDeletion deletion;
  DbBatch batch(db);
  if (!batch.Active()) return NotStored<StopDeletion>();
  std::string refusal;
  deletion.terminus = IsTerminus(db, code, refusal);
  if (!refusal.empty()) return Refused<StopDeletion>(batch, refusal);
  if (deletion.terminus) {
    batch.Rollback();
    deletion.Fail(TerminusStopText());
    return deletion;
  }
  DbSelect select(db, {.columns = "id, sub", .from = "detcor", .where = "fermata = ?"});
  select.SetParameters({code});
  select.SetOrderBy("id, sub");
  KeyedRows stops(db, "detcor");
  AssignmentResult rows = WalkRows(batch, select, Walked::Stops, progress, [&] {
    return stops.Seek(select.LongAt(0), select.IntAt(1)) && stops.Table().Delete();
  });
  if (select.WalkFailed() || rows.refused)
    batch.Rollback();
  else
    rows = Committed(batch, std::move(rows));
  static_cast<AssignmentResult&>(deletion) = Told(std::move(rows), StopDeletionResultText);
  return deletion;
}

std::string TerminusStopText() {
  return "ATTENZIONE: la fermata selezionata è utilizzata come CAPOLINEA\n\nPertanto non è eliminabile";
}

std::string StopDeletionResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") +
         Format("Lette %d fermate corsa; Eliminate %d fermate corsa.", r.read, r.updated);
}
