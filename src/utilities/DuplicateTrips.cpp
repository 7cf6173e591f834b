#include "utilities/DuplicateTrips.h"

#include "common/CalendarDays.h"
#include "common/Formatters.h"
#include "common/TextReportHead.h"
#include "common/WholeFile.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"
#include "utilities/KeyedRows.h"
#include "utilities/RowBatch.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>

const char* const kNoDuplicateTripsText = "Non è stata identificata nessuna corsa doppia";
const char* const kDuplicateTripsChangedText =
    "ATTENZIONE: le corse sono state modificate dopo la ricerca delle corse doppie.\n\n"
    "Nessuna corsa è stata modificata.";
const char* const kDuplicateReportTitle = "Report Corse Doppie";
const char* const kDuplicateReportName = "CORSE_DOPPIE";

namespace {

void TrimRight(std::string& text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
}

// The day number of a "GG/MM/AAAA" text; false when it is no date.
bool DayNumber(const std::string& text, long long& day) {
  DateRecord record;
  if (!ParseDateText10(text, record)) return false;
  const QDate date = ToQDate(record);
  if (!date.isValid()) return false;
  day = date.toJulianDay();
  return true;
}

// A key holding every head value, so that equal heads meet in one map entry.
std::string HeadKey(const TripHeadGroup& h) {
  std::string key;
  for (const std::string* text : {&h.codcorsa, &h.codlinea, &h.codperc, &h.denom, &h.stored}) {
    key += *text;
    key += '\0';
  }
  const std::int32_t numbers[] = {h.verso, h.parte, h.arriva, h.ente, h.lung, h.tempo, h.ct_lung, h.ct_tempo, h.gruppo};
  key.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
  return key;
}

void Step(WorkProgress* progress, long done, long total) {
  if (progress && (done & 0xFF) == 0) progress->Step(done, total);
}

// Whether the row just read held a value its column cannot hold: then the set is refused with the
// message that names it, as `row` names the row.
template <class Row>
bool Refused(DbSelect& select, DuplicateTripSet& set, Row row) {
  if (!select.Faulted()) return false;
  set.Fail(StoredValueRefusal(row(), select.FaultText()));
  return true;
}

// Pass 1: the heads, each trip filed under the group of its head.
bool ReadHeads(DbDatabase* db, DuplicateTripSet& set) {
  DbSelect select(db);
  select.SetStreaming(true);
  select.SetColumns(std::string("id, codcorsa, codlinea, verso, parte, arriva, ente, lung, tempo, ct_lung,") +
                    " ct_tempo, codperc, denom, gruppo");
  select.SetFrom("tescor");
  select.SetFaultsToldByCaller(true);
  select.SetOrderBy(std::string("codcorsa, codlinea, verso, parte, arriva, ente, lung, tempo, ct_lung,") +
                    " ct_tempo, codperc, denom, gruppo");
  select.Open();
  // The selection's order brings equal heads together; a map finds the group all the same, so
  // that texts the selection orders apart but the comparison takes as equal (no text and an
  // empty one) still meet.
  std::unordered_map<std::string, size_t> groupOf;
  TripHeadGroup head;
  std::string verso;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    long id = 0, number = 0;
    int small = 0;
    select.GetFieldLongAt(0, &id);
    select.GetFieldTextAt(1, head.codcorsa);
    select.GetFieldTextAt(2, head.codlinea);
    select.GetFieldTextAt(3, verso);
    head.verso = verso.empty() ? 0 : verso[0];
    select.GetFieldIntAt(4, &small);
    head.parte = small;
    select.GetFieldIntAt(5, &small);
    head.arriva = small;
    select.GetFieldIntAt(6, &small);
    head.ente = small;
    select.GetFieldLongAt(7, &number);
    head.lung = static_cast<std::int32_t>(number);
    select.GetFieldIntAt(8, &small);
    head.tempo = small;
    select.GetFieldLongAt(9, &number);
    head.ct_lung = static_cast<std::int32_t>(number);
    select.GetFieldIntAt(10, &small);
    head.ct_tempo = small;
    select.GetFieldTextAt(11, head.codperc);
    select.GetFieldTextAt(12, head.denom);
    select.GetFieldLongAt(13, &number);
    head.gruppo = static_cast<std::int32_t>(number);
    for (std::string* text : {&head.codcorsa, &head.codlinea, &head.codperc, &head.denom}) TrimRight(*text);
    head.stored.clear();
    for (const int position : {1, 2, 3, 11, 12}) {
      if (select.LostAt(position).code == 0) continue;
      head.stored += static_cast<char>('0' + position);
      head.stored += TextKeyAt(select, position);
      head.stored += '\0';
    }
    if (Refused(select, set, [&] { return StoredTripRow(select, 0); })) return false;
    const auto [at, fresh] = groupOf.emplace(HeadKey(head), set.groups.size());
    if (fresh) set.groups.push_back(head);
    set.groups[at->second].trips.push_back({static_cast<std::int32_t>(id), {}, -1});
    ++set.tripsRead;
  }
  return !select.WalkFailed();
}

// Each group's trips by id, and the index of every trip by id.
void BuildIndex(DuplicateTripSet& set) {
  set.index.clear();
  set.index.reserve(static_cast<size_t>(set.tripsRead));
  for (size_t g = 0; g < set.groups.size(); ++g) {
    auto& trips = set.groups[g].trips;
    std::sort(trips.begin(), trips.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    for (size_t k = 0; k < trips.size(); ++k)
      set.index.push_back({trips[k].id, static_cast<std::uint32_t>(g), static_cast<std::uint32_t>(k)});
  }
  std::sort(set.index.begin(), set.index.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
}

// Pass 2: the calendar, as the days of each day type (by its key) from its first date. Returns the day
// number of the first date (or 0 without a calendar).
bool ReadCalendar(DbDatabase* db, DuplicateTripSet& set, std::map<std::string, DayBits>& dayTypes, long long& first) {
  DbSelect select(db, {.columns = "data, caden", .from = "calend", .orderBy = "data, caden"});
  select.SetFaultsToldByCaller(true);
  select.Open();
  std::vector<std::pair<long long, std::string>> rows;
  long long last = 0;
  std::string date, code;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    long long day = 0;
    select.GetFieldTextAt(0, date);
    ReadTextKey(select, 1, code);
    if (Refused(select, set,
                [&] { return select.Fault().position == 0 ? "calendario" : "calendario, giorno " + date; }))
      return false;
    if (!DayNumber(date, day)) continue;
    if (rows.empty() || day < first) {
      first = day;
      set.firstDate = date;
    }
    if (rows.empty() || day > last) last = day;
    rows.emplace_back(day, code);
  }
  set.dayCount = rows.empty() ? 0 : static_cast<int>(last - first + 1);
  for (const auto& [day, dayType] : rows) {
    auto it = dayTypes.try_emplace(dayType, set.dayCount).first;
    it->second.Set(static_cast<int>(day - first));
  }
  return !select.WalkFailed();
}

// Pass 3: each trip's periods.
bool ReadPeriods(DbDatabase* db, DuplicateTripSet& set, const std::map<std::string, DayBits>& dayTypes, long long first,
                 WorkProgress* progress) {
  for (TripHeadGroup& group : set.groups)
    for (DuplicateTripEntry& trip : group.trips) trip.days.Init(set.dayCount);
  DbSelect select(
      db, {.columns = "id, caden, inizio, fine, escluso", .from = "period", .orderBy = "id, caden", .streaming = true});
  select.SetFaultsToldByCaller(true);
  select.Open();
  DuplicateTripEntry* trip = nullptr;
  long current = 0;
  long done = 0;
  std::string code, from, to;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    long id = 0;
    int excluded = 0;
    select.GetFieldLongAt(0, &id);
    if (done++ == 0 || id != current) {
      current = id;
      trip = set.FindTripEntry(static_cast<std::int32_t>(id));
    }
    Step(progress, done, set.tripsRead * 2L);
    // Every value of the row read, whether the trip and its day type are known or not.
    ReadTextKey(select, 1, code);
    select.GetFieldTextAt(2, from);
    select.GetFieldTextAt(3, to);
    select.GetFieldIntAt(4, &excluded);
    if (Refused(select, set, [&] { return StoredTripRow(select, 0); })) return false;
    if (!trip || set.dayCount == 0) continue;
    const auto mask = dayTypes.find(code);
    long long start = 0, end = 0;
    if (mask == dayTypes.end()) continue;
    if (!DayNumber(from, start) || !DayNumber(to, end)) continue;
    trip->days.AddPeriod(mask->second, static_cast<int>(std::max(start - first, -1LL)),
                         static_cast<int>(std::min(end - first, static_cast<long long>(set.dayCount))), excluded != 0);
  }
  return !select.WalkFailed();
}

// Pass 4: in each group every later trip against the earlier ones, from the nearest back: the
// first that shares a running day with it is the last such trip in group order.
void MarkDuplicates(DuplicateTripSet& set) {
  for (TripHeadGroup& group : set.groups) {
    auto& trips = group.trips;
    for (size_t b = 1; b < trips.size(); ++b)
      for (size_t a = b; a-- > 0;)
        if (trips[a].days.ShareARunningDay(trips[b].days)) {
          trips[b].duplicateOf = trips[a].id;
          break;
        }
  }
}

}  // namespace

bool TripHeadGroup::SameHead(const TripHeadGroup& o) const {
  return codcorsa == o.codcorsa && codlinea == o.codlinea && verso == o.verso && parte == o.parte &&
         arriva == o.arriva && ente == o.ente && lung == o.lung && tempo == o.tempo && ct_lung == o.ct_lung &&
         ct_tempo == o.ct_tempo && codperc == o.codperc && denom == o.denom && gruppo == o.gruppo && stored == o.stored;
}

DuplicateTripEntry* DuplicateTripSet::FindTripEntry(std::int32_t id) {
  const auto it = std::lower_bound(index.begin(), index.end(), id,
                                   [](const IndexEntry& e, std::int32_t key) { return e.id < key; });
  if (it == index.end() || it->id != id) return nullptr;
  return &groups[it->group].trips[it->position];
}

int DuplicateTripSet::Duplicates() const {
  int count = 0;
  for (const TripHeadGroup& group : groups)
    for (const DuplicateTripEntry& trip : group.trips) count += trip.duplicateOf != -1;
  return count;
}

std::vector<std::int32_t> DuplicateTripSet::MarkedIds() const {
  std::vector<std::int32_t> ids;
  for (const TripHeadGroup& group : groups)
    for (const DuplicateTripEntry& trip : group.trips)
      if (trip.duplicateOf != -1) ids.push_back(trip.id);
  return ids;
}

DuplicateTripSet FindDuplicateTrips(DbDatabase* db, WorkProgress* progress) {
  DuplicateTripSet set;
  // One read transaction: the heads, the calendar and the periods as they were at the first read.
  DbReadSnapshot snapshot(db);
  if (progress) progress->Begin({});
  bool read = ReadHeads(db, set);
  if (read && set.tripsRead > 0) {
    BuildIndex(set);
    std::map<std::string, DayBits> dayTypes;
    long long first = 0;
    read = ReadCalendar(db, set, dayTypes, first) && ReadPeriods(db, set, dayTypes, first, progress);
    if (read) MarkDuplicates(set);
  }
  if (progress) progress->End();
  if (!read)
    for (TripHeadGroup& group : set.groups)
      for (DuplicateTripEntry& trip : group.trips) trip.duplicateOf = -1;
  set.ok = read;
  set.refused = !read && !set.messages.empty();
  if (read && set.Duplicates() == 0) set.Inform(kNoDuplicateTripsText);
  return set;
}

std::string DuplicateTripReportText(const DuplicateTripSet& set, const std::string& databasePath,
                                    const ClockTime& now) {
  std::string out = TextReportHead("Sistemazione Corse Doppie (Quendo)", {"Database: " + databasePath}, now);
  int number = 0;
  for (const TripHeadGroup& g : set.groups)
    for (const DuplicateTripEntry& trip : g.trips) {
      if (trip.duplicateOf == -1) continue;
      // A trip without a direction has no letter after its line (never a NUL byte in the file).
      const std::string line = g.verso ? g.codlinea + g.verso : g.codlinea;
      out += Format("%d) ID=%ld [ID=%ld] Corsa=<%s> Linea=<%s> P. %02d.%02d A. %02d.%02d\r\n", ++number,
                    static_cast<long>(trip.id), static_cast<long>(trip.duplicateOf), g.codcorsa.c_str(), line.c_str(),
                    g.parte / 100, g.parte % 100, g.arriva / 100, g.arriva % 100);
    }
  return out;
}

int OneMinuteLater(int hhmm) {
  if (hhmm == 9999 || hhmm < 0) return hhmm;
  const int minutes = (hhmm / 100) * 60 + hhmm % 100 + 1;
  return (minutes / 60 % 24) * 100 + minutes % 60;
}

namespace {

// The shift without its message: `ok` once the batch is stored.
DuplicateShiftResult Shift(DbDatabase* db, const DuplicateTripSet& set, WorkProgress* progress) {
  DuplicateShiftResult result;
  const std::vector<std::int32_t> ids = set.MarkedIds();
  if (ids.empty()) {
    result.ok = true;
    return result;
  }
  DbBatch batch(db);
  if (!batch.Active()) return result;
  // The copies are found again in the batch: the trips may have changed while the report was
  // chosen and written, and only the copies it lists are moved.
  if (const DuplicateTripSet now = FindDuplicateTrips(db, nullptr); !now.ok || now.MarkedIds() != ids) {
    batch.Rollback();
    result.changed = now.ok;
    if (now.refused) result.refusal = now.Failure();
    return result;
  }
  std::string list;
  for (std::int32_t id : ids) list += (list.empty() ? "" : ",") + std::to_string(id);
  DbSelect select(db, {.columns = "id, sub, arriva, parte", .from = "detcor"});
  select.SetWhere("ID IN (" + list + ")");
  select.SetOrderBy("id, sub");
  select.SetFaultsToldByCaller(true);
  select.Open();
  if (select.WalkFailed()) {
    batch.Rollback();
    return result;
  }
  const long total = static_cast<long>(ids.size()) + select.RowCount();
  long done = 0;
  if (progress) progress->Begin({});
  // The heads of the copies, every one of them (also a trip without stops).
  KeyedRows heads(db, "tescor");
  const int headParte = heads.Field("parte"), headArriva = heads.Field("arriva");
  std::string text;
  for (std::int32_t id : ids) {
    if (batch.Lost()) break;
    Step(progress, ++done, total);
    if (!heads.Seek(id)) continue;
    DbTable& t = heads.Table();
    t.GetFieldText("parte", text);
    const int parte = std::atoi(text.c_str());
    const bool hasParte = !text.empty();
    t.GetFieldText("arriva", text);
    const int arriva = std::atoi(text.c_str());
    const bool hasArriva = !text.empty();
    if (t.Edit() && (!hasParte || t.SetFieldNumberAt(headParte, OneMinuteLater(parte))) &&
        (!hasArriva || t.SetFieldNumberAt(headArriva, OneMinuteLater(arriva))) && t.Update())
      ++result.trips;
  }
  // Their stop times.
  KeyedRows stops(db, "detcor");
  const int stopArriva = stops.Field("arriva"), stopParte = stops.Field("parte");
  for (bool more = select.hasRow; more && !batch.Lost(); more = select.MoveNext()) {
    Step(progress, ++done, total);
    long id = 0;
    int sub = 0, arriva = 0, parte = 0;
    select.GetFieldLongAt(0, &id);
    select.GetFieldIntAt(1, &sub);
    const bool hasArriva = select.GetFieldIntAt(2, &arriva) != 0;
    const bool hasParte = select.GetFieldIntAt(3, &parte) != 0;
    if (select.Faulted()) {
      result.refusal = StoredValueRefusal(StoredTripRow(select, 0, 1), select.FaultText());
      break;
    }
    if (!stops.Seek(id, sub)) continue;
    DbTable& t = stops.Table();
    if (t.Edit() && (!hasArriva || t.SetFieldNumberAt(stopArriva, OneMinuteLater(arriva))) &&
        (!hasParte || t.SetFieldNumberAt(stopParte, OneMinuteLater(parte))) && t.Update())
      ++result.rows;
  }
  if (progress) progress->End();
  if (!result.refusal.empty()) {
    batch.Rollback();
    result.trips = result.rows = 0;
    return result;
  }
  result.ok = batch.Commit() != 0;
  if (!result.ok) result.trips = result.rows = 0;
  return result;
}

}  // namespace

Outcome WriteDuplicateTripReport(const std::string& path, const DuplicateTripSet& set, const std::string& databasePath,
                                 const ClockTime& now) {
  return SaveWholeFile(path, DuplicateTripReportText(set, databasePath, now));
}

DuplicateShiftResult ShiftDuplicateTrips(DbDatabase* db, const DuplicateTripSet& set, WorkProgress* progress) {
  DuplicateShiftResult result = Shift(db, set, progress);
  if (result.ok)
    result.Inform(DuplicateShiftResultText(result));
  else if (!result.refusal.empty())
    result.Fail(result.refusal);
  else if (result.changed)
    result.Fail(kDuplicateTripsChangedText);
  else
    result.Fail(AssignmentNotStoredText());
  return result;
}

std::string DuplicateShiftResultText(const DuplicateShiftResult& result) {
  return std::string("Risultati sistemazione corse doppie:\n\n") + Format("Modificate %d corse\n", result.trips) +
         Format("Modificate %d righe orario", result.rows);
}
