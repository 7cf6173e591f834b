#pragma once
// The routes of the timetable as the MicroBus route generation sees them: one route for each
// route code of the trips, one variant for each distinct stop sequence of its trips. A variant is
// named by its route's code alone when the route has one variant, else "code/number"; the trips of
// a route of several variants take the name of their variant.

#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/shapefiles/PointLists.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class DbBatch;
class DbDatabase;

struct RouteVariant {
  int number = 0;
  std::vector<std::int32_t> trips;  // in the order met
  std::vector<std::string> stops;   // stop codes without trailing blanks, in stop order
  // The same codes as stored, where they lost a character Windows-1252 lacks (empty when none
  // did): two codes read alike are two stops.
  std::vector<std::string> storedStops;
  PointList points;  // the polyline, drawn from the arcs
};

struct RouteNode {
  std::string code;  // the route code without trailing blanks
  std::vector<RouteVariant> variants;

  // The trip joins the first variant of the same stops (as stored: `storedStops` as in
  // RouteVariant), or a new one.
  void AddTrip(std::int32_t id, const std::vector<std::string>& stops,
               const std::vector<std::string>& storedStops = {});
  std::string VariantName(const RouteVariant& v) const;
};

class RouteTable {
 public:
  // A route of that code at the tail; the one already there when the code is known.
  RouteNode& Append(const std::string& code);
  RouteNode* Find(const std::string& code);
  std::vector<RouteNode>& Routes() { return routes_; }
  const std::vector<RouteNode>& Routes() const { return routes_; }
  int VariantCount() const;

 private:
  std::vector<RouteNode> routes_;
  std::unordered_map<std::string, std::size_t> byCode_;
};

// The routes in the order of their codes, then every trip with stops put into its variant
// (two passes of the progress, "Estrazione Percorsi" and "Identificazione Varianti Percorsi").
// Not ok when a selection could not be read (the database layer has said why, no message), or
// when a route code is one RT_ITIN cannot carry (a character Windows-1252 lacks, a control byte):
// refused with the stop icon, naming the first trip that holds it and the field, and no route; so
// is a stop code that is not a text (StoredValues), naming its trip and stop.
Outcome LoadRoutes(DbDatabase* db, RouteTable& routes, WorkProgress* progress);

// The codes of the routes whose variant names do not fit the 20 characters of a route code.
std::vector<std::string> RoutesWithLongNames(const RouteTable& routes);
std::string LongNamesText(const std::vector<std::string>& codes);

// Inside `batch`, opened before the files made of `routes` are put in place: the routes loaded
// again, which must be `routes` (trips, their codes and their stops); the trips may have changed
// while the dialogs waited. Not ok: the reload's refusal, or the routes changed, told with the stop
// icon (the batch is left for the caller to roll back).
Outcome CheckRoutesUnchanged(DbDatabase* db, const RouteTable& routes);

// Ok: the trips' codes are in the database (nothing to tell). Not ok: the commit was refused and
// nothing changed, told with the stop icon.
struct RouteCodeAssignment : Outcome {
  int trips = 0;  // trips given their variant's name
};

// The trips of every route of several variants take their variant's name as route code inside
// `batch`, which is then committed; a trip the database refuses keeps its code and the run goes on.
RouteCodeAssignment AssignVariantCodes(DbBatch& batch, DbDatabase* db, const RouteTable& routes,
                                       WorkProgress* progress);
