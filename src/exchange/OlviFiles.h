#pragma once
// The two files for the Olvi GIS: FERMATE_OLVI (one line per distinct stop, read back by the
// import of Olvi stops) and PERCORSI_OLVI (routes with their stop rows between two markers).
// Tab-separated Windows-1252 text, lines ended by CR LF, no quoting; texts without their trailing
// blanks. This is the one definition of both layouts: the exports write their lines here and the
// import reads FERMATE_OLVI's lines here.

#include <string>
#include <string_view>

// ---- FERMATE_OLVI ------------------------------------------------------------------------------

// The heading line (no line end): "Azienda\tFermata\tDenominazione\tUbicazione".
extern const char* const kOlviStopsHeading;

// The widths the stop rows keep (`detcor`): a longer text cannot be stored.
constexpr size_t kOlviStopCodeWidth = 10;
constexpr size_t kOlviStopTextWidth = 40;
// The fields of every line the export writes, the heading's among them.
constexpr size_t kOlviStopFields = 4;

// The fields of a line: its tabs plus one.
size_t OlviFieldCount(std::string_view line);

// Appends one stop line (no line end): company, code, name, location.
void AppendOlviStopLine(std::string& out, int company, std::string_view code, std::string_view name,
                        std::string_view place);

// One line of FERMATE_OLVI read back.
struct OlviStopLine {
  int company = 0;
  std::string_view code, name, place;  // parts of the line, taken as they are
};

// Splits a line (without its end) at its tabs: company, code, name, location; fields missing at
// the end of a short line are empty and fields after the fourth are not read. False when the
// company field is not a number (digits only, at most five): such a line, the heading among them,
// is never a stop.
bool ReadOlviStopLine(std::string_view line, OlviStopLine& out);

// ---- PERCORSI_OLVI -----------------------------------------------------------------------------

// The opening and closing marker lines.
extern const char* const kOlviRoutesOpening;  // "PeRcOrSiVuRoLvI"
extern const char* const kOlviRoutesClosing;  // "pErCoRsIvUrOlVi"

// Appends a route's head line: "<T>\t%d\t%s\t%s\t%ld\t</T>" of company, route code, name, length.
void AppendOlviRouteHeadLine(std::string& out, int company, std::string_view code, std::string_view name, long length);
// Appends a stop line of a route: "<D>\t%d\t%ld\t%s\t%s\t%s\t</D>" of the stop's number, its
// distance from the first stop, code, name and location.
void AppendOlviRouteStopLine(std::string& out, int sub, long distance, std::string_view code, std::string_view name,
                             std::string_view place);
