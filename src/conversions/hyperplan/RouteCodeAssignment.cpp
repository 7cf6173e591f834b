#include "conversions/hyperplan/RouteCodeAssignment.h"

#include "common/Formatters.h"
#include "common/WorkProgress.h"
#include "conversions/StoredValues.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"
#include "exchange/RecordLayouts.h"
#include "utilities/CodeAssignment.h"
#include "utilities/KeyedRows.h"

#include <string_view>
#include <unordered_map>

namespace {

// The signature of every quadro of number 0 or more, from one selection of its distinct stops.
// False when the selection failed, or with `refusal` at a value that is not of its column's kind.
bool QuadroSignatures(DbDatabase* db, WorkProgress* progress, std::unordered_map<long, std::string>& signatures,
                      std::string& refusal) {
  DbSelect select(db, {.columns = "tescor.gruppo, detcor.sub, detcor.fermata",
                       .from = "tescor, detcor",
                       .where = "tescor.ID = detcor.ID AND tescor.gruppo >= 0",
                       .groupBy = "tescor.gruppo, detcor.sub, detcor.fermata",
                       .orderBy = "tescor.gruppo, detcor.sub, detcor.fermata"});
  OpenToRefuseFaults(select);
  if (select.WalkFailed()) return false;
  const long rows = select.RowCount();
  if (progress) progress->Begin(kQuadroStep);
  long done = 0;
  std::string* current = nullptr;
  long currentQuadro = 0;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    if (progress) progress->Step(done++, rows);
    const long quadro = select.LongAt(0);
    if (!current || quadro != currentQuadro) {
      current = &signatures[quadro];
      currentQuadro = quadro;
      *current = "{ ";
    } else {
      *current += ", ";
    }
    // A code that lost a character is no other code read with '?', nor any code of the file.
    *current += TextKeyAt(select, 2);
    *current += "#F";
    if (StoredValueRefused(
            select, [&select, quadro] { return Format("quadro %ld, fermata %ld", quadro, select.LongAt(1)); },
            &TripDetailLayout(), Undone::Changes, refusal))
      return false;
  }
  for (auto& [quadro, signature] : signatures) signature += " }";
  return !select.WalkFailed();
}

// Writes every trip's code in one batch; false when nothing of it is in the database (with
// `refusal` when a value read is not of its column's kind).
bool AssignCodes(DbDatabase* db, const std::vector<DescriptorRoute>& routes, WorkProgress* progress,
                 RouteCodeResult& result, std::string& refusal) {
  // Signature -> route code; of several routes with one signature the first in the file stands.
  std::unordered_map<std::string, std::string_view> routeCodes;
  routeCodes.reserve(routes.size());
  for (const DescriptorRoute& r : routes) routeCodes.emplace(r.Signature(), r.code);

  DbBatch batch(db);
  if (!batch.Active()) return false;
  std::unordered_map<long, std::string> quadri;
  if (!QuadroSignatures(db, progress, quadri, refusal)) {
    batch.Rollback();
    return false;
  }
  // The codes of the quadri, once each.
  std::unordered_map<long, std::string_view> quadroCodes;
  for (const auto& [quadro, signature] : quadri) {
    const auto found = routeCodes.find(signature);
    if (found != routeCodes.end()) quadroCodes.emplace(quadro, found->second);
  }

  DbSelect select(db, {.columns = "ID, gruppo", .from = "tescor"});
  OpenToRefuseFaults(select);
  if (select.WalkFailed()) {
    batch.Rollback();
    return false;
  }
  result.trips = select.RowCount();
  if (progress) progress->Begin(kAssignmentStep);
  KeyedRows trips(db, "tescor");
  const int at = trips.Field("codperc");
  DbTable& table = trips.Table();
  long done = 0;
  std::string own;
  for (bool more = select.hasRow; more && !batch.Lost(); more = select.MoveNext()) {
    if (progress) progress->Step(done++, result.trips);
    const long quadro = select.LongAt(1);
    if (StoredValueRefused(
            select, [&select] { return StoredTripRow(select, 0); }, &TripHeadLayout(), Undone::Changes, refusal)) {
      batch.Rollback();
      return false;
    }
    std::string_view code;
    const auto found = quadroCodes.find(quadro);
    if (found != quadroCodes.end()) {
      code = found->second;
      ++result.matched;
    } else {
      own = "GRUPPO_" + std::to_string(quadro);
      code = own;
    }
    if (trips.Seek(select.LongAt(0)) && table.Edit() && table.SetFieldTextAt(at, code) && table.Update())
      ++result.updated;
  }
  if (progress) progress->End();
  if (select.WalkFailed()) {
    batch.Rollback();
    return false;
  }
  return batch.Commit() != 0;
}

}  // namespace

RouteCodeResult AssignRouteCodesFromDescriptor(DbDatabase* db, const std::vector<DescriptorRoute>& routes,
                                               WorkProgress* progress) {
  RouteCodeResult result;
  std::string refusal;
  if (AssignCodes(db, routes, progress, result, refusal)) {
    result.Succeed();
  } else {
    result.updated = 0;
    result.Fail(refusal.empty() ? AssignmentNotStoredText() : refusal);
  }
  return result;
}
