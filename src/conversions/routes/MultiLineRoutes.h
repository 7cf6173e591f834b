#pragma once
// The clean-up of a route shapefile (RT_ITIN) whose routes are drawn in several lines: the region
// takes routes drawn as one line only. Every part of a record is read as a line (a point equal to
// the one before it dropped); the cleaned set keeps, of each record, its last line, and a report
// names how many lines each route lost. A record whose last line has fewer than two points is no
// route the check would take: it is left out of the set and named in a warning.

#include "common/Clock.h"
#include "common/ExportFiles.h"
#include "common/WorkProgress.h"
#include "conversions/shapefiles/PointLists.h"
#include "conversions/shapefiles/RouteWriting.h"

#include <string>
#include <vector>

// One record of the input with its lines in the order of its parts (none: not a polyline, or a
// polyline whose parts do not fit its points).
struct RouteLines {
  long company = -1;
  std::string code;
  std::string description;
  std::vector<PointList> lines;
};

// When not ok: the damaged set's fault, or the refusal of its fields or type (stop icon); when done
// and no record is drawn in several lines, ValidRoutesText.
struct MultiLineReading : Outcome {
  std::vector<RouteLines> routes;
  // The records drawn in two lines or more.
  int MultiLineCount() const;
};

constexpr const char* kMultiLineInputCaption = "Verifica Shape Percorsi Linee";
constexpr const char* kMultiLineStatus = "Salvataggio Cartografia Percorsi";
constexpr const char* kMultiLineReportCaption = "Report Generazione RT_ITIN (riduzione linee multiple)";
constexpr const char* kMultiLineReportName = "GENERAZIONE_RT_ITIN";

// Reads the set of `path`: the fields of RT_ITIN required, the last record a polyline (a set
// without records is linear); a record before it of another type is read as one without a line.
// A code or description that holds a control byte or a character Windows-1252 lacks refuses the
// set, naming its record (ShapeSetReader::CodeOrName).
MultiLineReading ReadMultiLineRoutes(const std::string& path, WorkProgress* progress);

std::string ValidRoutesText();
std::string MultiLineQuestionText(int count);

// The one message that names the records left out of the cleaned set: one line
// "l'entità <i> [<code> - <description>]\n" each.
std::string RoutesLeftOutText(const std::vector<std::string>& routes);

// Writes each record with its last line as RT_ITIN at the base of `path`; a record without a line,
// or whose last line is no line (IsRouteLine), is left out. Done with RoutesLeftOutText naming
// them, when there are any (exclamation icon), then RoutesGeneratedText; not, when the set could
// not be put in place, with "Impossibile creare\n\n" and the path (exclamation icon), then
// RoutesNotGeneratedText.
RouteWriting WriteReducedRoutes(const std::string& path, const std::vector<RouteLines>& routes, const ClockTime& today,
                                WorkProgress* progress, const FolderWatch& watch = {});

// The report's text (lines ending in CR LF): each record's lines dropped ("Eliminate N linee"),
// "Confermato" for a record of one line or none, and for a record whose last line is no line, that
// it was not written.
std::string MultiLineReportText(const std::vector<RouteLines>& routes, const ClockTime& now);
