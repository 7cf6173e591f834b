#include "conversions/hyperplan/MTramCadences.h"

#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "utilities/CodeAssignment.h"

#include <string_view>
#include <unordered_map>

namespace {

// The key under which equal day types meet: the name and every date.
std::string SameKey(const MTramCadence& c) {
  std::string key = c.name;
  key.reserve(key.size() + 1 + 10 * c.dates.size());
  key += '\n';
  for (const std::string& d : c.dates) key += d;
  return key;
}

// Moves the periods of `from` onto `to`.
int MovePeriods(DbDatabase* db, DbTable& periods, int at, const MTramCadence& from, const MTramCadence& to) {
  DbSelect select(db, {.columns = "ID, inizio, fine", .from = "period", .where = "caden = ?1"});
  select.SetParameters({from.code});
  select.Open();
  int moved = 0;
  std::string id, start, end;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    id = std::to_string(select.LongAt(0));
    select.GetFieldTextAt(1, start);
    select.GetFieldTextAt(2, end);
    if (periods.SeekEqual({id.c_str(), start.c_str(), end.c_str()}) && periods.Edit() &&
        periods.SetFieldTextAt(at, to.code) && periods.Update())
      ++moved;
  }
  return moved;
}

// Deletes the calendar rows of `cadence`.
int DeleteDates(DbDatabase* db, DbTable& calendar, const MTramCadence& cadence) {
  DbSelect select(db, {.columns = "data, caden", .from = "calend", .where = "caden = ?1"});
  select.SetParameters({cadence.code});
  select.Open();
  int deleted = 0;
  std::string date, code;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    select.GetFieldTextAt(0, date);
    code = select.TrimmedAt(1);
    if (calendar.SeekEqual({date.c_str(), code.c_str()}) && calendar.Delete()) ++deleted;
  }
  return deleted;
}

}  // namespace

std::vector<MTramCadence> LoadMTramCadences(DbDatabase* db) {
  std::vector<MTramCadence> cadences;
  DbSelect select(db, {.columns = "cadenz.codice, cadenz.denom, calend.data",
                       .from = "cadenz, calend",
                       .where = "calend.caden = cadenz.codice",
                       .orderBy = "cadenz.codice, calend.data",
                       .streaming = true});
  select.Open();
  std::string code, date;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    code = select.TrimmedAt(0);
    if (cadences.empty() || cadences.back().code != code) cadences.push_back({code, select.TrimmedAt(1), {}, -1});
    select.GetFieldTextAt(2, date);
    cadences.back().dates.push_back(date);
  }
  return cadences;
}

void MarkDuplicateCadences(std::vector<MTramCadence>& cadences) {
  // Equality of name and dates is an equivalence, so the first of each group in list order keeps
  // the others: found by key rather than by comparing every day type with every other.
  std::unordered_map<std::string, int> first;
  first.reserve(cadences.size());
  for (int k = 0; k < static_cast<int>(cadences.size()); ++k) {
    const auto [at, added] = first.emplace(SameKey(cadences[k]), k);
    cadences[k].keeper = added ? -1 : at->second;
  }
}

CadenceRebuildResult RebuildMTramCadences(DbDatabase* db, WorkProgress* progress) {
  CadenceRebuildResult result;
  DbBatch batch(db);
  std::vector<MTramCadence> cadences = LoadMTramCadences(db);
  MarkDuplicateCadences(cadences);
  DbTable cadenz(db, "cadenz"), calend(db, "calend"), period(db, "period");
  cadenz.SetIndex("codice");
  calend.SetIndex("codice");
  period.SetIndex("codice");
  const int cadenAt = period.FieldIndex("caden");
  if (progress) progress->Begin({});
  const long total = static_cast<long>(cadences.size());
  for (long k = 0; k < total; ++k) {
    if (progress) progress->Step(k, total);
    const MTramCadence& d = cadences[static_cast<std::size_t>(k)];
    if (d.keeper < 0) continue;
    result.periods += MovePeriods(db, period, cadenAt, d, cadences[static_cast<std::size_t>(d.keeper)]);
    result.dates += DeleteDates(db, calend, d);
    if (cadenz.SeekEqual({d.code.c_str()}) && cadenz.Delete()) ++result.merged;
  }
  if (progress) progress->End();
  if (batch.Commit() != 0) {
    result.Succeed(CadenceRebuildDoneText());
  } else {
    result = {};
    result.Fail(AssignmentNotStoredText());
  }
  return result;
}

std::string CadenceRebuildDoneText() { return "Elaborazione terminata"; }
