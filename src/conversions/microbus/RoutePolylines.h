#pragma once
// Each route variant drawn as a polyline along the MicroBus Map arcs of its consecutive stop
// pairs, a missing arc bridged by a straight segment to the next stop, and the variant judged:
// OK, suspect (an arc of two vertices only) or wrong (an arc or a stop missing). What was missing
// or suspect is gathered for the generation report.

#include "common/WorkProgress.h"
#include "conversions/microbus/MicroBusMaps.h"
#include "conversions/microbus/MicroBusRoutes.h"

#include <string>
#include <unordered_set>
#include <vector>

// The lines of the generation report, each ending in "\n". The first three lists keep a text once.
class RouteReport {
 public:
  void AddMissingStop(const std::string& code);
  void AddMissingArc(const std::string& from, const std::string& to);
  void AddSuspectArc(const std::string& from, const std::string& to);
  // verdict 'S' OK, 'x' suspect, 'N' wrong.
  void AddRoute(const std::string& name, char verdict);

  const std::vector<std::string>& MissingStops() const { return missingStops_.lines; }
  const std::vector<std::string>& MissingArcs() const { return missingArcs_.lines; }
  const std::vector<std::string>& SuspectArcs() const { return suspectArcs_.lines; }
  const std::vector<std::string>& Routes() const { return routes_; }

 private:
  struct UniqueLines {
    std::vector<std::string> lines;
    std::unordered_set<std::string> seen;
    void Add(std::string line);
  };
  UniqueLines missingStops_, missingArcs_, suspectArcs_;
  std::vector<std::string> routes_;
};

// Within this distance an arc's end vertex stands for its stop and is left out.
constexpr double kArcEndTolerance = 20.0;

// Draws every variant of every route ("Generazione Polilinee Percorsi").
void BuildRoutePolylines(RouteTable& routes, const MapStopTable& stops, const MapArcTable& arcs, RouteReport& report,
                         WorkProgress* progress);
