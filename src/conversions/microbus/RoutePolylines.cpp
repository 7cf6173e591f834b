#include "conversions/microbus/RoutePolylines.h"

#include "conversions/shapefiles/RouteWriting.h"

#include <cmath>

void RouteReport::UniqueLines::Add(std::string line) {
  if (seen.insert(line).second) lines.push_back(std::move(line));
}

void RouteReport::AddMissingStop(const std::string& code) { missingStops_.Add("manca fermata " + code + "\n"); }

void RouteReport::AddMissingArc(const std::string& from, const std::string& to) {
  missingArcs_.Add("manca arco " + from + " - " + to + "\n");
}

void RouteReport::AddSuspectArc(const std::string& from, const std::string& to) {
  suspectArcs_.Add("arco sospetto " + from + " - " + to + "\n");
}

void RouteReport::AddRoute(const std::string& name, char verdict) {
  const char* word = verdict == 'N' ? "ERRATO   " : verdict == 'x' ? "SOSPETTO " : "OK       ";
  routes_.push_back(std::string(word) + "- Percorso " + name + "\n");
}

namespace {

double Distance(const Vertex& a, const Vertex& b) {
  return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
}

// Draws one variant; its verdict letter.
char DrawVariant(RouteVariant& v, const MapStopTable& stops, const MapArcTable& arcs, RouteReport& report) {
  bool error = false, suspect = false;
  std::string pending;
  for (std::size_t k = 1; k < v.stops.size(); ++k) {
    const std::string& previous = v.stops[k - 1];
    const std::string& current = v.stops[k];
    if (!pending.empty()) {
      if (const MapStop* stop = stops.FindByCode(pending)) {
        v.points.AddPoint(stop->x, stop->y);
      } else {
        report.AddMissingStop(pending);
        error = true;
      }
    }
    const MapArc* arc = arcs.Find(previous, current);
    if (!arc) {
      report.AddMissingArc(previous, current);
      error = true;
      pending = current;
      continue;
    }
    const std::vector<Vertex>& p = arc->vertices;
    const std::size_t n = p.size();
    if (n == 2) {
      report.AddSuspectArc(previous, current);
      suspect = true;
    }
    if (n >= 2) {
      if (Distance(p[0], p[1]) > kArcEndTolerance) v.points.AddPoint(p[0].x, p[0].y);
      for (std::size_t i = 1; i + 1 < n; ++i) v.points.AddPoint(p[i].x, p[i].y);
      if (Distance(p[n - 2], p[n - 1]) > kArcEndTolerance) v.points.AddPoint(p[n - 1].x, p[n - 1].y);
    }
    pending.clear();
  }
  // Fewer than two points (every arc missing, or arcs whose vertices all fall on the stops) are no
  // line: the variant is left out of RT_ITIN as an empty one, and its verdict names it.
  if (!IsRouteLine(v.points)) v.points.Clear();
  return error ? 'N' : suspect ? 'x' : 'S';
}

}  // namespace

void BuildRoutePolylines(RouteTable& routes, const MapStopTable& stops, const MapArcTable& arcs, RouteReport& report,
                         WorkProgress* progress) {
  if (progress) progress->Begin("Generazione Polilinee Percorsi");
  const long total = routes.VariantCount();
  long done = 0;
  for (RouteNode& r : routes.Routes())
    for (RouteVariant& v : r.variants) {
      if (progress) progress->Step(++done, total);
      report.AddRoute(r.VariantName(v), DrawVariant(v, stops, arcs, report));
    }
  if (progress) progress->End();
}
