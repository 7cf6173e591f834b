#include "conversions/microbus/MicroBusRoutes.h"

#include "common/Formatters.h"
#include "conversions/StoredValues.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"
#include "utilities/CodeAssignment.h"

#include <algorithm>

namespace {

constexpr std::size_t kRouteCodeWidth = 20;

void Step(WorkProgress* progress, long done, long total) {
  if (progress) progress->Step(done, total);
}

}  // namespace

void RouteNode::AddTrip(std::int32_t id, const std::vector<std::string>& stops,
                        const std::vector<std::string>& storedStops) {
  for (RouteVariant& v : variants)
    if (v.stops == stops && v.storedStops == storedStops) {
      v.trips.push_back(id);
      return;
    }
  RouteVariant& v = variants.emplace_back();
  v.number = static_cast<int>(variants.size()) - 1;
  v.trips.push_back(id);
  v.stops = stops;
  v.storedStops = storedStops;
}

std::string RouteNode::VariantName(const RouteVariant& v) const {
  if (variants.size() == 1) return code;
  return code + "/" + std::to_string(v.number);
}

RouteNode& RouteTable::Append(const std::string& code) {
  const auto [it, added] = byCode_.try_emplace(code, routes_.size());
  if (added) routes_.push_back({code, {}});
  return routes_[it->second];
}

RouteNode* RouteTable::Find(const std::string& code) {
  const auto it = byCode_.find(code);
  return it == byCode_.end() ? nullptr : &routes_[it->second];
}

int RouteTable::VariantCount() const {
  int n = 0;
  for (const RouteNode& r : routes_) n += static_cast<int>(r.variants.size());
  return n;
}

Outcome LoadRoutes(DbDatabase* db, RouteTable& routes, WorkProgress* progress) {
  Outcome result;
  {
    if (progress) progress->Begin("Estrazione Percorsi");
    static const FieldDef* const kRouteField[1] = {TripHeadLayout().Field("codperc")};
    // With each code, the first trip that holds it: it names a code refused.
    DbSelect select(db, {.columns = "codperc, min(ID)", .from = "tescor", .groupBy = "codperc", .orderBy = "codperc"});
    OpenToRefuseFaults(select);
    if (select.WalkFailed()) return result;
    const long total = select.RowCount();
    long done = 0;
    // Codes are told apart by their bytes: two codes the engine groups together stay two routes.
    for (bool more = select.hasRow; more; more = select.MoveNext()) {
      Step(progress, ++done, total);
      const std::string refusal =
          RefuseLostText(select, 0, kRouteField, [&select] { return StoredTripRow(select, 1); });
      if (!refusal.empty()) {
        routes = {};
        result.Fail(refusal);
        return result;
      }
      routes.Append(select.TrimmedAt(0));
    }
  }
  if (progress) progress->Begin("Identificazione Varianti Percorsi");
  DbSelect select(db, {.columns = "tescor.ID, tescor.codperc, detcor.fermata, detcor.sub",
                       .from = "tescor, detcor",
                       .where = "tescor.ID = detcor.ID",
                       .orderBy = "detcor.ID, detcor.sub",
                       .streaming = true});
  OpenToRefuseFaults(select);
  const long total = CountTableRows(db, "detcor");
  long done = 0;
  long current = -1;
  bool open = false;
  bool lost = false;
  std::string routeCode;
  std::vector<std::string> stops, storedStops;
  const auto close = [&] {
    if (!lost) storedStops.clear();
    if (RouteNode* route = routes.Find(routeCode))
      route->AddTrip(static_cast<std::int32_t>(current), stops, storedStops);
  };
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    Step(progress, ++done, total);
    const long id = select.LongAt(0);
    if (!open || id != current) {
      if (open) close();
      open = true;
      current = id;
      routeCode = select.TrimmedAt(1);
      stops.clear();
      storedStops.clear();
      lost = false;
    }
    DbText stop = select.TrimmedTextAt(2);
    std::string refusal;
    if (StoredValueRefused(
            select, [&select] { return StoredTripRow(select, 0, 3); }, &TripDetailLayout(), Undone::Files, refusal)) {
      routes = {};
      result.Fail(refusal);
      return result;
    }
    lost = lost || stop.Lost();
    stops.push_back(std::move(stop.text));
    storedStops.push_back(std::move(stop.stored));
  }
  if (open) close();
  if (progress) progress->End();
  if (!select.WalkFailed()) result.Succeed();
  return result;
}

std::vector<std::string> RoutesWithLongNames(const RouteTable& routes) {
  std::vector<std::string> codes;
  for (const RouteNode& r : routes.Routes())
    for (const RouteVariant& v : r.variants)
      if (r.VariantName(v).size() > kRouteCodeWidth) {
        codes.push_back(r.code);
        break;
      }
  return codes;
}

std::string LongNamesText(const std::vector<std::string>& codes) {
  std::string text =
      "ATTENZIONE: i nomi delle varianti dei seguenti percorsi superano\n"
      "i 20 caratteri di un codice percorso:\n\n";
  for (const std::string& c : codes) text += c + "\n";
  return text;
}

namespace {

bool SameVariants(const RouteNode& a, const RouteNode& b) {
  return a.code == b.code &&
         std::ranges::equal(a.variants, b.variants, [](const RouteVariant& v, const RouteVariant& w) {
           return v.trips == w.trips && v.stops == w.stops && v.storedStops == w.storedStops;
         });
}

}  // namespace

Outcome CheckRoutesUnchanged(DbDatabase* db, const RouteTable& routes) {
  RouteTable now;
  Outcome result = LoadRoutes(db, now, nullptr);
  if (result.ok && !std::ranges::equal(routes.Routes(), now.Routes(), SameVariants))
    result.Fail(
        "ATTENZIONE: i percorsi delle corse sono stati modificati dopo la loro estrazione.\n\n"
        "Nessun file è stato scritto e nessun codice percorso è stato assegnato.");
  return result;
}

RouteCodeAssignment AssignVariantCodes(DbBatch& batch, DbDatabase* db, const RouteTable& routes,
                                       WorkProgress* progress) {
  RouteCodeAssignment result;
  if (progress) progress->Begin("Assegnazione Codice Percorsi alle Corse");
  DbTable heads(db, "tescor");
  if (!heads.SetIndex("codice")) {
    batch.Rollback();
    result.Fail(AssignmentNotStoredText());
    return result;
  }
  const long total = routes.VariantCount();
  long done = 0;
  for (const RouteNode& r : routes.Routes())
    for (const RouteVariant& v : r.variants) {
      Step(progress, ++done, total);
      if (r.variants.size() == 1) continue;
      const std::string name = r.VariantName(v);
      for (std::int32_t id : v.trips) {
        if (batch.Lost()) break;
        const std::string key = std::to_string(id);
        if (heads.SeekEqual({key.c_str()}) && heads.Edit() && heads.SetFieldText("codperc", name) && heads.Update())
          ++result.trips;
      }
    }
  if (progress) progress->End();
  if (batch.Commit() != 0) {
    result.Succeed();
  } else {
    result.trips = 0;
    result.Fail(AssignmentNotStoredText());
  }
  return result;
}
