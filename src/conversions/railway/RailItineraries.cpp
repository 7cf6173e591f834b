#include "conversions/railway/RailItineraries.h"

#include "common/Formatters.h"
#include "conversions/StoredValues.h"
#include "conversions/railway/ItineraryReport.h"
#include "conversions/railway/RailArcs.h"
#include "conversions/railway/RailStations.h"
#include "conversions/shapefiles/RouteWriting.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "db/DbSelect.h"
#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"

namespace {

void TrimBlanks(std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  text.resize(end);
}

void AddPoint(ItineraryRoute& route, double x, double y) { route.points->AddPoint(x, y); }

}  // namespace

std::vector<ItineraryRoute> ExtractItineraryRoutes(DbDatabase* db, WorkProgress* progress, std::string& refusal) {
  std::vector<ItineraryRoute> routes;
  static const FieldDef* const kRouteField[1] = {TripHeadLayout().Field("codperc")};
  // With the texts, the first trip that holds them: it names a code refused.
  DbSelect select(db, {.columns = "tescor.codperc, detcor.fermata, min(tescor.ID), detcor.sub",
                       .from = "tescor, detcor",
                       .where = "detcor.ID = tescor.ID",
                       .groupBy = "tescor.codperc, detcor.sub, detcor.fermata",
                       .orderBy = "tescor.codperc, detcor.sub"});
  if (progress) progress->Begin({});
  if (!OpenToRefuseFaults(select)) return routes;
  const long rows = select.RowCount();
  std::string previous, route, stop;
  long k = 0;
  const auto row = [&select] { return StoredTripRow(select, 2); };
  do {
    if (progress) progress->Step(++k, rows);
    refusal = RefuseLostText(select, 0, kRouteField, row);
    select.GetFieldTextAt(0, route);
    select.GetFieldTextAt(1, stop);
    const auto stopRow = [&select] { return StoredTripRow(select, 2, 3); };
    if (!refusal.empty() || StoredValueRefused(select, stopRow, &TripDetailLayout(), Undone::Files, refusal)) {
      routes.clear();
      return routes;
    }
    TrimBlanks(route);
    TrimBlanks(stop);
    if (route != previous) {
      routes.push_back({route, {}});
      previous = route;
    }
    // Rows without a route code come first and open no route.
    if (!routes.empty()) routes.back().stops.push_back(stop);
  } while (select.MoveNext());
  return routes;
}

void DrawItineraries(std::vector<ItineraryRoute>& routes, const StationList& stations, const RailArcList& arcs,
                     ItineraryReport& report, WorkProgress* progress) {
  const long n = static_cast<long>(routes.size());
  if (progress) progress->Begin({});
  long k = 0;
  for (ItineraryRoute& route : routes) {
    if (progress) progress->Step(++k, n);
    const Station* previous = nullptr;
    bool interpolated = false;
    bool open = false;  // a straight segment waits for its end point
    for (const std::string& code : route.stops) {
      const Station* station = stations.FindByCode(code);
      if (!station) {
        report.AddMissingStation(code);
        continue;
      }
      if (!previous) {
        previous = station;
        continue;
      }
      open = false;
      if (const RailArc* arc = arcs.Find(previous->code, code)) {
        for (const Vertex& v : arc->vertices) AddPoint(route, v.x, v.y);
      } else if (const RailArc* back = arcs.Find(code, previous->code)) {
        for (auto v = back->vertices.rbegin(); v != back->vertices.rend(); ++v) AddPoint(route, v->x, v->y);
      } else {
        AddPoint(route, previous->x, previous->y);
        open = true;
        report.AddMissingArc(previous->code, code);
        interpolated = true;
      }
      previous = station;
    }
    // The last segment ends at the last station found, whether or not it is the route's last stop.
    if (open) AddPoint(route, previous->x, previous->y);
    report.AddRouteVerdict(route.code, interpolated ? 'N' : 'S');
  }
  if (progress) progress->End();
}

ItineraryWriting WriteItinerarySet(const std::string& path, const std::vector<ItineraryRoute>& routes, int company,
                                   WorkProgress* progress, const ClockTime& today, const FolderWatch& watch) {
  ShapeSetWriter writer(RoutesLayout());
  const std::string companyText = std::to_string(company);
  const long n = static_cast<long>(routes.size());
  if (progress) progress->Begin({});
  long k = 0;
  for (const ItineraryRoute& route : routes) {
    if (progress) progress->Step(++k, n);
    if (IsRouteLine(*route.points)) writer.AddPolyline(*route.points, {companyText, route.code, ""});
  }
  ItineraryWriting result;
  if (writer.WriteTo(ShapeBase(path), today, result, watch)) result.Inform(RoutesGeneratedText());
  return result;
}
