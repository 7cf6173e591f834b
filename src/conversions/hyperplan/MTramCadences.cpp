#include "conversions/hyperplan/MTramCadences.h"

#include "common/WorkProgress.h"
#include "conversions/StoredValues.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"
#include "exchange/RecordLayouts.h"
#include "utilities/CodeAssignment.h"

#include <unordered_map>

namespace {

// The key under which equal day types meet: the name and every date.
std::string SameKey(const MTramCadence& c) {
  std::string key = TextKey(c.name);
  key.reserve(key.size() + 1 + 10 * c.dates.size());
  key += '\n';
  for (const std::string& d : c.dates) key += d;
  return key;
}

// The rows a statement changed, 0 when the database refused it (the layer has said why).
int Changed(long rows) { return rows < 0 ? 0 : static_cast<int>(rows); }

}  // namespace

std::vector<MTramCadence> LoadMTramCadences(DbDatabase* db, std::string& refusal) {
  std::vector<MTramCadence> cadences;
  DbSelect select(db, {.columns = "cadenz.codice, cadenz.denom, calend.data",
                       .from = "cadenz, calend",
                       .where = "calend.caden = cadenz.codice",
                       .orderBy = "cadenz.codice, calend.data",
                       .streaming = true});
  OpenToRefuseFaults(select);
  DbText code;
  std::string date;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    code = select.TrimmedTextAt(0);
    if (cadences.empty() || cadences.back().code != code) cadences.push_back({code, select.TrimmedTextAt(1), {}, -1});
    select.GetFieldTextAt(2, date);
    if (StoredValueRefused(
            select, [&] { return DayOfDayType(code.text, date); }, &CadenceLayout(), Undone::Changes, refusal))
      return {};
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
  if (!batch.Active()) return NotStored<CadenceRebuildResult>();
  std::string refusal;
  std::vector<MTramCadence> cadences = LoadMTramCadences(db, refusal);
  if (!refusal.empty()) {
    batch.Rollback();
    result.Fail(refusal);
    return result;
  }
  MarkDuplicateCadences(cadences);
  if (progress) progress->Begin({});
  const long total = static_cast<long>(cadences.size());
  for (long k = 0; k < total && !batch.Lost(); ++k) {
    if (progress) progress->Step(k, total);
    const MTramCadence& d = cadences[static_cast<std::size_t>(k)];
    if (d.keeper < 0) continue;
    // Every code bound as stored: one that lost a character is neither another's '?' nor written as one.
    const DbText& keeper = cadences[static_cast<std::size_t>(d.keeper)].code;
    result.periods +=
        Changed(DbExecute(db, "period", "UPDATE period SET caden = ?1 WHERE caden = ?2", {keeper, d.code}));
    result.dates += Changed(DbExecute(db, "calend", "DELETE FROM calend WHERE caden = ?1", {d.code}));
    result.merged += Changed(DbExecute(db, "cadenz", "DELETE FROM cadenz WHERE codice = ?1", {d.code}));
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
