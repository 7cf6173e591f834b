#pragma once
// What writing a route set RT_ITIN gave: done, or not with the message (exclamation icon) and the
// path that failed; and how many records it holds. The texts that end a command writing RT_ITIN
// are here too, the same for every such command.

#include "common/Outcome.h"
#include "conversions/shapefiles/PointLists.h"

#include <string>

// A route's line has two points at least: fewer is no line, and a record of it would make the
// route check refuse the whole set. Such a route is left out of RT_ITIN.
inline bool IsRouteLine(const PointList& points) { return points.Count() >= 2; }

struct RouteWriting : Outcome {
  int records = 0;
};

// The set was generated; a report to read follows.
inline std::string RoutesGeneratedText() {
  return "Lo shapefile RT_ITIN.SHP è stato generato con successo\n\n"
         "E' opportuno consultare con attenzione il report che sta per essere\n"
         "generato, al fine di verificare la qualità del risultato.";
}

// A step before failed or was cancelled: no set was written.
inline std::string RoutesNotGeneratedText() {
  return "A cause delle azioni precedenti non è possibile generare lo shapefile\n"
         "dei percorsi (RT_ITIN.SHP)";
}
