#pragma once
// The railway itineraries: every route code of the trips with its stop sequence, drawn as one
// polyline along the railway arcs between its stations (an arc in its own direction, else
// reversed, else a straight segment), and written as RT_ITIN.

#include "common/Clock.h"
#include "common/ExportFiles.h"
#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/railway/RailStations.h"
#include "conversions/shapefiles/PointLists.h"

#include <memory>
#include <string>
#include <vector>

class DbDatabase;
class ItineraryReport;
class RailArcList;

struct ItineraryRoute {
  std::string code;                // tescor.codperc without its trailing blanks
  std::vector<std::string> stops;  // detcor.fermata, likewise, in position order
  std::unique_ptr<PointList> points = std::make_unique<PointList>();
};

// The routes of every trip: one for each route code (the trips without one stay out), its stops
// the distinct (position, stop) pairs of all its trips in position order. The query's failure is
// told by the database layer and leaves the routes found so far. A route code that lost a
// character Windows-1252 lacks (RT_ITIN would carry it with '?') gives no route and sets
// `refusal` (RefuseText: the first trip that holds it, the field); so does a stop code stored as
// bytes rather than a text (StoredValues: the first trip and its stop).
std::vector<ItineraryRoute> ExtractItineraryRoutes(DbDatabase* db, WorkProgress* progress, std::string& refusal);

// Draws every route between the stations of its stops and records in the report the stops not
// found among the stations, the missing arcs and each route's verdict. A straight segment that
// closes a route, or that ends at its last station found, gets that station's point as its end.
void DrawItineraries(std::vector<ItineraryRoute>& routes, const StationList& stations, const RailArcList& arcs,
                     ItineraryReport& report, WorkProgress* progress);

constexpr const char* kItineraryOutputCaption = "Selezione ShapeFile RT_ITIN (output)";

// Done with RoutesGeneratedText (RouteWriting.h), or not with "Impossibile creare\n\n" and the
// path (exclamation icon).
struct ItineraryWriting : Outcome {};

// Writes the routes that have a line (IsRouteLine) as RT_ITIN at the base of `path`: company "%d", the code,
// DESCR blank.
ItineraryWriting WriteItinerarySet(const std::string& path, const std::vector<ItineraryRoute>& routes, int company,
                                   WorkProgress* progress, const ClockTime& today, const FolderWatch& watch = {});
