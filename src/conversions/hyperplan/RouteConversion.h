#pragma once
// The conversion of the HyperPlan route shapefile (polylines whose attribute "ID MTRAM" carries
// the route's code) into the program's route set RT_ITIN, every route stamped with the working
// company. A record drawn as several lines keeps its first one after a warning; a record with no
// line (a null record, or a first line of fewer than two points) gives no route and is counted in
// one warning. A record of another type, a damaged record or set (ShapeSetReader), and a code
// with a control byte or a character Windows-1252 lacks refuse the whole set. Reading and writing
// are two steps, so that the command can ask for the output in between.

#include "common/Clock.h"
#include "common/ExportFiles.h"
#include "common/WorkProgress.h"
#include "conversions/shapefiles/PointLists.h"
#include "conversions/shapefiles/RouteWriting.h"

#include <string>
#include <vector>

constexpr const char* kRouteInputCaption = "Conversione ShapeFile Percorsi di HyperPlan";
constexpr const char* kRouteOutputCaption = "Selezione ShapeFile RT_ITIN (output)";

// Why an input is refused: not a polyline shapefile, or ID MTRAM missing or not as required.
std::string RouteRefusalText();

// One route: the input record's index, its code (blanks removed on both sides) and the points of
// its first line.
struct RouteLine {
  int index = 0;
  std::string code;
  std::vector<Vertex> points;
};

struct RouteReading {
  bool ok = false;
  std::string failure;  // when not ok: the damaged set's fault or the refusal (stop icon)
  int skipped = 0;      // records without a line, left out
  std::vector<RouteLine> lines;
};

// The one message that counts the records left out because they hold no line.
std::string SkippedRoutesText(int skipped);

// Reads the routes of the set of `path` (geometry pass with the progress bar, then attributes).
RouteReading ReadRouteSet(const std::string& path, WorkProgress* progress);

// Writes the routes as RT_ITIN at the base of `path`: company "%d", the code, DESCR blank; a
// company of more than five characters writes nothing.
RouteWriting WriteRouteSet(const std::string& path, const std::vector<RouteLine>& lines, int company,
                           const ClockTime& today, const FolderWatch& watch = {});
